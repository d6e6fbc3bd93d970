// --trace against the simulator on a pseudo-terminal: one line on stderr per
// exchange, in the order of the exchanges, naming what was asked and what
// became of it; nothing without the option.
#include "CliRunner.h"
#include "SimProcess.h"

using namespace vdk;

class TestCliTrace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linePerExchange_data();
    void linePerExchange();
    void traceKeepsTheBarAway();
};

void TestCliTrace::linePerExchange_data() {
    QTest::addColumn<QString>("simulated"); // the simulator's protocol
    QTest::addColumn<QString>("protocol");  // the command line's
    QTest::addColumn<bool>("trace");
    QTest::addColumn<QString>("verdict");
    for (const char* p : {"inverter", "modbus"})
        QTest::addRow("%s", p) << p << p << true << "answered";
    QTest::newRow("no answer") << "inverter"
                               << "modbus" << true << "no reply";
    QTest::newRow("without --trace") << "inverter"
                                     << "inverter" << false << QString();
}

void TestCliTrace::linePerExchange() {
    QFETCH(QString, simulated);
    QFETCH(QString, protocol);
    QFETCH(bool, trace);
    QFETCH(QString, verdict);
    const SimProcess sim({"--appdir", VDK_SHARE_DIR, "--type", "QM40", "--cpu", "2.10",
                          "--capacity", "-2004", "--protocol", simulated});
    QVERIFY(!sim.Pty().isEmpty());
    CliAppDir app;
    QStringList args{"--type",    "QM40",    "--cpu",  "2.10",    "--capacity", "-2004",
                     "--lang",    "English", "--port", sim.Pty(), "--protocol", protocol,
                     "--timeout", "100",     "read",   "0000",    "FB07"};
    if (trace)
        args.prepend("--trace");
    const CliResult r = app.Run(args);
    QCOMPARE(r.code, verdict == "no reply" ? 1 : 0);
    const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), trace ? 2 : 0);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split("  ");
        QCOMPARE(fields.value(1), protocol);
        QCOMPARE(fields.value(4), i == 0 ? QStringLiteral("0000") : QStringLiteral("FB07"));
        QCOMPARE(fields.value(7), verdict);
        QVERIFY2(fields.value(9).startsWith("> "), qPrintable(lines[i]));
    }
}

// On a terminal a whole-set run draws its progress bar with carriage
// returns; with --trace the bar stays away, so no trace line is broken.
void TestCliTrace::traceKeepsTheBarAway() {
    const SimProcess sim(
        {"--appdir", VDK_SHARE_DIR, "--type", "QM40", "--cpu", "2.10", "--capacity", "-2004"});
    QVERIFY(!sim.Pty().isEmpty());
    CliAppDir app;
    app.terminal = true;
    for (const bool trace : {false, true}) {
        QStringList args{"--type",
                         "QM40",
                         "--cpu",
                         "2.10",
                         "--capacity",
                         "-2004",
                         "--lang",
                         "English",
                         "--port",
                         sim.Pty(),
                         "import",
                         "-o",
                         app.tree.Path("set.vdk")};
        if (trace)
            args.prepend("--trace");
        const CliResult r = app.Run(args);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err.contains('\r'), !trace);
    }
}

QTEST_GUILESS_MAIN(TestCliTrace)
#include "tst_CliTrace.moc"
