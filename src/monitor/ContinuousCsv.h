#pragma once

#include <QString>
#include <QStringList>

namespace vdk {

// The CSV file a continuous run writes while it samples: the header first,
// then one row per sample, each appended and closed at once, so a run that
// ends abnormally leaves every written row on disk. A row that cannot be
// written (the file locked by a spreadsheet, a full disk) is kept and tried
// again before the next one; nothing taken is lost.
class ContinuousCsv {
public:
    explicit ContinuousCsv(QString path) : path_(std::move(path)) {}

    // Writes the header lines into a new file (replacing one of that name).
    bool Start(const QStringList& header);
    // Appends `row` after any row still waiting; false while any row is not
    // on disk.
    bool Append(const QString& row);
    const QStringList& Waiting() const { return waiting_; }
    // The system's text of the last failure.
    const QString& Error() const { return error_; }
    const QString& Path() const { return path_; }

private:
    bool Write(const QByteArray& bytes, bool append);

    QString path_;
    QStringList waiting_;
    QString error_;
};

// The header of a continuous CSV: the inverter's type-form and capacity, the
// record time in minutes, the sampling time in seconds per point, the time
// label (message 56) with the ten item names ("-" for a free slot), and the
// channel names.
QStringList ContinuousHeader(const QString& inverter, const QString& recordMinutes,
                             const QString& sampleSeconds, const QString& timeLabel,
                             const QStringList& itemNames, QChar separator);
// One row: the elapsed milliseconds and ten cells.
QString ContinuousRow(qint64 elapsedMs, const QStringList& cells, QChar separator);
// A value cell: six decimals with ",", general format (15 digits, decimal
// comma) with ";".
QString ContinuousCell(double value, QChar separator);

constexpr int kMonitorSlots = 10;

} // namespace vdk
