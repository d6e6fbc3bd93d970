#include "comm/ui/LineLogWindow.h"

#include "settings/FileWriter.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace vdk {

namespace {
constexpr LineVerdict kVerdicts[] = {
    LineVerdict::Answered,        LineVerdict::NoReply,    LineVerdict::ShortReply,
    LineVerdict::ChecksumFailure, LineVerdict::CrcFailure, LineVerdict::Exception,
    LineVerdict::Ambiguous,       LineVerdict::Refused,    LineVerdict::NotItsAnswer};

QString Milliseconds(qint64 ticks) {
    return QString::number(double(ticks) / 10.0, 'f', 1);
}
} // namespace

LineLogWindow::LineLogWindow(LineLog& log, Messenger& messenger, const LanguageTexts& texts,
                             QWidget* parent)
    : QWidget(parent), log_(log), messenger_(messenger), texts_(texts), model_(log) {
    setWindowTitle(Text("Form", QStringLiteral("Line Log")));
    QStringList headers;
    for (int c = 0; c < LineLog::ColumnCount; ++c)
        headers.append(Text(QStringLiteral("Column%1").arg(c + 1).toLatin1().constData(),
                            LineLog::ColumnName(LineLog::Column(c))));
    model_.SetHeaders(headers);

    table_ = new QTableView(this);
    table_->setModel(&model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->setWordWrap(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    pause_ = new QPushButton(Text("Pause", QStringLiteral("Pause")), this);
    pause_->setCheckable(true);
    clear_ = new QPushButton(Text("Clear", QStringLiteral("Clear")), this);
    save_ = new QPushButton(Text("SaveAs", QStringLiteral("Save As...")), this);
    comNo_ = new QLineEdit(this);
    comNo_->setPlaceholderText(Text("ComNo", QStringLiteral("Com. No.")));
    comNo_->setMaxLength(4);
    verdict_ = new QComboBox(this);
    verdict_->addItem(Text("All", QStringLiteral("All")), int(LineFilter::All));
    verdict_->addItem(Text("Failures", QStringLiteral("Failures only")),
                      int(LineFilter::FailuresOnly));
    QStringList verdictTexts;
    for (LineVerdict v : kVerdicts) {
        verdictTexts.append(Text(QStringLiteral("Verdict%1").arg(int(v)).toLatin1().constData(),
                                 LineLog::VerdictText(v)));
        verdict_->addItem(verdictTexts.last(), int(v));
    }
    model_.SetVerdictTexts(verdictTexts);
    status_ = new QLabel(this);
    // Each column as wide as its heading or its widest verdict, so that no
    // cell is cut and the bytes keep the room that is left.
    const QFontMetrics metrics = table_->fontMetrics();
    for (int c = 0; c < LineLog::ColumnCount; ++c)
        table_->setColumnWidth(c, metrics.horizontalAdvance(headers[c]) + 24);
    int verdictWidth = 0;
    for (int i = 0; i < verdict_->count(); ++i)
        verdictWidth = std::max(verdictWidth, metrics.horizontalAdvance(verdict_->itemText(i)));
    table_->setColumnWidth(LineLog::Verdict, verdictWidth + 24);
    // A request is at most ten bytes in either protocol.
    table_->setColumnWidth(LineLog::RequestBytes,
                           metrics.horizontalAdvance(QStringLiteral("00 ").repeated(10)) + 16);

    auto* bar = new QHBoxLayout;
    bar->addWidget(pause_);
    bar->addWidget(clear_);
    bar->addWidget(comNo_);
    bar->addWidget(verdict_);
    bar->addStretch();
    bar->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(table_);
    layout->addWidget(status_);
    resize(1200, 420);

    connect(pause_, &QPushButton::toggled, this, [this](bool on) { model_.SetPaused(on); });
    connect(clear_, &QPushButton::clicked, this, [this] {
        model_.Clear();
        Refresh();
    });
    connect(save_, &QPushButton::clicked, this, &LineLogWindow::SaveAs);
    connect(comNo_, &QLineEdit::textChanged, this, &LineLogWindow::FilterChanged);
    connect(verdict_, &QComboBox::currentIndexChanged, this, &LineLogWindow::FilterChanged);
    connect(&timer_, &QTimer::timeout, this, &LineLogWindow::Refresh);
    timer_.start(kRefreshMs);
    Refresh();
}

QString LineLogWindow::Text(const char* key, const QString& def) const {
    return texts_.LangText(QStringLiteral("LineLog"), QLatin1String(key), def);
}

void LineLogWindow::Refresh() {
    // Followed only while the newest row is in sight.
    const QScrollBar* bar = table_->verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    if (model_.Refresh() && atBottom)
        table_->scrollToBottom();
    const LineLog::Counts c = log_.Count();
    status_->setText(Text("Status", QStringLiteral("%1 exchanges, %2 failed, round trip mean "
                                                   "%3 ms, worst %4 ms"))
                         .arg(c.exchanges)
                         .arg(c.failures)
                         .arg(Milliseconds(c.meanRoundTrip), Milliseconds(c.worstRoundTrip)));
}

void LineLogWindow::FilterChanged() {
    model_.SetFilter({comNo_->text(), verdict_->currentData().toInt()});
    table_->scrollToBottom();
}

void LineLogWindow::SaveAs() {
    const auto choice = messenger_.Dialogs().SaveFileName(
        FileRequest{saveFolder, Text("SaveFile", QStringLiteral("Line Log(*.csv)|*.csv")), 1,
                    QStringLiteral("csv"), QStringLiteral("linelog.csv")});
    if (!choice || choice->path.isEmpty())
        return;
    QString path = choice->path;
    if (!path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    if (!MayWriteCompletedName(messenger_, choice->path, path))
        return;
    QString error;
    if (!WriteFileAtomically(path, LineLog::Csv(model_.Records()), &error)) {
        messenger_.ShowText(kMsgDataError, path + QLatin1Char('\n') + error, MsgIcon::Stop);
        return;
    }
    saveFolder = QFileInfo(path).absolutePath();
}

} // namespace vdk
