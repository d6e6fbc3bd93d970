// The monitoring window's runs without the window, on the simulated inverter
// and the virtual clock: samples and points of a normal run, failed reads,
// Stop, a trip, the alarm and trip texts, the drive keys, and the continuous
// run with its CSV and decimation.
#include "../sim/SimTables.h"
#include "RecordedInverter.h"
#include "base/EventPump.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "data/UPara.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorRecorder.h"
#include "monitor/MonitorRun.h"
#include "monitor/MonitorSetup.h"
#include "settings/IniFile.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace vdk;

namespace {

// A monitor run on the simulated QM40; `onPump` runs at each turn of the
// user interface.
struct Bench : RecordedInverter {
    Bench() : RecordedInverter(ShippedTable("QM40", "2.10", "-2004")) {
        link->OpenPort();
        catalogue = MonitorCatalogue::Load(
            IniFile(QStringLiteral(VDK_SHARE_DIR "/dat/QM40(2.10)/Info.ini")), "QM40", "Eng");
        run = std::make_unique<MonitorRun>(*link, clock, pump, values, catalogue);
        run->SetObserver(
            {[this](int slot, double x, double y) {
                 points[slot].append({x, y});
             },
             [this](int slot, const QString& t) { texts[slot] = t; },
             [this](const QString& t) { alarm = t; }, [this](const QString& t) { trip = t; },
             [this](int n) { errors = n; }, [this](bool r) { failedKeys.append(r); },
             [this](bool on) { waiting.append(on); }, [this](int held) { preTrigger = held; }});
        config.setup.multiplier.fill(10);
        config.displayFactor.fill(1);
    }
    void Use(int slot, const char* key, double multiplier = 1, int offset = 0) {
        config.channels[slot] =
            MonitorChannel::For(table, catalogue.items[*catalogue.IndexOfKey(key)]);
        config.active[slot] = true;
        config.setup.multiplier[slot] = int(multiplier * 10);
        config.setup.offset[slot] = offset;
    }
    MonitorCatalogue catalogue;
    int turn = 0;
    std::function<void(int)> onPump;
    FunctionPump pump{[this] {
        ++turn;
        if (onPump)
            onPump(turn);
    }};
    std::unique_ptr<MonitorRun> run;
    MonitorRunConfig config;
    std::array<QList<QPointF>, kMonitorSlots> points;
    std::array<QString, kMonitorSlots> texts;
    QString alarm, trip;
    int errors = 0;
    QList<bool> failedKeys;
    QList<bool> waiting;
    int preTrigger = -1;
};

} // namespace

class TestMonitorRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneChannelTakesEveryPoint();
    void alarmAndTripBesideThreeChannels();
    void failedReads();
    void stopDuringTheWaitOfSampleN();
    void driveKeysGoOutAfterTheSample();
    void continuousRunWritesEveryRow();
    void levelTest_data();
    void levelTest();
    void triggeredRunHoldsThePart_data();
    void triggeredRunHoldsThePart();
    void failedSourceReadNeitherArmsNorFires();
};

void TestMonitorRun::oneChannelTakesEveryPoint() {
    Bench b;
    b.Use(0, "FD00", 2, 10);
    b.config.pointsPerChannel = 1250;
    b.config.sampleIntervalMs = 25 * 200; // 25 s/div
    const MonitorRecord r = b.run->RunNormal(b.config);
    QCOMPARE(r.SampleCount(), 1251);
    QCOMPARE(b.points[0].size(), 1251);
    QCOMPARE(b.points[0].last().x(), 1250.0);
    QCOMPARE(b.points[0].first().y(), 10.0); // 0 Hz x 2 + 10
    for (int n = 0; n < r.SampleCount(); ++n)
        QCOMPARE(r.elapsedMs[n], qint64(n) * 5000);
    QCOMPARE(b.texts[0], QStringLiteral("0.00"));
    QCOMPARE(r.errors, 0);
}

void TestMonitorRun::alarmAndTripBesideThreeChannels() {
    Bench b;
    MonitorSetup setup;
    for (MonitorSlot& s : setup.slots)
        s.selected = false;
    setup.slots[0].selected = setup.slots[1].selected = setup.slots[2].selected = true;
    setup.ApplyAlarmTripSlots(true, true);
    QCOMPARE(setup.ReadsPerSample(), 5);
    b.Use(0, "FD00");
    b.Use(1, "FD03");
    b.Use(2, "FD01-00");
    b.config.alarm = MonitorChannel::For(b.table, "FC91", -1);
    b.config.trip = MonitorChannel::For(b.table, "FC90", -1);
    b.config.pointsPerChannel = setup.PointsPerChannel();
    b.config.sampleIntervalMs = 100;
    b.config.stopAtTrip = true;
    b.onPump = [&](int) {
        if (b.points[0].size() == 3)
            b.sim->RaiseAlarm(0x5);
        if (b.points[0].size() == 6)
            b.sim->Trip(1);
    };
    const MonitorRecord r = b.run->RunNormal(b.config);
    QCOMPARE(b.alarm, QStringLiteral("Overcurrent alarm,Overload alarm,"));
    QVERIFY(b.trip.startsWith("OC1"));
    QVERIFY(r.tripped);
    QCOMPARE(r.SampleCount(), 7); // the trip was read in sample 6: the run ends after it
    QCOMPARE(b.points[2].size(), 7);
}

// The first sample's failed read plots 0 (the offset) and counts; a later
// one holds the last value; both show "Err.".
void TestMonitorRun::failedReads() {
    Bench b;
    QVERIFY(b.link->Transact(b.table.FindRow(u"FA01"), "5000", u"P").ok());
    b.Use(0, "FD02", 1, 20); // the frequency command: 50.00 Hz
    b.config.pointsPerChannel = 4;
    b.config.sampleIntervalMs = 100;
    QStringList shown;
    MonitorRun::Observer observer;
    observer.point = [&](int slot, double x, double y) { b.points[slot].append({x, y}); };
    observer.value = [&](int, const QString& text) { shown.append(text); };
    observer.errors = [&](int n) { b.errors = n; };
    b.run->SetObserver(observer);
    // Samples 0 and 2 fail, 1, 3 and 4 are read.
    b.recorder->mute = true;
    b.onPump = [&](int) { b.recorder->mute = b.points[0].size() == 2; };
    const MonitorRecord r = b.run->RunNormal(b.config);
    QCOMPARE(shown, (QStringList{"Err.", "50.00", "Err.", "50.00", "50.00"}));
    QCOMPARE(b.points[0][0].y(), 20.0); // 0 + offset
    QCOMPARE(b.points[0][1].y(), 70.0);
    QCOMPARE(b.points[0][2].y(), b.points[0][1].y()); // held
    QCOMPARE(r.values[0][2], r.values[0][1]);
    QCOMPARE(r.errors, 2);
    QCOMPARE(b.errors, 2);
}

void TestMonitorRun::stopDuringTheWaitOfSampleN() {
    Bench b;
    b.Use(0, "FD00");
    b.config.pointsPerChannel = 250;
    b.config.sampleIntervalMs = 100;
    int samples = 0;
    MonitorRun::Observer counting;
    counting.point = [&](int, double, double) { ++samples; };
    b.run->SetObserver(counting);
    b.onPump = [&](int) {
        if (samples == 37)
            b.run->RequestStop();
    };
    const MonitorRecord r = b.run->RunNormal(b.config);
    QCOMPARE(r.SampleCount(), 37);
    QCOMPARE(r.values[0].size(), 37);
}

// 0.5 s/div: a sample every 100 ms and a run word of 6400, so "Inverter
// Run" writes 6401 after the sample; a request made between runs never acts.
void TestMonitorRun::driveKeysGoOutAfterTheSample() {
    Bench b;
    b.Use(0, "FD00");
    b.config.pointsPerChannel = 5;
    b.config.sampleIntervalMs = 0.5 * 200;
    b.config.driveKeys = true;
    b.run->RequestDriveKey(false); // not running: nothing
    QVERIFY(b.recorder->frames.isEmpty());
    b.onPump = [&](int turn) {
        if (turn == 2)
            b.run->RequestDriveKey(true);
    };
    b.run->RunNormal(b.config);
    const QStringList frames = b.recorder->frames;
    const qsizetype at = frames.indexOf("P FA11 6401");
    QVERIFY(at > 0);
    QCOMPARE(frames.mid(at - 1, 3), (QStringList{"P FA10 1", "P FA11 6401", "P FA10 0"}));
    QVERIFY(frames.mid(0, at).contains("P FA11 0")); // at once, when asked
    QVERIFY(b.sim->Drive().Running());
    QVERIFY(b.failedKeys.isEmpty());
}

// 120 minutes every 10 s on the virtual clock: a CSV row per sample, the
// last at the record time; a point per second sample (K = 2). Stop in a
// second run still writes the stopped sample's row.
void TestMonitorRun::continuousRunWritesEveryRow() {
    Bench b;
    b.Use(0, "FD02"); // the frequency command, set to 50.00 Hz
    QVERIFY(b.link->Transact(b.table.FindRow(u"FA01"), "5000", u"P").ok());
    const ContinuousPlan plan = PlanContinuous(120, 10, 1250);
    b.config.recordMinutes = 120;
    b.config.sampleSeconds = 10;
    b.config.decimation = plan.decimation;
    QTemporaryDir dir;
    ContinuousCsv csv(dir.filePath("run.csv"));
    QVERIFY(csv.Start({"h"}));
    const MonitorRecord r = b.run->RunContinuous(b.config, csv);
    QCOMPARE(r.SampleCount(), 721);
    QCOMPARE(b.points[0].size(), 360);
    QCOMPARE(b.points[0][0].y(), 50.0); // the mean of samples 0 and 1
    QFile file(csv.Path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size() - 2, 721); // header, rows, the empty rest
    QVERIFY(lines[1].startsWith("0,50.000000,0.000000"));
    QVERIFY(lines[721].startsWith("7200000,"));

    // K = 1: the first point is half the first value, the previous one being 0.
    ContinuousCsv stopped(dir.filePath("stopped.csv"));
    QVERIFY(stopped.Start({"h"}));
    b.onPump = [&](int) { b.run->RequestStop(); };
    b.config.decimation = 1;
    b.points[0].clear();
    QCOMPARE(b.run->RunContinuous(b.config, stopped).SampleCount(), 1);
    QCOMPARE(b.points[0], QList<QPointF>{QPointF(0, 25)});
    QFile second(stopped.Path());
    QVERIFY(second.open(QIODevice::ReadOnly));
    QCOMPARE(second.readAll().count('\n'), 2);
}

void TestMonitorRun::levelTest_data() {
    QTest::addColumn<int>("slope");
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("multiplier");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QList<double>>("values"); // NaN: a failed read
    QTest::addColumn<int>("fires");            // the sample that fires, or -1
    const double failed = std::nan("");
    QTest::newRow("1.5 x 20 + 10 is the level 40")
        << 0 << 40 << 1.5 << 10 << QList<double>{20, 20, 20} << -1;
    QTest::newRow("at the level, then above")
        << 0 << 40 << 1.5 << 10 << QList<double>{10, 20, 30} << 2;
    QTest::newRow("up: starts above, fires after below")
        << 0 << 50 << 1.0 << 0 << QList<double>{60, 70, 40, 60} << 3;
    QTest::newRow("down: first below after above")
        << 1 << 50 << 1.0 << 0 << QList<double>{40, 30, 60, 40} << 3;
    QTest::newRow("both: either way") << 2 << 50 << 1.0 << 0 << QList<double>{40, 60} << 1;
    QTest::newRow("four decimals: 49.99995 rounds to 50.0000")
        << 0 << 50 << 1.0 << 0 << QList<double>{40, 49.99995, 50.0001} << 2;
    QTest::newRow("a failed read does not arm")
        << 1 << 50 << 1.0 << 0 << QList<double>{60, failed, 60} << -1;
    QTest::newRow("nor fire") << 0 << 50 << 1.0 << 0 << QList<double>{10, failed, 60} << 2;
}

void TestMonitorRun::levelTest() {
    QFETCH(int, slope);
    QFETCH(int, level);
    QFETCH(double, multiplier);
    QFETCH(int, offset);
    QFETCH(QList<double>, values);
    QFETCH(int, fires);
    LevelTrigger trigger({0, slope, level, 0, true}, multiplier, offset);
    int fired = -1;
    for (int i = 0; i < values.size() && fired < 0; ++i)
        if (trigger.Test(std::isnan(values[i]) ? std::nullopt : std::optional(values[i])))
            fired = i;
    QCOMPARE(fired, fires);
}

// The frequency command crosses 30 Hz upward after `before` samples; the
// record keeps up to `delay` percent of its 1251 samples from before.
void TestMonitorRun::triggeredRunHoldsThePart_data() {
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("held");
    QTest::newRow("delay 0") << 0 << 200 << 0;
    QTest::newRow("delay 50, trigger after 200") << 50 << 200 << 200;
    QTest::newRow("delay 10 keeps the newest 125") << 10 << 200 << 125;
}

void TestMonitorRun::triggeredRunHoldsThePart() {
    QFETCH(int, delay);
    QFETCH(int, before);
    QFETCH(int, held);
    Bench b;
    const int command = b.table.FindRow(u"FA01");
    QVERIFY(b.link->Transact(command, "1000", u"P").ok());
    b.Use(0, "FD02");
    b.config.pointsPerChannel = 1250;
    b.config.sampleIntervalMs = 100;
    b.config.setup.trigger = {0, 0, 30, delay, true};
    int samples = 0;
    MonitorRun::Observer observer;
    observer.value = [&](int, const QString&) { ++samples; };
    observer.triggered = [&](int n) { b.preTrigger = n; };
    b.run->SetObserver(observer);
    b.onPump = [&](int) {
        if (samples == before && b.preTrigger < 0)
            QVERIFY(b.link->Transact(command, "5000", u"P").ok());
    };
    const MonitorRecord r = b.run->RunTriggered(b.config);
    QCOMPARE(r.preTrigger, held);
    QCOMPARE(b.preTrigger, held);
    QCOMPARE(r.SampleCount(), 1251);
    QCOMPARE(r.values[0].size(), 1251);
    QCOMPARE(r.elapsedMs[held], qint64(0)); // recording counts from the trigger
    QCOMPARE(r.elapsedMs[1250], qint64(1250 - held) * 100);
    if (held > 0) {
        QCOMPARE(r.values[0][held - 1], 10.0); // the last sample below the level
        QCOMPARE(r.elapsedMs[held - 1], qint64(before - 1) * 100);
    }
    QCOMPARE(r.values[0][held], 50.0);
    QCOMPARE(r.kind, MonitorRecord::Kind::Triggered);
}

// A failed first read of the source would count as 0, below the level, and
// arm "Up" for the first good sample at 50 Hz; it must do neither. Stop
// while waiting records one sample and keeps what was held.
void TestMonitorRun::failedSourceReadNeitherArmsNorFires() {
    Bench b;
    QVERIFY(b.link->Transact(b.table.FindRow(u"FA01"), "5000", u"P").ok());
    b.Use(0, "FD02");
    b.config.pointsPerChannel = 250;
    b.config.sampleIntervalMs = 100;
    b.config.setup.trigger = {0, 0, 30, 100, true};
    int samples = 0;
    MonitorRun::Observer observer;
    observer.value = [&](int, const QString&) { ++samples; };
    observer.triggered = [&](int n) { b.preTrigger = n; };
    b.run->SetObserver(observer);
    b.recorder->mute = true;
    b.onPump = [&](int) {
        b.recorder->mute = false;
        if (samples == 20)
            b.run->RequestStop();
    };
    const MonitorRecord r = b.run->RunTriggered(b.config);
    QCOMPARE(b.preTrigger, 19); // the 20th sample, taken when Stop came, is not kept
    QCOMPARE(r.SampleCount(), 20);
    QCOMPARE(r.values[0][0], 0.0);
    QCOMPARE(r.values[0][1], 50.0);
}

QTEST_GUILESS_MAIN(TestMonitorRun)
#include "tst_MonitorRun.moc"
