#include "transfer/ui/ReportWindow.h"

#include "base/UserDialogs.h"
#include "settings/FileWriter.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace vdk {

namespace {

const QString kSection = QStringLiteral("WorkingRep");

} // namespace

void PrintReport(QPrinter& printer, const QStringList& heading, const QStringList& lines) {
    QTextDocument document;
    document.setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QTextCursor cursor(&document);
    QTextCharFormat title;
    title.setFontWeight(QFont::Bold);
    title.setFontPointSize(12);
    cursor.insertText(heading.value(0), title);
    for (const QString& line : heading.mid(1)) {
        cursor.insertBlock();
        cursor.insertText(line, QTextCharFormat());
    }
    cursor.insertBlock();
    cursor.insertBlock();
    cursor.insertText(lines.join(QLatin1Char('\n')), QTextCharFormat());
    printer.setDocName(heading.value(0));
    document.print(&printer);
}

ReportWindow::ReportWindow(const ResultReport& report, const LanguageTexts& texts,
                           UserDialogs& dialogs, Context context, QWidget* parent)
    : QDialog(parent), mode_(report.mode), texts_(texts), dialogs_(dialogs),
      context_(std::move(context)) {
    static const std::pair<const char*, const char*> kCaptions[] = {
        {"FormIm", "Import Result"},
        {"FormEx", "Export Result"},
        {"FormComp", "Comparison Result"},
        {"FormInfo", "Inverter Infomation"},
        {"FormTrip", "Trip Information"}};
    const auto& [key, def] = kCaptions[std::clamp(mode_, 0, 4)];
    const auto text = [&texts](const char* k, const char* d) {
        return texts.LangText(kSection, QLatin1String(k), QLatin1String(d));
    };
    setWindowTitle(text(key, def));
    title_ = text("Title", "VDK330Q");
    list_ = new QPlainTextEdit(this);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setPlainText(report.lines.join(QLatin1Char('\n')));
    list_->moveCursor(QTextCursor::Start);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* menu = new QMenu(this);
    QAction* copy = menu->addAction(
        texts.LangText(QStringLiteral("Main"), QStringLiteral("Menu24"), QStringLiteral("Copy")),
        list_, &QPlainTextEdit::copy);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(list_, &QPlainTextEdit::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(list_->mapToGlobal(at)); });

    print_ = new QPushButton(text("Button1", "Print"), this);
    save_ = new QPushButton(text("Button2", "Save"), this);
    print_->setEnabled(context_.printEnabled);
    connect(print_, &QPushButton::clicked, this, &ReportWindow::Print);
    connect(save_, &QPushButton::clicked, this, &ReportWindow::Save);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(print_);
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(560, 380);
    if (parent)
        move(parent->frameGeometry().left(), parent->geometry().top() + 77);
    list_->setFocus();
}

QStringList ReportWindow::Lines() const {
    return list_->toPlainText().split(QLatin1Char('\n'));
}

void ReportWindow::ReportFailure(const QString& path, const QString& error) {
    dialogs_.ShowMessage(Message{0, QStringLiteral("%1\n\n%2").arg(path, error), windowTitle(),
                                 MsgIcon::Stop, MsgButtons::Ok});
}

QString ReportWindow::Save() {
    QString error;
    if (context_.autoSave && mode_ != 3) {
        const auto path = AutoSaveReport(Lines(), context_.appDir, context_.documentsDir,
                                         QDateTime::currentDateTime(), &error);
        if (!path)
            ReportFailure(QFileInfo(context_.appDir).absoluteFilePath(), error);
        return path.value_or(QString());
    }
    const char* filterKey = mode_ == 3 ? "SaveFile2" : "SaveFile1";
    const char* filter = mode_ == 3 ? "VDK330Q Inverter Infomation (*.txt)|*.txt"
                                    : "VDK330Q Communication Result (*.txt)|*.txt";
    const auto choice = dialogs_.SaveFileName(FileRequest{
        context_.appDir, texts_.LangText(kSection, QLatin1String(filterKey), QLatin1String(filter)),
        1, QStringLiteral("txt"), QString()});
    if (!choice || choice->path.isEmpty())
        return QString();
    // A name without an extension gets ".txt", asked about when it exists.
    const QString path = QFileInfo(choice->path).suffix().isEmpty()
                             ? choice->path + QStringLiteral(".txt")
                             : choice->path;
    Messenger messenger(texts_, dialogs_);
    if (!MayWriteCompletedName(messenger, choice->path, path))
        return QString();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = ResultReport::Save(path, Lines(), &error);
    QApplication::restoreOverrideCursor();
    if (!saved) {
        ReportFailure(path, error);
        return QString();
    }
    return path;
}

void ReportWindow::Print() {
    QPrinter printer;
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        // No printer: the document goes to a PDF file.
        const auto choice = dialogs_.SaveFileName(
            FileRequest{context_.appDir, QStringLiteral("PDF (*.pdf)|*.pdf"), 1,
                        QStringLiteral("pdf"), title_ + QStringLiteral(".pdf")});
        if (!choice || choice->path.isEmpty())
            return;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(choice->path);
    } else {
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    PrintReport(printer, PrintHeading(), Lines());
}

QStringList ReportWindow::PrintHeading() const {
    QStringList about{windowTitle(), QLocale().toString(made_, QLocale::ShortFormat)};
    if (!context_.inverter.isEmpty())
        about.prepend(context_.inverter);
    return {title_, about.join(QStringLiteral("    "))};
}

} // namespace vdk
