// The [Comms] settings, the setup dialog's field checks and the device a port
// setting opens.
#include "TempTree.h"
#include "comm/CommSettings.h"
#include "settings/IniFile.h"

#include <QTest>

using namespace vdk;

class TestCommSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultsAndClamping();
    void saveAndLoadBack();
    void numberField_data();
    void numberField();
    void listField();
    void portDevice_data();
    void portDevice();
};

void TestCommSettings::defaultsAndClamping() {
    TempTree t;
    const CommSettings d = LoadCommSettings(IniFile(t.Path("none.ini")));
    QCOMPARE(d.protocol, Protocol::Inverter);
    QCOMPARE(d.port.baudIndex, 3);
    QCOMPARE(d.port.parityIndex, 1);
    QCOMPARE(d.port.stopBitsIndex, 0);
    QCOMPARE(d.port.byteSizeIndex, 1);
    QCOMPARE(d.delay, 200);
    QCOMPARE(d.Address().mode, Addressing::None);

    const CommSettings c = LoadCommSettings(IniFile(
        t.Write("a.ini", "[Comms]\r\nPrtocol=7\r\nBaudrate=9\r\nParity=-1\r\nID=99\r\nDelay=1\r\n"
                         "AppendNo=1\r\nDouhou=1\r\nCommport=-4\r\n")));
    QCOMPARE(c.protocol, Protocol::Inverter);
    QCOMPARE(c.port.baudIndex, 3);
    QCOMPARE(c.port.parityIndex, 1);
    QCOMPARE(c.id, 63);
    QCOMPARE(c.delay, 30);
    QCOMPARE(c.port.portIndex, 0);
    QVERIFY(c.douhou && !c.appendNo); // never both
    QCOMPARE(c.Address().mode, Addressing::Broadcast);
}

void TestCommSettings::saveAndLoadBack() {
    TempTree t;
    IniFile ini(t.Path("a.ini"));
    CommSettings c;
    c.protocol = Protocol::Modbus;
    c.port = PortSettings{2, "/dev/ttyUSB0", 5, 2, 2, 0};
    c.id = 12;
    c.appendNo = true;
    c.delay = 5000;
    QVERIFY(SaveCommSettings(ini, c));
    const CommSettings r = LoadCommSettings(ini);
    QCOMPARE(r.protocol, Protocol::Modbus);
    QCOMPARE(r.port.portName, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(r.port.portIndex, 2);
    QCOMPARE(r.port.baudIndex, 5);
    QCOMPARE(r.port.parityIndex, 2);
    QCOMPARE(r.port.stopBitsIndex, 2);
    QCOMPARE(r.port.byteSizeIndex, 0);
    QCOMPARE(r.id, 12);
    QCOMPARE(r.delay, 5000);
    QCOMPARE(r.Address().mode, Addressing::Number);
    QCOMPARE(r.Address().number, 12);
    QCOMPARE(ini.ReadInteger("Comms", "Prtocol", -1), 1);
}

void TestCommSettings::numberField_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("message");
    QTest::addColumn<int>("value");
    QTest::newRow("lowest time-out") << "30" << 30 << 5000 << 0 << 30;
    QTest::newRow("highest time-out") << "5000" << 30 << 5000 << 0 << 5000;
    QTest::newRow("29 becomes 30") << "29" << 30 << 5000 << 42 << 30;
    QTest::newRow("5001 becomes 5000") << "5001" << 30 << 5000 << 42 << 5000;
    QTest::newRow("12.7 is 12") << "12.7" << 0 << 63 << 0 << 12;
    QTest::newRow("64 becomes 63") << "64" << 0 << 63 << 42 << 63;
    QTest::newRow("-1 becomes 0") << "-1" << 0 << 63 << 42 << 0;
    QTest::newRow("empty") << "" << 0 << 63 << 68 << 0;
    QTest::newRow("not a number") << "ab" << 0 << 63 << 68 << 0;
}

void TestCommSettings::numberField() {
    QFETCH(QString, text);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(int, message);
    QFETCH(int, value);
    const FieldCheck check = CheckNumberField(text, low, high);
    QCOMPARE(check.Message(), message);
    if (message != 68)
        QCOMPARE(check.value, value);
}

void TestCommSettings::listField() {
    const QStringList parity{"Non", "Even", "Odd"};
    QCOMPARE(CheckListField("even", parity), std::optional<int>(1));
    QCOMPARE(CheckListField(" ODD ", parity), std::optional<int>(2));
    QCOMPARE(CheckListField("Mark", parity), std::nullopt);
    QCOMPARE(CheckListField("", parity), std::nullopt);
    QCOMPARE(CheckListField("9,600", {"   1,200", "   9,600"}), std::optional<int>(1));
}

// Stored settings may keep only a list index; a name given alone (the
// command line) is the device or nothing, never the list's first device.
void TestCommSettings::portDevice_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("listAsked");
    QTest::newRow("stored index without a name") << 1 << ""
                                                 << "/dev/ttyS1" << true;
    QTest::newRow("stored index beyond the list") << 5 << ""
                                                  << "" << true;
    QTest::newRow("stored name") << 1 << "/dev/ttyUSB0"
                                 << "/dev/ttyUSB0" << false;
    QTest::newRow("name given alone") << int(PortSettings::kNameOnly) << "/dev/ttyUSB0"
                                      << "/dev/ttyUSB0" << false;
    QTest::newRow("empty name given alone") << int(PortSettings::kNameOnly) << ""
                                            << "" << false;
}

void TestCommSettings::portDevice() {
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, device);
    QFETCH(bool, listAsked);
    PortSettings s;
    s.portIndex = index;
    s.portName = name;
    bool asked = false;
    const auto systemPorts = [&asked] {
        asked = true;
        return QStringList{"/dev/ttyS0", "/dev/ttyS1"};
    };
    QCOMPARE(PortDevice(s, systemPorts), device);
    QCOMPARE(asked, listAsked);
}

QTEST_GUILESS_MAIN(TestCommSettings)
#include "tst_CommSettings.moc"
