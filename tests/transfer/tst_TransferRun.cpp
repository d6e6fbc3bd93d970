// Whole-set import, export and comparison against the simulated inverter: the
// report texts as laid out, the skip rules, the prompts and their answers, the
// model rule, and faulty lines that must never leave a wrong value behind.
#include "TransferFixture.h"
#include "data/ParameterFile.h"
#include "transfer/TransferSession.h"

#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)

namespace {

// The error line of a parameter outside maintenance mode.
QString ErrorLine(const ParaDat& table, int row) {
    const QString& title = table.At(row, FTitle);
    return title.isEmpty() ? table.At(row, ComNo) + ": Maintenance Parameter"
                           : title + ": " + table.At(row, FName);
}

const QStringList kNormal{"0000", "0001", "0003", "0004", "0005", "0006", "0007", "0008", "0630"};

} // namespace

class TestTransferRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void importReadsEverything_data();
    void importReadsEverything();
    void importNamesFailedParameters();
    void importAbortChangesNothing();
    void retryRepeatsTheParameter();
    void modelRule_data();
    void modelRule();
    void exportSkipRules();
    void exportFailures();
    void comparisonWithoutDifferences();
    void comparisonReport();
    void session();
    void exportNeverWritesWhatWasNotRead();
    void faultyLine_data();
    void faultyLine();
    void autoSaveNames();
    void silentLineStops_data();
    void silentLineStops();
};

void TestTransferRun::importReadsEverything_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::newRow("inverter") << Protocol::Inverter;
    QTest::newRow("modbus") << Protocol::Modbus;
}

// Words come back by width and sign; 4-byte values only in the inverter protocol.
void TestTransferRun::importReadsEverything() {
    QFETCH(Protocol, protocol);
    Run r(protocol, "0000=700\n0003=-1\n0004=65535\n0006=-70000\n0005=9\n");
    r.f.table.At(r.Row("0000"), Flag) = "2";
    const TransferRun::Outcome o = r.Go(TransferMode::Import);
    QVERIFY(!o.aborted);
    QCOMPARE(o.errors, 0);
    QCOMPARE(r.report.lines, (QStringList{"9 parameters read, 0 not read.",
                                          "* Communication Error Parameters", "No Item."}));
    QCOMPARE(r.Value("0000"), "700");
    QCOMPARE(r.Mark("0000", UPara::ChangeIndex), "1");
    QCOMPARE(r.Value("0003"), "-1");
    QCOMPARE(r.Value("0004"), "65535");
    QCOMPARE(r.Value("0006"), protocol == Protocol::Inverter ? "-70000" : "-4464");
    QCOMPARE(r.Value("0005"), "9"); // read whatever its flag
    QCOMPARE(r.FlagOf("0005"), "1");
    QCOMPARE(r.FlagOf("0000"), "0");
    QCOMPARE(r.Value("FE08"), "400"); // beyond the rows of the run
    QCOMPARE(r.progress.size(), 9);
    QCOMPARE(r.progress.last(), 100);
    QCOMPARE(r.pumped, 9);
}

// A failed read leaves the default, is listed by title and name, and a
// parameter without a title (a maintenance one) is named only in maintenance mode.
void TestTransferRun::importNamesFailedParameters() {
    for (bool maintenance : {false, true}) {
        Run r(Protocol::Inverter, "0001=310\n0004=9\n", {"0004", "0008"});
        r.Value("0004") = "12";
        r.config.options.maintenanceNames = maintenance;
        const TransferRun::Outcome o = r.Go(TransferMode::Import);
        QCOMPARE(o.errors, 2);
        QCOMPARE(r.report.lines,
                 (QStringList{"7 parameters read, 2 not read.", "* Communication Error Parameters",
                              "F04: Unsigned",
                              maintenance ? "0008: Notitle" : "0008: Maintenance Parameter",
                              "2 of 9 parameters not read (shipment values in their place)."}));
        // The table shows them as failed transfers, and they are stand-ins.
        QCOMPARE(r.Mark("0004", UPara::CommErrIndex), "1");
        QCOMPARE(r.Mark("0001", UPara::CommErrIndex), "0");
        QCOMPARE(r.f.values.CountFailedReads(), 2);
        QCOMPARE(r.Value("0004"), "0");
        QCOMPARE(r.Mark("0004", UPara::ChangeIndex), "0");
        QCOMPARE(r.FlagOf("0004"), "2");
        QCOMPARE(r.Value("0001"), "310");
        QVERIFY(r.f.dialogs.messages.isEmpty()); // no prompt without the option
    }
}

void TestTransferRun::importAbortChangesNothing() {
    Run r(Protocol::Inverter, "0000=700\n0001=310\n", {"0003"});
    r.config.options.errorPrompt = true;
    r.f.dialogs.answers.enqueue(Answer::Abort);
    const TransferRun::Outcome o = r.Go(TransferMode::Import);
    QVERIFY(o.aborted);
    QVERIFY(!o.autoSaveDue);
    QCOMPARE(r.Value("0000"), "600");
    QCOMPARE(r.Value("0001"), "300");
    QCOMPARE(r.report.lines, QStringList{"* Communication Error Parameters"});
    const Message& m = r.f.dialogs.messages.first();
    QCOMPARE(m.buttons, MsgButtons::AbortRetryIgnore);
    QCOMPARE(m.text, "M92\nM69 F03\n\nM70\nM71\nM72"); // no answer for 0003
}

void TestTransferRun::retryRepeatsTheParameter() {
    Run r(Protocol::Inverter, "", {"0003"});
    r.config.options.errorPrompt = true;
    r.f.dialogs.answers << Answer::Retry << Answer::Retry << Answer::Ignore;
    const int before = r.line->port.RequestsSeen();
    const TransferRun::Outcome o = r.Go(TransferMode::Import);
    QCOMPARE(r.line->port.RequestsSeen() - before, 9 + 2);
    QCOMPARE(o.errors, 1);
    QCOMPARE(r.report.lines.size(), 4); // the summary, the title, the failed one, the count
    QCOMPARE(r.f.dialogs.messages.size(), 3);
}

void TestTransferRun::modelRule_data() {
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("value0630");
    QTest::newRow("below 300") << QByteArray("FE08=250\n") << "QM40"
                               << "0";
    QTest::newRow("1000 is above 300") << QByteArray("FE08=1000\n") << "QM40"
                                       << "9";
    QTest::newRow("another type-form") << QByteArray("FE08=250\n") << "QM60"
                                       << "9";
}

void TestTransferRun::modelRule() {
    QFETCH(QByteArray, state);
    QFETCH(QString, type);
    QFETCH(QString, value0630);
    Run r(Protocol::Inverter, state + "0630=9\n");
    r.config.typeForm = type;
    // FE08 answers once the maintenance parameters are open.
    QCOMPARE(*PrepareTransfer(r.line->link, r.f.table, true, r.f.messenger), r.f.table.LastRow());
    r.Go(TransferMode::Import);
    QCOMPARE(r.Value("0630"), value0630);
    QCOMPARE(r.Mark("0630", UPara::ChangeIndex), "1");

    // A failed FE08 read changes nothing.
    Run closed(Protocol::Inverter, state + "0630=9\n");
    closed.config.typeForm = "QM40";
    closed.Go(TransferMode::Import);
    QCOMPARE(closed.Value("0630"), "9");
    QCOMPARE(closed.Value("FE08"), "400");
}

void TestTransferRun::exportSkipRules() {
    Run r;
    r.Value("0000") = "650";
    r.Value("0004") = "4";
    r.Value("0005") = "8"; // never written
    r.Value("0007") = "5"; // RAM only
    for (const char* n : {"0000", "0004", "0005", "0007"})
        MarkChanged(r.f.table, r.f.values, r.Row(n), r.Value(n), r.f.messenger);
    r.f.values.At(r.Row("0000"), UPara::WriteIndex) = "1";
    r.Value("0001") = "310"; // not marked changed: skipped
    r.f.values.At(r.Row("0001"), UPara::ChangeIndex) = "0";
    const int before = r.line->port.RequestsSeen();
    TransferRun::Outcome o = r.Go(TransferMode::Export);
    QCOMPARE(o.errors, 0);
    QCOMPARE(r.report.lines, (QStringList{"3 parameters written, 0 not written.",
                                          "* Communication Error Parameters", "No Item."}));
    QCOMPARE(r.line->port.RequestsSeen() - before, 3);
    QCOMPARE(r.line->Eeprom("0000"), 650);
    QCOMPARE(r.line->Eeprom("0004"), 4);
    QCOMPARE(r.line->Ram("0007"), 5);
    QCOMPARE(r.line->Ram("0005"), 7);
    QCOMPARE(r.line->Ram("0001"), 300);
    QCOMPARE(r.Mark("0000", UPara::WriteIndex), "0");

    // Every parameter, to RAM.
    r.config.options.changedOnly = false;
    r.config.options.eeprom = false;
    r.report = ResultReport();
    o = r.Go(TransferMode::Export);
    QCOMPARE(o.errors, 0);
    QCOMPARE(r.line->Ram("0001"), 310);
    QCOMPARE(r.line->Eeprom("0001"), 300);
}

// A value the register cannot hold is never sent; a silent parameter and an
// echo that is not the value sent fail.
void TestTransferRun::exportFailures() {
    Run r(Protocol::Modbus, "", {"0003"});
    r.config.options.changedOnly = false;
    r.Value("0006") = "70000";
    r.Value("0004") = "-1";   // echoed as 65535 by the unsigned parameter
    r.Value("0000") = "0600"; // echoed as 600: the same number
    const TransferRun::Outcome o = r.Go(TransferMode::Export);
    QCOMPARE(o.errors, 3);
    QCOMPARE(r.report.lines, (QStringList{"5 parameters written, 3 not written.",
                                          "* Communication Error Parameters", "F03: Signed",
                                          "F04: Unsigned", "F06: Wide"}));
    QCOMPARE(r.FlagOf("0000"), "0");
    QCOMPARE(r.line->Ram("0006"), -5);
    QCOMPARE(r.FlagOf("0006"), "2");
    QCOMPARE(r.FlagOf("0005"), "1");
}

void TestTransferRun::comparisonWithoutDifferences() {
    Run r(Protocol::Modbus);
    const TransferRun::Outcome o = r.Go(TransferMode::Compare);
    QCOMPARE(o.differences, 0);
    QCOMPARE(r.report.lines,
             (QStringList{"9 parameters equal, 0 different, 0 not read.",
                          "* Different Value Parameters", "        Inverter     VDK330Q  Title",
                          "No Item.", "", "* Communication Error Parameters", "No Item."}));
}

// Differences with scaled values in columns, a failed read in the error
// section only, and a value written "0600" that equals 600.
void TestTransferRun::comparisonReport() {
    Run r(Protocol::Inverter, "0000=655\n0003=-1\n0001=310\n", {"0004"});
    r.Value("0000") = "0600";
    r.Value("0003") = "5";
    r.Value("0001") = "0310";
    r.Value("0004") = "3";
    r.config.options.comparePrompt = true;
    r.config.options.autoSave = true;
    r.f.dialogs.answers << Answer::Ignore << Answer::Retry << Answer::Ignore;
    const TransferRun::Outcome o = r.Go(TransferMode::Compare);
    QCOMPARE(o.differences, 2);
    QCOMPARE(o.errors, 1);
    QVERIFY(o.autoSaveDue);
    QCOMPARE(r.report.lines,
             (QStringList{"6 parameters equal, 2 different, 1 not read.",
                          "* Different Value Parameters", "        Inverter     VDK330Q  Title",
                          " F00:       65.5 ,      60.0  (Maxfreq)",
                          " F03:         -1 ,         5  (Signed)", "",
                          "* Communication Error Parameters", "F04: Unsigned"}));
    QCOMPARE(r.f.dialogs.Numbers(), (QList<int>{73, 73, 73}));
    QCOMPARE(r.Value("0000"), "0600"); // a comparison changes no value
    QCOMPARE(r.FlagOf("0004"), "2");
    QCOMPARE(r.FlagOf("0001"), "0");
}

// A session: the link check and the maintenance access before the run, the
// access closed after it when asked, and what the outcome calls for.
void TestTransferRun::session() {
    Run r;
    const auto make = [&r](TransferMode mode, bool maintenance) {
        TransferSession::Config c;
        c.mode = mode;
        c.setup.useMaintenance = c.closeMaintenance = maintenance;
        c.setup.showCompareResult = false;
        return std::make_unique<TransferSession>(r.f.table, r.f.values, r.line->link, r.f.messenger,
                                                 r.pump, c);
    };
    const auto plain = make(TransferMode::Import, false);
    QVERIFY(plain->Prepare());
    QCOMPARE(plain->Run().Configuration().lastRow, r.f.table.NormalLastRow());
    QVERIFY(!r.line->sim.MaintenanceOpen());
    QVERIFY(plain->Execute());
    QVERIFY(plain->ShowsReport());
    QVERIFY(plain->RefreshAfter() == TransferSession::Refresh::Rebuild);

    const auto maintained = make(TransferMode::Compare, true);
    QVERIFY(maintained->Prepare());
    QCOMPARE(maintained->Run().Configuration().lastRow, r.f.table.LastRow());
    QVERIFY(r.line->sim.MaintenanceOpen());
    QVERIFY(maintained->Execute());
    QVERIFY(!r.line->sim.MaintenanceOpen());
    QVERIFY(!maintained->ShowsReport()); // the comparison's report is off
    QVERIFY(maintained->RefreshAfter() == TransferSession::Refresh::Repaint);

    r.line->link.settings.port.portName = "absent1";
    QVERIFY(!make(TransferMode::Import, false)->Prepare());
    QVERIFY(r.f.dialogs.Numbers().contains(4));
}

// A set imported without the maintenance parameters, one read failing: saved,
// opened again and exported with them, it writes only what was read.
void TestTransferRun::exportNeverWritesWhatWasNotRead() {
    Run r(Protocol::Inverter, "0003=-7\n0004=9\nFE08=555\n", {"0004"});
    r.Go(TransferMode::Import);
    QVERIFY(r.f.values.Unread(r.Row("0004")));  // failed
    QVERIFY(r.f.values.Unread(r.Row("FE08")));  // not reached
    QVERIFY(!r.f.values.Unread(r.Row("0003"))); // read
    const QString path = r.f.tree.Path("backup.vdk");
    QVERIFY(WriteParameterFile(path, r.f.table, r.f.values, r.f.paths.Identity(), true, nullptr));
    QVERIFY(r.f.tree.Read("backup.vdk").contains("FE08,400,0,0,unread\r\n"));

    Run restore(Protocol::Inverter, "0003=-7\n0004=9\nFE08=555\n");
    const ReadResult read =
        ReadParameterFile(path, restore.f.table, restore.f.values, restore.f.paths.Identity(),
                          QByteArray(), restore.f.messenger);
    QCOMPARE(read.outcome, ReadOutcome::Taken);
    QVERIFY(restore.f.values.Unread(restore.Row("FE08")));
    // The inverter changed meanwhile.
    restore.line->link.Transact(restore.Row("0003"), "1", u"W");
    restore.config.lastRow = restore.f.table.LastRow();
    restore.config.options.changedOnly = false;
    restore.line->link.OpenMaintenanceAccess();
    const TransferRun::Outcome o = restore.Go(TransferMode::Export);
    QCOMPARE(o.errors, 0);
    QCOMPARE(o.unread, 2);
    QCOMPARE(restore.line->Ram("0003"), -7);  // written back
    QCOMPARE(restore.line->Ram("0004"), 9);   // the default 0 was not written
    QCOMPARE(restore.line->Ram("FE08"), 555); // nor was the default 400
    // A value typed for a row makes it real again.
    restore.f.values.SetUnread(restore.Row("FE08"), false);
    restore.Go(TransferMode::Export);
    QCOMPARE(restore.line->Ram("FE08"), 400);
}

void TestTransferRun::faultyLine_data() {
    importReadsEverything_data();
}

// Dropped, late and corrupted replies at 5 % each: every parameter holds the
// inverter's value or is listed (holding its default); every write that is
// not listed reached the inverter.
void TestTransferRun::faultyLine() {
    QFETCH(Protocol, protocol);
    const QByteArray state = "0000=700\n0001=310\n0003=-2\n0004=40000\n0006=-7\n0007=4\n"
                             "0008=2\n0630=8\n0005=9\n";
    int failures = 0;
    for (int seed = 1; seed <= 8; ++seed) {
        Run r(protocol, state, {}, 0.05);
        SimOptions faults = SimLine::Options(protocol, 0.05);
        faults.seed = quint32(seed);
        r.line->port.SetFaults(faults);
        r.Go(TransferMode::Import);
        for (const QString& n : kNormal) {
            const int row = r.f.table.FindRow(n);
            const bool listed = r.report.lines.contains(ErrorLine(r.f.table, row));
            failures += listed;
            const QString held = QString::number(*r.line->sim.RamValue(n));
            QCOMPARE(r.f.values.At(row, UPara::Value),
                     listed ? *r.f.table.ResolveDefault(n) : held);
        }
        for (const QString& n : kNormal) { // as typed into the table
            r.f.values.At(r.f.table.FindRow(n), UPara::Value) = "11";
            r.f.values.SetUnread(r.f.table.FindRow(n), false);
        }
        r.config.options.changedOnly = false;
        r.report = ResultReport();
        r.Go(TransferMode::Export);
        for (const QString& n : kNormal) {
            const int row = r.f.table.FindRow(n);
            if (n == "0005" || r.report.lines.contains(ErrorLine(r.f.table, row)))
                continue;
            QCOMPARE(*r.line->sim.RamValue(n), 11);
        }
    }
    QVERIFY(failures > 0);
}

void TestTransferRun::autoSaveNames() {
    DataFixture f;
    const QDateTime at(QDate(2026, 12, 8), QTime(21, 5, 3));
    QCOMPARE(AutoSaveName(at), "8d21h5m3s.txt");
    const QString dir = f.tree.Path("reports");
    QDir().mkpath(dir);
    QCOMPARE(FreeAutoSavePath(dir, at), dir + "/8d21h5m3s.txt");
    QVERIFY(ResultReport::Save(FreeAutoSavePath(dir, at), {"first"}, nullptr));
    QCOMPARE(FreeAutoSavePath(dir, at), dir + "/8d21h5m3s-2.txt");
    QVERIFY(ResultReport::Save(FreeAutoSavePath(dir, at), {"second", "line"}, nullptr));
    QCOMPARE(f.tree.Read("reports/8d21h5m3s.txt"), "first\r\n"); // kept
    QCOMPARE(f.tree.Read("reports/8d21h5m3s-2.txt"), "second\r\nline\r\n");
    QCOMPARE(AutoSaveFolder(dir, "/docs"), dir);
    QCOMPARE(AutoSaveFolder(f.tree.Path("missing"), "/docs"), "/docs");
    QString error;
    QVERIFY(!ResultReport::Save(dir, {"x"}, &error)); // a folder of that name
    QVERIFY(!error.isEmpty());
}

void TestTransferRun::silentLineStops_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("goOn");
    for (const auto& [name, mode] :
         {std::pair{"import", TransferMode::Import}, std::pair{"export", TransferMode::Export},
          std::pair{"comparison", TransferMode::Compare}}) {
        QTest::addRow("%s, stop", name) << int(mode) << false;
        QTest::addRow("%s, go on", name) << int(mode) << true;
    }
}

// An inverter that stopped answering costs five time-outs, then the user
// chooses; a stopped run says how far it got.
void TestTransferRun::silentLineStops() {
    QFETCH(int, mode);
    QFETCH(bool, goOn);
    Run r(Protocol::Inverter, "0003=-7\n", kNormal);
    r.config.options.changedOnly = false;
    TransferRun& run = r.Make();
    QList<int> asked;
    if (goOn)
        run.keepGoing = [&](int failures) {
            asked.append(failures);
            return true;
        };
    const int before = r.line->port.RequestsSeen();
    const TransferRun::Outcome o = run.Run(TransferMode(mode), r.report);
    QCOMPARE(o.stopped, !goOn);
    QCOMPARE(asked, goOn ? QList<int>{5} : QList<int>{});
    // Nine rows, 0005 never written; every one tried once.
    const int exchanges = mode == int(TransferMode::Export) ? 8 : 9;
    QCOMPARE(r.line->port.RequestsSeen() - before, goOn ? exchanges : 5);
    if (!goOn) {
        // An export passes 0005 without an exchange.
        const int reached = mode == int(TransferMode::Export) ? 6 : 5;
        QCOMPARE(r.report.lines.at(1),
                 QString("The run was stopped after %1 of 9 parameters.").arg(reached));
        QCOMPARE(r.report.lines.at(1), ReportTexts().stoppedAt.arg(o.reached).arg(o.total));
    }
}

QTEST_GUILESS_MAIN(TestTransferRun)
#include "tst_TransferRun.moc"
