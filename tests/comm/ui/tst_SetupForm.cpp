// The RS-232C setup form without widgets: the up-down, the field checks with
// their clamping, the close verdict and the settings the form hands back,
// including the port box's device names.
#include "comm/SetupForm.h"

#include <QTest>

using namespace vdk;
using Field = SetupForm::Field;

Q_DECLARE_METATYPE(SetupForm::Field)

namespace {

const QStringList kPorts{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};

SetupForm LoadedForm(const CommSettings& settings = CommSettings()) {
    SetupForm form({"Non", "Even", "Odd"});
    form.Load(settings, kPorts);
    return form;
}

} // namespace

class TestSetupForm : public QObject {
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

void TestSetupForm::upDown_data() {
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("result");
    QTest::newRow("number wraps up") << SetupForm::IdField << "63" << 1 << "0";
    QTest::newRow("number wraps down") << SetupForm::IdField << "0" << -1 << "63";
    QTest::newRow("number from a fraction") << SetupForm::IdField << "12.7" << 1 << "13";
    QTest::newRow("number from text") << SetupForm::IdField << "x" << 1 << "1";
    QTest::newRow("time-out stops at the top") << SetupForm::DelayField << "5000" << 1 << "5000";
    QTest::newRow("time-out stops at the bottom") << SetupForm::DelayField << "30" << -10 << "30";
    QTest::newRow("time-out steps") << SetupForm::DelayField << "200" << 10 << "210";
}

void TestSetupForm::upDown() {
    QFETCH(Field, field);
    QFETCH(QString, text);
    QFETCH(int, steps);
    QFETCH(QString, result);
    SetupForm form = LoadedForm();
    form.SetText(field, text);
    form.Step(field, steps);
    QCOMPARE(form.Text(field), result);
}

void TestSetupForm::check_data() {
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("after");
    QTest::newRow("number truncated") << SetupForm::IdField << "12.7" << 0 << "12";
    QTest::newRow("number below 0") << SetupForm::IdField << "-1" << 42 << "0";
    QTest::newRow("number above 63") << SetupForm::IdField << "64" << 42 << "63";
    QTest::newRow("empty number") << SetupForm::IdField << "" << 68 << "";
    QTest::newRow("time-out 30") << SetupForm::DelayField << "30" << 0 << "30";
    QTest::newRow("time-out 29") << SetupForm::DelayField << "29" << 42 << "30";
    QTest::newRow("time-out 5001") << SetupForm::DelayField << "5001" << 42 << "5000";
    QTest::newRow("time-out text") << SetupForm::DelayField << "2s" << 68 << "2s";
    QTest::newRow("baud without spaces") << SetupForm::BaudField << "19,200" << 0 << " 19,200";
    QTest::newRow("baud not listed") << SetupForm::BaudField << "57,600" << 68 << "57,600";
    QTest::newRow("parity in any case") << SetupForm::ParityField << "oDD" << 0 << "Odd";
    QTest::newRow("empty parity") << SetupForm::ParityField << "" << 68 << "";
    QTest::newRow("listed port") << SetupForm::PortField << " /dev/ttyS1 " << 0 << "/dev/ttyS1";
    QTest::newRow("typed device") << SetupForm::PortField << "/dev/null" << 0 << "/dev/null";
    QTest::newRow("no such device") << SetupForm::PortField << "/dev/none" << 68 << "/dev/none";
    QTest::newRow("empty port") << SetupForm::PortField << "" << 68 << "";
}

void TestSetupForm::check() {
    QFETCH(Field, field);
    QFETCH(QString, text);
    QFETCH(int, message);
    QFETCH(QString, after);
    SetupForm form = LoadedForm();
    form.SetText(field, text);
    const SetupForm::Problem problem = form.Check(field);
    QCOMPARE(problem.message, message);
    QCOMPARE(form.Text(field), after);
    // Any failure holds the next close attempt.
    QCOMPARE(form.TryClose().mayClose, message == 0);
}

void TestSetupForm::boxesExcludeEachOther() {
    CommSettings both;
    both.appendNo = both.douhou = true;
    SetupForm form = LoadedForm(both);
    QVERIFY(form.Douhou() && !form.AppendNo());
    form.SetAppendNo(true);
    QVERIFY(form.AppendNo() && !form.Douhou() && form.NumberEnabled());
    form.SetDouhou(true);
    QVERIFY(form.Douhou() && !form.AppendNo() && !form.NumberEnabled());
    form.SetDouhou(false);
    QVERIFY(!form.Douhou() && !form.AppendNo());
}

void TestSetupForm::closeTakesAClampedValueOnTheSecondAttempt() {
    SetupForm form = LoadedForm();
    form.SetText(SetupForm::DelayField, "29");
    form.SetText(SetupForm::ParityField, "none");
    SetupForm::Verdict v = form.TryClose();
    QVERIFY(!v.mayClose);
    QCOMPARE(v.problem.field, SetupForm::DelayField);
    QCOMPARE(v.problem.message, 42);
    v = form.TryClose();
    QVERIFY(!v.mayClose);
    QCOMPARE(v.problem.field, SetupForm::ParityField);
    form.Select(SetupForm::ParityField, 2);
    QVERIFY(form.TryClose().mayClose);
    QCOMPARE(form.Settings().delay, 30);
    QCOMPARE(form.Settings().port.parityIndex, 2);
}

void TestSetupForm::disabledNumberDoesNotHoldTheDialog() {
    CommSettings s;
    s.id = 9;
    SetupForm form = LoadedForm(s);
    form.SetText(SetupForm::IdField, "x");
    QVERIFY(form.TryClose().mayClose);
    QCOMPARE(form.Settings().id, 9);
    form.SetAppendNo(true);
    QCOMPARE(form.TryClose().problem.message, 68);
}

void TestSetupForm::portNames_data() {
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

void TestSetupForm::portNames() {
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, savedIndex);
    QFETCH(QString, savedName);
    CommSettings s;
    s.port.portIndex = index;
    s.port.portName = name;
    SetupForm form = LoadedForm(s);
    if (!typed.isEmpty())
        form.SetText(SetupForm::PortField, typed);
    QVERIFY(form.TryClose().mayClose);
    QCOMPARE(form.Text(SetupForm::PortField), shown);
    QVERIFY(name.isEmpty() || form.Items(SetupForm::PortField).contains(name));
    QCOMPARE(form.Settings().port.portIndex, savedIndex);
    QCOMPARE(form.Settings().port.portName, savedName);
}

QTEST_GUILESS_MAIN(TestSetupForm)
#include "tst_SetupForm.moc"
