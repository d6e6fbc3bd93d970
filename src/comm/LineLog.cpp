#include "comm/LineLog.h"

#include <algorithm>

namespace vdk {

namespace {

// Tenths of a millisecond as seconds or milliseconds with their decimals.
QString Ticks(qint64 ticks, int perUnit, int decimals) {
    return QStringLiteral("%1.%2")
        .arg(ticks / perUnit)
        .arg(ticks % perUnit, decimals, 10, QLatin1Char('0'));
}

QString Hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString Address(const LineRecord& r) {
    switch (r.addressing.mode) {
    case Addressing::Number:
        return QString::number(r.addressing.number);
    case Addressing::Broadcast:
        return QStringLiteral("broadcast");
    case Addressing::None:
        break;
    }
    // MODBUS always names a slave: the default address when no number is set.
    return r.protocol == Protocol::Modbus ? QStringLiteral("251") : QString();
}

QString CsvCell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace

int LineRecord::Width() const {
    if (panel)
        return kPanelBytes;
    return wide && protocol == Protocol::Inverter ? 4 : 2;
}

LineRecord LineRecordOf(Protocol protocol, const Request& request) {
    LineRecord r;
    r.protocol = protocol;
    r.addressing = request.addressing;
    r.command = request.command;
    r.wide = request.wide;
    r.panel = request.panel;
    r.comNo = ComNoBytes(request.comNo);
    if (request.command != 'R')
        r.valueText = request.valueText;
    return r;
}

LineLog::LineLog(int capacity) : capacity_(size_t(std::max(1, capacity))) {}

void LineLog::Record(LineRecord record) {
    if (!recording_)
        return;
    record.sequence = next_++;
    ++exchanges_;
    failures_ += record.Failed();
    if (record.verdict != LineVerdict::Refused) {
        ++sent_;
        roundTripSum_ += record.roundTrip;
        worstRoundTrip_ = std::max<qint64>(worstRoundTrip_, record.roundTrip);
    }
    const LineRecord* kept;
    if (ring_.size() < capacity_) {
        ring_.push_back(std::move(record));
        kept = &ring_.back();
    } else {
        ring_[head_] = std::move(record);
        kept = &ring_[head_];
        head_ = (head_ + 1) % capacity_;
    }
    if (listener_)
        listener_(*kept);
}

void LineLog::Clear() {
    ring_.clear();
    head_ = 0;
    exchanges_ = failures_ = sent_ = 0;
    roundTripSum_ = worstRoundTrip_ = 0;
}

QList<LineRecord> LineLog::Since(quint64 sequence) const {
    const quint64 oldest = next_ - ring_.size();
    const size_t first = sequence >= oldest ? size_t(sequence - oldest + 1) : 0;
    QList<LineRecord> records;
    if (first >= ring_.size())
        return records;
    records.reserve(qsizetype(ring_.size() - first));
    for (size_t i = first; i < ring_.size(); ++i)
        records.append(ring_[(head_ + i) % ring_.size()]);
    return records;
}

LineLog::Counts LineLog::Count() const {
    return {exchanges_, failures_, sent_ ? roundTripSum_ / qint64(sent_) : 0, worstRoundTrip_};
}

QString LineLog::VerdictText(LineVerdict verdict, quint8 exceptionCode) {
    switch (verdict) {
    case LineVerdict::Answered:
        return QStringLiteral("answered");
    case LineVerdict::NoReply:
        return QStringLiteral("no reply");
    case LineVerdict::ShortReply:
        return QStringLiteral("short reply");
    case LineVerdict::ChecksumFailure:
        return QStringLiteral("checksum failure");
    case LineVerdict::CrcFailure:
        return QStringLiteral("CRC failure");
    case LineVerdict::Exception:
        return QStringLiteral("exception %1").arg(exceptionCode, 2, 16, QLatin1Char('0'));
    case LineVerdict::Ambiguous:
        return QStringLiteral("ambiguous reply");
    case LineVerdict::Refused:
        return QStringLiteral("refused, does not fit");
    case LineVerdict::NotItsAnswer:
        return QStringLiteral("not its answer");
    }
    return QString();
}

QString LineLog::Field(const LineRecord& r, Column column) {
    const bool modbus = r.protocol == Protocol::Modbus;
    switch (column) {
    case Time:
        return Ticks(r.time, 10000, 4);
    case ProtocolColumn:
        return modbus ? QStringLiteral("modbus") : QStringLiteral("inverter");
    case Address:
        return vdk::Address(r);
    case Command:
        if (modbus)
            return r.command == 'R' ? QStringLiteral("03") : QStringLiteral("06");
        return QString(QLatin1Char(r.command));
    case ComNo:
        return QStringLiteral("%1").arg(r.comNo, 4, 16, QLatin1Char('0')).toUpper();
    case Value:
        if (r.command != 'R')
            return r.valueText;
        return r.verdict == LineVerdict::Answered && !r.panel ? QString::number(r.value)
                                                              : QString();
    case Width:
        return QString::number(r.Width());
    case Verdict:
        return VerdictText(r.verdict, r.exceptionCode);
    case RoundTrip:
        return r.verdict == LineVerdict::Refused ? QString() : Ticks(r.roundTrip, 10, 1);
    case RequestBytes:
        return Hex(r.request);
    case ReplyBytes:
        return Hex(r.reply);
    case ColumnCount:
        break;
    }
    return QString();
}

QString LineLog::ColumnName(Column column) {
    static const char* const names[ColumnCount] = {
        "time s", "protocol", "address",       "command", "com. no.", "value",
        "width",  "verdict",  "round trip ms", "request", "reply"};
    return QString::fromLatin1(names[column]);
}

QString LineLog::Text(const LineRecord& record) {
    QStringList fields;
    for (int c = 0; c < ColumnCount; ++c)
        fields.append(Field(record, Column(c)));
    // Units and directions marked, so a line reads without its header.
    if (!fields[RoundTrip].isEmpty())
        fields[RoundTrip] += QStringLiteral(" ms");
    for (QString& field : fields)
        if (field.isEmpty())
            field = QStringLiteral("-");
    fields[RequestBytes].prepend(QStringLiteral("> "));
    fields[ReplyBytes].prepend(QStringLiteral("< "));
    return fields.join(QStringLiteral("  "));
}

QByteArray LineLog::Csv(const QList<LineRecord>& records) {
    const auto row = [](const auto& cell) {
        QStringList cells;
        for (int c = 0; c < ColumnCount; ++c)
            cells.append(CsvCell(cell(Column(c))));
        return cells.join(QLatin1Char(',')).toUtf8() + "\r\n";
    };
    QByteArray csv = row([](Column c) { return ColumnName(c); });
    for (const LineRecord& r : records)
        csv += row([&r](Column c) { return Field(r, c); });
    return csv;
}

} // namespace vdk
