#pragma once

#include "base/UserDialogs.h"
#include "data/ParaDat.h"
#include "data/ParameterFile.h"
#include "data/UPara.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QString>
#include <functional>

namespace vdk {

class AppPaths;
class IniFile;
class ParameterTable;
struct EnvironmentOptions;
struct ProgramFlags;

// The parameter set of a run and the file commands on it: the start, Open,
// Save, Save As, the title, and the remembered folders. The main window renders
// it and forwards its commands.
class AppSession {
public:
    AppSession(AppPaths& paths, IniFile& settings, UserDialogs& dialogs, ProgramFlags& flags,
               const EnvironmentOptions& options);

    // [File] SavePath and LoadPath, [Monitor] MonPath (defaults: AppDir).
    void ReadRememberedFolders();
    bool WriteRememberedFolders();

    // After a selection: the message list (first time only), definitions,
    // capacity defaults and values. False when it failed: the start must end,
    // unless the data could not be converted (message 68 was shown), and then
    // the user chooses again (LoadDamaged).
    bool LoadSelection();
    bool LoadDamaged() const { return loadDamaged_; }
    // The start from a parameter file given on the command line.
    bool StartFromFile(const QString& path);

    QString Title() const;
    bool SaveEnabled() const { return saveEnabled_; }

    // Open: false when the file was refused or the user cancelled.
    bool Open(const QString& path);
    enum class SaveResult { Saved, NoFile, NeedsSaveAs, Failed, Declined };
    // Save to the current file; a current file of an older form (.vds, .dat)
    // is not overwritten in the new form: the caller runs Save As instead,
    // with SaveName already changed to a .vdk name. A failed write is shown
    // to the user with the system's text (message 5). A table read from a
    // file whose lines were not all read is saved only when the user says
    // Yes (Declined otherwise); Save As of a parameter file asks the same.
    SaveResult Save();
    // The name Save As writes to: the chosen name, with ".vdk" or ".csv"
    // appended when it ends in neither.
    static QString SaveAsName(const QString& chosen, bool csvFilter);
    enum class SaveAsResult { Saved, Kept, Failed };
    // Save As to a name from the dialog. When an extension was appended and
    // that file exists, asks before replacing it (Kept when the user says no).
    SaveAsResult SaveAs(const QString& chosen, bool csvFilter, const ParameterTable& view);
    // The Save As dialog's first filter entry: the CSV one when the last save
    // target was a CSV table.
    int SaveAsFilterEntry() const;

    // Edits that no Save, Save As or Export has taken.
    bool HasUnsavedEdits() const;
    // The values as they are now count as saved (after an export, say).
    void MarkSaved();
    // Before Exit, New and Open with unsaved edits: Yes saves (false when that
    // failed or needs Save As), No drops them, Cancel keeps everything.
    bool MaySetEditsAside(const std::function<bool()>& saveAs);
    // Before an import replaces the values: unsaved edits as MaySetEditsAside,
    // else values not yet written to the inverter are asked about.
    bool MayImportOver(const std::function<bool()>& saveAs);
    // The values now are the inverter's: what the last file meant is moot.
    void Imported() { fileFindings_ = {}; }
    // How comparisons and snapshots name the table: its file, `untitled`
    // without one, or `unsaved` when it holds what no file holds.
    QString TableName(const QString& untitled, const QString& unsaved) const;
    // Before an export: what the file the table was read from may not mean
    // (of its values outside their limits, those still so now).
    ExportFindings FindingsBeforeExport() const;
    // The export question of those findings, naming the parameters; true
    // when there are none or the user says Yes.
    bool MayExportFindings();

    QString MonDir;

    LanguageTexts texts;
    Messenger messenger;
    ParaDat table;
    UPara values;

private:
    void Loaded(bool fromFile, const ReadResult& read = {});
    // Yes when the table holds all of the file it was read from, or the user
    // agrees to save it anyway.
    bool MaySaveIncompleteRead();
    void ReportWriteFailure(const QString& path, const QString& error);

    AppPaths& paths_;
    IniFile& settings_;
    UserDialogs& dialogs_;
    ProgramFlags& flags_;
    const EnvironmentOptions& options_;
    bool loadDamaged_ = false; // "Save 'Change' Parameters only"
    bool saveEnabled_ = false;
    QString fileIdentity_;        // type-form and capacity of the opened file
    bool incompleteRead_ = false; // the file read last had lines the table does not hold
    ReadResult fileFindings_;     // what the file read last did not say clearly
    enum class TitleFile { None, Opened, SavedAs } titleFile_ = TitleFile::None;
    QStringList savedValues_;
};

} // namespace vdk
