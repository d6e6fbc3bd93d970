// The link against the simulated inverter on the virtual clock: detection and
// identification of shipped inverters, and replies damaged on the way, which
// must always end as errors and never as wrong values.
#include "../sim/SimTables.h"
#include "DataFixture.h"
#include "VirtualClock.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/Detector.h"
#include "data/Catalogue.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"

#include <QTest>
#include <algorithm>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)

namespace {

SimOptions Options(int baud, int parity, Protocol protocol) {
    SimOptions o;
    o.baudIndex = baud;
    o.parityIndex = parity;
    o.protocol = protocol;
    o.latencyMs = 3;
    return o;
}

struct Shipped {
    Shipped() { paths.SelectLanguage("English"); }
    AppPaths paths{QStringLiteral(VDK_SHARE_DIR), QString()};
    Catalogue catalogue{paths};
};

} // namespace

class TestLinkOnSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rememberedSettingsAnswerFirst();
    void foundAtTheTenthCombination();
    void nothingAnswers();
    void usablePorts();
    void identifiesEveryShippedInverter_data();
    void identifiesEveryShippedInverter();
    void damagedRepliesAreErrors_data();
    void damagedRepliesAreErrors();
    void lateRepliesNeverAnswerTheNextRequest_data();
    void lateRepliesNeverAnswerTheNextRequest();
    void silenceAfterEveryReply_data();
    void silenceAfterEveryReply();
};

void TestLinkOnSimulator::rememberedSettingsAnswerFirst() {
    const ParaDat table = ShippedTable("QM40", "2.10", "-2004");
    InverterSim sim(table, Options(5, 0, Protocol::Modbus));
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    Detector detector(port, clock);
    const auto found = detector.Detect({"a", "b"}, LineFound{"b", 5, 0, Protocol::Modbus});
    QVERIFY(found);
    QCOMPARE(found->portName, QStringLiteral("b"));
    QCOMPARE(port.RequestsSeen(), 1);
}

void TestLinkOnSimulator::foundAtTheTenthCombination() {
    const ParaDat table = ShippedTable("QM40", "2.10", "-2004");
    InverterSim sim(table, Options(4, 2, Protocol::Modbus)); // 19200, odd, MODBUS
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    Detector detector(port, clock);
    const auto found = detector.Detect({"p"}, LineFound{"p", 3, 1, Protocol::Inverter});
    QVERIFY(found);
    QCOMPARE(found->baudIndex, 4);
    QCOMPARE(found->parityIndex, 2);
    QCOMPARE(found->protocol, Protocol::Modbus);
    LineFound combination = *found;
    combination.portName.clear();
    QCOMPARE(Detector::Combinations().indexOf(combination) + 1, 10);
    QCOMPARE(port.RtsRaised(), 2 + 9 * 2 + 1); // each failed probe is repeated once
    // The remembered try and nine combinations time out at 200 ms, twice each.
    QVERIFY(clock.now >= 20 * Detector::kProbeTimeoutMs);
}

void TestLinkOnSimulator::nothingAnswers() {
    const ParaDat table = ShippedTable("QM40", "2.10", "-2004");
    InverterSim sim(table, Options(0, 1, Protocol::Inverter)); // 1200 baud is never tried
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    Detector detector(port, clock);
    QVERIFY(!detector.Detect({"p", "q"}, std::nullopt));
    QCOMPARE(port.RtsRaised(), 2 * 18 * 2);
}

void TestLinkOnSimulator::usablePorts() {
    const ParaDat table = ShippedTable("QM40", "2.10", "-2004");
    InverterSim sim(table, SimOptions{});
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    Detector detector(port, clock);
    QCOMPARE(detector.UsablePorts({"absent1", "COM3", "absent2", "COM5"}),
             (QStringList{"COM3", "COM5"}));
    QVERIFY(!port.IsOpen());
}

void TestLinkOnSimulator::identifiesEveryShippedInverter_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("cpu");
    QTest::addColumn<QString>("capacity");
    Shipped s;
    for (const QString& type : s.catalogue.TypeForms())
        for (const QString& cpu : s.catalogue.CpuVersions(type))
            for (const QString& capacity : s.catalogue.Capacities(type, cpu))
                QTest::addRow("%s(%s)%s", qPrintable(type), qPrintable(cpu), qPrintable(capacity))
                    << type << cpu << capacity;
}

void TestLinkOnSimulator::identifiesEveryShippedInverter() {
    QFETCH(QString, type);
    QFETCH(QString, cpu);
    QFETCH(QString, capacity);
    Shipped s;
    const ParaDat table = ShippedTable(type, cpu, capacity);
    for (Protocol protocol : {Protocol::Inverter, Protocol::Modbus}) {
        InverterSim sim(table, Options(3, 1, protocol));
        VirtualClock clock;
        SimulatedPort port(sim, clock);
        Detector detector(port, clock);
        const Identity id = detector.Identify(LineFound{"p", 3, 1, protocol}, s.catalogue);
        const QString foundType = s.catalogue.TypeForms().value(id.typeIndex);
        const QString foundCpu = s.catalogue.CpuVersions(foundType).value(id.cpuIndex);
        QCOMPARE(foundType, type);
        QCOMPARE(foundCpu, cpu);
        QCOMPARE(s.catalogue.Capacities(foundType, foundCpu).value(id.capacityIndex), capacity);
    }
}

void TestLinkOnSimulator::damagedRepliesAreErrors_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<int>("fault"); // which rate is set
    for (Protocol protocol : {Protocol::Inverter, Protocol::Modbus})
        for (int fault : {1, 2, 3, 4}) {
            static const char* names[] = {"", "drop", "late", "corrupt", "partial"};
            QTest::addRow("%s %s", protocol == Protocol::Modbus ? "modbus" : "inverter",
                          names[fault])
                << protocol << fault;
        }
}

namespace {

// Reads every normal parameter once; every value read must be the inverter's
// own. Returns how many reads failed.
int ReadAll(const ParaDat& table, const SimOptions& o, int* reads = nullptr) {
    DataFixture f;
    InverterSim sim(table, o);
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    ProgramFlags flags;
    CommLink link(port, clock, f.messenger, flags);
    link.settings.protocol = o.protocol;
    link.SetTable(&table);
    if (link.OpenPort() != 0)
        return -1;
    int errors = 0;
    for (int row = 0; row <= table.NormalLastRow(); ++row) {
        const TransactResult r = link.Transact(row, QString(), u"R");
        const bool error = !r.ok();
        const quint32 value = r.value;
        errors += error;
        if (reads)
            ++*reads;
        const qint32 held = *sim.RamValue(table.At(row, ComNo));
        const bool wide = o.protocol == Protocol::Inverter && table.At(row, Byte) == "4";
        const quint32 expected = error ? 0u : wide ? quint32(held) : quint32(quint16(held));
        if (value != expected) {
            qWarning("%s read as %u, held %d", qPrintable(table.At(row, ComNo)), value, held);
            return -1;
        }
    }
    return errors;
}

} // namespace

void TestLinkOnSimulator::damagedRepliesAreErrors() {
    QFETCH(Protocol, protocol);
    QFETCH(int, fault);
    const ParaDat table = ShippedTable("QM60", "1.00", "-4007");
    SimOptions o = Options(3, 1, protocol);
    o.seed = 7;
    double* rates[] = {nullptr, &o.dropRate, &o.lateRate, &o.corruptRate, &o.partialRate};
    *rates[fault] = 0.3;
    // Late past the time-out, within twice of it: a MODBUS read reply names
    // no register, and the link listens for one time-out more.
    o.lateDelayMs = 300;
    QVERIFY(ReadAll(table, o) > 0);
}

void TestLinkOnSimulator::lateRepliesNeverAnswerTheNextRequest_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<double>("rate");
    for (Protocol protocol : {Protocol::Inverter, Protocol::Modbus})
        for (double rate : {1.0, 0.3})
            QTest::addRow("%s, %.0f%% late", protocol == Protocol::Modbus ? "modbus" : "inverter",
                          rate * 100)
                << protocol << rate;
}

// Replies 250 ms after the request with a 200 ms time-out: each comes while
// the link waits for the answer to the next request.
void TestLinkOnSimulator::lateRepliesNeverAnswerTheNextRequest() {
    QFETCH(Protocol, protocol);
    QFETCH(double, rate);
    const ParaDat table = ShippedTable("QM60", "1.00", "-4007");
    SimOptions o = Options(3, 1, protocol);
    o.lateRate = rate;
    o.lateDelayMs = 250 - o.latencyMs;
    int reads = 0;
    const int errors = ReadAll(table, o, &reads);
    QVERIFY2(errors >= 0, "a late reply was taken for the answer to another request");
    if (rate == 1.0)
        QCOMPARE(errors, reads);
    else
        QVERIFY(errors > 0 && errors < reads / 2);
}

void TestLinkOnSimulator::silenceAfterEveryReply_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<int>("baudIndex");
    QTest::addColumn<qint64>("silenceUs"); // the least turnaround the line may see
    // MODBUS: 3.5 characters of 11 bits, up to 19200 baud; 1.75 ms above.
    QTest::newRow("modbus 1200") << Protocol::Modbus << 0 << qint64(32084);
    QTest::newRow("modbus 2400") << Protocol::Modbus << 1 << qint64(16042);
    QTest::newRow("modbus 4800") << Protocol::Modbus << 2 << qint64(8021);
    QTest::newRow("modbus 9600") << Protocol::Modbus << 3 << qint64(4011);
    QTest::newRow("modbus 19200") << Protocol::Modbus << 4 << qint64(2006);
    QTest::newRow("modbus 38400") << Protocol::Modbus << 5 << qint64(1750);
    // The inverter protocol frames by length and waits for nothing.
    QTest::newRow("inverter 9600") << Protocol::Inverter << 3 << qint64(0);
}

// The next request never starts before the silent interval has passed since
// the reply's last byte, after a read as after a write, and not much later.
void TestLinkOnSimulator::silenceAfterEveryReply() {
    QFETCH(Protocol, protocol);
    QFETCH(int, baudIndex);
    QFETCH(qint64, silenceUs);
    DataFixture f;
    const ParaDat table = ShippedTable("QM40", "2.10", "-2004");
    SimOptions o = Options(baudIndex, 1, protocol);
    o.wireTiming = true;
    InverterSim sim(table, o);
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    ProgramFlags flags;
    CommLink link(port, clock, f.messenger, flags);
    link.settings.protocol = protocol;
    link.settings.port.baudIndex = baudIndex;
    link.SetTable(&table);
    QCOMPARE(link.OpenPort(), 0);
    const int row = table.FindRow(u"0002");
    for (const QStringView command : {u"R", u"P", u"R", u"R"})
        QVERIFY(link.Transact(row, QStringLiteral("6000"), command).ok());
    const std::vector<qint64>& turnarounds = port.Turnarounds();
    QCOMPARE(turnarounds.size(), size_t(3));
    const auto [least, most] = std::minmax_element(turnarounds.begin(), turnarounds.end());
    QVERIFY2(*least >= silenceUs, qPrintable(QString::number(*least)));
    QVERIFY2(*most < silenceUs + 1000, qPrintable(QString::number(*most)));
}

QTEST_GUILESS_MAIN(TestLinkOnSimulator)
#include "tst_LinkOnSimulator.moc"
