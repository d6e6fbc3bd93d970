#include "transfer/Snapshots.h"

#include "comm/CommSettings.h"
#include "data/ParaDat.h"
#include "data/ParameterFile.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "transfer/ExportReview.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace vdk {

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMdd-HHmmss-zzz");

// Only letters, digits, dots and hyphens go into a name: the parts come from
// data files and must not reach outside the folder.
QString NamePart(const QString& text) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9.-]"));
    QString part = text;
    part.replace(unsafe, QStringLiteral("_"));
    return part.isEmpty() ? QStringLiteral("_") : part;
}

// The time and the inverter are the name's last two parts.
std::optional<SnapshotInfo> InfoOf(const QFileInfo& info) {
    const QStringList parts = info.completeBaseName().split(QLatin1Char('_'));
    if (parts.size() < 4)
        return std::nullopt;
    SnapshotInfo s;
    s.path = info.absoluteFilePath();
    s.time = QDateTime::fromString(parts.last(), kTimeFormat);
    s.inverter = parts[parts.size() - 2];
    ParameterFile file;
    if (!s.time.isValid() || LoadParameterFile(s.path, QByteArray(), file) != FileProblem::None)
        return std::nullopt;
    s.typeForm = file.TypeForm;
    s.capacity = file.Capacity;
    s.cpuVer = file.CpuVer;
    s.comment = file.Comment;
    s.count = int(std::count_if(file.lines.cbegin(), file.lines.cend(),
                                [](const ParameterLine& l) { return !l.unread; }));
    return s;
}

} // namespace

std::optional<UPara> LoadSnapshot(const QString& path, const ParaDat& table, const UPara& values,
                                  const InverterIdentity& identity, Messenger& messenger,
                                  QString* error) {
    ParameterFile file;
    if (const FileProblem problem = LoadParameterFile(path, QByteArray(), file);
        problem != FileProblem::None) {
        *error = FileProblemReason(problem, file.damagedLine);
        return std::nullopt;
    }
    if (file.TypeForm != identity.TypeForm) {
        *error = QStringLiteral("a snapshot of %1").arg(file.Identity());
        return std::nullopt;
    }
    UPara snapshot = values;
    for (int row = 0; row < snapshot.Count(); ++row)
        snapshot.SetUnread(row, true);
    for (const ParameterLine& line : std::as_const(file.lines))
        if (const int row = table.FindRow(line.comNo); row >= 0 && row < snapshot.Count())
            ApplyParameterLine(table, snapshot, row, line, messenger);
    TakeComment(snapshot, file);
    return snapshot;
}

QString SnapshotFolder(const QString& appDir, const QString& userDataDir) {
    const QFileInfo dir(appDir);
    const QString base = dir.isDir() && dir.isWritable() ? appDir : userDataDir;
    return QDir(base).filePath(QStringLiteral("Snapshots"));
}

QString SnapshotFolder(const QString& appDir) {
    return SnapshotFolder(
        appDir, QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                    .filePath(QStringLiteral("VDK330Q")));
}

QString SnapshotTimeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString InverterTag(const CommSettings& settings) {
    if (settings.douhou)
        return QStringLiteral("all");
    return settings.appendNo ? QStringLiteral("N%1").arg(settings.id) : QStringLiteral("one");
}

std::optional<QString> SnapshotStore::Save(const ParaDat& table, const UPara& snapshot,
                                           const InverterIdentity& identity,
                                           const QString& inverter, const QString& comment,
                                           const QDateTime& now, int keep, QString* error) const {
    if (!QDir().mkpath(folder_)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder_);
        return std::nullopt;
    }
    const QString stem =
        QDir(folder_).filePath(NamePart(identity.TypeForm + identity.Capacity) + QLatin1Char('_') +
                               NamePart(identity.CpuVer) + QLatin1Char('_') + NamePart(inverter) +
                               QLatin1Char('_') + now.toString(kTimeFormat));
    QString path = stem + QStringLiteral(".vdk");
    // Two snapshots within a millisecond keep both; the counter sorts after.
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1%2.vdk").arg(stem).arg(n, 3, 10, QLatin1Char('0'));
    UPara values = snapshot;
    values.Comment = comment;
    values.CommentRead = {};
    if (!WriteParameterFile(path, table, values, identity, false, error))
        return std::nullopt;
    Prune(identity.TypeForm, keep);
    return path;
}

QList<SnapshotInfo> SnapshotStore::List(const InverterIdentity* identity) const {
    QList<SnapshotInfo> list;
    const QFileInfoList files =
        QDir(folder_).entryInfoList({QStringLiteral("*.vdk")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files)
        if (const auto info = InfoOf(file))
            if (!identity ||
                (info->typeForm == identity->TypeForm && info->capacity == identity->Capacity &&
                 info->cpuVer == identity->CpuVer))
                list.append(*info);
    std::stable_sort(list.begin(), list.end(), [](const SnapshotInfo& a, const SnapshotInfo& b) {
        return a.time != b.time ? a.time > b.time : a.path > b.path;
    });
    return list;
}

void SnapshotStore::Prune(const QString& typeForm, int keep) const {
    int kept = 0;
    for (const SnapshotInfo& s : List(nullptr))
        if (s.typeForm == typeForm && ++kept > keep)
            QFile::remove(s.path);
}

std::function<bool(const ExportReview&, QString*)>
SnapshotStep(SnapshotStore store, const ParaDat& table, const UPara& values,
             InverterIdentity identity, QString inverter, QString comment, int keep,
             std::function<void(const QString&)> saved) {
    return [=, &table, &values](const ExportReview& review, QString* error) {
        const auto path = store.Save(table, review.Snapshot(values), identity, inverter, comment,
                                     QDateTime::currentDateTime(), keep, error);
        if (!path) {
            *error = QDir::toNativeSeparators(store.Folder()) + QStringLiteral(": ") + *error;
            return false;
        }
        if (saved)
            saved(*path);
        return true;
    };
}

} // namespace vdk
