#include "printing/ui/PrintPreviewWindow.h"

#include "printing/ui/PrintableReport.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vdk {

namespace {
const QString kSection = QStringLiteral("Print");
} // namespace

PrintPreviewWindow::PrintPreviewWindow(const PrintableReport& report, Messenger& messenger,
                                       const QString& pdfFolder, QWidget* parent)
    : QDialog(parent), report_(report), messenger_(messenger), pdfFolder_(pdfFolder),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(Text("Form", "Preview and Print"));
    printer_->setPageLayout(report.Layout());
    printer_->setDocName(Text("Title", "VDK330Q"));
    preview_ = new QPrintPreviewWidget(printer_.get(), this);
    preview_->setViewMode(QPrintPreviewWidget::SinglePageView);
    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { Paint(printer); });
    connect(preview_, &QPrintPreviewWidget::previewChanged, this, [this] { ShowPage(); });

    scale_ = new QComboBox;
    scale_->setEditable(true);
    scale_->addItems({QStringLiteral("25"), QStringLiteral("50"), QStringLiteral("75"),
                      QStringLiteral("100"), QStringLiteral("150"), QStringLiteral("200")});
    scale_->lineEdit()->setMaxLength(3);
    scale_->setCurrentText(QStringLiteral("100"));
    // The preview follows a scale of 2 to 999 %; one that is not a number
    // keeps the last, one out of range takes the nearest when it is left.
    connect(scale_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        bool ok = false;
        const int percent = text.toInt(&ok);
        if (ok && percent >= 2 && percent <= 999)
            preview_->setZoomFactor(percent / 100.0);
    });
    connect(scale_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        bool ok = false;
        const int percent = scale_->currentText().toInt(&ok);
        if (ok && (percent < 2 || percent > 999)) {
            scale_->setCurrentText(QString::number(percent < 2 ? 2 : 999));
            messenger_.Show(kMsgClamped, MsgIcon::Stop);
        }
    });
    page_ = new QLabel;
    auto* back = new QPushButton(QStringLiteral("<"));
    auto* next = new QPushButton(QStringLiteral(">"));
    for (QPushButton* b : {back, next})
        b->setFixedWidth(32);
    connect(back, &QPushButton::clicked, this, [this] {
        preview_->setCurrentPage(preview_->currentPage() - 1);
        ShowPage();
    });
    connect(next, &QPushButton::clicked, this, [this] {
        preview_->setCurrentPage(preview_->currentPage() + 1);
        ShowPage();
    });
    print_ = new QPushButton(Text("Button1", "Print"));
    auto* cancel = new QPushButton(Text("Button2", "Cancel"));
    connect(print_, &QPushButton::clicked, this, [this] { Print(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(Text("Label1", "Scale")));
    bar->addWidget(scale_);
    bar->addWidget(new QLabel(QStringLiteral("(%)")));
    bar->addSpacing(16);
    bar->addWidget(back);
    bar->addWidget(page_);
    bar->addWidget(next);
    bar->addStretch(1);
    bar->addWidget(print_);
    bar->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview_, 1);
    layout->addLayout(bar);
    // As tall as the page allows, never taller than the screen.
    const QRect screen = this->screen()->availableGeometry();
    resize(std::min(760, screen.width() - 40), std::min(820, screen.height() - 60));
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

QString PrintPreviewWindow::Text(const char* key, const char* def) const {
    return messenger_.Texts().LangText(kSection, QLatin1String(key), QString::fromUtf8(def));
}

void PrintPreviewWindow::Paint(QPrinter* printer) {
    report_.PrintTo(*printer, printer->resolution());
}

void PrintPreviewWindow::ShowPage() {
    page_->setText(QStringLiteral("%1 %2 / %3")
                       .arg(preview_->currentPage())
                       .arg(Text("Label3", "page"))
                       .arg(preview_->pageCount()));
}

// To the printer the user chooses; with none installed, to a PDF file.
void PrintPreviewWindow::Print() {
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        const auto choice = messenger_.Dialogs().SaveFileName(FileRequest{
            pdfFolder_, QStringLiteral("PDF (*.pdf)|*.pdf"), 1, QStringLiteral("pdf"), QString()});
        if (!choice || choice->path.isEmpty())
            return;
        QString path = choice->path;
        if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            path += QStringLiteral(".pdf");
        QString error;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool written = report_.WritePdf(path, &error);
        QApplication::restoreOverrideCursor();
        if (!written)
            messenger_.ShowText(kMsgDataError, path + QLatin1Char('\n') + error, MsgIcon::Stop);
        return;
    }
    QPrintDialog dialog(printer_.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    print_->setEnabled(false);
    Paint(printer_.get());
    print_->setEnabled(true);
}

} // namespace vdk
