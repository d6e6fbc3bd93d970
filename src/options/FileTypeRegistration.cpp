#include "options/FileTypeRegistration.h"

#include "settings/FileWriter.h"
#include "settings/IniFile.h"
#include "settings/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace vdk {

namespace {
const QString kDesktopName = QStringLiteral("vdk330q.desktop");
const QString kDefaults = QStringLiteral("Default Applications");
const QString kGlob = QStringLiteral("pattern=\"*.vdk\"");
} // namespace

FileTypeRegistration::FileTypeRegistration(QString dataHome, QString configHome,
                                           QStringList systemData, QString program)
    : dataHome_(std::move(dataHome)), configHome_(std::move(configHome)),
      systemData_(std::move(systemData)), program_(std::move(program)) {}

QString FileTypeRegistration::MimeFile() const {
    return dataHome_ + QStringLiteral("/mime/packages/vdk330q.xml");
}

QString FileTypeRegistration::DesktopFile() const {
    return dataHome_ + QStringLiteral("/applications/") + kDesktopName;
}

QString FileTypeRegistration::MimeAppsFile() const {
    return configHome_ + QStringLiteral("/mimeapps.list");
}

bool FileTypeRegistration::IsRegistered() const {
    return QFile::exists(MimeFile());
}

// Another program's mime package that claims *.vdk. Ours, installed with
// the program, names our type.
bool FileTypeRegistration::OwnedElsewhere() const {
    for (const QString& folder : QStringList{dataHome_} + systemData_) {
        const QDir packages(folder + QStringLiteral("/mime/packages"));
        for (const QString& name : packages.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
            const QString path = packages.filePath(name);
            if (path == MimeFile())
                continue;
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString package = QString::fromUtf8(file.readAll());
            if (package.contains(kGlob) && !package.contains(QLatin1String(kMimeType)))
                return true;
        }
    }
    return false;
}

FileTypeRegistration::Result FileTypeRegistration::Register(bool force) {
    if (!force && (IsRegistered() || OwnedElsewhere()))
        return IsRegistered() ? Result::NothingToDo : Result::OwnedElsewhere;
    const QString mime = QString::fromLatin1(kMimeType);
    const QStringList package{
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral(
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">"),
        QStringLiteral("  <mime-type type=\"%1\">").arg(mime),
        QStringLiteral("    <comment>DRAVENT Parameter data</comment>"),
        QStringLiteral("    <glob %1/>").arg(kGlob),
        QStringLiteral("  </mime-type>"),
        QStringLiteral("</mime-info>")};
    const QStringList desktop{QStringLiteral("[Desktop Entry]"),
                              QStringLiteral("Type=Application"),
                              QStringLiteral("Name=VDK330Q"),
                              QStringLiteral("GenericName=Inverter Maintenance Tool"),
                              QStringLiteral("Exec=\"%1\" %f").arg(program_),
                              QStringLiteral("Icon=vdk330q"),
                              QStringLiteral("Terminal=false"),
                              QStringLiteral("NoDisplay=true"),
                              QStringLiteral("MimeType=%1;").arg(mime)};
    IniFile apps(MimeAppsFile());
    if (!WriteFileAtomically(MimeFile(), EncodeLines(package)) ||
        !WriteFileAtomically(DesktopFile(), EncodeLines(desktop)) ||
        !apps.WriteString(kDefaults, mime, kDesktopName))
        return Result::Failed;
    UpdateCaches();
    return Result::Written;
}

FileTypeRegistration::Result FileTypeRegistration::Unregister() {
    if (!IsRegistered())
        return Result::NothingToDo;
    bool ok = QFile::remove(MimeFile());
    if (QFile::exists(DesktopFile()))
        ok = QFile::remove(DesktopFile()) && ok;
    // The default-application line goes only when it still names us.
    IniFile apps(MimeAppsFile());
    const QString mime = QString::fromLatin1(kMimeType);
    if (apps.ReadString(kDefaults, mime, QString()) == kDesktopName)
        ok = apps.DeleteKey(kDefaults, mime) && ok;
    UpdateCaches();
    return ok ? Result::Written : Result::Failed;
}

void FileTypeRegistration::UpdateCaches() const {
    if (!updateCaches)
        return;
    for (const auto& [tool, folder] :
         {std::pair{QStringLiteral("update-mime-database"), dataHome_ + QStringLiteral("/mime")},
          std::pair{QStringLiteral("update-desktop-database"),
                    dataHome_ + QStringLiteral("/applications")}})
        if (!QStandardPaths::findExecutable(tool).isEmpty())
            QProcess::execute(tool, {folder});
}

} // namespace vdk
