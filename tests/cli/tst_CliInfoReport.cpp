// info-report against the simulator on a pseudo-terminal, in both protocols:
// the information report's layout, the trip data after a trip, a line that
// does not answer, and a language file without the report's list.
#include "CliRunner.h"
#include "SimProcess.h"
#include "settings/IniFile.h"

using namespace vdk;

namespace {

const QStringList kSelection{"--type",     "QM40",  "--cpu",  "2.10",
                             "--capacity", "-2004", "--lang", "English"};

// The simulated QM40 -2004 speaking `protocol`, tripped at its first request.
QStringList Simulated(const QString& protocol) {
    return {"--appdir",   VDK_SHARE_DIR, "--type",     "QM40",   "--cpu",        "2.10",
            "--capacity", "-2004",       "--protocol", protocol, "--trip-after", "0"};
}

} // namespace

class TestCliInfoReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void report_data();
    void report();
    void noListIsRefused();
};

void TestCliInfoReport::report_data() {
    QTest::addColumn<QString>("simulated"); // the simulator's protocol
    QTest::addColumn<QString>("protocol");  // the command line's
    QTest::addColumn<bool>("trip");
    QTest::addColumn<int>("code");
    for (const char* p : {"inverter", "modbus"}) {
        QTest::addRow("%s", p) << p << p << false << 0;
        QTest::addRow("%s, trip data", p) << p << p << true << 0;
    }
    QTest::newRow("no answer") << "inverter"
                               << "modbus" << false << 1;
}

void TestCliInfoReport::report() {
    QFETCH(QString, simulated);
    QFETCH(QString, protocol);
    QFETCH(bool, trip);
    QFETCH(int, code);
    const SimProcess sim(Simulated(simulated));
    QVERIFY(!sim.Pty().isEmpty());
    CliAppDir app;
    QStringList args = kSelection + QStringList{"--port",    sim.Pty(), "--protocol", protocol,
                                                "--timeout", "100",     "info-report"};
    if (trip)
        args.append("--trip");
    const CliResult r = app.Run(args);
    QCOMPARE(r.code, code);
    if (code != 0) {
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains("does not answer"), qPrintable(r.err));
        return;
    }
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    const QStringList lines = r.out.split('\n');
    QCOMPARE(lines.first(),
             trip ? QStringLiteral("Trip Information") : QStringLiteral("Inverter Information"));
    QCOMPARE(lines.mid(1, 3), (QStringList{"", "Type-Form :QM40", "Capacity :-2004"}));
    QVERIFY(lines.contains("Past Trip 1 (latest) :OC1 Overcurrent during acceleration"));
    QCOMPARE(lines.contains("Tripped : ON"), trip);
    QVERIFY(lines.contains("Cumulative Operation Time (h) :0"));
    QCOMPARE(lines.last(), QString()); // every line ended
}

void TestCliInfoReport::noListIsRefused() {
    const SimProcess sim(Simulated("inverter"));
    QVERIFY(!sim.Pty().isEmpty());
    CliAppDir app;
    QVERIFY(IniFile(app.tree.Path("app/lng/English.ini")).EraseSection("InverterInfo"));
    app.ExpectRefusal(kSelection + QStringList{"--port", sim.Pty(), "info-report"},
                      "no [InverterInfo] list");
}

QTEST_GUILESS_MAIN(TestCliInfoReport)
#include "tst_CliInfoReport.moc"
