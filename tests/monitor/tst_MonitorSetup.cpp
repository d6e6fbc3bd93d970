// The monitoring set-up without its window: defaults, the alarm and trip
// slots, the counts of reads and points, the entry rules, [Monitor], and the
// figures of continuous mode.
#include "DataFixture.h"
#include "data/ParaDat.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorSetup.h"
#include "options/EnvironmentOptions.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"

#include <QTest>

using namespace vdk;

class TestMonitorSetup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaults();
    void alarmAndTripTakeTheLastSlots();
    void entries_data();
    void entries();
    void setupSurvivesARestartForTheSameInverter();
    void eraseKeepsTheMonitorFolder();
    void continuousPlans_data();
    void continuousPlans();
    void figuresOfTheClock();
    void turningRedrawsTheTrace();
    void optionsNeedWhatTheyShow();
    void voltageClass_data();
    void voltageClass();
};

void TestMonitorSetup::defaults() {
    const MonitorSetup s;
    QCOMPARE(s.SelectedCount(), 5);
    for (int i = 0; i < kMonitorSlots; ++i) {
        QCOMPARE(s.slots[i].item, i);
        QCOMPARE(s.slots[i].Multiplier(), 1.0);
        QCOMPARE(s.slots[i].offset, 0);
        QCOMPARE(s.slots[i].colour, MonitorSetup::kDefaultColours[i]);
    }
    QCOMPARE(s.max, QStringLiteral("100"));
    QCOMPARE(s.PointsPerChannel(), 250);
}

void TestMonitorSetup::alarmAndTripTakeTheLastSlots() {
    MonitorSetup s;
    for (MonitorSlot& slot : s.slots)
        slot.selected = false;
    s.slots[0].selected = true;
    QCOMPARE(s.ReadsPerSample(), 1);
    QCOMPARE(s.PointsPerChannel(), 1250);
    s.slots[1].selected = s.slots[2].selected = s.slots[9].selected = true;
    s.ApplyAlarmTripSlots(true, true);
    QVERIFY(!s.slots[8].visible && !s.slots[9].visible);
    QCOMPARE(s.UsableSlots(), 8);
    QCOMPARE(s.ReadsPerSample(), 5); // CH10 no longer counts
    QCOMPARE(s.PointsPerChannel(), 250);
    s.ApplyAlarmTripSlots(true, false);
    QVERIFY(s.slots[8].visible && !s.slots[9].visible);
    s.minReadTime = 100;
    QCOMPARE(s.MinTimeBaseMs(), 100 * 4 * 5);
    for (MonitorSlot& slot : s.slots)
        slot.selected = false;
    s.ApplyAlarmTripSlots(false, false);
    QCOMPARE(s.PointsPerChannel(), 0);
}

void TestMonitorSetup::entries_data() {
    QTest::addColumn<bool>("multiplier");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("position");
    QTest::newRow("multiplier 0.05") << true << "0.05" << 42 << "0.1" << 1;
    QTest::newRow("multiplier 12") << true << "12" << 42 << "10.0" << 100;
    QTest::newRow("multiplier 2.57") << true << "2.57" << 0 << "2.6" << 25;
    QTest::newRow("multiplier text") << true << "x" << 68 << "x" << 0;
    QTest::newRow("multiplier nan") << true << "nan" << 68 << "nan" << 0;
    QTest::newRow("offset -3") << false << "-3" << 42 << "0" << 0;
    QTest::newRow("offset 600") << false << "600" << 42 << "500" << 500;
    QTest::newRow("offset 7.9") << false << "7.9" << 0 << "8" << 7;
    QTest::newRow("offset nan") << false << "NaN" << 68 << "NaN" << 0;
}

void TestMonitorSetup::entries() {
    QFETCH(bool, multiplier);
    QFETCH(QString, text);
    QFETCH(int, message);
    QFETCH(QString, shown);
    QFETCH(int, position);
    const SlotEntry e = multiplier ? CheckSlotMultiplier(text) : CheckSlotOffset(text);
    QCOMPARE(e.message, message);
    QCOMPARE(e.shown, shown);
    if (message != 68)
        QCOMPARE(e.position, position);
}

void TestMonitorSetup::setupSurvivesARestartForTheSameInverter() {
    DataFixture f;
    IniFile settings(f.tree.Path("VDK330Q.ini"));
    const InverterIdentity qm40{"QM40", "-2004", "2.10", "English", "Eng"};
    MonitorSetup s;
    s.slots[6].selected = true;
    s.slots[6].item = 12;
    s.slots[6].multiplier = 7; // 0.7 stays 0.7
    s.slots[6].offset = 40;
    s.slots[6].colour = 0x123456;
    s.max = "250";
    s.triggerChannel = 3;
    QVERIFY(s.Save(settings, qm40));
    MonitorSetup again;
    again.Restore(settings, qm40, 20);
    QVERIFY(again.slots[6].selected);
    QCOMPARE(again.slots[6].item, 12);
    QCOMPARE(again.slots[6].multiplier, 7);
    QCOMPARE(again.slots[6].offset, 40);
    QCOMPARE(again.slots[6].colour, quint32(0x123456));
    QCOMPARE(again.max, QStringLiteral("250"));
    QCOMPARE(again.triggerChannel, 3);
    // Fewer items: an index beyond the list becomes the first item.
    MonitorSetup fewer;
    fewer.Restore(settings, qm40, 10);
    QCOMPARE(fewer.slots[6].item, 0);
    // Saved for another CPU version: the defaults, as a whole.
    MonitorSetup other;
    other.Restore(settings, {"QM40", "-2004", "3.05", "English", "Eng"}, 20);
    QVERIFY(!other.slots[6].selected);
    QCOMPARE(other.max, QStringLiteral("100"));
}

void TestMonitorSetup::eraseKeepsTheMonitorFolder() {
    DataFixture f;
    IniFile settings(f.tree.Path("VDK330Q.ini"));
    QVERIFY(settings.WriteString("Monitor", "MonPath", "/data/mon"));
    QVERIFY(MonitorSetup().Save(settings, {"QM40", "-2004", "2.10", "English", "Eng"}));
    QVERIFY(MonitorSetup::Erase(settings));
    QCOMPARE(settings.ReadSection("Monitor"), QStringList{"MonPath"});
}

void TestMonitorSetup::continuousPlans_data() {
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("k");
    QTest::addColumn<double>("timeBase");
    QTest::newRow("120 min, 10 s, one channel") << 120 << 10 << 1250 << 720 << 61 << 2 << 100.0;
    QTest::newRow("30 min, 300 s") << 30 << 300 << 1250 << 6 << 1 << 1 << 1500.0;
    QTest::newRow("1440 min, 10 s, five reads")
        << 1440 << 10 << 250 << 8640 << 932 << 996 << 49800.0;
}

void TestMonitorSetup::continuousPlans() {
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(int, points);
    QFETCH(int, samples);
    QFETCH(int, size);
    QFETCH(int, k);
    QFETCH(double, timeBase);
    const ContinuousPlan plan = PlanContinuous(minutes, seconds, points);
    QCOMPARE(plan.samples, samples);
    QCOMPARE(plan.sizeFigure, size);
    QCOMPARE(plan.decimation, k);
    QCOMPARE(plan.timeBaseSeconds, timeBase);
}

void TestMonitorSetup::figuresOfTheClock() {
    QCOMPARE(RunWord(0.5 * 200), 6400); // 0.5 s/div: a sample every 100 ms
    QCOMPARE(RunWord(0.5 * 200) + 1, 6401);
    QCOMPARE(MinReadTime(23, 50), 100);
    QCOMPARE(MinReadTime(0, 50), 100);
    QCOMPARE(MinReadTime(149, 50), 200);
}

// The multiplier from 1.0 to 2.0 doubles every y, offset included; the
// offset turned by +5 moves every y by 5.
void TestMonitorSetup::turningRedrawsTheTrace() {
    const QList<QPointF> trace{{0, 10}, {1, 35}};
    QCOMPARE(RescaledTrace(trace, 20.0 / 10, 0), (QList<QPointF>{{0, 20}, {1, 70}}));
    QCOMPARE(RescaledTrace(trace, 1, 5), (QList<QPointF>{{0, 15}, {1, 40}}));
}

// Alarm and trip display need their words and their names; the drive keys
// FA10 and FA11.
void TestMonitorSetup::optionsNeedWhatTheyShow() {
    ParaDat table;
    table.Load({"FC91,0,0,Alarm,Fc91,,2,0,0,65535,0,0,,,,1,0",
                "FC90,0,0,Trip,Fc90,,2,0,0,65535,0,0,,,,1,0",
                "FA10,0,0,Key mode,Fb09,,2,0,0,1,0,0,,,RAM,1,0"},
               QStringLiteral("0*"));
    MonitorCatalogue catalogue;
    catalogue.tripKeys = {"0", "1"};
    catalogue.tripNames = {"none", "OC1"};
    EnvironmentOptions o;
    o.MonMode4 = true;
    o.MonMode2 = true;
    o.MonMode2Multi = 250;
    const MonitorOptions m = MonitorOptionsOf(o, table, catalogue, false);
    QVERIFY(!m.alarm); // no alarm names
    QVERIFY(m.trip);
    QVERIFY(m.stopAtTrip);
    QVERIFY(!m.driveKeys); // no FA11
    QCOMPARE(m.freeUnitFactor.value_or(0), 2.5);
}

void TestMonitorSetup::voltageClass_data() {
    QTest::addColumn<QString>("capacity");
    QTest::addColumn<int>("digit"); // -1 none
    QTest::newRow("plain") << "-2004" << 2;
    QTest::newRow("S series") << "-S4015" << 4;
    QTest::newRow("no hyphen") << "2004" << 2;
    QTest::newRow("not a digit") << "-X004" << -1;
    QTest::newRow("empty") << "-" << -1;
}

void TestMonitorSetup::voltageClass() {
    QFETCH(QString, capacity);
    QFETCH(int, digit);
    QCOMPARE(VoltageClass(capacity).value_or(-1), digit);
}

QTEST_GUILESS_MAIN(TestMonitorSetup)
#include "tst_MonitorSetup.moc"
