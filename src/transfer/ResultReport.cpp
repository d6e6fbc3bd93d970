#include "transfer/ResultReport.h"

#include "settings/FileWriter.h"
#include "settings/TextCodec.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace vdk {

bool ResultReport::Save(const QString& path, const QStringList& lines, QString* error) {
    return WriteFileAtomically(path, EncodeLines(lines), error);
}

QString AutoSaveName(const QDateTime& now) {
    const QTime t = now.time();
    return QStringLiteral("%1d%2h%3m%4s.txt")
        .arg(now.date().day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

QString FreeAutoSavePath(const QString& folder, const QDateTime& now) {
    const QString name = AutoSaveName(now);
    QString path = QDir(folder).filePath(name);
    const QString stem = path.chopped(4);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1-%2.txt").arg(stem).arg(n);
    return path;
}

std::optional<QString> AutoSaveReport(const QStringList& lines, const QString& appDir,
                                      const QString& documentsDir, const QDateTime& now,
                                      QString* error) {
    const QString path = FreeAutoSavePath(AutoSaveFolder(appDir, documentsDir), now);
    if (!ResultReport::Save(path, lines, error))
        return std::nullopt;
    return path;
}

QString AutoSaveFolder(const QString& appDir, const QString& documentsDir) {
    // Writable as the file system says, for this user: try it.
    QTemporaryFile probe(QDir(appDir).filePath(QStringLiteral("probe-XXXXXX")));
    if (QFileInfo(appDir).isDir() && probe.open())
        return appDir;
    return documentsDir;
}

} // namespace vdk
