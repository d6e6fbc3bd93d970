// Monitoring without its window: the item catalogue, one channel's read and
// conversion, the sample clock, the recorder on the simulated inverter and
// the virtual clock, and the continuous CSV that never loses a taken row.
#include "../sim/SimTables.h"
#include "DataFixture.h"
#include "FullDisk.h"
#include "SimLine.h"
#include "base/EventPump.h"
#include "data/UPara.h"
#include "monitor/ContinuousCsv.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorRecorder.h"
#include "settings/IniFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace vdk;

namespace {

struct Line {
    Line() : table(ShippedTable("QM40", "2.10", "-2004")) {
        values.Resize(table.Count());
        line = std::make_unique<SimLine>(table, f.messenger, Protocol::Inverter,
                                         f.tree.Path("sim.txt"), "FA01=5000\n");
    }
    MonitorChannel Channel(const char* key) const {
        const MonitorCatalogue c = MonitorCatalogue::Load(
            IniFile(QStringLiteral(VDK_SHARE_DIR "/dat/QM40(2.10)/Info.ini")), "QM40", "Eng");
        return MonitorChannel::For(table, c.items[*c.IndexOfKey(key)]);
    }
    DataFixture f;
    ParaDat table;
    UPara values;
    std::unique_ptr<SimLine> line;
};

} // namespace

class TestMonitorRecorder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void catalogueOfTheType();
    void displayText_data();
    void displayText();
    void bitsAsTheLineCarriedThem();
    void deadlinesNeverDrift();
    void samplesFallOnTheirDeadlines();
    void stopDuringTheWait();
    void failedReadsAreMarked();
    void twoHoursInMilliseconds();
    void csvLayout();
    void rowsThatCannotBeWrittenAreKept();
};

void TestMonitorRecorder::catalogueOfTheType() {
    const MonitorCatalogue c = MonitorCatalogue::Load(
        IniFile(QStringLiteral(VDK_SHARE_DIR "/dat/QM40(2.10)/Info.ini")), "QM40", "Eng");
    QVERIFY(c.Loaded());
    const MonitorItem& current = c.items[*c.IndexOfKey("FD03")];
    QCOMPARE(current.name, QStringLiteral("Output current"));
    QCOMPARE(current.unit, QStringLiteral("(%)"));
    QCOMPARE(current.altUnit, QStringLiteral("(A)"));
    QVERIFY(!current.IsBit());
    const MonitorItem& tripped = c.items[*c.IndexOfKey("fd01-02")];
    QCOMPARE(tripped.comNo, QStringLiteral("FD01"));
    QCOMPARE(tripped.bit, 2);
    QCOMPARE(c.AlarmText(0x5), QStringLiteral("Overcurrent alarm,Overload alarm,"));
    QCOMPARE(c.AlarmText(0), QString());
    QVERIFY(c.TripText(1).startsWith("OC1"));
    QCOMPARE(c.TripText(999), QStringLiteral("999")); // an unknown code shows as it is
    QCOMPARE(c.TripText(0), QString());
    QVERIFY(!MonitorCatalogue::Load(
                 IniFile(QStringLiteral(VDK_SHARE_DIR "/dat/QM40(2.10)/Info.ini")), "XX99", "Eng")
                 .Loaded());
}

void TestMonitorRecorder::displayText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("comma");
    QTest::addColumn<QString>("text");
    QTest::newRow("Mul 100") << 50.0 << 2 << false << "50.00";
    QTest::newRow("Mul 10, decimal comma") << 12.34 << 1 << true << "12,3";
    QTest::newRow("Mul 1") << 1499.6 << 0 << false << "1500";
}

void TestMonitorRecorder::displayText() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(bool, comma);
    QFETCH(QString, text);
    QCOMPARE(DisplayText(value, decimals, comma), text);
}

void TestMonitorRecorder::bitsAsTheLineCarriedThem() {
    QVERIFY(BitOf(0x0004, 2));
    QVERIFY(!BitOf(0x0004, 1));
    QVERIFY(BitOf(0x8000, 15));
    QVERIFY(!BitOf(0xFFFF, 16)); // beyond a 16-bit word: not set
    QVERIFY(!BitOf(0xFFFFFFFF, 40));
}

// Sample n is due at t0 + round(n x interval), however long the run.
void TestMonitorRecorder::deadlinesNeverDrift() {
    QCOMPARE(SampleDeadline(1000, 100, 3), 1300);
    QCOMPARE(SampleDeadline(0, 100.0 / 3, 3), 100);
    QCOMPARE(SampleDeadline(0, 100.0 / 3, 1), 33);
    QCOMPARE(SampleDeadline(0, 100.0 / 3, 2), 67);
    QCOMPARE(SampleDeadline(0, 0.1 * 200, 360000), 7200000);
}

void TestMonitorRecorder::samplesFallOnTheirDeadlines() {
    Line l;
    int pumps = 0;
    FunctionPump pump([&] { ++pumps; });
    MonitorRecorder recorder(l.line->link, l.line->clock, pump, l.values);
    MonitorRecorder::Config config;
    config.channels = {l.Channel("FD00"), l.Channel("FD03"), l.Channel("FD01-00")};
    config.intervalMs = 100.0 / 3;
    config.count = 30;
    QList<qint64> elapsed;
    const qint64 n = recorder.Run(config, [&](const MonitorRecorder::Sample& s) {
        elapsed.append(s.elapsedMs);
        QCOMPARE(s.values.size(), 3);
        for (const auto& v : s.values)
            QVERIFY(v.has_value());
    });
    QCOMPARE(n, 30);
    for (qsizetype i = 0; i < elapsed.size(); ++i)
        QCOMPARE(elapsed[i], SampleDeadline(0, config.intervalMs, i));
    QVERIFY(pumps >= 29); // the user interface had its turns while waiting
}

void TestMonitorRecorder::stopDuringTheWait() {
    Line l;
    MonitorRecorder* running = nullptr;
    int samples = 0;
    FunctionPump pump([&] {
        if (samples == 4)
            running->RequestStop();
    });
    MonitorRecorder recorder(l.line->link, l.line->clock, pump, l.values);
    running = &recorder;
    MonitorRecorder::Config config;
    config.channels = {l.Channel("FD00")};
    config.intervalMs = 500;
    config.count = 100;
    QCOMPARE(recorder.Run(config, [&](const MonitorRecorder::Sample&) { ++samples; }), 4);
    QVERIFY(l.line->clock.now < 4 * 500); // it did not wait for the next deadline
}

void TestMonitorRecorder::failedReadsAreMarked() {
    Line l;
    FunctionPump pump({});
    MonitorRecorder recorder(l.line->link, l.line->clock, pump, l.values);
    MonitorRecorder::Config config;
    config.channels = {l.Channel("FD00"), MonitorChannel::For(l.table, "FDFF", -1)};
    config.count = 2;
    QList<MonitorRecorder::Sample> taken;
    recorder.Run(config, [&](const MonitorRecorder::Sample& s) { taken.append(s); });
    QCOMPARE(taken.size(), 2);
    QVERIFY(taken[1].values[0].has_value());
    QVERIFY(!taken[1].values[1].has_value()); // a number the type does not define
}

// A two-hour run every 10 s, on the virtual clock: a sample at every
// deadline, the last one at the record time.
void TestMonitorRecorder::twoHoursInMilliseconds() {
    Line l;
    FunctionPump pump({});
    MonitorRecorder recorder(l.line->link, l.line->clock, pump, l.values);
    MonitorRecorder::Config config;
    config.channels = {l.Channel("FD00")};
    config.intervalMs = 10000;
    config.durationMs = 120 * 60000;
    qint64 last = -1;
    bool onTime = true;
    const qint64 n = recorder.Run(config, [&](const MonitorRecorder::Sample& s) {
        onTime &= s.elapsedMs == s.index * 10000;
        last = s.elapsedMs;
    });
    QCOMPARE(n, 721);
    QVERIFY(onTime);
    QCOMPARE(last, 7200000);
}

void TestMonitorRecorder::csvLayout() {
    const QStringList header =
        ContinuousHeader("QM40-2004", "120", "10", "Time(ms)", {"Output frequency"}, ',');
    QCOMPARE(header,
             (QStringList{"QM40-2004", "120(min)", "10(s/point)",
                          "Time(ms),Output frequency,-,-,-,-,-,-,-,-,-",
                          " ,(CH1),(CH2),(CH3),(CH4),(CH5),(CH6),(CH7),(CH8),(CH9),(CH10)"}));
    QCOMPARE(ContinuousRow(100, {ContinuousCell(50, ','), "ERROR"}, ','),
             QStringLiteral("100,50.000000,ERROR,0.000000,0.000000,0.000000,0.000000,0.000000,"
                            "0.000000,0.000000,0.000000"));
    QCOMPARE(ContinuousCell(12.5, ';'), QStringLiteral("12,5"));
}

// A full disk (or a file locked by a spreadsheet) keeps the rows in memory;
// they go out, whole and in order, with the next row that can be written.
void TestMonitorRecorder::rowsThatCannotBeWrittenAreKept() {
    QTemporaryDir dir;
    ContinuousCsv csv(dir.filePath("run.csv"));
    QVERIFY(csv.Start({"head"}));
    QVERIFY(csv.Append("0,1"));
    {
        const FullDisk disk(QFileInfo(csv.Path()).size() + 3); // room for half a row
        QVERIFY(!csv.Append("100,2"));
        QVERIFY(!csv.Append("200,3"));
        QCOMPARE(csv.Waiting(), (QStringList{"100,2", "200,3"}));
        QCOMPARE(csv.Error(), FullDisk::Reason());
    }
    QVERIFY(csv.Append("300,4"));
    QVERIFY(csv.Waiting().isEmpty());
    QFile file(csv.Path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("head\r\n0,1\r\n100,2\r\n200,3\r\n300,4\r\n"));
}

QTEST_GUILESS_MAIN(TestMonitorRecorder)
#include "tst_MonitorRecorder.moc"
