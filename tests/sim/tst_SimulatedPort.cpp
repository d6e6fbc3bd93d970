// The simulated port on the virtual clock: when reply bytes become readable
// (latency, the line's character time, a deadline met exactly), the receive
// buffer limit, each injected fault, repeatable fault draws, and silence on
// line settings other than the inverter's.
#include "SimTables.h"
#include "VirtualClock.h"
#include "sim/SimulatedPort.h"

#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)
Q_DECLARE_METATYPE(vdk::SimFault)

class TestSimulatedPort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replyArrival_data();
    void replyArrival();
    void deadlinePassesBeforeTheReply();
    void receiveBufferHolds32();
    void faults_data();
    void faults();
    void sameSeedSameFaults();
    void lineSettings_data();
    void lineSettings();
    void absentPortAndCounters();
};

namespace {

PortSettings Line(const SimOptions& o) {
    PortSettings s;
    s.portName = QStringLiteral("sim0");
    s.baudIndex = o.baudIndex;
    s.parityIndex = o.parityIndex;
    s.stopBitsIndex = o.stopBitsIndex;
    return s;
}

// Reads "FA10" without a number: 5 request bytes, 7 reply bytes.
const QByteArray kRead = Hex("2F 52 FA 10 8B");

} // namespace

void TestSimulatedPort::replyArrival_data() {
    QTest::addColumn<int>("baudIndex");
    QTest::addColumn<int>("parityIndex");
    QTest::addColumn<int>("stopBitsIndex");
    QTest::addColumn<bool>("wireTiming");
    QTest::addColumn<int>("latency");
    QTest::addColumn<int>("arrival"); // of the last reply byte, ms after sending

    // With wire timing the 5 request and 7 reply characters take their time.
    QTest::newRow("at once") << 3 << 1 << 0 << false << 0 << 0;
    QTest::newRow("latency only") << 3 << 1 << 0 << false << 20 << 20;
    QTest::newRow("9600 even, 11 bits") << 3 << 1 << 0 << true << 0 << 14;     // 13.75
    QTest::newRow("9600 none, 10 bits") << 3 << 0 << 0 << true << 0 << 13;     // 12.5
    QTest::newRow("9600 even, 2 stop bits") << 3 << 1 << 2 << true << 0 << 15; // exactly
    QTest::newRow("1200 even with latency") << 0 << 1 << 0 << true << 5 << 115;
    QTest::newRow("38400 odd") << 5 << 2 << 0 << true << 0 << 4; // 3.44
}

void TestSimulatedPort::replyArrival() {
    QFETCH(int, baudIndex);
    QFETCH(int, parityIndex);
    QFETCH(int, stopBitsIndex);
    QFETCH(bool, wireTiming);
    QFETCH(int, latency);
    QFETCH(int, arrival);
    SimOptions o;
    o.baudIndex = baudIndex;
    o.parityIndex = parityIndex;
    o.stopBitsIndex = stopBitsIndex;
    o.wireTiming = wireTiming;
    o.latencyMs = latency;
    InverterSim sim(SmallTable(), o);
    VirtualClock clock;
    clock.now = 100;
    SimulatedPort port(sim, clock);
    QCOMPARE(port.OpenPort(Line(o)), 0);
    port.SendFrame(kRead);
    // A reply that completes exactly at the deadline is in time.
    QCOMPARE(port.WaitForBytes(7, 100 + arrival), 7);
    QCOMPARE(clock.now, qint64(100 + arrival));
    QCOMPARE(port.ReadWaiting(), Hex("2F 52 FA 10 00 00 8B"));
}

void TestSimulatedPort::deadlinePassesBeforeTheReply() {
    SimOptions o;
    o.wireTiming = true; // 9600 even: character n ends at n × 1.146 ms, rounded up
    InverterSim sim(SmallTable(), o);
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    port.OpenPort(Line(o));
    port.SendFrame(kRead);
    QCOMPARE(port.WaitingCount(), 0);
    // The last byte ends at 14 ms; at 13 ms (deadline 12 + 1) six are there.
    QCOMPARE(port.WaitForBytes(7, 12), 6);
    QCOMPARE(clock.now, qint64(13));
    QCOMPARE(port.WaitForBytes(7, 14), 7);
    QCOMPARE(clock.now, qint64(14));
}

void TestSimulatedPort::receiveBufferHolds32() {
    SimOptions o;
    o.protocol = Protocol::Modbus;
    InverterSim sim(ShippedTable("QM40", "3.05", "-2004"), o);
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    port.OpenPort(Line(o));
    port.SendFrame(Hex("FB 03 00 00 00 13 10 5D")); // 19 registers: a 43-byte reply
    QCOMPARE(port.WaitForBytes(43, 0), 43);
    QCOMPARE(port.ReadWaiting().size(), 32);
    QCOMPARE(port.WaitingCount(), 11);
    // The next request purges what was left.
    port.SendFrame(Hex("FB 03 FA 10 00 01 A1 4D"));
    QCOMPARE(port.WaitForBytes(7, 0), 7);
    QCOMPARE(port.ReadWaiting(), Hex("FB 03 02 00 00 60 50"));
}

void TestSimulatedPort::faults_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<int>("inTime");     // bytes by the 200 ms deadline; -1: some, not all
    QTest::addColumn<bool>("valid");     // the bytes that came pass the check
    QTest::addColumn<int>("eventually"); // bytes by 5 s

    for (const auto protocol : {Protocol::Inverter, Protocol::Modbus}) {
        const char* p = protocol == Protocol::Modbus ? "MODBUS" : "inverter";
        QTest::addRow("%s drop", p) << protocol << SimFault::Drop << 0 << false << 0;
        QTest::addRow("%s late", p) << protocol << SimFault::Late << 0 << true << 7;
        QTest::addRow("%s corrupt", p) << protocol << SimFault::Corrupt << 7 << false << 7;
        QTest::addRow("%s partial", p) << protocol << SimFault::Partial << -1 << false << -1;
    }
}

void TestSimulatedPort::faults() {
    QFETCH(Protocol, protocol);
    QFETCH(SimFault, fault);
    QFETCH(int, inTime);
    QFETCH(bool, valid);
    QFETCH(int, eventually);
    SimOptions o;
    o.protocol = protocol;
    o.seed = 7;
    o.lateDelayMs = 1000;
    (fault == SimFault::Drop      ? o.dropRate
     : fault == SimFault::Late    ? o.lateRate
     : fault == SimFault::Corrupt ? o.corruptRate
                                  : o.partialRate) = 1.0;
    InverterSim sim(SmallTable(), o);
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    port.OpenPort(Line(o));
    const bool modbus = protocol == Protocol::Modbus;
    // Both requests read "FA10" and expect 7 bytes.
    port.SendFrame(modbus ? Hex("FB 03 FA 10 00 01 A1 4D") : kRead);
    QCOMPARE(port.LastFault(), fault);

    const auto check = [&](int expected, int got) {
        if (expected < 0)
            QVERIFY2(got > 0 && got < 7, qPrintable(QString::number(got)));
        else
            QCOMPARE(got, expected);
    };
    check(inTime, port.WaitForBytes(7, 200));
    QCOMPARE(clock.now, qint64(inTime == 7 ? 0 : 201));
    check(eventually, port.WaitForBytes(7, 5000));
    if (eventually == 7)
        QCOMPARE(clock.now, qint64(fault == SimFault::Late ? 1000 : 0));
    const QByteArray reply = port.ReadWaiting();
    QCOMPARE(modbus ? CheckModbusReply(reply, 7) : CheckInverterReply(reply, 7), valid);
}

void TestSimulatedPort::sameSeedSameFaults() {
    const auto run = [](quint32 seed) {
        SimOptions o;
        o.dropRate = o.lateRate = o.corruptRate = o.partialRate = 0.2;
        o.seed = seed;
        InverterSim sim(SmallTable(), o);
        VirtualClock clock;
        SimulatedPort port(sim, clock);
        port.OpenPort(Line(o));
        QList<SimFault> faults;
        for (int i = 0; i < 40; ++i) {
            port.SendFrame(kRead);
            faults.append(port.LastFault());
        }
        return faults;
    };
    const QList<SimFault> first = run(42);
    QCOMPARE(run(42), first);
    for (const auto kind :
         {SimFault::None, SimFault::Drop, SimFault::Late, SimFault::Corrupt, SimFault::Partial})
        QVERIFY(first.contains(kind));
}

void TestSimulatedPort::lineSettings_data() {
    QTest::addColumn<int>("baudIndex");
    QTest::addColumn<int>("parityIndex");
    QTest::addColumn<int>("stopBitsIndex");
    QTest::addColumn<int>("byteSizeIndex");
    QTest::addColumn<bool>("answered");

    // The inverter listens at 9600 baud, even parity, 1 stop bit, 8 bits.
    QTest::newRow("its own settings") << 3 << 1 << 0 << 1 << true;
    QTest::newRow("other baud rate") << 4 << 1 << 0 << 1 << false;
    QTest::newRow("no parity") << 3 << 0 << 0 << 1 << false;
    QTest::newRow("odd parity") << 3 << 2 << 0 << 1 << false;
    QTest::newRow("2 stop bits") << 3 << 1 << 2 << 1 << false;
    QTest::newRow("7 data bits") << 3 << 1 << 0 << 0 << false;
}

void TestSimulatedPort::lineSettings() {
    QFETCH(int, baudIndex);
    QFETCH(int, parityIndex);
    QFETCH(int, stopBitsIndex);
    QFETCH(int, byteSizeIndex);
    QFETCH(bool, answered);
    InverterSim sim(SmallTable(), SimOptions());
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    QCOMPARE(port.OpenPort(PortSettings{0, QStringLiteral("sim0"), baudIndex, parityIndex,
                                        stopBitsIndex, byteSizeIndex}),
             0);
    port.SendFrame(Hex("2F 50 FA 10 02 58 E3"));
    QCOMPARE(port.WaitForBytes(7, 200), answered ? 7 : 0);
    QCOMPARE(sim.RamValue(u"FA10"), answered ? 600 : 0);
}

void TestSimulatedPort::absentPortAndCounters() {
    InverterSim sim(SmallTable(), SimOptions());
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    PortSettings settings = Line(SimOptions());
    settings.portName = QStringLiteral("absent3");
    QCOMPARE(port.OpenPort(settings), 1);
    QVERIFY(!port.IsOpen());
    port.SendFrame(kRead);
    QCOMPARE(port.WaitForBytes(7, 50), 0);
    QCOMPARE(port.RtsRaised(), 0);

    settings.portName = QStringLiteral("/dev/ttyUSB0");
    QCOMPARE(port.OpenPort(settings), 0);
    QVERIFY(port.IsOpen());
    port.SendFrame(Hex("2F 05 52 FA 10 90")); // another inverter's number: heard, not answered
    port.ReleaseLine();
    port.SendFrame(kRead);
    port.ReleaseLine();
    QCOMPARE(port.RequestsSeen(), 2);
    QCOMPARE(port.RtsRaised(), 2);
    QCOMPARE(port.RtsDropped(), 2);
    QCOMPARE(port.WaitingCount(), 7);
    port.ClosePort();
    QVERIFY(!port.IsOpen());
    QCOMPARE(port.WaitingCount(), 0);
}

QTEST_GUILESS_MAIN(TestSimulatedPort)
#include "tst_SimulatedPort.moc"
