#pragma once

#include "transfer/ResultReport.h"
#include "transfer/TransferRun.h"

#include <memory>

namespace vdk {

// A whole-set transfer from start to end, as the main window and the command
// line both run it: the link check and the maintenance access before the run,
// the run itself (driven by the transfer dialog, or at once), and what its
// outcome calls for afterwards.
class TransferSession {
public:
    struct Config {
        TransferMode mode = TransferMode::Import;
        TransferSetup setup;
        QString typeForm;
        bool decimalComma = false;
        // The maintenance parameters are closed again after the run: a run
        // that opened them on its own. In maintenance mode they stay open.
        bool closeMaintenance = false;
    };
    // What the table needs after the run: an import changes values; an
    // export and a comparison only marks, and a rebuild would clear the
    // "not written" marks of rows the export did not write.
    enum class Refresh { Repaint, Rebuild };

    TransferSession(ParaDat& table, UPara& values, CommLink& link, Messenger& messenger,
                    EventPump& pump, Config config);

    // The link must answer (message 4 otherwise) and, with "Use Maintenance
    // Mode", the maintenance parameters are opened and taken in. False when
    // the run cannot start.
    bool Prepare();
    // The run Prepare made ready, and the report it fills.
    TransferRun& Run() { return *run_; }
    ResultReport& Report() { return report_; }
    // The questions of a run with somebody to ask, through the messenger:
    // after the line fell silent, Stop (the default) or Go on; before an
    // export writes rows its snapshot could not hold, Yes or No (the default).
    // `stop` and `goOn` label the silent line's buttons.
    void AskThroughMessenger(const QString& stop, const QString& goOn);
    // Runs at once (nobody to ask) and finishes; what Finish returns.
    bool Execute();
    // After a run that started: closes the maintenance parameters when the
    // configuration asks for it; false when the inverter did not take that.
    bool Finish(const TransferRun::Outcome& outcome);

    const TransferRun::Outcome& Outcome() const { return outcome_; }
    bool AutoSaveDue() const { return outcome_.autoSaveDue; }
    // The report window follows a run that was not aborted in a prompt (a
    // stopped run reports what it did), when the options ask for the report
    // of its kind.
    bool ShowsReport() const;
    Refresh RefreshAfter() const {
        return config_.mode == TransferMode::Import ? Refresh::Rebuild : Refresh::Repaint;
    }

private:
    ParaDat& table_;
    UPara& values_;
    CommLink& link_;
    Messenger& messenger_;
    EventPump& pump_;
    Config config_;
    ResultReport report_;
    std::unique_ptr<TransferRun> run_;
    TransferRun::Outcome outcome_;
};

} // namespace vdk
