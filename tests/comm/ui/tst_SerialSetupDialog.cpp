// The RS-232C setup dialog as the user drives it: the two addressing boxes,
// field checks on Enter and on closing, the three ways to close and what each
// leaves in the settings file, the link and the port. With
// VDK_SCREENSHOTS=DIR it also saves a picture of the dialog in both languages.
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"
#include "TempTree.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/ui/SerialSetupDialog.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace vdk;
using Field = SerialSetup::Field;

Q_DECLARE_METATYPE(SerialSetup::Field)

namespace {

const QStringList kPorts{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};

struct Setup {
    explicit Setup(const QString& language = QStringLiteral("English")) {
        texts.SetLangFile(QStringLiteral(VDK_SHARE_DIR "/lng/%1.ini").arg(language),
                          "windows-1252");
        texts.LoadMessageList();
        tree.Write("VDK330Q.ini", "[Comms]\r\nPrtocol=0\r\nCommport=1\r\nBaudrate=3\r\n"
                                  "Parity=1\r\nStopbits=2\r\nBytesize=0\r\nID=5\r\n"
                                  "AppendNo=1\r\nDouhou=0\r\nDelay=200\r\n");
    }
    SerialSetupDialog& Make() {
        dialog = std::make_unique<SerialSetupDialog>(link, ini, texts, messenger, nullptr,
                                                     [] { return kPorts; });
        dialog->show();
        return *dialog;
    }
    // Replaces a field's text as typing does.
    void Type(Field field, const QString& text) {
        QWidget* widget = dialog->FieldWidget(field);
        widget->findChild<QLineEdit*>()->selectAll();
        QTest::keyClick(widget, Qt::Key_Backspace);
        QTest::keyClicks(widget, text);
    }
    QString Shown(Field field) const {
        return dialog->FieldWidget(field)->findChild<QLineEdit*>()->text();
    }

    TempTree tree;
    IniFile ini{tree.Path("VDK330Q.ini")};
    LanguageTexts texts;
    ScriptedDialogs dialogs;
    Messenger messenger{texts, dialogs};
    VirtualClock clock;
    ScriptedPort port{clock};
    ProgramFlags flags;
    CommLink link{port, clock, messenger, flags};
    std::unique_ptr<SerialSetupDialog> dialog;
};

} // namespace

class TestSerialSetupDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addressingBoxes_data();
    void addressingBoxes();
    void fieldChecks_data();
    void fieldChecks();
    void leavingAField_data();
    void leavingAField();
    void cancelRestoresTheFile();
    void closing_data();
    void closing();
    void typedDeviceIsKept();
    void screenshots();
};

void TestSerialSetupDialog::addressingBoxes_data() {
    QTest::addColumn<QString>("clicks"); // s: "Set number", b: "Broadcast"
    QTest::addColumn<bool>("setNumber");
    QTest::addColumn<bool>("broadcast");
    QTest::newRow("as loaded") << "" << true << false;
    QTest::newRow("broadcast clears set number") << "b" << false << true;
    QTest::newRow("set number clears broadcast") << "bs" << true << false;
    QTest::newRow("both off") << "s" << false << false;
}

void TestSerialSetupDialog::addressingBoxes() {
    QFETCH(QString, clicks);
    QFETCH(bool, setNumber);
    QFETCH(bool, broadcast);
    Setup s;
    SerialSetupDialog& d = s.Make();
    for (QChar c : clicks)
        (c == u's' ? d.SetNumberBox() : d.BroadcastBox())->click();
    QCOMPARE(d.SetNumberBox()->isChecked(), setNumber);
    QCOMPARE(d.BroadcastBox()->isChecked(), broadcast);
    QCOMPARE(d.FieldWidget(SerialSetup::IdField)->isEnabled(), setNumber);
}

void TestSerialSetupDialog::fieldChecks_data() {
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enter"); // else OK
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("time-out 29 on Enter") << SerialSetup::DelayField << "29" << true << 42 << "30";
    QTest::newRow("time-out 5001 on OK")
        << SerialSetup::DelayField << "5001" << false << 42 << "5000";
    QTest::newRow("number not a number on Enter")
        << SerialSetup::IdField << "1a" << true << 68 << "1a";
    QTest::newRow("empty time-out on OK") << SerialSetup::DelayField << "" << false << 68 << "";
    QTest::newRow("unknown device on OK")
        << SerialSetup::PortField << "/dev/none" << false << 68 << "/dev/none";
    QTest::newRow("fraction on Enter") << SerialSetup::IdField << "12.7" << true << 0 << "12";
}

void TestSerialSetupDialog::fieldChecks() {
    QFETCH(Field, field);
    QFETCH(QString, text);
    QFETCH(bool, enter);
    QFETCH(int, message);
    QFETCH(QString, shown);
    Setup s;
    SerialSetupDialog& d = s.Make();
    const int opens = s.port.opens;
    s.Type(field, text);
    if (enter)
        QTest::keyClick(d.FieldWidget(field), Qt::Key_Return);
    else
        d.OkButton()->click();
    QCOMPARE(s.dialogs.Numbers(), message ? QList<int>{message} : QList<int>{});
    if (message)
        QCOMPARE(s.dialogs.messages.first().icon, MsgIcon::Stop);
    QCOMPARE(s.Shown(field), shown);
    // Enter never closes; a failed check keeps the dialog open, the file and the port as they were.
    QVERIFY(d.isVisible());
    QCOMPARE(s.port.opens, opens);
    QCOMPARE(s.ini.ReadInteger("Comms", "Delay", 0), 200);
}

void TestSerialSetupDialog::leavingAField_data() {
    QTest::addColumn<bool>("toCancel"); // else Tab to the next control
    QTest::addColumn<QList<int>>("messages");
    QTest::addColumn<bool>("open");
    QTest::newRow("Tab checks and keeps the focus") << false << QList<int>{42} << true;
    QTest::newRow("Cancel is not held by the check") << true << QList<int>{} << false;
}

void TestSerialSetupDialog::leavingAField() {
    QFETCH(bool, toCancel);
    QFETCH(QList<int>, messages);
    QFETCH(bool, open);
    Setup s;
    SerialSetupDialog& d = s.Make();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QWidget* field = d.FieldWidget(SerialSetup::DelayField);
    field->setFocus(Qt::TabFocusReason);
    s.Type(SerialSetup::DelayField, "29");
    if (toCancel)
        QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    else
        QTest::keyClick(field, Qt::Key_Tab);
    QCOMPARE(s.dialogs.Numbers(), messages);
    QCOMPARE(d.isVisible(), open);
    if (open)
        QCOMPARE(QApplication::focusWidget(), field);
}

void TestSerialSetupDialog::cancelRestoresTheFile() {
    Setup s;
    SerialSetupDialog& d = s.Make();
    const QByteArray before = s.tree.Read("VDK330Q.ini");
    d.ProtocolButton(Protocol::Modbus)->click();
    QTest::keyClick(d.FieldWidget(SerialSetup::BaudField), Qt::Key_Down);
    d.BroadcastBox()->click();
    s.Type(SerialSetup::DelayField, "29"); // no check stands in the way of Cancel
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!d.isVisible());
    QVERIFY(s.dialogs.messages.isEmpty());
    QVERIFY(d.ProtocolButton(Protocol::Inverter)->isChecked());
    QCOMPARE(qobject_cast<QComboBox*>(d.FieldWidget(SerialSetup::BaudField))->currentIndex(), 3);
    QVERIFY(d.SetNumberBox()->isChecked() && !d.BroadcastBox()->isChecked());
    QCOMPARE(s.Shown(SerialSetup::DelayField), QStringLiteral("200"));
    QCOMPARE(s.link.settings.delay, 200);
    const CommSettings file = LoadCommSettings(s.ini);
    QCOMPARE(file.protocol, Protocol::Inverter);
    QCOMPARE(file.port.baudIndex, 3);
    QVERIFY(file.appendNo && !file.douhou);
    QCOMPARE(s.tree.Read("VDK330Q.ini").left(before.size()), before);
    QCOMPARE(s.port.opens, 1);
    QCOMPARE(s.port.opened.baudIndex, 3);
    QCOMPARE(s.port.opened.portIndex, 1);
}

void TestSerialSetupDialog::closing_data() {
    QTest::addColumn<bool>("closeBox"); // else OK
    QTest::addColumn<bool>("errorFlag");
    QTest::newRow("OK clears the error flag") << false << false;
    QTest::newRow("the close box leaves it") << true << true;
}

void TestSerialSetupDialog::closing() {
    QFETCH(bool, closeBox);
    QFETCH(bool, errorFlag);
    Setup s;
    SerialSetupDialog& d = s.Make();
    s.link.Transact(-1, QString(), u"R"); // a failed exchange sets the flag
    d.ProtocolButton(Protocol::Modbus)->click();
    QTest::keyClick(d.FieldWidget(SerialSetup::ParityField), Qt::Key_Down);
    QTest::keyClick(d.FieldWidget(SerialSetup::IdField), Qt::Key_Up);
    s.Type(SerialSetup::DelayField, "450");
    if (closeBox)
        d.close();
    else
        d.OkButton()->click();
    QVERIFY(!d.isVisible());
    QVERIFY(s.dialogs.messages.isEmpty());
    QCOMPARE(s.link.LastFailed(), errorFlag);
    QCOMPARE(s.link.settings.delay, 450);
    const CommSettings file = LoadCommSettings(s.ini);
    QCOMPARE(file.protocol, Protocol::Modbus);
    QCOMPARE(file.port.parityIndex, 2);
    QCOMPARE(file.id, 6);
    QCOMPARE(file.delay, 450);
    QCOMPARE(file.port.stopBitsIndex, 2); // kept from the file
    QCOMPARE(file.port.byteSizeIndex, 0);
    QCOMPARE(s.port.opens, 1);
    QCOMPARE(s.port.opened.parityIndex, 2);
}

void TestSerialSetupDialog::typedDeviceIsKept() {
    Setup s;
    SerialSetupDialog& d = s.Make();
    s.Type(SerialSetup::PortField, "/dev/null");
    d.OkButton()->click();
    QVERIFY(s.dialogs.messages.isEmpty());
    QCOMPARE(s.ini.ReadString("Comms", "CommportName", ""), QStringLiteral("/dev/null"));
    QCOMPARE(s.ini.ReadInteger("Comms", "Commport", -1), 1);
    QCOMPARE(s.port.opened.portName, QStringLiteral("/dev/null"));
    d.show();
    QCOMPARE(s.Shown(SerialSetup::PortField), QStringLiteral("/dev/null"));
    const auto* box = qobject_cast<QComboBox*>(d.FieldWidget(SerialSetup::PortField));
    QCOMPARE(box->count(), kPorts.size() + 1);
}

void TestSerialSetupDialog::screenshots() {
    const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set VDK_SCREENSHOTS=DIR to save pictures of the dialog");
    for (const char* name : {"English", "Japanese"}) {
        Setup s(QString::fromLatin1(name));
        SerialSetupDialog& d = s.Make();
        QApplication::processEvents();
        d.grab().save(QStringLiteral("%1/rs232c-%2.png").arg(dir, QString::fromLatin1(name, 3)));
    }
}

QTEST_MAIN(TestSerialSetupDialog)
#include "tst_SerialSetupDialog.moc"
