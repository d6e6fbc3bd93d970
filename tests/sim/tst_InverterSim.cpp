// The simulated inverter as a master sees it through its replies: both
// protocols' frames, addressing, RAM and EEPROM, the maintenance gate, the
// MODBUS register view, the drive with its panel and trips, and the identity
// of every shipped inverter.
#include "SimTables.h"
#include "data/Catalogue.h"
#include "sim/InverterSim.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)

class TestInverterSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replies_data();
    void replies();
    void addressing_data();
    void addressing();
    void ramAndEeprom();
    void stateFile();
    void maintenanceGate_data();
    void maintenanceGate();
    void modbusRegisterView_data();
    void modbusRegisterView();
    void driveFollowsKeysAndRamp();
    void tripsAndAlarms();
    void drivenByItsOptions();
    void identity_data();
    void identity();
    void operationTimeCountsRunningHours();
};

namespace {

SimOptions Options(Protocol protocol, int id = 0) {
    SimOptions o;
    o.protocol = protocol;
    o.id = id;
    return o;
}

Request Make(const char* comNo, char command, int value = 0, Addressing addressing = Addressing{},
             bool wide = false) {
    return Request{QString::fromLatin1(comNo), wide, command, QString::number(value), addressing};
}

QByteArray Encode(Protocol protocol, const Request& r) {
    return protocol == Protocol::Modbus ? EncodeModbusRequest(r) : EncodeInverterRequest(r);
}

// The value of a good reply, as the master decodes it.
quint32 Decode(Protocol protocol, const QByteArray& reply, const Request& r) {
    bool error = false;
    return protocol == Protocol::Modbus ? DecodeModbusReply(reply, error)
                                        : DecodeInverterReply(reply, r);
}

} // namespace

void TestInverterSim::replies_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArrayList>("requests"); // the last one's reply is checked
    QTest::addColumn<QByteArray>("reply");

    const auto I = Protocol::Inverter;
    const auto M = Protocol::Modbus;
    QTest::newRow("read without number")
        << I << 0 << QByteArrayList{Hex("2F 52 FA 10 8B")} << Hex("2F 52 FA 10 00 00 8B");
    QTest::newRow("read of inverter 1")
        << I << 1 << QByteArrayList{Hex("2F 01 52 FA 10 8C")} << Hex("2F 01 52 FA 10 00 00 8C");
    QTest::newRow("RAM write echoes")
        << I << 0 << QByteArrayList{Hex("2F 50 FA 10 02 58 E3")} << Hex("2F 50 FA 10 02 58 E3");
    QTest::newRow("EEPROM write by broadcast echoes")
        << I << 5 << QByteArrayList{Hex("2F FF 57 FA 10 02 58 E9")}
        << Hex("2F FF 57 FA 10 02 58 E9");
    QTest::newRow("read after write")
        << I << 0 << QByteArrayList{Hex("2F 50 FA 10 02 58 E3"), Hex("2F 52 FA 10 8B")}
        << Hex("2F 52 FA 10 02 58 E5");
    QTest::newRow("4-byte read") << I << 0 << QByteArrayList{Hex("2F 4C 52 09 01 D7")}
                                 << Hex("2F 4C 52 09 01 00 01 11 70 59");
    QTest::newRow("MODBUS read at the default address")
        << M << 0 << QByteArrayList{Hex("FB 03 FA 10 00 01 A1 4D")} << Hex("FB 03 02 00 00 60 50");
    QTest::newRow("MODBUS write echoes") << M << 1 << QByteArrayList{Hex("01 06 FA 10 02 58 B8 4D")}
                                         << Hex("01 06 FA 10 02 58 B8 4D");
    QTest::newRow("MODBUS read after write")
        << M << 1 << QByteArrayList{Hex("01 06 FA 10 02 58 B8 4D"), Hex("01 03 FA 10 00 01 B5 17")}
        << Hex("01 03 02 02 58 B8 DE");
    QTest::newRow("MODBUS read after broadcast write")
        << M << 1 << QByteArrayList{Hex("00 06 FA 10 02 58 B9 9C"), Hex("01 03 FA 10 00 01 B5 17")}
        << Hex("01 03 02 02 58 B8 DE");
    QTest::newRow("MODBUS unknown register")
        << M << 0 << QByteArrayList{Hex("FB 03 12 34 00 01 D4 E6")} << Hex("FB 83 02 E0 C0");
}

void TestInverterSim::replies() {
    QFETCH(Protocol, protocol);
    QFETCH(int, id);
    QFETCH(QByteArrayList, requests);
    QFETCH(QByteArray, reply);
    InverterSim sim(SmallTable(), Options(protocol, id));
    QByteArray last;
    for (const QByteArray& request : requests)
        last = sim.Handle(request, 0);
    QCOMPARE(last.toHex(' '), reply.toHex(' '));
}

void TestInverterSim::addressing_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<bool>("executed");

    for (const auto protocol : {Protocol::Inverter, Protocol::Modbus}) {
        const char* p = protocol == Protocol::Modbus ? "MODBUS" : "inverter";
        QTest::addRow("%s, no number", p)
            << protocol << int(Addressing::None) << 0 << false << true << true;
        QTest::addRow("%s, own number", p)
            << protocol << int(Addressing::Number) << 5 << false << true << true;
        QTest::addRow("%s, other number", p)
            << protocol << int(Addressing::Number) << 6 << false << false << false;
        QTest::addRow("%s, damaged check", p)
            << protocol << int(Addressing::None) << 0 << true << false << false;
    }
    QTest::newRow("inverter broadcast is answered")
        << Protocol::Inverter << int(Addressing::Broadcast) << 0 << false << true << true;
    QTest::newRow("MODBUS broadcast is executed silently")
        << Protocol::Modbus << int(Addressing::Broadcast) << 0 << false << false << true;
}

void TestInverterSim::addressing() {
    QFETCH(Protocol, protocol);
    QFETCH(int, mode);
    QFETCH(int, number);
    QFETCH(bool, damaged);
    QFETCH(bool, answered);
    QFETCH(bool, executed);
    InverterSim sim(SmallTable(), Options(protocol, 5));
    QByteArray request =
        Encode(protocol, Make("0000", 'W', 7, Addressing{Addressing::Mode(mode), number}));
    if (damaged)
        request[2] = char(request[2] ^ 0x01);
    QCOMPARE(!sim.Handle(request, 0).isEmpty(), answered);
    QCOMPARE(sim.RamValue(u"0000"), executed ? 7 : 10);
}

void TestInverterSim::ramAndEeprom() {
    InverterSim sim(SmallTable(), Options(Protocol::Inverter));
    const auto write = [&](const char* comNo, char command, int value) {
        QVERIFY(!sim.Handle(Encode(Protocol::Inverter, Make(comNo, command, value)), 0).isEmpty());
    };
    write("0000", 'W', 20);
    write("0000", 'P', 30);
    write("FA10", 'W', 1); // a RAM parameter has no EEPROM copy to write
    QCOMPARE(sim.RamValue(u"0000"), 30);
    QCOMPARE(sim.EepromValue(u"0000"), 20);
    QCOMPARE(sim.RamValue(u"FA10"), 1);

    sim.PowerCycle();
    QCOMPARE(sim.RamValue(u"0000"), 20);
    QCOMPARE(sim.RamValue(u"FA10"), 0);

    // A MODBUS write has no RAM-only form: it is stored.
    InverterSim modbus(SmallTable(), Options(Protocol::Modbus));
    modbus.Handle(Encode(Protocol::Modbus, Make("0000", 'P', 40)), 0);
    QCOMPARE(modbus.EepromValue(u"0000"), 40);
}

void TestInverterSim::stateFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.txt"));
    QString error;
    {
        InverterSim sim(SmallTable(), Options(Protocol::Inverter));
        sim.Handle(Encode(Protocol::Inverter, Make("0000", 'W', 20)), 0);
        sim.Handle(Encode(Protocol::Inverter, Make("0902", 'P', -7)), 0); // RAM only: not kept
        QVERIFY2(sim.SaveState(path, error), qPrintable(error));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("no equals sign\nFFFF=3\n0900=abc\nFA10=1\n");
    file.close();

    InverterSim restored(SmallTable(), Options(Protocol::Inverter));
    QVERIFY2(restored.LoadState(path, error), qPrintable(error));
    QCOMPARE(restored.RamValue(u"0000"), 20);
    QCOMPARE(restored.EepromValue(u"0000"), 20);
    QCOMPARE(restored.RamValue(u"0902"), -1);
    QCOMPARE(restored.RamValue(u"0900"), -5);
    QCOMPARE(restored.RamValue(u"FA10"), 0);

    error.clear();
    QVERIFY(!restored.LoadState(dir.filePath(QStringLiteral("missing.txt")), error));
    QVERIFY(!error.isEmpty());
    error.clear();
    // Under a regular file no folder can be made.
    QVERIFY(!restored.SaveState(path + QStringLiteral("/state.txt"), error));
    QVERIFY(!error.isEmpty());
}

void TestInverterSim::maintenanceGate_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<QList<int>>("accessWrites");
    QTest::addColumn<QString>("comNo");
    QTest::addColumn<bool>("open");

    for (const auto protocol : {Protocol::Inverter, Protocol::Modbus}) {
        const char* p = protocol == Protocol::Modbus ? "MODBUS" : "inverter";
        QTest::addRow("%s, closed", p) << protocol << QList<int>{} << "F900" << false;
        QTest::addRow("%s, opened by 463", p) << protocol << QList<int>{463} << "F900" << true;
        QTest::addRow("%s, another code", p) << protocol << QList<int>{462} << "F900" << false;
        QTest::addRow("%s, closed again by 0", p)
            << protocol << QList<int>{463, 0} << "F900" << false;
        QTest::addRow("%s, RAM parameter beyond the normal ones", p)
            << protocol << QList<int>{} << "FA01" << true;
        QTest::addRow("%s, unknown number", p) << protocol << QList<int>{463} << "1234" << false;
    }
}

void TestInverterSim::maintenanceGate() {
    QFETCH(Protocol, protocol);
    QFETCH(QList<int>, accessWrites);
    QFETCH(QString, comNo);
    QFETCH(bool, open);
    InverterSim sim(SmallTable(), Options(protocol, 1));
    const Addressing one{Addressing::Number, 1};
    for (int code : accessWrites)
        QVERIFY(!sim.Handle(Encode(protocol, Make("FB91", 'P', code, one)), 0).isEmpty());
    const QByteArray number = comNo.toLatin1();
    const std::optional<qint32> before = sim.RamValue(comNo);

    const Request read = Make(number.constData(), 'R', 0, one);
    const QByteArray writeReply =
        sim.Handle(Encode(protocol, Make(number.constData(), 'W', 55, one)), 0);
    const QByteArray readReply = sim.Handle(Encode(protocol, read), 0);
    if (open) {
        QCOMPARE(Decode(protocol, readReply, read), 55u);
    } else {
        // Closed and unknown numbers: silence, or the MODBUS exception 02.
        const bool modbus = protocol == Protocol::Modbus;
        QCOMPARE(writeReply.toHex(' '), modbus ? QByteArray("01 86 02 c3 a1") : QByteArray());
        QCOMPARE(readReply.toHex(' '), modbus ? QByteArray("01 83 02 c0 f1") : QByteArray());
        QCOMPARE(sim.RamValue(comNo), before);
    }
}

void TestInverterSim::modbusRegisterView_data() {
    QTest::addColumn<QString>("comNo");
    QTest::addColumn<int>("written"); // -1: only read
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("word");

    QTest::newRow("4-byte value reads as its low 16 bits") << "0901" << -1 << 70000 << 0x1170;
    QTest::newRow("negative 4-byte value") << "0900" << -1 << -5 << 0xFFFB;
    QTest::newRow("signed 4-byte takes -1") << "0900" << 0xFFFF << -1 << 0xFFFF;
    QTest::newRow("unsigned 4-byte takes 65535") << "0901" << 0xFFFF << 65535 << 0xFFFF;
    QTest::newRow("signed 2-byte") << "0902" << 0xFF9C << -100 << 0xFF9C;
}

void TestInverterSim::modbusRegisterView() {
    QFETCH(QString, comNo);
    QFETCH(int, written);
    QFETCH(int, stored);
    QFETCH(int, word);
    InverterSim sim(SmallTable(), Options(Protocol::Modbus));
    const QByteArray number = comNo.toLatin1();
    if (written >= 0)
        sim.Handle(EncodeModbusRequest(Make(number.constData(), 'W', written)), 0);
    QCOMPARE(sim.RamValue(comNo), stored);
    const QByteArray reply = sim.Handle(EncodeModbusRequest(Make(number.constData(), 'R')), 0);
    QVERIFY(CheckModbusReply(reply, 7));
    QCOMPARE(Decode(Protocol::Modbus, reply, {}), quint32(word));
}

void TestInverterSim::driveFollowsKeysAndRamp() {
    const ParaDat table = ShippedTable("QM40", "3.05", "-2004");
    QVERIFY(table.Count() > 0);
    InverterSim sim(table, Options(Protocol::Inverter), QStringLiteral("FA01"));
    qint64 now = 0;
    const auto write = [&](const char* comNo, int value) {
        QVERIFY(!sim.Handle(EncodeInverterRequest(Make(comNo, 'P', value)), now).isEmpty());
    };
    const auto read = [&](const char* comNo) {
        const Request r = Make(comNo, 'R');
        return DecodeInverterReply(sim.Handle(EncodeInverterRequest(r), now), r);
    };
    const auto panel = [&] {
        const QByteArray reply = sim.Handle(EncodeInverterRequest(Make("FC10", 'R')), now);
        return reply.mid(4, 10).toHex(' ');
    };

    write("FA01", 5000); // 50.00 Hz
    write("FA11", 0x01); // RUN without key mode: not a key
    QVERIFY(!sim.Drive().Running());
    write("FA10", 1);
    write("FA11", 0x01);
    // Acceleration time 10.0 s (0007 refers to F900) from 0 to the 80.00 Hz maximum.
    now = 3125;
    QCOMPARE(read("FD00"), 2500u);
    now = 6250;
    QCOMPARE(read("FD00"), 5000u);
    QCOMPARE(read("FD01") & 0x01, 1u);
    QCOMPARE(panel(), QByteArray("bf 6d 3f 3f bf 6d 3f 3f 01 01")); // "50.00", RUN lamp

    write("FA11", 0x2004); // UP, with a poll cycle in the high byte
    QCOMPARE(read("FA01"), 5010u);
    write("FA11", 0x0104); // UP released
    write("FA11", 0x0008); // DOWN
    write("FA11", 0x0008);
    QCOMPARE(read("FA01"), 4990u);
    write("FA11", 0x0010); // MON: the command, with the MON lamp
    QCOMPARE(panel(), QByteArray("ef 66 3f 6f ef 66 3f 6f 09 09")); // "49.90"
    write("FA11", 0x0010); // and back to the output frequency
    QCOMPARE(panel().right(5), QByteArray("01 01"));

    write("FA11", 0x02); // STOP: down the deceleration ramp, also 10.0 s
    now += 6250;
    QCOMPARE(read("FD00"), 0u);
    QCOMPARE(read("FD01") & 0x01, 0u);
    QCOMPARE(panel(), QByteArray("bf 00 3f 3f bf 00 3f 3f 00 00")); // " 0.00"
}

void TestInverterSim::tripsAndAlarms() {
    const ParaDat table = ShippedTable("QM40", "3.05", "-2004");
    InverterSim sim(table, Options(Protocol::Modbus), QStringLiteral("FA01"));
    const auto key = [&](int word) {
        sim.Handle(EncodeModbusRequest(Make("FA10", 'P', 1)), 0);
        sim.Handle(EncodeModbusRequest(Make("FA11", 'P', word)), 0);
    };
    key(0x01);
    QVERIFY(sim.Drive().Running());
    sim.Trip(13);
    sim.Trip(16);
    QVERIFY(!sim.Drive().Running());
    QCOMPARE(sim.RamValue(u"FC90"), 16);
    QCOMPARE(sim.RamValue(u"FE10"), 16);
    QCOMPARE(sim.RamValue(u"FE11"), 13);
    QCOMPARE(sim.RamValue(u"FD01"), 0x04);
    // Frame B shows "E 16" in the panel block, frame A the frequency.
    QCOMPARE(sim.RamValue(u"FC12"), 0x0079);
    QCOMPARE(sim.RamValue(u"FC13"), 0x7D06);

    key(0x01); // RUN is refused while tripped
    QVERIFY(!sim.Drive().Running());
    key(0x02); // STOP resets the trip
    QCOMPARE(sim.RamValue(u"FC90"), 0);
    sim.PowerCycle();
    QCOMPARE(sim.RamValue(u"FE11"), 13); // the history is kept in EEPROM

    sim.RaiseAlarm(0x0005);
    sim.ClearAlarm(0x0001);
    QCOMPARE(sim.RamValue(u"FC91"), 0x0004);
    QCOMPARE(sim.RamValue(u"FD01"), 0x08);
}

void TestInverterSim::identity_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("cpu");
    QTest::addColumn<QString>("capacity");
    const AppPaths paths(QStringLiteral(VDK_SHARE_DIR), QString());
    const Catalogue catalogue(paths);
    for (const QString& type : catalogue.TypeForms())
        for (const QString& cpu : catalogue.CpuVersions(type))
            for (const QString& capacity : catalogue.Capacities(type, cpu))
                QTest::addRow("%s(%s)%s", qPrintable(type), qPrintable(cpu), qPrintable(capacity))
                    << type << cpu << capacity;
}

void TestInverterSim::identity() {
    QFETCH(QString, type);
    QFETCH(QString, cpu);
    QFETCH(QString, capacity);
    const AppPaths paths(QStringLiteral(VDK_SHARE_DIR), QString());
    const Catalogue catalogue(paths);
    InverterSim sim(ShippedTable(type, cpu, capacity), Options(Protocol::Modbus));
    // Identification writes the access code first, then reads in this order.
    sim.Handle(EncodeModbusRequest(Make("FB91", 'P', 463)), 0);
    const auto read = [&](const char* comNo) {
        const QByteArray reply = sim.Handle(EncodeModbusRequest(Make(comNo, 'R')), 0);
        return CheckModbusReply(reply, 7) ? QString::number(Decode(Protocol::Modbus, reply, {}))
                                          : QStringLiteral("no reply");
    };
    // A type whose type code reads 0 reports it in FB05, its capacity in FB58.
    const QString typeCode = read("FB07");
    const bool extended = typeCode == QLatin1String("0");
    QCOMPARE(extended ? read("FB05") : typeCode, catalogue.TypeNumber(type));
    QCOMPARE(read("FE08"), catalogue.CpuCode(type, cpu));
    QCOMPARE(read(extended ? "FB58" : "FB05"), catalogue.CapacityCode(type, capacity));
}

// --run, --alarm-after and --trip-after: a drive that moves by itself, and
// the terminals that follow it.
void TestInverterSim::drivenByItsOptions() {
    const ParaDat table = ShippedTable("QM40", "3.05", "-2004");
    SimOptions o = Options(Protocol::Inverter);
    o.runHz = 20;
    o.alarmAfterMs = 1000;
    o.tripAfterMs = 5000;
    InverterSim sim(table, o, QStringLiteral("FA01"));
    QVERIFY(sim.Drive().Running());
    QCOMPARE(sim.RamValue(u"FA01"), 2000);
    sim.Tick(0);
    sim.Tick(999);
    QCOMPARE(sim.RamValue(u"FC91"), 0);
    QCOMPARE(sim.RamValue(u"FD06").value_or(0) & 0x01, 1); // F: running forward
    QCOMPARE(sim.RamValue(u"FD07").value_or(0) & 0x01, 1);
    sim.Tick(1000);
    QCOMPARE(sim.RamValue(u"FC91"), 1);
    QCOMPARE(sim.RamValue(u"FD06").value_or(0) & 0x08, 0); // S1 blinks by the second
    sim.Tick(2000);
    QCOMPARE(sim.RamValue(u"FD06").value_or(0) & 0x08, 8);
    sim.Tick(5000);
    QCOMPARE(sim.RamValue(u"FC90"), 1);
    QVERIFY(!sim.Drive().Running());
}

// FE14 counts the whole hours the drive turned, in EEPROM; standing still
// adds nothing.
void TestInverterSim::operationTimeCountsRunningHours() {
    const ParaDat table = ShippedTable("QM40", "3.05", "-2004");
    SimOptions o = Options(Protocol::Inverter);
    o.runHz = 20;
    InverterSim sim(table, o, QStringLiteral("FA01"));
    constexpr qint64 kHour = 3600 * 1000;
    sim.Tick(0);
    sim.Tick(kHour / 2);
    sim.Tick(kHour * 5 / 2);
    QCOMPARE(sim.RamValue(u"FE14"), 2);
    sim.Trip(1);
    sim.Tick(kHour * 6);
    QCOMPARE(sim.EepromValue(u"FE14"), 2);
}

QTEST_GUILESS_MAIN(TestInverterSim)
#include "tst_InverterSim.moc"
