// The monitoring window's runs without the window, on the simulated inverter
// and the virtual clock: samples and points of a normal run, failed reads,
// Stop, a trip, the alarm and trip texts, the drive keys, and the continuous
// run with its CSV and decimation.
#include "../sim/SimTables.h"
#include "DataFixture.h"
#include "RecordingPort.h"
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

using namespace vdk;

namespace {

// A monitor run on the simulated QM40; `onPump` runs at each turn of the
// user interface.
struct Bench {
    Bench() {
        link->OpenPort();
        values.Resize(table.Count());
        catalogue = MonitorCatalogue::Load(
            IniFile(QStringLiteral(VDK_SHARE_DIR "/dat/QM40(2.10)/Info.ini")), "QM40", "Eng");
        run = std::make_unique<MonitorRun>(*link, clock, pump, values, catalogue);
        run->SetObserver({[this](int slot, double x, double y) {
                              points[slot].append({x, y});
                          },
                          [this](int slot, const QString& t) { texts[slot] = t; },
                          [this](const QString& t) { alarm = t; },
                          [this](const QString& t) { trip = t; }, [this](int n) { errors = n; },
                          [this](bool r) { failedKeys.append(r); }});
        config.multiplier.fill(1);
        config.displayFactor.fill(1);
    }
    void Use(int slot, const char* key, double multiplier = 1, int offset = 0) {
        config.channels[slot] =
            MonitorChannel::For(table, catalogue.items[*catalogue.IndexOfKey(key)]);
        config.active[slot] = true;
        config.multiplier[slot] = multiplier;
        config.offset[slot] = offset;
    }
    DataFixture f;
    ParaDat table = ShippedTable("QM40", "2.10", "-2004");
    UPara values;
    RecordedLine line{table, f.messenger};
    VirtualClock& clock = line.clock;
    InverterSim* sim = &line.sim;
    RecordingPort* recorder = &line.recorder;
    CommLink* link = &line.link;
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

QTEST_GUILESS_MAIN(TestMonitorRun)
#include "tst_MonitorRun.moc"
