// The RS-232C setup form without widgets: the up-down, the field checks with
// their clamping, the close verdict and the settings the form hands back,
// including the port box's device names.
#include "comm/SerialSetup.h"

#include <QTest>

using namespace vdk;
using Field = SerialSetup::Field;

Q_DECLARE_METATYPE(SerialSetup::Field)

namespace {

const QStringList kPorts{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};

SerialSetup LoadedForm(const CommSettings& settings = CommSettings()) {
    SerialSetup form({"Non", "Even", "Odd"});
    form.Load(settings, kPorts);
    return form;
}

} // namespace

class TestSerialSetup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void upDown_data();
    void upDown();
    void check_data();
    void check();
    void boxesExcludeEachOther();
    void closeTakesAClampedValueOnTheSecondAttempt();
    void disabledNumberDoesNotHoldTheDialog();
    void portNames_data();
    void portNames();
};

void TestSerialSetup::upDown_data() {
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("result");
    QTest::newRow("number wraps up") << SerialSetup::IdField << "63" << 1 << "0";
    QTest::newRow("number wraps down") << SerialSetup::IdField << "0" << -1 << "63";
    QTest::newRow("number from a fraction") << SerialSetup::IdField << "12.7" << 1 << "13";
    QTest::newRow("number from text") << SerialSetup::IdField << "x" << 1 << "1";
    QTest::newRow("time-out stops at the top") << SerialSetup::DelayField << "5000" << 1 << "5000";
    QTest::newRow("time-out stops at the bottom") << SerialSetup::DelayField << "30" << -10 << "30";
    QTest::newRow("time-out steps") << SerialSetup::DelayField << "200" << 10 << "210";
}

void TestSerialSetup::upDown() {
    QFETCH(Field, field);
    QFETCH(QString, text);
    QFETCH(int, steps);
    QFETCH(QString, result);
    SerialSetup form = LoadedForm();
    form.SetText(field, text);
    form.Step(field, steps);
    QCOMPARE(form.Text(field), result);
}

void TestSerialSetup::check_data() {
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("after");
    QTest::newRow("number truncated") << SerialSetup::IdField << "12.7" << 0 << "12";
    QTest::newRow("number below 0") << SerialSetup::IdField << "-1" << 42 << "0";
    QTest::newRow("number above 63") << SerialSetup::IdField << "64" << 42 << "63";
    QTest::newRow("empty number") << SerialSetup::IdField << "" << 68 << "";
    QTest::newRow("time-out 30") << SerialSetup::DelayField << "30" << 0 << "30";
    QTest::newRow("time-out 29") << SerialSetup::DelayField << "29" << 42 << "30";
    QTest::newRow("time-out 5001") << SerialSetup::DelayField << "5001" << 42 << "5000";
    QTest::newRow("time-out text") << SerialSetup::DelayField << "2s" << 68 << "2s";
    QTest::newRow("baud without spaces") << SerialSetup::BaudField << "19,200" << 0 << " 19,200";
    QTest::newRow("baud not listed") << SerialSetup::BaudField << "57,600" << 68 << "57,600";
    QTest::newRow("parity in any case") << SerialSetup::ParityField << "oDD" << 0 << "Odd";
    QTest::newRow("empty parity") << SerialSetup::ParityField << "" << 68 << "";
    QTest::newRow("listed port") << SerialSetup::PortField << " /dev/ttyS1 " << 0 << "/dev/ttyS1";
    QTest::newRow("typed device") << SerialSetup::PortField << "/dev/null" << 0 << "/dev/null";
    QTest::newRow("no such device") << SerialSetup::PortField << "/dev/none" << 68 << "/dev/none";
    QTest::newRow("empty port") << SerialSetup::PortField << "" << 68 << "";
}

void TestSerialSetup::check() {
    QFETCH(Field, field);
    QFETCH(QString, text);
    QFETCH(int, message);
    QFETCH(QString, after);
    SerialSetup form = LoadedForm();
    form.SetText(field, text);
    const SerialSetup::Problem problem = form.Check(field);
    QCOMPARE(problem.message, message);
    QCOMPARE(form.Text(field), after);
    // Any failure holds the next close attempt.
    QCOMPARE(form.TryClose().mayClose, message == 0);
}

void TestSerialSetup::boxesExcludeEachOther() {
    CommSettings both;
    both.appendNo = both.douhou = true;
    SerialSetup form = LoadedForm(both);
    QVERIFY(form.Douhou() && !form.AppendNo());
    form.SetAppendNo(true);
    QVERIFY(form.AppendNo() && !form.Douhou() && form.NumberEnabled());
    form.SetDouhou(true);
    QVERIFY(form.Douhou() && !form.AppendNo() && !form.NumberEnabled());
    form.SetDouhou(false);
    QVERIFY(!form.Douhou() && !form.AppendNo());
}

void TestSerialSetup::closeTakesAClampedValueOnTheSecondAttempt() {
    SerialSetup form = LoadedForm();
    form.SetText(SerialSetup::DelayField, "29");
    form.SetText(SerialSetup::ParityField, "none");
    SerialSetup::Verdict v = form.TryClose();
    QVERIFY(!v.mayClose);
    QCOMPARE(v.problem.field, SerialSetup::DelayField);
    QCOMPARE(v.problem.message, 42);
    v = form.TryClose();
    QVERIFY(!v.mayClose);
    QCOMPARE(v.problem.field, SerialSetup::ParityField);
    form.Select(SerialSetup::ParityField, 2);
    QVERIFY(form.TryClose().mayClose);
    QCOMPARE(form.Settings().delay, 30);
    QCOMPARE(form.Settings().port.parityIndex, 2);
}

void TestSerialSetup::disabledNumberDoesNotHoldTheDialog() {
    CommSettings s;
    s.id = 9;
    SerialSetup form = LoadedForm(s);
    form.SetText(SerialSetup::IdField, "x");
    QVERIFY(form.TryClose().mayClose);
    QCOMPARE(form.Settings().id, 9);
    form.SetAppendNo(true);
    QCOMPARE(form.TryClose().problem.message, 68);
}

void TestSerialSetup::portNames_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("savedIndex");
    QTest::addColumn<QString>("savedName");
    QTest::newRow("index alone names a listed device") << 1 << ""
                                                       << ""
                                                       << "/dev/ttyS1" << 1 << "/dev/ttyS1";
    QTest::newRow("an index beyond the list takes the first device")
        << 7 << ""
        << ""
        << "/dev/ttyS0" << 0 << "/dev/ttyS0";
    QTest::newRow("the name wins over a moved index") << 0 << "/dev/ttyUSB0"
                                                      << ""
                                                      << "/dev/ttyUSB0" << 2 << "/dev/ttyUSB0";
    QTest::newRow("an unplugged device is kept") << 1 << "/dev/ttyACM0"
                                                 << ""
                                                 << "/dev/ttyACM0" << 1 << "/dev/ttyACM0";
    QTest::newRow("a typed device keeps the index") << 1 << ""
                                                    << "/dev/null"
                                                    << "/dev/null" << 1 << "/dev/null";
    QTest::newRow("another listed device") << 1 << ""
                                           << "/dev/ttyS0"
                                           << "/dev/ttyS0" << 0 << "/dev/ttyS0";
}

void TestSerialSetup::portNames() {
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, savedIndex);
    QFETCH(QString, savedName);
    CommSettings s;
    s.port.portIndex = index;
    s.port.portName = name;
    SerialSetup form = LoadedForm(s);
    if (!typed.isEmpty())
        form.SetText(SerialSetup::PortField, typed);
    QVERIFY(form.TryClose().mayClose);
    QCOMPARE(form.Text(SerialSetup::PortField), shown);
    QVERIFY(name.isEmpty() || form.Items(SerialSetup::PortField).contains(name));
    QCOMPARE(form.Settings().port.portIndex, savedIndex);
    QCOMPARE(form.Settings().port.portName, savedName);
}

QTEST_GUILESS_MAIN(TestSerialSetup)
#include "tst_SerialSetup.moc"
