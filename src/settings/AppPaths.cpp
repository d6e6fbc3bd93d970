#include "settings/AppPaths.h"

#include "settings/TextCodec.h"

#include <QDir>
#include <QFileInfo>

namespace vdk {

QString InverterIdentity::Named() const {
    return TypeForm + Capacity + QStringLiteral(" (CPU Ver.") + CpuVer + QLatin1Char(')');
}

namespace {
const QString kProduct = QStringLiteral("VDK330Q");

QString Join(const QString& dir, const QString& name) {
    return QDir::cleanPath(dir + QLatin1Char('/') + name);
}
} // namespace

QString ResolveAppDir(const AppDirSources& s) {
    if (!s.option.isEmpty())
        return QDir::cleanPath(QFileInfo(s.option).absoluteFilePath());
    if (!s.fileArgument && !s.currentDir.isEmpty() &&
        QFileInfo::exists(FindFileNoCase(Join(s.currentDir, QStringLiteral("dat/Inverter.ini")))))
        return QDir::cleanPath(s.currentDir);
    if (!s.executableDir.isEmpty() &&
        QFileInfo(FindFileNoCase(Join(s.executableDir, QStringLiteral("dat")))).isDir())
        return QDir::cleanPath(s.executableDir);
    return QDir::cleanPath(s.installedDir);
}

QString ResolveSettingsFile(const QString& appDir, const QString& userConfigDir) {
    const QString name = kProduct + QStringLiteral(".ini");
    const QFileInfo dir(appDir);
    if (dir.isDir() && dir.isWritable())
        return Join(appDir, name);
    return Join(userConfigDir, name);
}

QString FindFileNoCase(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() || path.isEmpty())
        return path;
    const QString parent = info.path();
    if (parent == path)
        return path;
    const QString dir = FindFileNoCase(parent);
    const QDir d(dir);
    if (!d.exists())
        return path;
    const QString name = info.fileName();
    const QStringList entries = d.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return Join(dir, entry);
    return path;
}

AppPaths::AppPaths(const QString& appDir, const QString& settingsFile)
    : AppDir(appDir), SettingsFile(settingsFile) {
    LangDir = FindFileNoCase(Join(AppDir, QStringLiteral("lng")));
    InverterIni = FindFileNoCase(Join(AppDir, QStringLiteral("dat/Inverter.ini")));
}

void AppPaths::SelectLanguage(const QString& language) {
    identity_.Language = language;
    identity_.LangCode = language.left(3);
    LangFile = FindFileNoCase(Join(LangDir, language + QStringLiteral(".ini")));
    HelpFile = FindFileNoCase(
        Join(AppDir, QStringLiteral("help/%1(%2).html").arg(kProduct, identity_.LangCode)));
    UpdateTypeFiles();
}

void AppPaths::SelectInverter(const QString& typeForm, const QString& cpuVer,
                              const QString& capacity) {
    identity_.TypeForm = typeForm;
    identity_.CpuVer = cpuVer;
    identity_.Capacity = capacity;
    TypeDir = FindFileNoCase(Join(AppDir, QStringLiteral("dat/%1(%2)").arg(typeForm, cpuVer)));
    UpdateTypeFiles();
    CapFile = FindFileNoCase(Join(TypeDir, typeForm + capacity + QStringLiteral(".cap")));
}

void AppPaths::UseDefinitionFile(const QString& defFile, const QString& typeForm,
                                 const QString& cpuVer) {
    const QFileInfo info(defFile);
    TypeDir = QDir::cleanPath(info.absolutePath());
    identity_.TypeForm = typeForm;
    identity_.CpuVer = cpuVer;
    UpdateTypeFiles();
    DefFile = QDir::cleanPath(info.absoluteFilePath());
}

void AppPaths::SetCapacity(const QString& capacity) {
    identity_.Capacity = capacity;
}

void AppPaths::UseLanguageFile(const QString& langFile) {
    const QFileInfo info(langFile);
    LangDir = QDir::cleanPath(info.absolutePath());
    LangFile = QDir::cleanPath(info.absoluteFilePath());
}

QByteArray AppPaths::FallbackEncoding() const {
    return vdk::FallbackEncodingFor(identity_.LangCode);
}

void AppPaths::UpdateTypeFiles() {
    if (TypeDir.isEmpty())
        return;
    const QString& tf = identity_.TypeForm;
    const QString& lc = identity_.LangCode;
    InfoIni = FindFileNoCase(Join(TypeDir, QStringLiteral("Info.ini")));
    DefFile = FindFileNoCase(Join(TypeDir, QStringLiteral("%1(%2).inv").arg(tf, lc)));
    ParaHelpFile = FindFileNoCase(Join(TypeDir, QStringLiteral("%1(%2).html").arg(tf, lc)));
}

} // namespace vdk
