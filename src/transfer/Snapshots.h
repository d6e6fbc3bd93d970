#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace vdk {

class ExportReview;
class Messenger;
class ParaDat;
class UPara;
struct CommSettings;
struct InverterIdentity;

// The folder of the snapshots: beside the settings in AppDir when it can be
// written to, else in the user's data folder.
QString SnapshotFolder(const QString& appDir, const QString& userDataDir);
// The same for this user: the program and the command line share the folder.
QString SnapshotFolder(const QString& appDir);

// How a snapshot names the inverter it was read from: "all" on a broadcast
// line, "N" and the inverter number when numbers are sent, else "one".
QString InverterTag(const CommSettings& settings);

// One snapshot as listed: what its name and its file say.
struct SnapshotInfo {
    QString path;
    QDateTime time;
    int sequence = 1; // the order of the snapshots taken within one millisecond
    QString typeForm, capacity, cpuVer;
    QString inverter; // InverterTag
    int count = 0;    // parameters it holds
    QString comment;  // without the mark that makes it a snapshot
    // The whole file name is one the store gives: not renamed, not a copy.
    // Only such files are ever deleted.
    bool storeNamed = false;
};

// Whether a parameter set is a snapshot: the comment of a snapshot file says
// so, and so does the table that opened one. An export of a snapshot writes
// every value it holds, shipment values too.
bool IsSnapshot(const UPara& values);

// A snapshot as a value set to export, shaped as `values`: the rows it holds
// carry its values, every other row is marked unread and is never written.
// Nothing, with the reason, when the file cannot be read or belongs to
// another type-form.
std::optional<UPara> LoadSnapshot(const QString& path, const ParaDat& table, const UPara& values,
                                  const InverterIdentity& identity, Messenger& messenger,
                                  QString* error);

// How lists and comments show a snapshot's time.
QString SnapshotTimeText(const QDateTime& time);

// The inverter's values kept before an export, as ordinary parameter files
// named by type-form, capacity, CPU version, inverter and time.
class SnapshotStore {
public:
    explicit SnapshotStore(QString folder) : folder_(std::move(folder)) {}
    const QString& Folder() const { return folder_; }

    // Writes `snapshot` with `comment` and keeps the newest `keep` of the
    // inverter: `identity` and `inverter` (an InverterTag). The path written,
    // or nothing with the reason in `error`.
    std::optional<QString> Save(const ParaDat& table, const UPara& snapshot,
                                const InverterIdentity& identity, const QString& inverter,
                                const QString& comment, const QDateTime& now, int keep,
                                QString* error) const;
    // The snapshots of `identity` (type-form, capacity and CPU version), or
    // of every inverter without it; newest first, and of one millisecond the
    // later first. Files that are no snapshots are passed over.
    QList<SnapshotInfo> List(const InverterIdentity* identity) const;

private:
    void Prune(const InverterIdentity& identity, const QString& inverter, int keep) const;

    QString folder_;
};

// An export's snapshot step (ExportGuard::snapshot): saves what the review
// read of `values` into `store` under `comment`. A failure's reason names the
// folder; `saved`, when given, hears the path written.
std::function<bool(const ExportReview&, QString*)>
SnapshotStep(SnapshotStore store, const ParaDat& table, const UPara& values,
             InverterIdentity identity, QString inverter, QString comment, int keep,
             std::function<void(const QString&)> saved = {});

} // namespace vdk
