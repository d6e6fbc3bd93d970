#include "transfer/ui/TransferDialog.h"

#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vdk {

TransferDialog::TransferDialog(TransferRun& run, TransferMode mode, ResultReport& report,
                               Messenger& messenger, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), run_(run), mode_(mode), report_(report), messenger_(messenger) {
    static const std::pair<const char*, const char*> kCaptions[] = {
        {"FormIm", "Parameter Import"},
        {"FormEx", "Parameter Export"},
        {"FormComp", "Parameter Comparison"}};
    const auto text = [&texts](const char* key, const char* def) {
        return texts.LangText(QStringLiteral("Working"), QLatin1String(key), QLatin1String(def));
    };
    const auto& [key, def] = kCaptions[int(mode)];
    setWindowTitle(text(key, def));
    setModal(true);
    text_ = new QLabel(this);
    text_->setWordWrap(true);
    note_ = new QLabel(messenger_.Text(kMsgChangedOnlyNote), this);
    note_->hide();
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    start_ = new QPushButton(text("Button1", "Start"), this);
    cancelText_ = text("Button2", "Cancel");
    stopText_ = text("Button3", "Stop");
    cancel_ = new QPushButton(cancelText_, this);
    start_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(note_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    setMinimumWidth(400);
    connect(start_, &QPushButton::clicked, this, &TransferDialog::Start);
    connect(cancel_, &QPushButton::clicked, this, &TransferDialog::reject);
    run_.onProgress = [this](int percent) { bar_->setValue(percent); };
    // A guarded export reads back first, then writes; the bar runs twice.
    run_.onPhase = [this, reading = text("Reading", "Reading the inverter's values before "
                                                    "writing...")](TransferRun::Phase phase) {
        text_->setText(phase == TransferRun::Phase::ReadBack ? reading
                                                             : messenger_.Text(kMsgExporting));
        bar_->setValue(0);
    };
}

void TransferDialog::ShowChangedOnlyNote(bool on) {
    note_->setVisible(on);
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* main = parentWidget()) {
        const QRect frame = main->frameGeometry();
        move(frame.left() + (frame.width() - width()) / 2, y());
    }
    if (typeCheck)
        typeCheck();
    static const int kReady[] = {kMsgStartImport, kMsgStartExport, kMsgStartCompare};
    text_->setText(messenger_.Text(kReady[int(mode_)]));
    start_->setEnabled(true);
    cancel_->setEnabled(true);
    bar_->setValue(0);
}

// While the run goes on, Stop, Escape and the close box stop it before its
// next parameter; the dialog closes when the run has ended.
void TransferDialog::reject() {
    if (running_)
        run_.RequestStop();
    else
        QDialog::reject();
}

void TransferDialog::Start() {
    static const int kRunning[] = {kMsgImporting, kMsgExporting, kMsgComparing};
    started_ = running_ = true;
    start_->setEnabled(false);
    cancel_->setText(stopText_);
    text_->setText(messenger_.Text(kRunning[int(mode_)]));
    outcome_ = run_.Run(mode_, report_);
    running_ = false;
    start_->setEnabled(true);
    cancel_->setText(cancelText_);
    accept();
}

} // namespace vdk
