#include "app/RecentFiles.h"

#include "settings/IniFile.h"

#include <QFileInfo>

namespace vdk {

namespace {
const QString kSection = QStringLiteral("RecentFiles");
}

RecentFiles::RecentFiles(IniFile& settings) : settings_(settings) {}

QStringList RecentFiles::Files() const {
    QStringList files;
    for (const QString& path : settings_.ReadSectionValues(kSection))
        if (!path.isEmpty() && !files.contains(path) && files.size() < kMax)
            files.append(path);
    return files;
}

void RecentFiles::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = Files();
    files.removeAll(absolute);
    files.prepend(absolute);
    Store(files.mid(0, kMax));
}

void RecentFiles::Remove(const QString& path) {
    QStringList files = Files();
    if (files.removeAll(path) > 0)
        Store(files);
}

void RecentFiles::Store(const QStringList& files) {
    settings_.EraseSection(kSection);
    for (qsizetype i = 0; i < files.size(); ++i)
        settings_.WriteString(kSection, QStringLiteral("File%1").arg(i + 1), files[i]);
}

} // namespace vdk
