// The line log against the simulated inverter on the virtual clock: each
// fault of the line ends in the verdict that names it, the decoded fields
// agree with the frames of both protocols, a write refused before sending is
// logged with nothing sent, detection probes are logged, and the ring keeps
// the newest records with sequence numbers a reader can follow across
// wrap-around and Clear.
#include "../sim/SimTables.h"
#include "DataFixture.h"
#include "VirtualClock.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/Detector.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"

#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)
Q_DECLARE_METATYPE(vdk::LineVerdict)

namespace {

// A link numbered 5 to the small table's inverter; `unknown` is a number
// the inverter does not have.
struct Line {
    explicit Line(Protocol protocol, const SimOptions& faults = {})
        : sim(Known(), Options(protocol, faults)), port(sim, clock),
          link(port, clock, f.messenger, flags) {
        link.settings.protocol = protocol;
        link.settings.appendNo = true;
        link.settings.id = 5;
        link.SetTable(&table);
        link.OpenPort();
    }
    static ParaDat Known() {
        ParaDat t = SmallTable();
        t.At(t.FindRow(u"0902"), ComNo) = QStringLiteral("0FFF");
        return t;
    }
    static SimOptions Options(Protocol protocol, SimOptions o) {
        o.protocol = protocol;
        o.id = 5;
        o.latencyMs = 2;
        return o;
    }
    TransactResult Read(const char* comNo) {
        return link.Transact(table.FindRow(QString::fromLatin1(comNo)), QString(), u"R");
    }
    LineRecord Last() { return link.Log().Since(link.Log().LastSequence() - 1).value(0); }

    DataFixture f;
    ParaDat table = SmallTable();
    InverterSim sim;
    VirtualClock clock;
    SimulatedPort port;
    ProgramFlags flags;
    CommLink link;
    static constexpr const char* unknown = "0902";
};

const char* Name(Protocol p) {
    return p == Protocol::Modbus ? "modbus" : "inverter";
}

LineRecord Made(quint64 roundTrip, LineVerdict verdict) {
    LineRecord r;
    r.roundTrip = qint32(roundTrip);
    r.verdict = verdict;
    return r;
}

} // namespace

class TestLineLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void verdictNamesTheFault_data();
    void verdictNamesTheFault();
    void decodedFieldsMatchTheFrames_data();
    void decodedFieldsMatchTheFrames();
    void refusedWriteIsLoggedUnsent();
    void detectionProbesAreLogged();
    void ringKeepsTheNewest();
    void countsAndClear();
    void textAndCsv();
};

void TestLineLog::verdictNamesTheFault_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<LineVerdict>("verdict");
    for (Protocol p : {Protocol::Inverter, Protocol::Modbus}) {
        const bool modbus = p == Protocol::Modbus;
        QTest::addRow("%s answered", Name(p)) << p << "none" << LineVerdict::Answered;
        QTest::addRow("%s dropped", Name(p)) << p << "drop" << LineVerdict::NoReply;
        QTest::addRow("%s late", Name(p)) << p << "late" << LineVerdict::NoReply;
        QTest::addRow("%s partial", Name(p)) << p << "partial" << LineVerdict::ShortReply;
        QTest::addRow("%s corrupted", Name(p))
            << p << "corrupt" << (modbus ? LineVerdict::CrcFailure : LineVerdict::ChecksumFailure);
        // A MODBUS slave refuses an unknown register (02); the inverter
        // protocol has no refusal and stays silent.
        QTest::addRow("%s unknown number", Name(p))
            << p << "unknown" << (modbus ? LineVerdict::Exception : LineVerdict::NoReply);
    }
}

// Reads alternate between a 2- and a 4-byte parameter, so that a late reply
// never passes for the answer to the next read. A corrupted header cannot
// begin the reply (not its answer), so the fault's own verdict must appear
// among several reads, and none may pass for an answer.
void TestLineLog::verdictNamesTheFault() {
    QFETCH(Protocol, protocol);
    QFETCH(QString, fault);
    QFETCH(LineVerdict, verdict);
    SimOptions o;
    o.seed = 3;
    o.lateDelayMs = 300;
    o.dropRate = fault == "drop";
    o.lateRate = fault == "late";
    o.partialRate = fault == "partial";
    o.corruptRate = fault == "corrupt";
    Line l(protocol, o);
    constexpr int kReads = 8;
    QList<LineVerdict> seen;
    for (int i = 0; i < kReads; ++i) {
        const qint64 start = l.clock.now;
        const TransactResult r = l.Read(fault == "unknown" ? Line::unknown
                                        : i % 2            ? "0901"
                                                           : "0000");
        const LineRecord rec = l.Last();
        seen.append(rec.verdict);
        QCOMPARE(r.ok(), rec.verdict == LineVerdict::Answered);
        QVERIFY(!rec.request.isEmpty());
        QVERIFY(rec.roundTrip > 0);
        // What came is kept, also when it was not a whole answer; nothing
        // came only when the verdict says so.
        QCOMPARE(rec.reply.isEmpty(), rec.verdict == LineVerdict::NoReply);
        if (fault == "corrupt")
            QVERIFY(rec.verdict != LineVerdict::NoReply);
        if (fault == "drop")
            QVERIFY(rec.reply.isEmpty());
        if (rec.verdict == LineVerdict::Exception) {
            QCOMPARE(rec.exceptionCode, quint8(0x02));
            QCOMPARE(r.failure, TransactResult::BadReply);
            // A refusal is an answer: no waiting for the time-out.
            QVERIFY(l.clock.now - start < l.link.settings.delay);
        }
    }
    QVERIFY2(seen.contains(verdict), qPrintable(LineLog::VerdictText(seen.first())));
    const int answered = int(seen.count(LineVerdict::Answered));
    QCOMPARE(answered, verdict == LineVerdict::Answered ? kReads : 0);
    QCOMPARE(l.link.Log().Count().exchanges, quint64(kReads));
    QCOMPARE(l.link.Log().Count().failures, quint64(kReads - answered));
}

void TestLineLog::decodedFieldsMatchTheFrames_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<QString>("comNo");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("value");    // written, or read back
    QTest::addColumn<QString>("fields");   // address, command, com. no., value, width
    QTest::addColumn<QByteArray>("frame"); // the request without its check
    QTest::newRow("inverter read 2 bytes") << Protocol::Inverter << "0000"
                                           << "R"
                                           << "10"
                                           << "5 R 0000 10 2" << QByteArray("2F05520000");
    QTest::newRow("inverter read 4 bytes") << Protocol::Inverter << "0901"
                                           << "R"
                                           << "70000"
                                           << "5 R 0901 70000 4" << QByteArray("2F054C520901");
    QTest::newRow("inverter write 2 bytes") << Protocol::Inverter << "0000"
                                            << "W"
                                            << "400"
                                            << "5 W 0000 400 2"
                                            << QByteArray("2F05570000"
                                                          "0190");
    QTest::newRow("inverter write 4 bytes") << Protocol::Inverter << "0900"
                                            << "P"
                                            << "-70000"
                                            << "5 P 0900 -70000 4"
                                            << QByteArray("2F054C500900"
                                                          "FFFEEE90");
    QTest::newRow("modbus read") << Protocol::Modbus << "0000"
                                 << "R"
                                 << "10"
                                 << "5 03 0000 10 2" << QByteArray("050300000001");
    QTest::newRow("modbus read of a 4-byte parameter")
        << Protocol::Modbus << "0900"
        << "R"
        << "65531"
        << "5 03 0900 65531 2" << QByteArray("050309000001");
    QTest::newRow("modbus write") << Protocol::Modbus << "0000"
                                  << "W"
                                  << "300"
                                  << "5 06 0000 300 2" << QByteArray("05060000012C");
}

void TestLineLog::decodedFieldsMatchTheFrames() {
    QFETCH(Protocol, protocol);
    QFETCH(QString, comNo);
    QFETCH(QString, command);
    QFETCH(QString, value);
    QFETCH(QString, fields);
    QFETCH(QByteArray, frame);
    Line l(protocol);
    const bool write = command != "R";
    const TransactResult r =
        l.link.Transact(l.table.FindRow(comNo), write ? value : QString(), command);
    QVERIFY(r.ok());
    const LineRecord rec = l.Last();
    QCOMPARE(rec.verdict, LineVerdict::Answered);
    QStringList decoded;
    for (LineLog::Column c :
         {LineLog::Address, LineLog::Command, LineLog::ComNo, LineLog::Value, LineLog::Width})
        decoded.append(LineLog::Field(rec, c));
    QCOMPARE(decoded.join(' '), fields);
    QCOMPARE(LineLog::Field(rec, LineLog::ProtocolColumn), QString(Name(protocol)));
    const bool modbus = protocol == Protocol::Modbus;
    QCOMPARE(rec.request.chopped(modbus ? 2 : 1).toHex().toUpper(), frame);
    QCOMPARE(rec.reply.size(), modbus ? (write ? 8 : 7) : (rec.wide ? 11 : 8));
}

void TestLineLog::refusedWriteIsLoggedUnsent() {
    for (Protocol p : {Protocol::Inverter, Protocol::Modbus}) {
        Line l(p);
        const TransactResult r = l.link.Transact(l.table.FindRow(u"0000"), "70000", u"P");
        QCOMPARE(r.failure, TransactResult::NotWhole);
        QCOMPARE(l.port.RequestsSeen(), 0);
        const LineRecord rec = l.Last();
        QCOMPARE(rec.verdict, LineVerdict::Refused);
        QVERIFY(rec.request.isEmpty());
        QVERIFY(rec.reply.isEmpty());
        QCOMPARE(LineLog::Field(rec, LineLog::Value), QStringLiteral("70000"));
        QCOMPARE(LineLog::Field(rec, LineLog::ComNo), QStringLiteral("0000"));
        QCOMPARE(l.link.Log().Count().failures, quint64(1));
    }
}

// Found at the tenth combination after the remembered settings: eleven
// probes, the last one answered in MODBUS.
void TestLineLog::detectionProbesAreLogged() {
    SimOptions o;
    o.baudIndex = 4;
    o.parityIndex = 2;
    o.protocol = Protocol::Modbus;
    InverterSim sim(SmallTable(), o);
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    LineLog log;
    Detector detector(port, clock, &log);
    QVERIFY(detector.Detect({"p"}, LineFound{"p", 3, 1, Protocol::Inverter}));
    const QList<LineRecord> records = log.Since(0);
    QCOMPARE(records.size(), 11);
    for (const LineRecord& r : records.first(10))
        QCOMPARE(r.verdict, LineVerdict::NoReply);
    QCOMPARE(records.last().verdict, LineVerdict::Answered);
    QCOMPARE(records.last().protocol, Protocol::Modbus);
    QCOMPARE(records.last().comNo, quint16(0x0000));
}

void TestLineLog::ringKeepsTheNewest() {
    LineLog log;
    quint64 read = 0;
    QList<quint64> seen;
    // A reader that looks every 3000 records keeps up; one that looks after
    // 12 500 finds only the newest 10 000.
    for (int i = 1; i <= 12500; ++i) {
        log.Record(Made(i, LineVerdict::Answered));
        if (i % 3000 == 0)
            for (const LineRecord& r : log.Since(read))
                seen.append(read = r.sequence);
    }
    QCOMPARE(seen.size(), 12000);
    QCOMPARE(seen.last(), quint64(12000));
    QCOMPARE(log.Size(), LineLog::kCapacity);
    QCOMPARE(log.LastSequence(), quint64(12500));
    const QList<LineRecord> all = log.Since(0);
    QCOMPARE(all.size(), LineLog::kCapacity);
    QCOMPARE(all.first().sequence, quint64(2501));
    QCOMPARE(all.first().roundTrip, 2501);
    QCOMPARE(all.last().sequence, quint64(12500));
    const QList<LineRecord> fresh = log.Since(read);
    QCOMPARE(fresh.size(), 500);
    QCOMPARE(fresh.first().sequence, quint64(12001));
    QVERIFY(log.Since(log.LastSequence()).isEmpty());
}

void TestLineLog::countsAndClear() {
    LineLog log;
    QList<quint64> heard;
    log.OnRecorded([&](const LineRecord& r) { heard.append(r.sequence); });
    log.Record(Made(100, LineVerdict::Answered));
    log.Record(Made(2010, LineVerdict::NoReply));
    log.Record(Made(0, LineVerdict::Refused)); // never sent: no round trip
    log.Record(Made(50, LineVerdict::CrcFailure));
    const LineLog::Counts c = log.Count();
    QCOMPARE(c.exchanges, quint64(4));
    QCOMPARE(c.failures, quint64(3));
    QCOMPARE(c.meanRoundTrip, qint64(720));
    QCOMPARE(c.worstRoundTrip, qint64(2010));
    QCOMPARE(heard, (QList<quint64>{1, 2, 3, 4}));

    log.Clear();
    QCOMPARE(log.Size(), 0);
    QCOMPARE(log.Count().exchanges, quint64(0));
    QCOMPARE(log.Count().worstRoundTrip, qint64(0));
    QVERIFY(log.Since(0).isEmpty());
    // Numbers go on, so a reader's last number still means "what is new".
    log.Record(Made(7, LineVerdict::Answered));
    QCOMPARE(log.Since(4).size(), 1);
    QCOMPARE(log.Since(4).first().sequence, quint64(5));
}

void TestLineLog::textAndCsv() {
    LineRecord r = LineRecordOf(Protocol::Modbus, {"FA10", false, 'P', "1,5", {}});
    r.time = 123456;
    r.roundTrip = 87;
    r.verdict = LineVerdict::Exception;
    r.exceptionCode = 0x02;
    r.request = QByteArray::fromHex("FB06FA100001");
    r.reply = QByteArray::fromHex("FB8602");
    QCOMPARE(LineLog::Text(r),
             QStringLiteral("12.3456  modbus  251  06  FA10  1,5  2  exception 02  "
                            "8.7 ms  > FB 06 FA 10 00 01  < FB 86 02"));
    LineRecord refused = LineRecordOf(Protocol::Inverter, {"0900", true, 'W', "1.5", {}});
    refused.verdict = LineVerdict::Refused;
    QCOMPARE(LineLog::Text(refused),
             QStringLiteral("0.0000  inverter  -  W  0900  1.5  4  refused, "
                            "does not fit  -  > -  < -"));
    const QList<QByteArray> csv = LineLog::Csv({r, refused}).split('\n');
    QCOMPARE(csv.size(), 4);
    QCOMPARE(csv[0], QByteArray("time s,protocol,address,command,com. no.,value,width,verdict,"
                                "round trip ms,request,reply\r"));
    QCOMPARE(csv[1], QByteArray("12.3456,modbus,251,06,FA10,\"1,5\",2,exception 02,8.7,"
                                "FB 06 FA 10 00 01,FB 86 02\r"));
    QCOMPARE(csv[2], QByteArray("0.0000,inverter,,W,0900,1.5,4,\"refused, does not fit\",,,\r"));
}

QTEST_GUILESS_MAIN(TestLineLog)
#include "tst_LineLog.moc"
