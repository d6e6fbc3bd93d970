#pragma once

#include "comm/CommLink.h"
#include "transfer/ExportReview.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace vdk {

class EventPump;
class LanguageTexts;
class Messenger;
class ParaDat;
class ResultReport;
class UPara;
struct EnvironmentOptions;
struct OptionAvailability;

enum class TransferMode { Import = 0, Export = 1, Compare = 2 };

// The options a run follows, taken from the environment options.
struct TransferOptions {
    bool eeprom = true;            // "Export to EEPROM": W, else P
    bool changedOnly = true;       // "Export 'Change' Parameters only"
    bool errorPrompt = false;      // "Display Communication Error"
    bool comparePrompt = false;    // "Display Comparison Message"
    bool autoSave = false;         // "Save Comm./Comp. Result", available and on
    bool maintenanceNames = false; // maintenance mode is on: real names in reports

    static TransferOptions From(const EnvironmentOptions& o, const OptionAvailability& a,
                                bool maintenanceMode);
};

// The texts of the report, from the language file.
struct ReportTexts {
    QString errors = QStringLiteral("* Communication Error Parameters");
    QString differences = QStringLiteral("* Different Value Parameters");
    QString noItem = QStringLiteral("No Item.");
    QString notRead =
        QStringLiteral("%1 of %2 parameters not read (shipment values in their place).");
    QString maintenance = QStringLiteral("Maintenance Parameter");
    QString inverter = QStringLiteral("Inverter");
    QString table = QStringLiteral("VDK330Q");
    QString title = QStringLiteral("Title");
    // The report's first line, by operation.
    QString importSummary = QStringLiteral("%1 parameters read, %2 not read.");
    QString exportSummary = QStringLiteral("%1 parameters written, %2 not written.");
    QString compareSummary = QStringLiteral("%1 parameters equal, %2 different, %3 not read.");
    // The sections a reviewed export adds.
    QString written = QStringLiteral("* Written Parameters");
    QString leftAlone = QStringLiteral("* Parameters Left As They Were");
    QString unreadable = QStringLiteral("* Parameters Not Read");
    QString alreadyEqual = QStringLiteral("%1 parameters already held the table's value.");
    QString nothingDiffers =
        QStringLiteral("No parameter differs from the table: nothing was written.");
    QString notCompared =
        QStringLiteral("%1 parameters could not be read from the inverter and were not compared.");
    // An export's rows whose value in the inverter could not be saved first.
    QString unsaved =
        QStringLiteral("* Parameters Not Written: their values in the inverter could not be saved");
    // A run stopped before its end, and read-only values left out of a comparison.
    QString stoppedAt = QStringLiteral("The run was stopped after %1 of %2 parameters.");
    QString readOnly = QStringLiteral(
        "%1 read-only status values differ (not compared: they change by themselves).");
    // The comparison of files.
    QString comparedSides = QStringLiteral("Comparison of %1 with %2");
    QString oneSide = QStringLiteral("* Parameters on One Side Only");
    QString unknownNumber = QStringLiteral("not a parameter of this inverter");

    // The texts of [WorkingRep] of the language file.
    static ReportTexts From(const LanguageTexts& texts);
};

// Everything the start of a run needs from the options.
struct TransferSetup {
    TransferOptions run;
    bool useMaintenance = false;   // "Use Maintenance Mode": FB91 access, every row
    bool checkType = false;        // "Check Inverter Type-Form" before the run
    bool showResult = true;        // "Display Communication Result" (import, export)
    bool showCompareResult = true; // "Display Comparison Result"
    bool checkPrinter = false;     // "Check Printer Connection"
    bool review = true;            // an export shows its differences first
    int snapshotKeep = 50;         // snapshots kept per type-form

    static TransferSetup From(const EnvironmentOptions& o, bool maintenanceMode);
    // Whether the run's report is shown after a run in `mode`.
    bool ShowsReport(int mode) const { return mode == 2 ? showCompareResult : showResult; }
};

// Before a run: the link must answer (message 4 otherwise), and with "Use
// Maintenance Mode" the maintenance parameters are opened (463 to FB91 in
// RAM) and taken in. The last row the run covers, or nothing.
std::optional<int> PrepareTransfer(CommLink& link, const ParaDat& table, bool useMaintenance,
                                   Messenger& messenger);

// What an export does before its first write. Both steps read the rows the
// export would write first, one read each.
struct ExportGuard {
    // The user chooses among the differences; only the ticked ones are
    // written. False from `choose` cancels the export with nothing written.
    bool review = false;
    std::function<bool(ExportReview&)> choose;
    // Keeps the inverter's values read; false, with the reason, stops the
    // export before its first write.
    std::function<bool(const ExportReview&, QString* error)> snapshot;
    // Rows whose value could not be read for the snapshot are not written
    // unless this says yes, once, before the first write. Unset: they are not.
    std::function<bool(int count)> writeUnsaved;

    bool Active() const { return review || snapshot; }
};

// One whole-set run, parameter by parameter on the caller's thread: import
// reads every parameter into the value table, export writes the table's
// values, comparison lists the parameters whose inverter value differs. Failed
// and differing parameters go into the report; questions go through the
// messenger; the user interface gets one turn per parameter.
class TransferRun {
public:
    struct Outcome {
        bool aborted = false;
        bool stopped = false;   // aborted by RequestStop: the report says what was done
        int done = 0;           // parameters read, written, or found equal
        int errors = 0;         // error lines written
        int differences = 0;    // difference lines written
        int unread = 0;         // rows an export left out: no value was read for them
        int unsaved = 0;        // rows an export left out: the snapshot could not hold them
        int notCompared = 0;    // rows a review could not read
        int readOnly = 0;       // read-only status values that differ, not counted as differences
        int reached = 0;        // rows gone through when the run stopped ...
        int total = 0;          // ... of this many
        bool cancelled = false; // the review was cancelled: nothing was written
        QString snapshotError;  // why the snapshot failed: nothing was written
        // The automatic save is due (the option is on and something is listed).
        bool autoSaveDue = false;
    };

    struct Config {
        TransferOptions options;
        QString typeForm; // for the model rule
        bool decimalComma = false;
        int lastRow = -1; // TransferLastRow
    };

    // The report's texts come from the messenger's language.
    TransferRun(ParaDat& table, UPara& values, CommLink& link, Messenger& messenger,
                EventPump& pump, Config config);

    const Config& Configuration() const { return config_; }
    // Called with 0..100 after each parameter.
    std::function<void(int)> onProgress;
    // An export's steps before its first write, and what they found.
    ExportGuard guard;
    const ExportReview& Review() const { return review_; }
    // Called when a guarded export starts reading back, and when it starts
    // writing.
    enum class Phase { ReadBack, Write };
    std::function<void(Phase)> onPhase;
    // After kSilentLimit exchanges in a row without an answer: true goes on
    // (and asks again after as many more), false or unset stops the run.
    static constexpr int kSilentLimit = 5;
    std::function<bool(int failures)> keepGoing;

    Outcome Run(TransferMode mode, ResultReport& report);
    // Stops the run before its next parameter, as Abort in a prompt does; for
    // the user interface, while the run gives it a turn.
    void RequestStop() { stopRequested_ = true; }

private:
    enum class Step { Next, Retry, Abort };
    enum class ExportRow { Skipped, Unread, Written };
    QString TitleOf(int row) const;
    QString NameOf(int row) const;
    // Which rows an export writes: changed ones with the option, never a
    // write-protected one, never one whose value was never read.
    ExportRow ExportRowOf(int row) const;
    void EnterPhase(Phase phase);
    bool ReadBack();
    enum class Guard { Write, Done, Abort };
    Guard Guarded(ResultReport& report);
    void ReviewSections(ResultReport& report, const QStringList& written) const;
    QString Listed(int row) const { return TitleOf(row) + QStringLiteral(": ") + NameOf(row); }
    QString ValueText(int row, quint32 word) const;
    Step Prompt(int message, int label, int row);
    Step Failed(int row, QStringList& list, TransactResult::Failure failure);
    // One exchange of the run, counting the ones in a row nobody answered.
    TransactResult Exchange(int row, const QString& value, QStringView letter);
    void Progress(int done);
    template <typename F> bool ForEachRow(F&& one);
    bool Import(ResultReport& report);
    bool Export(ResultReport& report);
    bool Compare(ResultReport& report);
    void ModelRule();

    Config config_;
    const ReportTexts texts_;
    ParaDat& table_;
    UPara& values_;
    CommLink& link_;
    Messenger& messenger_;
    EventPump& pump_;
    Outcome outcome_;
    ExportReview review_;
    bool stopRequested_ = false;
    int silent_ = 0;            // exchanges in a row without an answer
    bool writeUnsaved_ = false; // the user let rows without a saved value be written
};

} // namespace vdk
