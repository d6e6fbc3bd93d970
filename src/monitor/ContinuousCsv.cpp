#include "monitor/ContinuousCsv.h"

#include <QFile>

namespace vdk {

namespace {
const QByteArray kEol = QByteArrayLiteral("\r\n");
} // namespace

// A write that fails part way is taken back, so a row is on disk whole or
// not at all, and its retry does not leave half a line before it.
bool ContinuousCsv::Write(const QByteArray& bytes, bool append) {
    QFile file(path_);
    // Unbuffered: nothing of a failed write is left to go out at closing.
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered |
                                     (append ? QIODevice::Append : QIODevice::Truncate);
    if (!file.open(mode)) {
        error_ = file.errorString();
        return false;
    }
    const qint64 before = file.size();
    qint64 done = 0;
    while (done < bytes.size()) { // a short write is followed by the one that says why
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done == bytes.size()) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    error_ = file.errorString();
    file.resize(before);
    return false;
}

bool ContinuousCsv::Start(const QStringList& header) {
    waiting_.clear();
    return Write((header.join(QLatin1String(kEol)) + QLatin1String(kEol)).toUtf8(), false);
}

bool ContinuousCsv::Append(const QString& row) {
    waiting_.append(row);
    if (!Write((waiting_.join(QLatin1String(kEol)) + QLatin1String(kEol)).toUtf8(), true))
        return false;
    waiting_.clear();
    return true;
}

QStringList ContinuousHeader(const QString& inverter, const QString& recordMinutes,
                             const QString& sampleSeconds, const QString& timeLabel,
                             const QStringList& itemNames, QChar separator) {
    QStringList names{timeLabel};
    QStringList channels{QStringLiteral(" ")};
    for (int slot = 0; slot < kMonitorSlots; ++slot) {
        const QString name = itemNames.value(slot);
        names.append(name.isEmpty() ? QStringLiteral("-") : name);
        channels.append(QStringLiteral("(CH%1)").arg(slot + 1));
    }
    return {inverter, recordMinutes + QStringLiteral("(min)"),
            sampleSeconds + QStringLiteral("(s/point)"), names.join(separator),
            channels.join(separator)};
}

QString ContinuousRow(qint64 elapsedMs, const QStringList& cells, QChar separator) {
    QStringList row{QString::number(elapsedMs)};
    for (int slot = 0; slot < kMonitorSlots; ++slot)
        row.append(cells.value(slot, ContinuousCell(0, separator)));
    return row.join(separator);
}

QString ContinuousCell(double value, QChar separator) {
    if (separator == QLatin1Char(','))
        return QString::number(value, 'f', 6);
    return QString::number(value, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace vdk
