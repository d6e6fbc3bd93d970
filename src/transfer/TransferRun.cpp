#include "transfer/TransferRun.h"

#include "base/EventPump.h"
#include "comm/CommLink.h"
#include "data/DefinitionLoader.h"
#include "data/Numbers.h"
#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "options/EnvironmentOptions.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"
#include "transfer/ComparisonLines.h"
#include "transfer/ResultReport.h"

namespace vdk {

TransferOptions TransferOptions::From(const EnvironmentOptions& o, const OptionAvailability& a,
                                      bool maintenanceMode) {
    TransferOptions t;
    t.eeprom = o.Eeprom;
    t.changedOnly = o.ChgPara1;
    t.errorPrompt = o.ComDisp;
    t.comparePrompt = o.CompDisp;
    t.autoSave = a.saveResult && o.SkipFile;
    t.maintenanceNames = maintenanceMode;
    return t;
}

ReportTexts ReportTexts::From(const LanguageTexts& texts) {
    const ReportTexts d;
    const auto text = [&](const char* key, const QString& def) {
        return texts.LangText(QStringLiteral("WorkingRep"), QLatin1String(key), def);
    };
    return {text("Info1", d.errors),
            text("Info2", d.differences),
            text("Info3", d.noItem),
            text("Info4", d.notRead),
            text("Buff", d.maintenance),
            text("Result1", d.inverter),
            text("Result2", d.table),
            text("Result3", d.title),
            text("Summary1", d.importSummary),
            text("Summary2", d.exportSummary),
            text("Summary3", d.compareSummary),
            text("Review1", d.written),
            text("Review2", d.leftAlone),
            text("Review3", d.unreadable),
            text("Review4", d.alreadyEqual),
            text("Review5", d.nothingDiffers),
            text("Review6", d.notCompared),
            text("Review7", d.unsaved),
            text("Stopped", d.stoppedAt),
            text("ReadOnly", d.readOnly),
            text("Files1", d.comparedSides),
            text("Files2", d.oneSide),
            text("Files3", d.unknownNumber)};
}

TransferSetup TransferSetup::From(const EnvironmentOptions& o, bool maintenanceMode) {
    TransferSetup s;
    s.run =
        TransferOptions::From(o, AvailabilityOf(o, false, false, maintenanceMode), maintenanceMode);
    s.useMaintenance = o.Mainte;
    s.checkType = o.CheckInvTyp;
    s.showResult = o.Result;
    s.showCompareResult = o.ResultC;
    s.checkPrinter = o.CheckPrt;
    s.review = o.ReviewExport;
    s.snapshotKeep = o.SnapshotKeep;
    return s;
}

std::optional<int> PrepareTransfer(CommLink& link, const ParaDat& table, bool useMaintenance,
                                   Messenger& messenger) {
    if (!link.CommunicationCheck()) {
        messenger.Show(kMsgNoLink, MsgIcon::Exclamation);
        return std::nullopt;
    }
    if (!useMaintenance)
        return table.NormalLastRow();
    link.OpenMaintenanceAccess();
    return table.LastRow();
}

TransferRun::TransferRun(ParaDat& table, UPara& values, CommLink& link, Messenger& messenger,
                         EventPump& pump, Config config)
    : config_(std::move(config)), texts_(ReportTexts::From(messenger.Texts())), table_(table),
      values_(values), link_(link), messenger_(messenger), pump_(pump) {}

QString TransferRun::TitleOf(int row) const {
    return ReportTitle(table_, row);
}

QString TransferRun::NameOf(int row) const {
    return ReportName(table_, row, texts_.maintenance, config_.options.maintenanceNames);
}

QString TransferRun::ValueText(int row, quint32 word) const {
    return QString::number(link_.RawOf(row, word, values_));
}

TransferRun::Step TransferRun::Prompt(int message, int label, int row) {
    const QString nl = QStringLiteral("\n");
    const QString text = messenger_.Text(message) + nl + messenger_.Text(label) + QLatin1Char(' ') +
                         TitleOf(row) + nl + nl + messenger_.Text(kMsgAbortHint) + nl +
                         messenger_.Text(kMsgRetryHint) + nl + messenger_.Text(kMsgIgnoreHint);
    switch (
        messenger_.ShowText(message, text, MsgIcon::Exclamation, MsgButtons::AbortRetryIgnore)) {
    case Answer::Abort:
        return Step::Abort;
    case Answer::Retry:
        return Step::Retry;
    default:
        return Step::Next;
    }
}

// A parameter that failed: the prompt when the option asks for it, then its
// error line unless the answer was Retry or Abort.
TransferRun::Step TransferRun::Failed(int row, QStringList& list, TransactResult::Failure failure) {
    table_.SetTransferFlag(row, ParaDat::Transfer::Failed);
    // The prompt says what happened: no answer on the line, or data that is wrong.
    const bool line = failure == TransactResult::NoAnswer || failure == TransactResult::BadReply;
    const Step step = config_.options.errorPrompt
                          ? Prompt(line ? kMsgNoReply : kMsgDataError, kMsgTransferParameter, row)
                          : Step::Next;
    if (step == Step::Next) {
        list.append(Listed(row));
        ++outcome_.errors;
    }
    return step;
}

// A dead line would otherwise cost one time-out per remaining parameter
// without a word: after kSilentLimit unanswered exchanges in a row the user
// chooses whether to go on. With the failure prompt on, every failure asks
// already.
TransactResult TransferRun::Exchange(int row, const QString& value, QStringView letter) {
    const TransactResult result = link_.Transact(row, value, letter);
    const bool silent =
        result.failure == TransactResult::NoAnswer || result.failure == TransactResult::NoPort;
    silent_ = silent ? silent_ + 1 : 0;
    if (silent_ >= kSilentLimit && !config_.options.errorPrompt) {
        if (keepGoing && keepGoing(silent_))
            silent_ = 0;
        else
            stopRequested_ = true;
    }
    return result;
}

// Runs `one` for each row of the run: Retry repeats the row, Abort ends the
// run (false); after each row the user interface gets its turn.
template <typename F> bool TransferRun::ForEachRow(F&& one) {
    outcome_.total = config_.lastRow + 1;
    for (int row = 0; row <= config_.lastRow;) {
        if (stopRequested_) {
            outcome_.stopped = true;
            outcome_.reached = row;
            return false;
        }
        const Step step = one(row);
        if (step == Step::Abort)
            return false;
        if (step != Step::Retry)
            Progress(++row);
    }
    return true;
}

void TransferRun::Progress(int done) {
    pump_.ProcessEvents();
    if (onProgress)
        onProgress(config_.lastRow <= 0 ? 100 : std::min(100, done * 100 / config_.lastRow));
}

TransferRun::Outcome TransferRun::Run(TransferMode mode, ResultReport& report) {
    outcome_ = Outcome{};
    stopRequested_ = false;
    silent_ = 0;
    writeUnsaved_ = false;
    config_.lastRow = std::min(config_.lastRow, std::min(table_.LastRow(), values_.Count() - 1));
    bool completed = false;
    switch (mode) {
    case TransferMode::Import:
        completed = Import(report);
        break;
    case TransferMode::Export:
        completed = Export(report);
        break;
    case TransferMode::Compare:
        completed = Compare(report);
        break;
    }
    outcome_.aborted = !completed;
    if (completed || outcome_.stopped) {
        const Outcome& o = outcome_;
        report.lines.prepend(
            mode == TransferMode::Import ? texts_.importSummary.arg(o.done).arg(o.errors)
            : mode == TransferMode::Export
                ? texts_.exportSummary.arg(o.done).arg(o.errors + o.unsaved)
                : texts_.compareSummary.arg(o.done).arg(o.differences).arg(o.errors));
        if (o.stopped)
            report.lines.insert(1, texts_.stoppedAt.arg(o.reached).arg(o.total));
    }
    outcome_.autoSaveDue =
        completed && config_.options.autoSave && (outcome_.errors > 0 || outcome_.differences > 0);
    return outcome_;
}

// Reads everything first; the table takes the values only when the run was
// not aborted. A failed read gives the parameter its default.
bool TransferRun::Import(ResultReport& report) {
    report.lines.append(texts_.errors);
    QStringList read;
    QList<bool> failed;
    const bool completed = ForEachRow([&](int row) {
        const TransactResult word = Exchange(row, values_.At(row, UPara::Value), u"R");
        if (word.ok()) {
            read.append(ValueText(row, word.value));
            failed.append(false);
            ++outcome_.done;
            table_.SetTransferFlag(row, ParaDat::Transfer::Passed);
            return Step::Next;
        }
        const Step step = Failed(row, report.lines, word.failure);
        if (step == Step::Next) {
            const auto def = table_.ResolveDefault(table_.At(row, ComNo));
            read.append(def ? *def : values_.At(row, UPara::Value));
            failed.append(true);
        }
        return step;
    });
    if (!completed)
        return false;
    // The set is now the inverter's: what it did not give is marked unread,
    // and a failed read shows in the table as a failed transfer.
    for (int row = 0; row < values_.Count(); ++row) {
        if (row > config_.lastRow) {
            values_.SetUnread(row, true);
            continue;
        }
        values_.At(row, UPara::Value) = read[row];
        values_.SetUnread(row, failed[row]);
        values_.SetMark(row, UPara::CommErrIndex, failed[row]);
        MarkChanged(table_, values_, row, read[row], messenger_);
    }
    ModelRule();
    if (outcome_.errors == 0)
        report.lines.append(texts_.noItem);
    else if (const auto notRead = failed.count(true))
        report.lines.append(texts_.notRead.arg(notRead).arg(failed.size()));
    return true;
}

// QM40: below 300 in FE08, parameter 0630 must be 0. Nothing happens when FE08
// cannot be read.
void TransferRun::ModelRule() {
    if (config_.typeForm != QLatin1String("QM40"))
        return;
    const int fe08 = table_.FindRow(u"FE08");
    if (fe08 < 0 || fe08 >= values_.Count())
        return;
    const TransactResult word = link_.Transact(fe08, QString(), u"R");
    if (!word.ok())
        return;
    const QString text = ValueText(fe08, word.value);
    values_.At(fe08, UPara::Value) = text;
    values_.SetUnread(fe08, false);
    const int p0630 = table_.FindRow(u"0630");
    if (text.toLongLong() < 300 && p0630 >= 0 && p0630 < values_.Count()) {
        values_.SetMark(p0630, UPara::Value, false);
        values_.SetUnread(p0630, false);
        MarkChanged(table_, values_, p0630, QStringLiteral("0"), messenger_);
    }
}

TransferRun::ExportRow TransferRun::ExportRowOf(int row) const {
    if ((config_.options.changedOnly && !values_.Marked(row, UPara::ChangeIndex)) ||
        table_.WriteProtected(row))
        return ExportRow::Skipped;
    // A stand-in for a value never read would overwrite the inverter's own.
    return values_.Unread(row) ? ExportRow::Unread : ExportRow::Written;
}

void TransferRun::EnterPhase(Phase phase) {
    if (onPhase)
        onPhase(phase);
}

// A read of each row the export would write, tried again a few times: a row
// that cannot be read cannot be kept in the snapshot. A read that fails is
// never a difference: what the inverter holds there is not known.
bool TransferRun::ReadBack() {
    constexpr int kReadTries = 3;
    EnterPhase(Phase::ReadBack);
    review_.Clear();
    return ForEachRow([&](int row) {
        if (ExportRowOf(row) != ExportRow::Written)
            return Step::Next;
        TransactResult word;
        for (int attempt = 0; attempt < kReadTries && !stopRequested_; ++attempt)
            if ((word = Exchange(row, QString(), u"R")).ok())
                break;
        if (!word.ok()) {
            table_.SetTransferFlag(row, ParaDat::Transfer::Failed);
            review_.Add({row, ExportReview::Row::State::Unreadable, QString(), false});
            return Step::Next;
        }
        const QString inverter = ValueText(row, word.value);
        const bool equal =
            ParseWholeNumber(inverter) == ParseWholeNumber(values_.At(row, UPara::Value));
        review_.Add({row,
                     equal ? ExportReview::Row::State::Equal : ExportReview::Row::State::Different,
                     inverter, !equal});
        return Step::Next;
    });
}

// The steps before the first write: whether to write, or that the export is
// over (nothing differs) or ends with nothing written.
TransferRun::Guard TransferRun::Guarded(ResultReport& report) {
    if (!ReadBack())
        return Guard::Abort;
    const int unreadable = review_.Count(ExportReview::Row::State::Unreadable);
    if (guard.review) {
        // A row not read is not known to be equal: the run counts it as failed.
        outcome_.notCompared = unreadable;
        if (review_.Count(ExportReview::Row::State::Different) == 0) {
            report.lines.append(texts_.noItem);
            report.lines.append(texts_.nothingDiffers);
            if (unreadable > 0)
                report.lines.append(texts_.notCompared.arg(unreadable));
            ReviewSections(report, {});
            return Guard::Done;
        }
        if (!guard.choose || !guard.choose(review_)) {
            outcome_.cancelled = true;
            return Guard::Abort;
        }
    }
    if (guard.snapshot && !guard.snapshot(review_, &outcome_.snapshotError))
        return Guard::Abort;
    // A reviewed export writes only differences it read; without the review
    // a row the snapshot does not hold is written only when the user says so.
    writeUnsaved_ =
        !guard.review && unreadable > 0 && guard.writeUnsaved && guard.writeUnsaved(unreadable);
    EnterPhase(Phase::Write);
    return Guard::Write;
}

// What a reviewed export wrote, what it left, and what it could not read.
void TransferRun::ReviewSections(ResultReport& report, const QStringList& written) const {
    const auto section = [&](const QString& heading, const QStringList& lines) {
        report.lines.append(heading);
        report.lines += lines.isEmpty() ? QStringList{texts_.noItem} : lines;
    };
    QStringList left, unreadable;
    for (const ExportReview::Row& r : review_.Rows()) {
        if (r.state == ExportReview::Row::State::Unreadable)
            unreadable.append(Listed(r.row));
        else if (r.state == ExportReview::Row::State::Different && !r.ticked)
            left.append(Listed(r.row));
    }
    section(texts_.written, written);
    section(texts_.leftAlone, left);
    report.lines.append(texts_.alreadyEqual.arg(review_.Count(ExportReview::Row::State::Equal)));
    section(texts_.unreadable, unreadable);
}

// A write counts when the echo equals the value as a number. A value the
// parameter cannot hold whole is never sent: that parameter fails. A guarded
// export reads back first; a reviewed one writes only the ticked differences.
bool TransferRun::Export(ResultReport& report) {
    report.lines.append(texts_.errors);
    if (guard.Active())
        if (const Guard next = Guarded(report); next != Guard::Write)
            return next == Guard::Done;
    const QStringView letter = config_.options.eeprom ? u"W" : u"P";
    QStringList written, unsaved;
    const bool completed = ForEachRow([&](int row) {
        const ExportRow kind = ExportRowOf(row);
        if (kind == ExportRow::Unread)
            ++outcome_.unread;
        if (kind != ExportRow::Written || (guard.review && !review_.Writes(row)))
            return Step::Next;
        if (guard.snapshot && !writeUnsaved_ && review_.Unreadable(row)) {
            unsaved.append(Listed(row));
            ++outcome_.unsaved;
            return Step::Next;
        }
        const QString& value = values_.At(row, UPara::Value);
        const bool ram = table_.At(row, Memory).compare(u"RAM", Qt::CaseInsensitive) == 0;
        const TransactResult echo = Exchange(row, value, ram ? u"P" : letter);
        if (!echo.ok() || ParseWholeNumber(ValueText(row, echo.value)) != ParseWholeNumber(value))
            return Failed(row, report.lines, echo.failure);
        ++outcome_.done;
        written.append(Listed(row));
        table_.SetTransferFlag(row, ParaDat::Transfer::Passed);
        values_.SetMark(row, UPara::WriteIndex, false);
        values_.SetMark(row, UPara::CommErrIndex, false);
        return Step::Next;
    });
    if (completed && outcome_.errors == 0)
        report.lines.append(texts_.noItem);
    if (!unsaved.isEmpty()) {
        report.lines.append(texts_.unsaved);
        report.lines += unsaved;
    }
    if (guard.review && (completed || outcome_.stopped))
        ReviewSections(report, written);
    return completed;
}

// A failed read is listed as an error only, never as a difference. A
// read-only status value changes by itself: it is counted apart.
bool TransferRun::Compare(ResultReport& report) {
    report.lines.append(texts_.differences);
    report.lines.append(ComparisonHeading(texts_.inverter, texts_.table, texts_.title));
    report.hidden.append(texts_.errors);
    const bool completed = ForEachRow([&](int row) {
        const TransactResult word = Exchange(row, QString(), u"R");
        if (!word.ok())
            return Failed(row, report.hidden, word.failure);
        const QString inverter = ValueText(row, word.value);
        const QString& value = values_.At(row, UPara::Value);
        const qint64 held = ParseWholeNumber(value).value_or(qint64(value.toDouble()));
        if (ParseWholeNumber(inverter) == held) {
            ++outcome_.done;
            table_.SetTransferFlag(row, ParaDat::Transfer::Passed);
            return Step::Next;
        }
        if (IsLiveStatus(table_, row)) {
            ++outcome_.readOnly;
            return Step::Next;
        }
        const Step step = config_.options.comparePrompt
                              ? Prompt(kMsgDifferent, kMsgDifferentParameter, row)
                              : Step::Next;
        if (step == Step::Next) {
            report.lines.append(DifferenceLine(table_, row, inverter, QString::number(held),
                                               NameOf(row), config_.decimalComma));
            ++outcome_.differences;
        }
        return step;
    });
    if (!completed)
        return false;
    if (outcome_.differences == 0)
        report.lines.append(texts_.noItem);
    if (outcome_.readOnly > 0)
        report.lines.append(texts_.readOnly.arg(outcome_.readOnly));
    report.lines.append(QString());
    if (outcome_.errors == 0)
        report.hidden.append(texts_.noItem);
    report.lines += report.hidden;
    return true;
}

} // namespace vdk
