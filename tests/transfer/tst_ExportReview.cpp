// Before an export writes: the rows it would write read back, the differences
// the user ticks, the snapshot of the inverter's values that restores them,
// and the comparison of parameter sets with files and shipment values.
#include "TempTree.h"
#include "TransferFixture.h"
#include "comm/CommSettings.h"
#include "data/ParameterFile.h"
#include "transfer/ComparisonLines.h"
#include "transfer/FileComparison.h"
#include "transfer/Snapshots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)

namespace {

using State = ExportReview::Row::State;

// The inverter holds its defaults but 0001=310; the table differs in 0000 and
// 0004, equals it in 0001 and 0006, and the inverter does not know 0003.
struct Reviewed : Run {
    explicit Reviewed(Protocol protocol = Protocol::Inverter)
        : Run(protocol, "0001=310\n", {"0003"}) {
        config.options.changedOnly = false;
        Value("0000") = "650";
        Value("0001") = "310";
        Value("0004") = "4";
        Value("0003") = "9";
        run().guard.review = true;
    }
    TransferRun& run() {
        if (!Run::run)
            Make();
        return *Run::run;
    }
    QStringList Titles(State state) const {
        QStringList titles;
        for (const ExportReview::Row& r : Run::run->Review().Rows())
            if (r.state == state)
                titles.append(f.table.At(r.row, ComNo) + QLatin1Char('=') + r.inverter);
        return titles;
    }
};

const ReportTexts kTexts;

} // namespace

class TestExportReview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesOnlyTickedDifferences_data();
    void writesOnlyTickedDifferences();
    void nothingDiffersWritesNothing();
    void cancelAndFailedSnapshotWriteNothing();
    void snapshotRestoresTheInverter();
    void snapshotStore();
    void snapshotsOfOneMillisecond();
    void pruningKeepsEachInvertersNewest();
    void fileComparison();
    void neverWritesWhatTheSnapshotLacks_data();
    void neverWritesWhatTheSnapshotLacks();
    void reviewCountsWhatItCouldNotRead();
    void comparisonsLeaveOutNoise();
};

void TestExportReview::writesOnlyTickedDifferences_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::newRow("inverter") << Protocol::Inverter;
    QTest::newRow("modbus") << Protocol::Modbus;
}

// The review lists exactly the differing rows; an unticked one and one whose
// read failed are never written, and the report says which is which.
void TestExportReview::writesOnlyTickedDifferences() {
    QFETCH(Protocol, protocol);
    Reviewed r(protocol);
    int asked = 0;
    r.run().guard.choose = [&](ExportReview& review) {
        ++asked;
        const QList<int> differences = review.Differences();
        review.SetTicked(differences.last(), false); // 0004
        return true;
    };
    UPara kept;
    r.run().guard.snapshot = [&](const ExportReview& review, QString*) {
        kept = review.Snapshot(r.f.values);
        return true;
    };
    QList<TransferRun::Phase> phases;
    r.run().onPhase = [&](TransferRun::Phase p) { phases.append(p); };
    const TransferRun::Outcome o = r.run().Run(TransferMode::Export, r.report);

    QCOMPARE(asked, 1);
    QCOMPARE(phases, (QList{TransferRun::Phase::ReadBack, TransferRun::Phase::Write}));
    QCOMPARE(r.Titles(State::Different), (QStringList{"0000=600", "0004=0"}));
    QCOMPARE(r.Titles(State::Unreadable), QStringList{"0003="});
    QCOMPARE(r.Titles(State::Equal).size(), 5); // 0001, 0006, 0007, 0008, 0630
    QCOMPARE(r.line->Eeprom("0000"), 650);
    QCOMPARE(r.line->Eeprom("0004"), 0);
    QCOMPARE(o.done, 1);
    QCOMPARE(o.errors, 0);
    QCOMPARE(r.report.lines,
             (QStringList{"1 parameters written, 0 not written.",
                          "* Communication Error Parameters", "No Item.", "* Written Parameters",
                          "F00: Maxfreq", "* Parameters Left As They Were", "F04: Unsigned",
                          "5 parameters already held the table's value.", "* Parameters Not Read",
                          "F03: Signed"}));
    // The list the command line prints before it writes.
    QCOMPARE(ReviewLines(r.run().Review(), r.f.table, r.f.values, kTexts, false, false),
             (QStringList{"1 parameters could not be read from the inverter and were not compared.",
                          "* Different Value Parameters", "        Inverter     VDK330Q  Title",
                          " F00:       60.0 ,      65.0  (Maxfreq)",
                          " F04:          0 ,         4  (Unsigned)", "",
                          "* Communication Error Parameters", "F03: Signed"}));
    QCOMPARE(r.run().Review().Ticked(), 1);
    // The snapshot holds what was read, and nothing for what was not.
    QCOMPARE(kept.At(r.Row("0000"), UPara::Value), "600");
    QCOMPARE(kept.At(r.Row("0001"), UPara::Value), "310");
    QVERIFY(!kept.Unread(r.Row("0000")));
    QVERIFY(kept.Unread(r.Row("0003")));
    QVERIFY(kept.Unread(r.Row("0005"))); // never written, so never read
}

void TestExportReview::nothingDiffersWritesNothing() {
    Run r(Protocol::Inverter, "0000=650\n");
    r.Value("0000") = "650";
    MarkChanged(r.f.table, r.f.values, r.Row("0000"), "650", r.f.messenger);
    TransferRun& run = r.Make();
    run.guard.review = true;
    bool asked = false, saved = false;
    run.guard.choose = [&](ExportReview&) { return asked = true; };
    run.guard.snapshot = [&](const ExportReview&, QString*) { return saved = true; };
    const int before = r.line->port.RequestsSeen();
    const TransferRun::Outcome o = run.Run(TransferMode::Export, r.report);
    QVERIFY(!o.aborted);
    QVERIFY(!asked);
    QVERIFY(!saved);
    QCOMPARE(r.line->port.RequestsSeen() - before, 1); // the one read
    QCOMPARE(
        r.report.lines,
        (QStringList{"0 parameters written, 0 not written.", "* Communication Error Parameters",
                     "No Item.", "No parameter differs from the table: nothing was written.",
                     "* Written Parameters", "No Item.", "* Parameters Left As They Were",
                     "No Item.", "1 parameters already held the table's value.",
                     "* Parameters Not Read", "No Item."}));
}

// Cancel in the review, and a snapshot that cannot be saved, end the export
// after its reads: not one write goes out.
void TestExportReview::cancelAndFailedSnapshotWriteNothing() {
    for (const bool review : {true, false}) {
        Reviewed r;
        r.run().guard.review = review;
        r.run().guard.choose = [](ExportReview&) { return false; };
        r.run().guard.snapshot = [](const ExportReview&, QString* error) {
            *error = QStringLiteral("disk full");
            return false;
        };
        const int before = r.line->port.RequestsSeen();
        const TransferRun::Outcome o = r.run().Run(TransferMode::Export, r.report);
        QVERIFY(o.aborted);
        QCOMPARE(o.cancelled, review);
        QCOMPARE(o.snapshotError, review ? QString() : QStringLiteral("disk full"));
        // The reads of rows 0..8 but 0005, 0003 (which never answers) three times.
        QCOMPARE(r.line->port.RequestsSeen() - before, 10);
        QCOMPARE(r.line->Eeprom("0000"), 600);
        QCOMPARE(o.done, 0);
    }
}

// Export, then export the snapshot it left: the inverter holds its old values
// again, and a comparison with the snapshot finds nothing.
void TestExportReview::snapshotRestoresTheInverter() {
    Reviewed r;
    r.run().guard.review = false;
    const SnapshotStore store(r.f.tree.Path("snapshots"));
    const InverterIdentity id{"AB", "-1K", "1", "English", "Eng"};
    QString path;
    r.run().guard.snapshot = [&](const ExportReview& review, QString* error) {
        const auto saved = store.Save(r.f.table, review.Snapshot(r.f.values), id, "one", "before",
                                      QDateTime::currentDateTime(), 50, error);
        path = saved.value_or(QString());
        return saved.has_value();
    };
    r.run().Run(TransferMode::Export, r.report);
    QCOMPARE(r.line->Eeprom("0000"), 650);
    QCOMPARE(r.line->Eeprom("0001"), 310);

    QString error;
    auto restored = LoadSnapshot(path, r.f.table, r.f.values, id, r.f.messenger, &error);
    QVERIFY2(restored, qPrintable(error));
    QCOMPARE(restored->Comment, "[Snapshot] before");
    QVERIFY(IsSnapshot(*restored));
    TransferRun::Config config = r.config;
    TransferRun restore(r.f.table, *restored, r.line->link, r.f.messenger, r.pump, config);
    restore.guard.review = true;
    restore.guard.choose = [](ExportReview&) { return true; };
    ResultReport report;
    const TransferRun::Outcome o = restore.Run(TransferMode::Export, report);
    QCOMPARE(o.done, 2); // 0000 and 0004; 0003 was never read, so never put back
    QCOMPARE(r.line->Eeprom("0000"), 600);
    QCOMPARE(r.line->Eeprom("0004"), 0);
    QCOMPARE(r.line->Eeprom("0001"), 310);

    ResultReport compared;
    config.lastRow = r.Row("0001");
    TransferRun(r.f.table, *restored, r.line->link, r.f.messenger, r.pump, config)
        .Run(TransferMode::Compare, compared);
    QCOMPARE(compared.lines.mid(1, 3),
             (QStringList{"* Different Value Parameters", "        Inverter     VDK330Q  Title",
                          "No Item."}));
}

// Names, the list for a selection newest first, and a folder that cannot be
// made.
void TestExportReview::snapshotStore() {
    Run r;
    const SnapshotStore store(r.f.tree.Path("snaps"));
    const InverterIdentity ab{"AB", "-1K", "1", "English", "Eng"};
    InverterIdentity other = ab;
    other.Capacity = "-2K";
    UPara values = r.f.values;
    for (int row = 0; row < values.Count(); ++row)
        values.SetUnread(row, row > 1);
    const QDateTime t0(QDate(2026, 12, 11), QTime(7, 30));
    CommSettings line;
    line.appendNo = true;
    line.id = 3;
    QString error;
    for (int i = 0; i < 4; ++i)
        QVERIFY(store.Save(r.f.table, values, i == 1 ? other : ab, InverterTag(line),
                           QStringLiteral("export %1").arg(i), t0.addSecs(i), 3, &error));
    const auto path = store.Save(r.f.table, values, ab, "all", "last", t0.addSecs(4), 3, &error);
    QCOMPARE(QFileInfo(*path).fileName(), "AB-1K_1_all_20261211-073004-000.vdk");
    r.f.tree.Write("snaps/notes.vdk", "not a snapshot\r\n");

    const QList<SnapshotInfo> mine = store.List(&ab);
    QCOMPARE(mine.size(), 4); // the other capacity's is not listed
    QCOMPARE(mine[0].comment, "last");
    QCOMPARE(mine[0].inverter, "all");
    QCOMPARE(mine[1].comment, "export 3");
    QCOMPARE(mine[1].inverter, "N3");
    QCOMPARE(mine[1].count, 2);
    QCOMPARE(mine[1].time, t0.addSecs(3));
    QCOMPARE(mine[2].comment, "export 2");
    QCOMPARE(mine[3].comment, "export 0");
    QCOMPARE(store.List(nullptr).size(), 5);

    r.f.tree.Write("blocked", "a file where the folder should be");
    QVERIFY(!SnapshotStore(r.f.tree.Path("blocked/snaps"))
                 .Save(r.f.table, values, ab, "one", "", t0, 3, &error));
    QVERIFY(!error.isEmpty());
}

// Snapshots taken within one millisecond are all listed, the later first;
// so is one named before the counter had its hyphen.
void TestExportReview::snapshotsOfOneMillisecond() {
    Run r;
    const SnapshotStore store(r.f.tree.Path("snaps"));
    const InverterIdentity ab{"AB", "-1K", "1", "English", "Eng"};
    const QDateTime t0(QDate(2026, 12, 11), QTime(7, 30));
    QString error;
    QStringList names;
    for (const char* comment : {"first", "second", "third"})
        names.append(QFileInfo(store.Save(r.f.table, r.f.values, ab, "one", comment, t0, 50, &error)
                                   .value_or(QString()))
                         .fileName());
    QVERIFY(store.Save(r.f.table, r.f.values, ab, "one", "older", t0.addMSecs(-1), 50, &error));
    r.f.tree.Write("snaps/AB-1K_1_one_20261211-072959-000002.vdk",
                   "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nlegacy\r\n0\r\n0\r\n0000,650,0,0\r\n");

    QStringList listed;
    for (const SnapshotInfo& s : store.List(&ab))
        listed.append(s.comment);
    QCOMPARE(listed, (QStringList{"third", "second", "first", "older", "legacy"}));
    QCOMPARE(store.List(&ab).value(1).time, t0);
    QCOMPARE(names, (QStringList{"AB-1K_1_one_20261211-073000-000.vdk",
                                 "AB-1K_1_one_20261211-073000-000-2.vdk",
                                 "AB-1K_1_one_20261211-073000-000-3.vdk"}));
}

// Pruning keeps the newest of each inverter (type-form, capacity, CPU
// version and inverter number) and deletes only files named as the store
// names them: a renamed or copied snapshot stays.
void TestExportReview::pruningKeepsEachInvertersNewest() {
    Run r;
    const QString folder = r.f.tree.Path("snaps");
    const SnapshotStore store(folder);
    const InverterIdentity ab{"AB", "-1K", "1", "English", "Eng"};
    InverterIdentity otherCapacity = ab;
    otherCapacity.Capacity = "-2K";
    InverterIdentity otherCpu = ab;
    otherCpu.CpuVer = "2";
    const QDateTime t0(QDate(2026, 12, 11), QTime(7, 30));
    QString error;
    const auto save = [&](const InverterIdentity& id, const char* inverter, int second) {
        return store.Save(r.f.table, r.f.values, id, inverter, "", t0.addSecs(second), 2, &error)
            .value_or(QString());
    };
    const QString oldest = save(ab, "one", 0);
    for (const char* copy :
         {"KEEP_AB-1K_1_one_20261211-073000-000.vdk", "AB-1K_1_one_20261211-073000-000 copy.vdk"})
        QVERIFY(QFile::copy(oldest, QDir(folder).filePath(copy)));
    save(otherCapacity, "one", 1);
    save(otherCpu, "one", 2);
    save(ab, "N3", 3);
    for (int second = 4; second <= 6; ++second)
        save(ab, "one", second);

    QStringList files = QDir(folder).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files,
             (QStringList{
                 "AB-1K_1_N3_20261211-073003-000.vdk", "AB-1K_1_one_20261211-073000-000 copy.vdk",
                 "AB-1K_1_one_20261211-073005-000.vdk", "AB-1K_1_one_20261211-073006-000.vdk",
                 "AB-1K_2_one_20261211-073002-000.vdk", "AB-2K_1_one_20261211-073001-000.vdk",
                 "KEEP_AB-1K_1_one_20261211-073000-000.vdk"}));
}

// Files with files and with the shipment values: differences in display
// units, and what one side holds alone, unknown numbers too.
void TestExportReview::fileComparison() {
    Run r;
    const auto lines = [](std::initializer_list<std::pair<const char*, const char*>> values) {
        QList<ParameterLine> list;
        for (const auto& [comNo, value] : values)
            list.append({comNo, value, "0", "0"});
        return list;
    };
    ParameterFile a, b;
    a.lines = lines({{"0000", "650"}, {"0001", "300"}, {"0004", "4"}, {"0099", "1"}});
    b.lines = lines({{"0000", "600"}, {"0001", "300"}, {"0006", "-5"}});
    b.lines.append({"0004", "0", "0", "0", true}); // unread: holds no value
    const FileComparison files =
        CompareSides(r.f.table, ComparedSide::OfFile(r.f.table, a, "File A", "a.vdk"),
                     ComparedSide::OfFile(r.f.table, b, "File B", "b.vdk"), kTexts, false, false);
    QCOMPARE(files.lines,
             (QStringList{
                 "Comparison of a.vdk with b.vdk", "", "* Different Value Parameters",
                 "          File A      File B  Title", " F00:       65.0 ,      60.0  (Maxfreq)",
                 "", "* Parameters on One Side Only", "          File A      File B  Title",
                 " F04:          4 ,         -  (Unsigned)", " F06:          - ,        -5  (Wide)",
                 "0099:          1 ,         -  (not a parameter of this inverter)"}));
    QCOMPARE(files.equal, 1);
    QVERIFY(files.Differs());

    const FileComparison defaults = CompareSides(
        r.f.table, ComparedSide::OfTable(r.f.table, r.f.values, "VDK330Q", "table"),
        ComparedSide::OfDefaults(r.f.table, "Shipment", "shipment values"), kTexts, true, false);
    QVERIFY(!defaults.Differs());
    QCOMPARE(defaults.lines.at(4), "No Item.");
}

void TestExportReview::neverWritesWhatTheSnapshotLacks_data() {
    QTest::addColumn<bool>("allowed");
    QTest::newRow("not allowed") << false;
    QTest::newRow("allowed") << true;
}

// Half the replies lost: a row whose old value the snapshot could not keep is
// never written, unless the user lets it go once before the first write; the
// report lists it under its own heading.
void TestExportReview::neverWritesWhatTheSnapshotLacks() {
    QFETCH(bool, allowed);
    const QMap<QString, int> old{{"0000", 700}, {"0001", 310}, {"0003", -2}, {"0004", 40000},
                                 {"0006", -7},  {"0007", 4},   {"0008", 2},  {"0630", 8}};
    QByteArray state;
    for (auto i = old.cbegin(); i != old.cend(); ++i)
        state += (i.key() + '=' + QString::number(i.value()) + '\n').toLatin1();
    int unsavedRows = 0;
    for (int seed = 1; seed <= 6; ++seed) {
        Run r(Protocol::Inverter, state);
        SimOptions lossy = SimLine::Options(Protocol::Inverter, 0);
        lossy.dropRate = 0.5;
        lossy.seed = quint32(seed);
        r.line->port.SetFaults(lossy);
        r.config.options.changedOnly = false;
        for (const QString& n : old.keys())
            r.f.values.At(r.f.table.FindRow(n), UPara::Value) = "11";
        TransferRun& run = r.Make();
        UPara kept;
        run.guard.snapshot = [&](const ExportReview& review, QString*) {
            kept = review.Snapshot(r.f.values);
            return true;
        };
        int asked = 0;
        run.guard.writeUnsaved = [&](int) {
            ++asked;
            return allowed;
        };
        run.keepGoing = [](int) { return true; };
        const TransferRun::Outcome o = run.Run(TransferMode::Export, r.report);
        int lacking = 0;
        for (const QString& n : old.keys()) {
            const int row = r.f.table.FindRow(n);
            if (!kept.Unread(row))
                continue;
            ++lacking;
            const QString listed = ReportTitle(r.f.table, row) + ": " +
                                   ReportName(r.f.table, row, kTexts.maintenance, false);
            if (allowed)
                continue;
            QVERIFY(r.report.lines.contains(listed));
            QCOMPARE(*r.line->sim.RamValue(n), old[n]); // never sent: still its own value
        }
        unsavedRows += lacking;
        QCOMPARE(asked, lacking > 0 ? 1 : 0);
        QCOMPARE(o.unsaved, allowed ? 0 : lacking);
        if (!allowed) // the summary counts them among the parameters not written
            QVERIFY(r.report.lines.first().endsWith(
                QStringLiteral("%1 not written.").arg(o.errors + lacking)));
        QCOMPARE(r.report.lines.contains(kTexts.unsaved), !allowed && lacking > 0);
    }
    QVERIFY(unsavedRows > 0);
}

// A review that could not read a row does not say that nothing differs
// without saying so, and the run counts it.
void TestExportReview::reviewCountsWhatItCouldNotRead() {
    Run r(Protocol::Inverter, "", {"0003"});
    r.config.options.changedOnly = false;
    TransferRun& run = r.Make();
    run.guard.review = true;
    bool asked = false;
    run.guard.choose = [&](ExportReview&) { return asked = true; };
    const TransferRun::Outcome o = run.Run(TransferMode::Export, r.report);
    QVERIFY(!asked);
    QCOMPARE(o.notCompared, 1);
    QCOMPARE(r.report.lines.mid(3, 2),
             (QStringList{"No parameter differs from the table: nothing was written.",
                          "1 parameters could not be read from the inverter and were not "
                          "compared."}));
}

// Only the rows the selection shows are compared; read-only status values
// that differ are counted in a line of their own, with files and with the
// inverter.
void TestExportReview::comparisonsLeaveOutNoise() {
    Run r(Protocol::Inverter, "0005=9\n");
    r.Value("0000") = "650";
    r.Value("0005") = "9"; // never written: a status value
    r.Value("FE08") = "555";
    r.Value("FB91") = "463";
    const auto compare = [&](bool maintenance) {
        return CompareSides(r.f.table, ComparedSide::OfTable(r.f.table, r.f.values, "T", "table"),
                            ComparedSide::OfDefaults(r.f.table, "S", "shipment"), kTexts, false,
                            maintenance);
    };
    const FileComparison normal = compare(false);
    QCOMPARE(normal.different, 1);
    QCOMPARE(normal.oneSided, 0);
    QCOMPARE(normal.readOnly, 1);
    QVERIFY(normal.lines.contains(
        "1 read-only status values differ (not compared: they change by themselves)."));
    QVERIFY(!normal.lines.join('\n').contains("Model"));
    const FileComparison maintained = compare(true);
    QCOMPARE(maintained.different, 2); // 0000 and FE08
    QCOMPARE(maintained.readOnly, 2);  // 0005 and FB91

    r.Value("0005") = "7";
    const TransferRun::Outcome o = r.Go(TransferMode::Compare);
    QCOMPARE(o.differences, 1); // 0000
    QCOMPARE(o.readOnly, 1);
    QVERIFY(r.report.lines.contains(kTexts.readOnly.arg(1)));
}

QTEST_GUILESS_MAIN(TestExportReview)
#include "tst_ExportReview.moc"
