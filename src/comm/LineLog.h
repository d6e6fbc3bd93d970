#pragma once

#include "comm/FrameCodec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <vector>

namespace vdk {

// What became of one exchange on the line.
enum class LineVerdict : quint8 {
    Answered,
    NoReply,         // nothing that could begin the reply by the time-out
    ShortReply,      // the reply began, but its last bytes never came
    ChecksumFailure, // inverter protocol: the byte sum does not hold
    CrcFailure,      // MODBUS: the CRC-16 does not hold
    Exception,       // MODBUS: the slave refused, with an exception code
    Ambiguous,       // MODBUS read: a second frame followed; which one answered is unknown
    Refused,         // the value does not fit the parameter: never sent
    NotItsAnswer,    // bytes came, but none could begin this request's reply
};

// One exchange as the line saw it. Filled without formatting anything: the
// texts are made only when somebody reads them.
struct LineRecord {
    quint64 sequence = 0; // from 1, never reused, also across Clear
    qint64 time = 0;      // 0.1 ms ticks of the link's clock, which starts with the program
    qint32 roundTrip =
        0; // 0.1 ms from the request's first byte to the reply's last, or the time-out
    Protocol protocol = Protocol::Inverter;
    Addressing addressing;
    char command = 'R'; // as the request was made; MODBUS sends it as function 03 or 06
    bool wide = false;  // a 4-byte parameter
    bool panel = false; // the key pad's read of the whole panel block
    quint16 comNo = 0;
    QString valueText; // a write's value as asked for
    quint32 value = 0; // an answered read's reply word
    LineVerdict verdict = LineVerdict::NoReply;
    quint8 exceptionCode = 0;
    QByteArray request; // empty when refused
    QByteArray reply;   // every byte received during the exchange, as received

    bool Failed() const { return verdict != LineVerdict::Answered; }
    // Bytes of the value on the wire: the panel block, 4 for a wide parameter
    // in the inverter protocol, else 2 (MODBUS carries one register).
    int Width() const;
};

// A record of `request` in `protocol` with its decoded fields filled.
LineRecord LineRecordOf(Protocol protocol, const Request& request);

// The recording of the line: the newest exchanges in a bounded ring, running
// counts, and a listener for a live trace. Recording is a copy into a slot
// that already exists; nobody reading costs nothing more.
class LineLog {
public:
    static constexpr int kCapacity = 10000;

    enum Column {
        Time,
        ProtocolColumn,
        Address,
        Command,
        ComNo,
        Value,
        Width,
        Verdict,
        RoundTrip,
        RequestBytes,
        ReplyBytes,
        ColumnCount
    };

    struct Counts {
        quint64 exchanges = 0;
        quint64 failures = 0;
        qint64 meanRoundTrip = 0;  // 0.1 ms, over the exchanges that were sent
        qint64 worstRoundTrip = 0; // 0.1 ms
    };

    explicit LineLog(int capacity = kCapacity);

    // Numbers the record, keeps it (dropping the oldest when full), counts it
    // and passes it to the listener.
    void Record(LineRecord record);
    // Off, Record keeps, counts and passes on nothing (to measure what
    // recording costs); on by default.
    void SetRecording(bool on) { recording_ = on; }
    // Empties the ring and the counts; sequence numbers go on.
    void Clear();
    // Called with each record as it is made (the command line's --trace).
    void OnRecorded(std::function<void(const LineRecord&)> f) { listener_ = std::move(f); }

    // The sequence number of the newest record made, 0 before the first.
    quint64 LastSequence() const { return next_ - 1; }
    int Size() const { return int(ring_.size()); }
    // The records kept whose sequence number is above `sequence`, oldest
    // first: a reader passes the last number it has seen. Records that have
    // left the ring meanwhile are gone; the numbers show the gap.
    QList<LineRecord> Since(quint64 sequence) const;
    Counts Count() const;

    // One record as one line of text: time, protocol, address, command or
    // function, communication number, value, width, verdict, round trip,
    // request and reply in hexadecimal.
    static QString Text(const LineRecord& record);
    static QString Field(const LineRecord& record, Column column);
    static QString ColumnName(Column column);
    static QString VerdictText(LineVerdict verdict, quint8 exceptionCode = 0);
    // The records as CSV: a header line, then one row each; CR LF line ends.
    static QByteArray Csv(const QList<LineRecord>& records);

private:
    std::vector<LineRecord> ring_;
    size_t capacity_;
    size_t head_ = 0; // slot of the oldest record once the ring is full
    quint64 next_ = 1;
    quint64 exchanges_ = 0;
    quint64 failures_ = 0;
    quint64 sent_ = 0;
    qint64 roundTripSum_ = 0;
    qint64 worstRoundTrip_ = 0;
    std::function<void(const LineRecord&)> listener_;
    bool recording_ = true;
};

} // namespace vdk
