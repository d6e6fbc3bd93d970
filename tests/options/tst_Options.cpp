// Environment options (defaults, ranges, the rules that tie them together),
// the maintenance codes and login, and the registration of the file type.
#include "DataFixture.h"
#include "ScriptedPort.h"
#include "SimLine.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "options/EnvironmentOptions.h"
#include "options/FileTypeRegistration.h"
#include "options/Maintenance.h"
#include "options/ProgramOptions.h"
#include "settings/IniFile.h"

#include <QTest>

using namespace vdk;

namespace {

// Codes of the test file (few iterations: the shipped file uses many more).
const QStringList kCodes{"one", "two", "three", "master"};

QByteArray CodeFile() {
    QByteArray text;
    for (int level = 1; level <= 4; ++level)
        text += "[Level" + QByteArray::number(level) + "]\r\nCode1=" +
                MaintenanceCodes::HashOf(kCodes[level - 1], QByteArray::number(level * 7), 1000)
                    .toLatin1() +
                "\r\n";
    return text;
}

QByteArray Reply(quint16 number, int value) {
    QByteArray r = QByteArray::fromHex("2F50");
    r.append(char(number >> 8))
        .append(char(number & 0xFF))
        .append(char(value >> 8))
        .append(char(value & 0xFF));
    return r.append(char(ByteSum(r.constData(), r.size())));
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultsAndRoundTrip();
    void valuesOutOfRangeAreClamped();
    void comparisonBoxesNeverBothOff();
    void availability_data();
    void availability();
    void multiplier_data();
    void multiplier();
    void codesMatchExactly_data();
    void codesMatchExactly();
    void shippedCodeFileIsHashesOnly();
    void login_data();
    void login();
    void registration();
    void useMaintenanceModeWritesTheAccessValue_data();
    void useMaintenanceModeWritesTheAccessValue();
    void programOptionsReact();
};

void TestOptions::defaultsAndRoundTrip() {
    TempTree t;
    IniFile ini(t.Path("VDK330Q.ini"));
    EnvironmentOptions o;
    o.Load(ini); // an empty file: the defaults
    QVERIFY(o.CheckLang && o.Eeprom && o.RegistFile && o.MonMode5 && o.ReviewExport);
    QCOMPARE(o.SnapshotKeep, 50);
    QCOMPARE(o.UndoMax, 10);
    QCOMPARE(o.PanelTime1, 260);
    QCOMPARE(o.MBC, 14745599u);
    QVERIFY(o.Save(ini, false));
    QCOMPARE(ini.ReadSection("Options").size(), 37); // every stored key
    o.Mainte = true;
    o.UndoMax = 33;
    QVERIFY(o.Save(ini, true)); // maintenance mode on: Mainte keeps its stored value
    EnvironmentOptions again;
    again.Load(ini);
    QCOMPARE(again.UndoMax, 33);
    QVERIFY(!again.Mainte);
}

void TestOptions::valuesOutOfRangeAreClamped() {
    TempTree t;
    const IniFile ini(t.Write("a.ini",
                              "[Options]\r\nUndoMax=500\r\nMonMode3Smp=1\r\nPanelTime1=-4\r\n"
                              "MonMode2Multi=0\r\nMMG=-3\r\nCompDisp=0\r\nResultC=0\r\n"));
    EnvironmentOptions o;
    o.Load(ini);
    QCOMPARE(o.UndoMax, 100);
    QCOMPARE(o.MonMode3Smp, 10);
    QCOMPARE(o.PanelTime1, 0);
    QCOMPARE(o.MonMode2Multi, 1);
    QCOMPARE(o.MMG, 0);
    QVERIFY(o.ResultC); // never both comparison boxes off
}

void TestOptions::comparisonBoxesNeverBothOff() {
    EnvironmentOptions o;
    o.SetCompDisp(true);
    o.SetResultC(false);
    QVERIFY(o.CompDisp && !o.ResultC);
    o.SetCompDisp(false);
    QVERIFY(o.ResultC);
}

void TestOptions::availability_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("maintenance");
    QTest::addColumn<QString>("expected"); // the available controls
    QTest::newRow("defaults") << "" << false << "alarm trip tripData runStop";
    QTest::newRow("both results ticked hide save") << "" << false << "alarm trip tripData runStop";
    QTest::newRow("Option1 keeps save")
        << "option1" << false << "alarm trip tripData saveResult runStop";
    QTest::newRow("Option2 needs maintenance") << "option2" << false << "alarm trip tripData";
    QTest::newRow("Option2 in maintenance") << "option2" << true << "alarm trip tripData runStop";
    QTest::newRow("continuous monitoring")
        << "continuous" << false << "alarm trip tripData continuousFields";
    QTest::newRow("trip off") << "tripoff" << false << "alarm trip runStop";
    QTest::newRow("hints with RUN/STOP")
        << "runstop" << false << "alarm trip tripData runStop runStopHints";
}

void TestOptions::availability() {
    QFETCH(QString, setup);
    QFETCH(bool, maintenance);
    QFETCH(QString, expected);
    EnvironmentOptions o;
    o.Option1 = setup == "option1";
    o.Option2 = setup == "option2";
    o.MonMode3 = setup == "continuous";
    o.MonMode6 = setup != "tripoff";
    o.MonMode4 = setup == "runstop";
    const OptionAvailability a = AvailabilityOf(o, true, true, maintenance);
    QStringList available;
    for (const auto& [name, on] : {std::pair{"alarm", a.alarm},
                                   {"trip", a.trip},
                                   {"tripData", a.tripData},
                                   {"saveResult", a.saveResult},
                                   {"runStop", a.runStop},
                                   {"runStopHints", a.runStopHints},
                                   {"multiplier", a.multiplier},
                                   {"continuousFields", a.continuousFields}})
        if (on)
            available.append(QString::fromLatin1(name));
    QCOMPARE(available.join(' '), expected);
    QVERIFY(!AvailabilityOf(o, false, false, maintenance).alarm);
}

void TestOptions::multiplier_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("message");
    QTest::addColumn<int>("stored");
    QTest::newRow("0 becomes 0.01") << "0" << 42 << 1;
    QTest::newRow("250 becomes 200.00") << "250" << 42 << 20000;
    QTest::newRow("hundredths") << "1.239" << 0 << 123;
    QTest::newRow("0.07") << "0.07" << 0 << 7;
    QTest::newRow("not a number") << "x" << 68 << 0;
}

void TestOptions::multiplier() {
    QFETCH(QString, text);
    QFETCH(int, message);
    QFETCH(int, stored);
    const MultiplierCheck c = CheckMultiplier(text);
    QCOMPARE(c.message, message);
    if (message != 68)
        QCOMPARE(c.stored, stored);
}

void TestOptions::codesMatchExactly_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("level");
    QTest::newRow("level 1") << "one" << 1;
    QTest::newRow("level 4") << "master" << 4;
    QTest::newRow("other letter case") << "Master" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("longer than the field") << "mastermaster" << 0;
    QTest::newRow("unknown") << "four" << 0;
}

void TestOptions::codesMatchExactly() {
    QFETCH(QString, code);
    QFETCH(int, level);
    TempTree t;
    MaintenanceCodes codes;
    QVERIFY(codes.Load(t.Write("Maintenance.ini", CodeFile())));
    QCOMPARE(codes.LevelOf(code), level);
}

void TestOptions::shippedCodeFileIsHashesOnly() {
    MaintenanceCodes codes;
    QVERIFY(codes.Load(QStringLiteral(VDK_SHARE_DIR "/dat/Maintenance.ini")));
    const IniFile ini(QStringLiteral(VDK_SHARE_DIR "/dat/Maintenance.ini"));
    for (int level = 1; level <= 4; ++level)
        for (const QString& value : ini.ReadSectionValues(QStringLiteral("Level%1").arg(level)))
            QVERIFY(
                QRegularExpression("^[0-9a-f]{32}:100000:[0-9a-f]{64}$").match(value).hasMatch());
}

void TestOptions::login_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("linkUp");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("master");
    QTest::newRow("level 1, inverter opened") << "one" << true << true << "M58" << false;
    QTest::newRow("level 1, no link") << "one" << false << true << "M58\nM59" << false;
    QTest::newRow("level 2, inverter opened") << "two" << true << true << "M58" << false;
    QTest::newRow("level 2 refused without link") << "two" << false << false << "M4" << false;
    QTest::newRow("level 3 never opens") << "three" << true << true << "M58\nM59" << false;
    QTest::newRow("level 4") << "master" << true << true << "Hello, the master." << true;
    QTest::newRow("level 4, no link")
        << "master" << false << true << "Hello, the master.\nM59" << true;
    QTest::newRow("wrong code") << "nope" << true << false << "M60" << false;
}

void TestOptions::login() {
    QFETCH(QString, code);
    QFETCH(bool, linkUp);
    QFETCH(bool, accepted);
    QFETCH(QString, text);
    QFETCH(bool, master);
    DataFixture f;
    f.Load();
    TempTree t;
    MaintenanceCodes codes;
    QVERIFY(codes.Load(t.Write("Maintenance.ini", CodeFile())));
    VirtualClock clock;
    ScriptedPort port(clock);
    ProgramFlags flags;
    CommLink link(port, clock, f.messenger, flags);
    link.SetTable(&f.table);
    if (linkUp) {
        port.replies.enqueue({QByteArray::fromHex("2F5200000063E4"), 1}); // 0000 answers
        port.replies.enqueue({Reply(0xFB91, 463), 1});
    }
    const LoginResult r = MaintenanceLogin(code, codes, link, f.messenger, flags);
    QCOMPARE(r.accepted, accepted);
    QCOMPARE(flags.MainteFlag, accepted);
    QCOMPARE(flags.SMainteFlag, master);
    QCOMPARE(f.dialogs.messages.last().text, text);
    QCOMPARE(f.dialogs.messages.last().icon, code == "nope" ? MsgIcon::Stop : MsgIcon::Exclamation);
}

void TestOptions::registration() {
    TempTree t;
    FileTypeRegistration reg(t.Path("data"), t.Path("config"), {t.Path("system")},
                             "/opt/vdk330q/bin/vdk330q");
    reg.updateCaches = false;
    t.Write("config/mimeapps.list", "[Default Applications]\r\ntext/plain=editor.desktop\r\n");
    QCOMPARE(reg.Register(false), FileTypeRegistration::Result::Written);
    QVERIFY(reg.IsRegistered());
    QVERIFY(t.Read("data/mime/packages/vdk330q.xml").contains("pattern=\"*.vdk\""));
    QVERIFY(t.Read("data/applications/vdk330q.desktop")
                .contains("Exec=\"/opt/vdk330q/bin/vdk330q\" %f"));
    QVERIFY(t.Read("config/mimeapps.list")
                .contains("application/x-vdk330q-parameters=vdk330q.desktop"));
    QCOMPARE(reg.Register(false), FileTypeRegistration::Result::NothingToDo);

    QCOMPARE(reg.Unregister(), FileTypeRegistration::Result::Written);
    QVERIFY(!QFile::exists(t.Path("data/applications/vdk330q.desktop")));
    QCOMPARE(t.Read("config/mimeapps.list"),
             QByteArray("[Default Applications]\r\ntext/plain=editor.desktop\r\n"));

    // The package installed with the program is ours, not another program's.
    QVERIFY(QDir().mkpath(t.Path("system/mime/packages")));
    QVERIFY(QFile::copy(QStringLiteral(VDK_SHARE_DIR "/desktop/vdk330q.xml"),
                        t.Path("system/mime/packages/vdk330q.xml")));
    QCOMPARE(reg.Register(false), FileTypeRegistration::Result::Written);
    QCOMPARE(reg.Unregister(), FileTypeRegistration::Result::Written);

    // Another program owns *.vdk: the tick box leaves it alone, the button does not.
    t.Write("system/mime/packages/other.xml", "<mime-type><glob pattern=\"*.vdk\"/></mime-type>");
    QCOMPARE(reg.Register(false), FileTypeRegistration::Result::OwnedElsewhere);
    QVERIFY(!reg.IsRegistered());
    QCOMPARE(reg.Register(true), FileTypeRegistration::Result::Written);
    QCOMPARE(reg.Unregister(), FileTypeRegistration::Result::Written);
    QVERIFY(QFile::exists(t.Path("system/mime/packages/other.xml")));
}

void TestOptions::useMaintenanceModeWritesTheAccessValue_data() {
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("linkUp");
    QTest::addColumn<bool>("withAccess"); // the table has FB91
    QTest::addColumn<QString>("written"); // empty: nothing written
    QTest::addColumn<bool>("ok");
    QTest::newRow("ticked") << true << true << true << "463" << true;
    QTest::newRow("unticked") << false << true << true << "0" << true;
    QTest::newRow("no link") << true << false << true << "" << false;
    // Nothing to open is not an open maintenance mode.
    QTest::newRow("no FB91 in the table") << true << true << false << "" << false;
}

void TestOptions::useMaintenanceModeWritesTheAccessValue() {
    QFETCH(bool, on);
    QFETCH(bool, linkUp);
    QFETCH(bool, withAccess);
    QFETCH(QString, written);
    QFETCH(bool, ok);
    DataFixture f;
    f.Load();
    if (!withAccess) {
        f.table.At(f.table.FindRow(u"FB91"), ComNo) = "FB92";
        f.table.Finish(f.table.Disp());
    }
    VirtualClock clock;
    ScriptedPort port(clock);
    ProgramFlags flags;
    CommLink link(port, clock, f.messenger, flags);
    link.SetTable(&f.table);
    if (linkUp) {
        port.replies.enqueue({QByteArray::fromHex("2F5200000063E4"), 1});
        port.replies.enqueue({Reply(0xFB91, written.toInt()), 1});
    }
    QCOMPARE(UseMaintenanceMode(link, on), ok);
    if (written.isEmpty()) {
        QCOMPARE(port.sent.size(), 1); // only the check's read
        return;
    }
    QCOMPARE(port.sent.last(), EncodeInverterRequest(Request{"FB91", false, 'P', written, {}}));
}

// The running program's options: loaded, they react once; New may end
// maintenance mode and read the line settings again; a login turns the option on.
void TestOptions::programOptionsReact() {
    DataFixture f;
    f.Load();
    SimLine line(f.table, f.messenger, Protocol::Inverter, f.tree.Path("sim.txt"), {});
    IniFile settings(f.tree.Path("VDK330Q.ini"));
    EnvironmentOptions stored;
    stored.RegistFile = stored.Mainte = true;
    QVERIFY(stored.Save(settings, false));
    QList<bool> registered, buffers;
    EnvironmentOptions options;
    ProgramFlags flags;
    ProgramOptions program(
        options, settings, line.link, flags,
        {[&](bool on) { registered.append(on); }, [&](bool on) { buffers.append(on); }});
    program.Start(f.paths.InfoIni);
    QCOMPARE(registered, QList<bool>{true});
    QVERIFY(line.sim.MaintenanceOpen());

    // New in maintenance mode, with "Clear Maintenance Mode" and the buffer window up.
    flags.MainteFlag = flags.SMainteFlag = true;
    options.MainteClear = options.DispBuffer = true;
    line.link.settings.delay = 999; // not what the settings file holds
    program.AfterNew();
    QVERIFY(!flags.MainteFlag && !flags.SMainteFlag && !options.DispBuffer);
    QCOMPARE(buffers, QList<bool>{false});
    QCOMPARE(line.link.settings.delay, 999); // the inverter check keeps the line
    options.CheckInv = false;
    program.AfterNew();
    QCOMPARE(line.link.settings.delay, LoadCommSettings(settings).delay);

    options.Mainte = false;
    UseMaintenanceMode(line.link, false);
    program.MaintenanceLoggedIn();
    QVERIFY(options.Mainte);
    QVERIFY(line.sim.MaintenanceOpen());
}

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_Options.moc"
