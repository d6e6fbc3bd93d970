#pragma once

#include <QByteArray>
#include <QString>

namespace vdk {

// The selection of a run: which inverter data and which language.
struct InverterIdentity {
    QString TypeForm;
    QString Capacity; // begins with "-"
    QString CpuVer;
    QString Language;
    QString LangCode; // first three characters of Language

    // "QM40-2004 (CPU Ver.2.10)": how titles, the status bar and printed
    // headings name the inverter.
    QString Named() const;
};

// Where AppDir may come from, in order of precedence.
struct AppDirSources {
    QString option;        // --appdir DIR
    QString currentDir;    // used when it holds dat/Inverter.ini (not with a file argument)
    QString executableDir; // used when it holds dat/
    QString installedDir;  // the installed data folder
    bool fileArgument = false;
};

QString ResolveAppDir(const AppDirSources& sources);

// The settings file lives in AppDir when that is writable, else in the user's
// configuration folder.
QString ResolveSettingsFile(const QString& appDir, const QString& userConfigDir);

// `path` itself when it exists; otherwise an existing path that differs only in
// letter case (data made on Windows), or `path` unchanged when there is none.
QString FindFileNoCase(const QString& path);

// Every path of the program, derived from AppDir and the selection and
// recomputed whenever the selection changes.
class AppPaths {
public:
    AppPaths(const QString& appDir, const QString& settingsFile);

    void SelectLanguage(const QString& language);
    void SelectInverter(const QString& typeForm, const QString& cpuVer, const QString& capacity);
    // A definition file picked by hand: its folder becomes TypeDir.
    void UseDefinitionFile(const QString& defFile, const QString& typeForm, const QString& cpuVer);
    void SetCapacity(const QString& capacity);
    // A language file picked by hand replaces LangDir and LangFile for the run.
    void UseLanguageFile(const QString& langFile);

    const InverterIdentity& Identity() const { return identity_; }
    QByteArray FallbackEncoding() const;

    QString AppDir;
    QString SettingsFile;
    QString LangDir;
    QString LangFile;
    QString InverterIni;
    QString HelpFile;
    QString TypeDir;
    QString InfoIni;
    QString DefFile;
    QString CapFile;
    QString ParaHelpFile;

private:
    void UpdateTypeFiles();

    InverterIdentity identity_;
};

} // namespace vdk
