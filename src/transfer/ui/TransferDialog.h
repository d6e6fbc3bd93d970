#pragma once

#include "transfer/TransferRun.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vdk {

class LanguageTexts;
class Messenger;
class ResultReport;

// The transfer dialog: says what Start will do, runs the transfer with a
// progress bar and closes when it ends. Only the run's state is shown here;
// the run itself is the core's.
class TransferDialog final : public QDialog {
    Q_OBJECT
public:
    TransferDialog(TransferRun& run, TransferMode mode, ResultReport& report, Messenger& messenger,
                   const LanguageTexts& texts, QWidget* parent = nullptr);

    // Shown before the run: the inverter type check, when the option asks.
    std::function<void()> typeCheck;
    // Shows the "Export 'Change' Parameters only" note.
    void ShowChangedOnlyNote(bool on);

    void Start();
    // Cancel; while the run goes on, Stop.
    void reject() override;
    bool Started() const { return started_; }
    const TransferRun::Outcome& Result() const { return outcome_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* Bar() const { return bar_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TransferRun& run_;
    TransferMode mode_;
    ResultReport& report_;
    Messenger& messenger_;
    QLabel* text_ = nullptr;
    QLabel* note_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QString cancelText_, stopText_;
    bool started_ = false;
    bool running_ = false;
    TransferRun::Outcome outcome_;
};

} // namespace vdk
