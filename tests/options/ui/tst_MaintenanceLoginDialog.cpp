// The maintenance password dialog: the field's limits, a refusal that keeps
// the dialog open with its text, and an accepted login that closes it.
#include "DataFixture.h"
#include "ScriptedPort.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "options/Maintenance.h"
#include "options/ui/MaintenanceLoginDialog.h"

#include <QLineEdit>
#include <QTest>

using namespace vdk;

class TestMaintenanceLoginDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loginThroughTheDialog();
};

void TestMaintenanceLoginDialog::loginThroughTheDialog() {
    DataFixture f;
    f.Load();
    TempTree t;
    MaintenanceCodes codes;
    QVERIFY(codes.Load(
        t.Write("Maintenance.ini",
                "[Level3]\r\nCode1=" + MaintenanceCodes::HashOf("viewer", "salt", 1000).toLatin1() +
                    "\r\n")));
    VirtualClock clock;
    ScriptedPort port(clock);
    ProgramFlags flags;
    CommLink link(port, clock, f.messenger, flags);
    MaintenanceLoginDialog dialog(codes, link, f.messenger, flags, f.texts);
    QCOMPARE(dialog.Field()->maxLength(), 10);
    QCOMPARE(dialog.Field()->echoMode(), QLineEdit::Password);
    dialog.show();
    QTest::keyClicks(dialog.Field(), "wrong");
    if (const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS"); !dir.isEmpty())
        dialog.grab().save(dir + "/maintenance.png");
    QTest::keyClick(dialog.Field(), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.Field()->text(), QStringLiteral("wrong"));
    QCOMPARE(f.dialogs.Numbers().last(), 60);
    dialog.Field()->setText("viewer");
    QTest::keyClick(dialog.Field(), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Level(), 3);
    QVERIFY(flags.MainteFlag && !flags.SMainteFlag);
}

QTEST_MAIN(TestMaintenanceLoginDialog)
#include "tst_MaintenanceLoginDialog.moc"
