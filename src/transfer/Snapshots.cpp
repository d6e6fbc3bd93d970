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
// Begins the comment of every snapshot file, in every language: readers of
// parameter files take it as part of the comment.
const QString kMark = QStringLiteral("[Snapshot]");

// Only letters, digits, dots and hyphens go into a name: the parts come from
// data files and must not reach outside the folder.
QString NamePart(const QString& text) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9.-]"));
    QString part = text;
    part.replace(unsafe, QStringLiteral("_"));
    return part.isEmpty() ? QStringLiteral("_") : part;
}

// The name the store gives a snapshot: type-form and capacity, CPU version,
// inverter, time, and from the second of one millisecond on its number.
QString SnapshotName(const QString& typeForm, const QString& capacity, const QString& cpuVer,
                     const QString& inverter, const QDateTime& time, int sequence) {
    QString name = NamePart(typeForm + capacity) + QLatin1Char('_') + NamePart(cpuVer) +
                   QLatin1Char('_') + NamePart(inverter) + QLatin1Char('_') +
                   time.toString(kTimeFormat);
    if (sequence > 1)
        name += QLatin1Char('-') + QString::number(sequence);
    return name + QStringLiteral(".vdk");
}

// A name ends in the inverter, the time and the number (older versions
// wrote it in three digits without the hyphen). What comes before is not
// read: a renamed copy is still listed, but it is not store-named.
std::optional<SnapshotInfo> InfoOf(const QFileInfo& info) {
    static const QRegularExpression tail(
        QStringLiteral("_(one|all|N[0-9]+)_([0-9]{8}-[0-9]{6}-[0-9]{3})"
                       "(?:-([1-9][0-9]{0,8})|([0-9]{3}))?\\.vdk$"));
    const QString name = info.fileName();
    const QRegularExpressionMatch match = tail.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    SnapshotInfo s;
    s.path = info.absoluteFilePath();
    s.time = QDateTime::fromString(match.captured(2), kTimeFormat);
    s.inverter = match.captured(1);
    const QString number = match.captured(3) + match.captured(4); // one of them at most
    s.sequence = number.isEmpty() ? 1 : number.toInt();
    ParameterFile file;
    if (!s.time.isValid() || LoadParameterFile(s.path, QByteArray(), file) != FileProblem::None)
        return std::nullopt;
    s.typeForm = file.TypeForm;
    s.capacity = file.Capacity;
    s.cpuVer = file.CpuVer;
    s.comment = file.Comment;
    if (s.comment.startsWith(kMark))
        s.comment = s.comment.mid(kMark.size()).trimmed();
    s.count = int(std::count_if(file.lines.cbegin(), file.lines.cend(),
                                [](const ParameterLine& l) { return !l.unread; }));
    s.storeNamed =
        name == SnapshotName(s.typeForm, s.capacity, s.cpuVer, s.inverter, s.time, s.sequence);
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

bool IsSnapshot(const UPara& values) {
    return values.Comment.startsWith(kMark);
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
    QString path;
    for (int sequence = 1; path.isEmpty() || QFileInfo::exists(path); ++sequence)
        path = QDir(folder_).filePath(SnapshotName(identity.TypeForm, identity.Capacity,
                                                   identity.CpuVer, inverter, now, sequence));
    UPara values = snapshot;
    values.Comment = comment.isEmpty() ? kMark : kMark + QLatin1Char(' ') + comment;
    values.CommentRead = {};
    if (!WriteParameterFile(path, table, values, identity, false, error))
        return std::nullopt;
    Prune(identity, NamePart(inverter), keep);
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
        if (a.time != b.time)
            return a.time > b.time;
        return a.sequence != b.sequence ? a.sequence > b.sequence : a.path > b.path;
    });
    return list;
}

void SnapshotStore::Prune(const InverterIdentity& identity, const QString& inverter,
                          int keep) const {
    int kept = 0;
    for (const SnapshotInfo& s : List(&identity))
        if (s.storeNamed && s.inverter == inverter && ++kept > keep)
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
