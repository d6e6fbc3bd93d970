#include "app/AppSession.h"

#include "base/ProgramFlags.h"
#include "data/DefinitionLoader.h"
#include "data/ParameterFile.h"
#include "data/StartFile.h"
#include "options/EnvironmentOptions.h"
#include "settings/AppPaths.h"
#include "settings/FileWriter.h"
#include "settings/IniFile.h"
#include "settings/MessageIds.h"
#include "table/CsvTable.h"

#include <QDir>
#include <QFileInfo>

namespace vdk {

namespace {
const QString kProduct = QStringLiteral("VDK330Q");
} // namespace

AppSession::AppSession(AppPaths& paths, IniFile& settings, UserDialogs& dialogs,
                       ProgramFlags& flags, const EnvironmentOptions& options)
    : messenger(texts, dialogs), paths_(paths), settings_(settings), dialogs_(dialogs),
      flags_(flags), options_(options) {}

void AppSession::ReadRememberedFolders() {
    values.SaveDir =
        settings_.ReadString(QStringLiteral("File"), QStringLiteral("SavePath"), paths_.AppDir);
    values.LoadDir =
        settings_.ReadString(QStringLiteral("File"), QStringLiteral("LoadPath"), paths_.AppDir);
    MonDir =
        settings_.ReadString(QStringLiteral("Monitor"), QStringLiteral("MonPath"), paths_.AppDir);
    values.SaveName.clear();
    values.LoadName.clear();
}

bool AppSession::WriteRememberedFolders() {
    return settings_.WriteString(QStringLiteral("File"), QStringLiteral("SavePath"),
                                 values.SaveDir) &&
           settings_.WriteString(QStringLiteral("File"), QStringLiteral("LoadPath"),
                                 values.LoadDir) &&
           settings_.WriteString(QStringLiteral("Monitor"), QStringLiteral("MonPath"), MonDir);
}

bool AppSession::LoadSelection() {
    if (texts.MessageList().isEmpty() && !BuildMessageList(paths_, texts, dialogs_)) {
        flags_.StartAborted = true;
        return false;
    }
    DefinitionLoader loader(paths_, messenger, DefinitionFilter(texts));
    loadDamaged_ = false;
    const bool loaded = loader.LoadDefinitions(table) && loader.LoadCapacityDefaults(table);
    if (!loaded || !InitValues(table, values, messenger)) {
        // A file that was there but could not be converted, or a default
        // that does not resolve, lets the user choose another inverter.
        loadDamaged_ = loader.Damage().has_value() || loaded;
        flags_.StartAborted = !loadDamaged_;
        return false;
    }
    values.BlindMode = false;
    values.BlindCount = 0;
    Loaded(false);
    return true;
}

bool AppSession::StartFromFile(const QString& path) {
    StartContext context{paths_, settings_, texts, dialogs_, table, values};
    ReadResult read;
    if (!ReadStartFile(path, context, &read)) {
        flags_.StartAborted = true;
        return false;
    }
    values.SaveDir = paths_.AppDir;
    MonDir = paths_.AppDir;
    fileIdentity_ = paths_.Identity().TypeForm + paths_.Identity().Capacity;
    // A reading that stopped at an unknown number filled the rest of the
    // table with defaults: the table is not the file, and Save must not
    // write it there.
    const bool stopped = !read.skipped.isEmpty();
    if (stopped)
        values.LoadName.clear();
    Loaded(!stopped, read);
    return true;
}

void AppSession::Loaded(bool fromFile, const ReadResult& read) {
    saveEnabled_ = fromFile;
    titleFile_ = fromFile ? TitleFile::Opened : TitleFile::None;
    incompleteRead_ = read.Incomplete();
    fileFindings_ = read;
    MarkSaved();
}

bool AppSession::MaySaveIncompleteRead() {
    const auto ask = [this](int message) {
        return messenger.Show(message, MsgIcon::Exclamation, MsgButtons::YesNo) == Answer::Yes;
    };
    return (!incompleteRead_ || ask(kMsgIncompleteRead)) &&
           (values.CountFailedReads() == 0 || ask(kMsgFailedReads));
}

QString AppSession::Title() const {
    const InverterIdentity& id = paths_.Identity();
    QString title = kProduct + QLatin1Char(' ') + id.Named();
    const QString label = QLatin1Char(' ') + texts.LangMessage(kMsgFileLabel);
    if (titleFile_ == TitleFile::Opened)
        title += label + values.LoadName + QStringLiteral(" (") + fileIdentity_ + QLatin1Char(')');
    else if (titleFile_ == TitleFile::SavedAs)
        title += label + values.LoadName; // the current file, never a CSV table
    return title;
}

bool AppSession::Open(const QString& path) {
    ParameterFile header;
    LoadParameterFile(path, paths_.FallbackEncoding(), header);
    const ReadResult r = ReadParameterFile(path, table, values, paths_.Identity(),
                                           paths_.FallbackEncoding(), messenger);
    if (r.outcome == ReadOutcome::CannotOpen) {
        dialogs_.ShowMessage(
            Message{kMsgCannotRead, texts.LangMessage(kMsgCannotRead) + QLatin1Char('\n') + path,
                    texts.LangMessage(kMsgCaption), MsgIcon::Stop, MsgButtons::Ok});
        return false;
    }
    if (r.outcome != ReadOutcome::Taken)
        return false;
    fileIdentity_ = header.TypeForm + header.Capacity;
    Loaded(true, r);
    return true;
}

void AppSession::ReportWriteFailure(const QString& path, const QString& error) {
    dialogs_.ShowMessage(Message{kMsgCannotWrite,
                                 texts.LangMessage(kMsgCannotWrite) + QLatin1Char('\n') + path +
                                     QLatin1Char('\n') + error,
                                 texts.LangMessage(kMsgCaption), MsgIcon::Stop, MsgButtons::Ok});
}

int AppSession::SaveAsFilterEntry() const {
    return values.SaveName.toUpper().endsWith(QLatin1String(".CSV")) ? 2 : 1;
}

AppSession::SaveResult AppSession::Save() {
    values.SaveDir = values.LoadDir;
    values.SaveName = values.LoadName;
    if (values.LoadName.isEmpty()) {
        messenger.Show(kMsgNoCurrentFile, MsgIcon::None);
        return SaveResult::NoFile;
    }
    if (QFileInfo(values.LoadName).suffix().toUpper() != QLatin1String("VDK")) {
        values.SaveName = QFileInfo(values.LoadName).completeBaseName() + QStringLiteral(".vdk");
        return SaveResult::NeedsSaveAs;
    }
    if (!MaySaveIncompleteRead())
        return SaveResult::Declined;
    const QString path = values.LoadDir + QLatin1Char('/') + values.LoadName;
    QString error;
    if (!WriteParameterFile(path, table, values, paths_.Identity(), options_.ChgPara2, &error)) {
        ReportWriteFailure(path, error);
        return SaveResult::Failed;
    }
    incompleteRead_ = false;
    fileFindings_ = {};
    MarkSaved();
    return SaveResult::Saved;
}

QString AppSession::SaveAsName(const QString& chosen, bool csvFilter) {
    const QString end = chosen.right(4).toUpper();
    if (end == QLatin1String(".VDK") || end == QLatin1String(".CSV"))
        return chosen;
    return chosen + (csvFilter ? QStringLiteral(".csv") : QStringLiteral(".vdk"));
}

AppSession::SaveAsResult AppSession::SaveAs(const QString& chosen, bool csvFilter,
                                            const ParameterTable& view) {
    const QString path = SaveAsName(chosen, csvFilter);
    // The dialog asked about the name it showed; a name we completed is asked about here.
    if (!MayWriteCompletedName(messenger, chosen, path))
        return SaveAsResult::Kept;
    const QFileInfo info(path);
    const bool csv = info.suffix().toUpper() == QLatin1String("CSV");
    if (!csv && !MaySaveIncompleteRead())
        return SaveAsResult::Kept;
    QString error;
    const bool written =
        csv ? WriteCsvTable(path, view, DecimalCommaOf(settings_, paths_.Identity().Language),
                            &error)
            : WriteParameterFile(path, table, values, paths_.Identity(), options_.ChgPara2, &error);
    if (!written) {
        ReportWriteFailure(path, error);
        return SaveAsResult::Failed;
    }
    // The next Save As starts from this name; a CSV table leaves the current
    // file and the title as they are.
    values.SaveDir = info.absolutePath();
    values.SaveName = info.fileName();
    if (csv)
        return SaveAsResult::Saved;
    values.LoadDir = values.SaveDir;
    values.LoadName = values.SaveName;
    saveEnabled_ = true;
    titleFile_ = TitleFile::SavedAs;
    incompleteRead_ = false;
    fileFindings_ = {};
    MarkSaved();
    return SaveAsResult::Saved;
}

bool AppSession::HasUnsavedEdits() const {
    for (int i = 0; i < values.Count(); ++i)
        if (values.At(i, UPara::Value) != savedValues_.value(i))
            return true;
    return false;
}

void AppSession::MarkSaved() {
    savedValues_.clear();
    for (int i = 0; i < values.Count(); ++i)
        savedValues_.append(values.At(i, UPara::Value));
}

bool AppSession::MayImportOver(const std::function<bool()>& saveAs) {
    if (HasUnsavedEdits())
        return MaySetEditsAside(saveAs);
    return values.CountMarked(UPara::WriteIndex) == 0 ||
           messenger.Show(kMsgImportOverEdits, MsgIcon::Question, MsgButtons::YesNo) == Answer::Yes;
}

QString AppSession::TableName(const QString& untitled, const QString& unsaved) const {
    if (HasUnsavedEdits())
        return unsaved;
    return values.LoadName.isEmpty()
               ? untitled
               : QDir::toNativeSeparators(QDir(values.LoadDir).filePath(values.LoadName));
}

ExportFindings AppSession::FindingsBeforeExport() const {
    return FindingsOf(fileFindings_, table, values);
}

bool AppSession::MayExportFindings() {
    const ExportFindings findings = FindingsBeforeExport();
    if (!findings.Any())
        return true;
    Message m = texts.MakeMessage(kMsgExportFindings, MsgIcon::Exclamation, MsgButtons::YesNo);
    // The parameters concerned by number, in any language.
    QStringList named;
    for (int row : findings.outside)
        named.append(table.At(row, ComNo) + QLatin1Char('=') + values.At(row, UPara::Value));
    for (const ParameterFile::Duplicate& d : findings.duplicates)
        named.append(d.comNo + QStringLiteral(" (%1, %2)").arg(d.first).arg(d.second));
    if (!named.isEmpty())
        m.text += QStringLiteral("\n\n") + named.join(QStringLiteral(", "));
    m.preferred = Answer::No;
    return dialogs_.ShowMessage(m) == Answer::Yes;
}

bool AppSession::MaySetEditsAside(const std::function<bool()>& saveAs) {
    if (!HasUnsavedEdits())
        return true;
    switch (messenger.Show(kMsgUnsavedEdits, MsgIcon::Question, MsgButtons::YesNoCancel)) {
    case Answer::No:
        return true;
    case Answer::Yes: {
        if (values.LoadName.isEmpty())
            return saveAs();
        switch (Save()) {
        case SaveResult::Saved:
            return true;
        case SaveResult::Failed:
        case SaveResult::Declined:
            return false;
        case SaveResult::NoFile:
        case SaveResult::NeedsSaveAs:
            return saveAs();
        }
        return false;
    }
    default:
        return false;
    }
}

} // namespace vdk
