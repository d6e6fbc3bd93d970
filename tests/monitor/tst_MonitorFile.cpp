// Monitor files and tables: a record written and read back in both file
// forms, damaged files refused whole, and the CSV table in both separators.
#include "monitor/MonitorFile.h"
#include "monitor/MonitorReportRows.h"

#include <QTest>

using namespace vdk;

namespace {

// CH1 and CH3 of a normal run stopped after 37 samples.
MonitorRecord StoppedRun() {
    MonitorRecord r;
    MonitorRecordSetup& s = r.setup;
    s.item = {0, 1, 4, 3, 4, 5, 6, 7, 8, 9};
    s.multiplier.fill(10);
    s.multiplier[0] = 7; // 0.7
    s.offset[2] = 10;
    s.selected[0] = s.selected[2] = true;
    s.timeBaseSeconds = 0.5;
    s.fullScale = 200;
    s.alarm = true;
    s.trigger = {2, 1, 40, 25, true};
    r.active = s.selected;
    for (int x = 0; x < 37; ++x) {
        r.elapsedMs.append(x * 100);
        for (int slot = 0; slot < kMonitorSlots; ++slot)
            r.values[slot].append(r.active[slot] ? 50.01 + x : 0.0);
    }
    r.errors = 2;
    return r;
}

QStringList Lines(const QByteArray& bytes) {
    QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the last line's end
    return lines;
}

} // namespace

class TestMonitorFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void earlierForm();
    void damagedEarlierFilesAreRefused_data();
    void damagedEarlierFilesAreRefused();
    void csvTable_data();
    void csvTable();
    void readOut();
    void saveNames_data();
    void saveNames();
    void reportRowsAndSummary();
};

void TestMonitorFile::roundTrip() {
    const MonitorRecord r = StoppedRun();
    const QByteArray bytes = MonitorFileBytes(r, {"QM40", "-2004", "2.10"});
    const QStringList lines = Lines(bytes);
    QCOMPARE(lines.mid(0, 15), (QStringList{"###", "QM40", "-2004", "2.10", "1", "0", "0", "200",
                                            "0.5", "2", "1", "40", "25", "1", "2"}));
    QCOMPARE(lines[16], QStringLiteral("Data2,7,10,10,10,10,10,10,10,10,10")); // 0.7 stays 0.7
    QCOMPARE(lines[18], QStringLiteral("Data4,1,0,1,0,0,0,0,0,0,0"));
    QCOMPARE(lines.size(), 19 + 37);
    QCOMPARE(lines[19], QStringLiteral("0,50.010000,0.000000,50.010000,0.000000,0.000000,0.000000,"
                                       "0.000000,0.000000,0.000000,0.000000"));

    int bad = -1;
    const std::optional<MonitorFile> read = ParseMonitorFile(bytes, 20, &bad);
    QVERIFY(read);
    QCOMPARE(read->inverter.cpuVer, QStringLiteral("2.10"));
    const MonitorRecord& back = read->record;
    QCOMPARE(back.SampleCount(), 37);
    QCOMPARE(back.elapsedMs, r.elapsedMs);
    for (int slot = 0; slot < kMonitorSlots; ++slot)
        for (int x = 0; x < 37; ++x)
            QCOMPARE(back.values[slot][x], r.values[slot][x]); // fuzzy: six decimals
    QCOMPARE(back.setup.item, r.setup.item);
    QCOMPARE(back.setup.multiplier, r.setup.multiplier);
    QCOMPARE(back.setup.offset, r.setup.offset);
    QCOMPARE(back.setup.selected, r.setup.selected);
    QCOMPARE(back.setup.timeBaseSeconds, 0.5);
    QCOMPARE(back.setup.fullScale, 200);
    QVERIFY(back.setup.alarm && !back.setup.trip);
    QCOMPARE(back.setup.trigger.source, 2);
    QCOMPARE(back.setup.trigger.level, 40);
    QCOMPARE(back.errors, 2);
    QCOMPARE(back.Plotted(2, 1), 51.01 + 10);

    // Items beyond the catalogue become 0; rows after sample 1250 stay out.
    QByteArray longer = bytes;
    for (int x = 37; x < 1300; ++x)
        longer += QByteArray::number(x * 100) + ",1,0,1,0,0,0,0,0,0,0\r\n";
    const std::optional<MonitorFile> capped = ParseMonitorFile(longer, 4, &bad);
    QVERIFY(capped);
    QCOMPARE(capped->record.SampleCount(), 1251);
    QCOMPARE(capped->record.setup.item[2], 0);
}

void TestMonitorFile::damagedFilesAreRefused_data() {
    QTest::addColumn<int>("line"); // 1-based; the line replaced
    QTest::addColumn<QString>("text");
    QTest::newRow("trigger source beyond CH10") << 10 << "10";
    QTest::newRow("slope beyond Both") << 11 << "3";
    QTest::newRow("time base not a number") << 9 << "fast";
    QTest::newRow("a flag not a number") << 5 << "yes";
    QTest::newRow("multiplier 0") << 17 << "Data2,0,10,10,10,10,10,10,10,10,10";
    QTest::newRow("multiplier 10.1") << 17 << "Data2,101,10,10,10,10,10,10,10,10,10";
    QTest::newRow("item not a number") << 16 << "Data1,x,1,2,3,4,5,6,7,8,9";
    QTest::newRow("a value not a number") << 25 << "500,1,0,abc,0,0,0,0,0,0,0";
    QTest::newRow("a short row") << 30 << "1000,1,0";
}

// Nothing of a damaged file is taken, wherever the damage is.
void TestMonitorFile::damagedFilesAreRefused() {
    QFETCH(int, line);
    QFETCH(QString, text);
    QStringList lines = Lines(MonitorFileBytes(StoppedRun(), {"QM40", "-2004", "2.10"}));
    lines[line - 1] = text;
    int bad = 0;
    QVERIFY(!ParseMonitorFile((lines.join("\r\n") + "\r\n").toUtf8(), 20, &bad));
    QCOMPARE(bad, line);
}

// Five channels: the full scale in CH1's multiplier column, the time base
// in milliseconds beside the selections.
void TestMonitorFile::earlierForm() {
    const QByteArray bytes = "QM40\n-2004\n"
                             ",0,1,2,3,4\n"
                             ",200,20,10,10,10\n"
                             ",0,5,0,0,0\n"
                             "500,1,1,0,0,0\n"
                             "0,10.5,20,0,0,0\n"
                             "100,11.5,21,0,0,0\n"
                             "\n"
                             "200,99,99,0,0,0\n";
    int bad = 0;
    const std::optional<MonitorFile> file = ParseMonitorFile(bytes, 20, &bad);
    QVERIFY(file);
    QVERIFY(file->earlier);
    const MonitorRecord& r = file->record;
    QCOMPARE(file->inverter.typeForm, QStringLiteral("QM40"));
    QCOMPARE(r.setup.fullScale, 200);
    QCOMPARE(r.setup.timeBaseSeconds, 0.5);
    QCOMPARE(r.setup.multiplier[0], 10);
    QCOMPARE(r.setup.multiplier[1], 20);
    QCOMPARE(r.setup.offset[1], 5);
    QCOMPARE(r.setup.selected, (std::array<bool, kMonitorSlots>{true, true}));
    QCOMPARE(r.SampleCount(), 2); // the empty line ends the data
    QCOMPARE(r.values[1][1], 21.0);
    QCOMPARE(r.Plotted(1, 1), 21 * 2.0 + 5);
}

void TestMonitorFile::damagedEarlierFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::newRow("six bytes") << QByteArray("\n\n\n\n\n1") << 4;
    QTest::newRow("full scale alone") << QByteArray("QM40\n-2004\n"
                                                    ",0,1,2,3,4\n"
                                                    "200\n"
                                                    ",0,5,0,0,0\n"
                                                    "500,1,1,0,0,0\n"
                                                    "0,10.5,20,0,0,0\n")
                                      << 4;
    // Read past the list's end, these wrote a language text or stray bytes
    // in place of the capacity.
    QTest::newRow("capacity overwritten") << QByteArray("QM40\n-2004\n0\n200\n\n500\n") << 4;
    QTest::newRow("stray bytes written") << QByteArray("QM40\n-2\n00\n200\n\n500\n") << 4;
    QTest::newRow("no time base") << QByteArray("QM40\n-2004\n,0,1,2,3,4\n,200,20,10,10,10\n") << 6;
}

// A set-up line short of CH1's column is refused, not read past its end.
void TestMonitorFile::damagedEarlierFilesAreRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    int bad = 0;
    QVERIFY(!ParseMonitorFile(bytes, 20, &bad));
    QCOMPARE(bad, line);
}

void TestMonitorFile::csvTable_data() {
    QTest::addColumn<bool>("decimalComma");
    QTest::addColumn<QStringList>("expected"); // the lines after the inverter
    QTest::newRow(",") << false
                       << QStringList{"Title,Output frequency,-,DC voltage,-,-,-,-,-,-,-",
                                      "Multi.,0.7,1,1,1,1,1,1,1,1,1",
                                      "Offset,0,0,10,0,0,0,0,0,0,0",
                                      "Time(ms),(CH1),(CH2),(CH3),(CH4),(CH5),(CH6),(CH7),(CH8),"
                                      "(CH9),(CH10)",
                                      "Err.:2",
                                      "0,50.010000,0.000000,50.010000,0.000000,0.000000,0.000000,"
                                      "0.000000,0.000000,0.000000,0.000000"};
    QTest::newRow(";") << true
                       << QStringList{"Title;Output frequency;-;DC voltage;-;-;-;-;-;-;-",
                                      "Multi.;0,7;1;1;1;1;1;1;1;1;1",
                                      "Offset;0;0;10;0;0;0;0;0;0;0",
                                      "Time(ms);(CH1);(CH2);(CH3);(CH4);(CH5);(CH6);(CH7);(CH8);"
                                      "(CH9);(CH10)",
                                      "Err.:2",
                                      "0;50,01;0;50,01;0;0;0;0;0;0;0"};
}

void TestMonitorFile::csvTable() {
    QFETCH(bool, decimalComma);
    QFETCH(QStringList, expected);
    const QStringList lines =
        Lines(MonitorCsvTable(StoppedRun(), "QM40-2004", {"Output frequency", "", "DC voltage"},
                              {"Title", "Multi.", "Offset", "Time(ms)", "Err.:"}, decimalComma));
    QCOMPARE(lines.size(), 6 + 37);
    QCOMPARE(lines[0], QStringLiteral("QM40-2004"));
    QCOMPARE(lines.mid(1, 6), expected);
}

// The point's value as sampled, and its time from the record's time base.
void TestMonitorFile::readOut() {
    const QString text = ReadOutText(StoppedRun(), 2, 10, "DC voltage", 2, true,
                                     {"Value", "Multi.", "Offset", "Passed Time"});
    QCOMPARE(text, QStringLiteral("CH3 : DC voltage\n\nValue : 60,01\nMulti. : 1.0\n"
                                  "Offset : 10\n\nPassed Time : 1.0 (s) "));
}

void TestMonitorFile::saveNames_data() {
    QTest::addColumn<bool>("picturesOnly");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<int>("preset");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("saved");
    QTest::newRow("first save") << false << "" << 1 << "run" << 1 << "run.mon";
    QTest::newRow(".txt under the CSV filter")
        << false << "a.MON" << 1 << "run.txt" << 2 << "run.txt.csv";
    QTest::newRow("the last name's picture")
        << false << "a.JPG" << 4 << "run.Bmp" << 4 << "run.Bmp";
    QTest::newRow("pictures only: a CSV name")
        << true << "a.csv" << 1 << "run.csv" << 3 << "run.csv.wmf";
    QTest::newRow("pictures only: SVG") << true << "a.svg" << 5 << "run" << 5 << "run.svg";
}

void TestMonitorFile::saveNames() {
    QFETCH(bool, picturesOnly);
    QFETCH(QString, lastName);
    QFETCH(int, preset);
    QFETCH(QString, chosen);
    QFETCH(int, filter);
    QFETCH(QString, saved);
    QCOMPARE(MonitorSaveFilter(lastName, picturesOnly), preset);
    QCOMPARE(MonitorSaveName(chosen, filter, picturesOnly), saved);
}

// The printed report's table and summary come from the record: eight rows
// when the alarm and trip reads take CH9 and CH10, "-" for a slot without
// values, and the delay only at zoom 100.
void TestMonitorFile::reportRowsAndSummary() {
    MonitorRecord r = StoppedRun();
    std::array<int, kMonitorSlots> decimals;
    decimals.fill(2);
    QList<MonitorReportRow> rows =
        MonitorReportRows(r, {"Output frequency", "x", "DC voltage"}, decimals, 8, false);
    QCOMPARE(rows.size(), 8);
    const MonitorReportRow& first = rows[0];
    QCOMPARE((QStringList{first.channel, first.monitor, first.title, first.multiplier, first.offset,
                          first.min, first.max, first.start, first.stop}),
             (QStringList{"1", "ON", "Output frequency", "0.7", "0", "50.01", "86.01", "50.01",
                          "86.01"}));
    QCOMPARE(rows[1].monitor, QStringLiteral("OFF"));
    QCOMPARE(rows[1].min, QStringLiteral("-"));
    r.elapsedMs.clear();
    for (QList<double>& v : r.values)
        v.clear();
    for (const MonitorReportRow& row : MonitorReportRows(r, {}, decimals, 10, false))
        QCOMPARE((QStringList{row.min, row.max, row.start, row.stop}),
                 (QStringList{"-", "-", "-", "-"}));

    const MonitorSummaryTexts texts{
        "Time", "Zoom", "Source", "Level", "Slope", "Delay", {"Up", "Down", "Both"}};
    const auto value = [&](int zoom, int row) {
        return MonitorReportSummary(r, zoom, texts).value(row).second;
    };
    QCOMPARE(value(100, 0), QStringLiteral("0.5(s/div)"));
    QCOMPARE(value(100, 2), QStringLiteral("-")); // a normal run
    r.kind = MonitorRecord::Kind::Triggered;
    QCOMPARE(value(100, 2), QStringLiteral("CH3"));
    QCOMPARE(value(100, 4), QStringLiteral("Down"));
    QCOMPARE(value(100, 5), QStringLiteral("25"));
    QCOMPARE(value(80, 5), QStringLiteral("-"));
}

QTEST_GUILESS_MAIN(TestMonitorFile)
#include "tst_MonitorFile.moc"
