// vdk330q-cli against vdk330q-sim on a pseudo-terminal, in both protocols:
// reads, RAM and EEPROM writes, 4-byte and signed parameters, inverter numbers,
// broadcast, detection, and the refusals that never reach the line.
#include "SimProcess.h"
#include "TempTree.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run Cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(VDK_CLI), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QStringList kSelection{"--type",     "QM40",  "--cpu",  "2.10",
                             "--capacity", "-2004", "--lang", "English"};

} // namespace

class TestLinkEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readAndWrite_data();
    void readAndWrite();
    void addressing_data();
    void addressing();
    void detect();
    void refusals();
    void wholeSet_data();
    void wholeSet();
    void reviewSnapshotAndDiff();
    void faultyLineIsReported();
    void carelessFilesAreNotExported();
    void maintenanceRestoreWritesOnlyWhatWasRead();
    void lateRepliesAreNotTheNextAnswer_data();
    void lateRepliesAreNotTheNextAnswer();
    void keyPad_data();
    void keyPad();
    void freqFollowsTheInvertersMaximum();
    void failedStopIsReported();
    void monitorRecords_data();
    void monitorRecords();
    void triggeredRecord_data();
    void triggeredRecord();
};

void TestLinkEndToEnd::readAndWrite_data() {
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("wide"); // a 4-byte value to write to 0214
    QTest::newRow("inverter") << "inverter"
                              << "100000";
    QTest::newRow("modbus") << "modbus"
                            << "1000"; // one 16-bit register per parameter
}

void TestLinkEndToEnd::readAndWrite() {
    QFETCH(QString, protocol);
    QFETCH(QString, wide);
    const SimProcess sim(
        {"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--protocol", protocol});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link = kSelection + QStringList{"--port", sim.Pty(), "--protocol", protocol};

    Run r = Cli(link + QStringList{"write", "0002", "5000"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("0002=5000\n"));
    r = Cli(link + QStringList{"read", "0002", "0000"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith("0002=5000\n0000="), qPrintable(r.out));

    r = Cli(link + QStringList{"write", "0214", wide, "--eeprom"});
    QCOMPARE(r.out, "0214=" + wide + "\n");
    r = Cli(link + QStringList{"read", "0214"});
    QCOMPARE(r.out, "0214=" + wide + "\n");

    if (protocol == "inverter") { // beyond 2147483647, unsigned 4-byte: sent whole
        QCOMPARE(Cli(link + QStringList{"write", "FB91", "463"}).code, 0);
        r = Cli(link + QStringList{"write", "FE14", "3000000000"});
        QCOMPARE(r.out, QStringLiteral("FE14=3000000000\n"));
        QCOMPARE(Cli(link + QStringList{"read", "FE14"}).out, QStringLiteral("FE14=3000000000\n"));
    }
    r = Cli(link + QStringList{"write", "0802", "-5"}); // signed 4-byte
    QCOMPARE(r.out, QStringLiteral("0802=-5\n"));
    r = Cli(link + QStringList{"read", "0802"});
    QCOMPARE(r.out, QStringLiteral("0802=-5\n"));
}

void TestLinkEndToEnd::addressing_data() {
    QTest::addColumn<QString>("protocol");
    QTest::newRow("inverter") << "inverter";
    QTest::newRow("modbus") << "modbus";
}

void TestLinkEndToEnd::addressing() {
    QFETCH(QString, protocol);
    const SimProcess sim({"--type", "QM40", "--protocol", protocol, "--id", "3"});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link =
        kSelection + QStringList{"--port", sim.Pty(), "--protocol", protocol, "--timeout", "100"};
    Run r = Cli(link + QStringList{"--id", "3", "write", "0003", "4000"});
    QCOMPARE(r.out, QStringLiteral("0003=4000\n"));
    r = Cli(link + QStringList{"--id", "4", "read", "0003"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("0003=ERROR\n"));

    // A MODBUS broadcast is carried out without a reply, as standard slaves do.
    r = Cli(link + QStringList{"--broadcast", "write", "0003", "4500"});
    QCOMPARE(r.code, protocol == "modbus" ? 1 : 0);
    r = Cli(link + QStringList{"--id", "3", "read", "0003"});
    QCOMPARE(r.out, QStringLiteral("0003=4500\n"));
}

void TestLinkEndToEnd::detect() {
    // Found at the 10th combination: 19200 baud, odd parity, MODBUS.
    const SimProcess sim(
        {"--type", "QS20", "--protocol", "modbus", "--baud", "19200", "--parity", "odd"});
    QVERIFY(!sim.Pty().isEmpty());
    const Run r = Cli({"--port", sim.Pty(), "--baud", "9600", "--parity", "even", "detect"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("port=%1\nbaud=19200\nparity=odd\nprotocol=modbus\ntype=QS20\n"
                                   "cpu=1.20\ncapacity=-2004\n")
                        .arg(sim.Pty()));
}

void TestLinkEndToEnd::refusals() {
    const SimProcess sim({"--type", "QM40"});
    const QStringList link = kSelection + QStringList{"--port", sim.Pty()};
    const QList<std::pair<QStringList, QString>> cases{
        {link + QStringList{"read", "0FFF"}, "unknown communication number"},
        {link + QStringList{"write", "0002", "12.5"}, "not a whole number"},
        {link + QStringList{"write", "0002", "70000"}, "not a whole number"},
        {kSelection + QStringList{"--port", "/dev/nonexistent-tty", "read", "0000"}, "cannot open"},
        {link + QStringList{"--baud", "1234", "read", "0000"}, "--baud"},
    };
    for (const auto& [args, error] : cases) {
        const Run r = Cli(args);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }
}

void TestLinkEndToEnd::wholeSet_data() {
    readAndWrite_data();
}

// Back up, edit offline, restore and check: an export followed by a
// comparison finds no difference.
void TestLinkEndToEnd::wholeSet() {
    QFETCH(QString, protocol);
    const SimProcess sim(
        {"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--protocol", protocol});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link = kSelection + QStringList{"--port", sim.Pty(), "--protocol", protocol};
    const QString none = QStringLiteral("* Communication Error Parameters\nNo Item.\n");
    QTemporaryDir dir;
    const QString file = dir.filePath("backup.vdk");

    QCOMPARE(Cli(link + QStringList{"write", "0002", "5000"}).code, 0);
    Run r = Cli(link + QStringList{"import", "-o", file});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, "169 parameters read, 0 not read.\n" + none);
    QFile backup(file);
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QVERIFY(backup.readAll().contains("\r\n0002,5000,"));

    r = Cli(QStringList{"set", file, "0002=60", "0007=h64"});
    QCOMPARE(r.code, 0);
    // The file names its selection: export and compare need only the link.
    const QStringList line{"--port", sim.Pty(), "--protocol", protocol};
    r = Cli(line + QStringList{"export", file, "--eeprom"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.endsWith(" parameters written, 0 not written.\n" + none), qPrintable(r.out));
    r = Cli(link + QStringList{"read", "0002", "0007"});
    QCOMPARE(r.out, QStringLiteral("0002=6000\n0007=100\n"));
    r = Cli(line + QStringList{"compare", file});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("169 parameters equal, 0 different, 0 not read.\n"
                                   "* Different Value Parameters\n"
                                   "        Inverter     VDK330Q  Title\nNo Item.\n\n") +
                        none);

    QCOMPARE(Cli(link + QStringList{"write", "0003", "4000"}).code, 0);
    r = Cli(line + QStringList{"compare", file});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains("F003:      40.00 ,     60.00  (Base frequency 1)"), qPrintable(r.out));
}

// An export with review prints what differs and writes only that, after a
// snapshot; the snapshot puts the inverter back; files compare with files.
void TestLinkEndToEnd::reviewSnapshotAndDiff() {
    const SimProcess sim({"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004"});
    QVERIFY(!sim.Pty().isEmpty());
    TempTree app;
    for (const char* folder : {"dat", "lng"})
        app.CopyTree(QStringLiteral(VDK_SHARE_DIR "/") + folder, folder);
    const QStringList link =
        QStringList{"--appdir", app.Path()} + kSelection + QStringList{"--port", sim.Pty()};
    const QString backup = app.Path("backup.vdk");
    const QString edited = app.Path("edited.vdk");
    QCOMPARE(Cli(link + QStringList{"import", "-o", backup}).code, 0);
    const QString before = Cli(link + QStringList{"read", "0002", "0003"}).out;
    QCOMPARE(Cli(link + QStringList{"set", backup, "0002=65", "0003=50", "-o", edited}).code, 0);

    Run r = Cli(link + QStringList{"export", edited, "--review", "--dry-run"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains("F002:") && r.out.contains("F003:      60.00 ,     50.00"),
             qPrintable(r.out));
    QVERIFY(!r.err.contains("snapshot="));
    QCOMPARE(Cli(link + QStringList{"read", "0002", "0003"}).out, before);

    r = Cli(link + QStringList{"export", edited, "--review", "--eeprom"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("\n2 parameters written, 0 not written.\n"), qPrintable(r.out));
    const QRegularExpressionMatch saved = QRegularExpression("snapshot=(\\S+)").match(r.err);
    QVERIFY2(saved.hasMatch(), qPrintable(r.err));
    QCOMPARE(Cli(link + QStringList{"read", "0002", "0003"}).out, "0002=6500\n0003=5000\n");
    r = Cli(link + QStringList{"snapshots"});
    QCOMPARE(r.out.count('\n'), 1);
    QVERIFY(r.out.startsWith(saved.captured(1) + ' '));

    // A row the snapshot does not hold is never written, not even as a shipment value.
    QFile snapshot(saved.captured(1));
    QVERIFY(snapshot.open(QIODevice::ReadOnly));
    const QString partial =
        app.Write("partial.vdk", QString::fromLatin1(snapshot.readAll())
                                     .remove(QRegularExpression("\r\n0003,[^\r]*"))
                                     .toLatin1());
    r = Cli(link + QStringList{"export", partial, "--review", "--dry-run"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains("F002:") && !r.out.contains("F003:"), qPrintable(r.out));

    // The snapshot holds shipment values: its export writes them without --all.
    r = Cli(link + QStringList{"export", saved.captured(1), "--review", "--eeprom"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("\n2 parameters written, 0 not written.\n"), qPrintable(r.out));
    QCOMPARE(Cli(link + QStringList{"read", "0002", "0003"}).out, before);

    r = Cli(link + QStringList{"diff", backup, edited});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains("F003:      60.00 ,     50.00  (Base frequency 1)"), qPrintable(r.out));
    QCOMPARE(Cli(link + QStringList{"diff", backup, backup}).code, 0);
    QCOMPARE(Cli(link + QStringList{"diff", app.Path("none.vdk"), backup}).code, 2);

    // A broadcast that only the settings select is refused before the line.
    app.Write("VDK330Q.ini", "[Comms]\r\nDouhou=1\r\n");
    r = Cli(link + QStringList{"write", "0002", "5000"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("give --broadcast to mean it"), qPrintable(r.err));
    QCOMPARE(Cli(link + QStringList{"read", "0002", "0003"}).code, 2);
}

// Lost and damaged replies: the run goes on, lists what failed, exits 1.
void TestLinkEndToEnd::faultyLineIsReported() {
    const SimProcess sim({"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--drop-rate",
                          "0.03", "--corrupt-rate", "0.03", "--seed", "1"});
    QVERIFY(!sim.Pty().isEmpty());
    QTemporaryDir dir;
    const Run r = Cli(kSelection + QStringList{"--port", sim.Pty(), "--timeout", "100", "import",
                                               "-o", dir.filePath("a.vdk")});
    QCOMPARE(r.code, 1);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 2);
    QVERIFY(!lines.contains("No Item."));
    // The summary first: what was read and what was not.
    QCOMPARE(lines.first(), QStringLiteral("%1 parameters read, %2 not read.")
                                .arg(169 - (lines.size() - 3))
                                .arg(lines.size() - 3));
    for (const QString& l : lines.mid(2, lines.size() - 3))
        QVERIFY2(QRegularExpression("^F\\w+: .+$").match(l).hasMatch(), qPrintable(l));
    // The last line counts them.
    QCOMPARE(lines.last(),
             QStringLiteral("%1 of 169 parameters not read (shipment values in their place).")
                 .arg(lines.size() - 3));
}

// A file whose list was cut, that lists a parameter twice or holds a value
// outside its limits is named by check and refused by export; --force sends
// what it holds, never a shipment value for a row it did not supply.
void TestLinkEndToEnd::carelessFilesAreNotExported() {
    const SimProcess sim({"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004"});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link = kSelection + QStringList{"--port", sim.Pty()};
    TempTree dir;
    const QString backup = dir.Path("backup.vdk");
    QCOMPARE(Cli(link + QStringList{"import", "-o", backup}).code, 0);
    QCOMPARE(Cli(link + QStringList{"write", "0003", "5500", "--eeprom"}).code, 0);
    QFile file(backup);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArrayList lines = file.readAll().split('\n');
    const auto variant = [&](const char* name, const std::function<void(QByteArrayList&)>& change) {
        QByteArrayList changed = lines;
        change(changed);
        return dir.Write(name, changed.join('\n'));
    };
    // 0003 (line 12) after an empty line: its shipment value must not go out.
    const QString cut = variant("cut.vdk", [](QByteArrayList& l) { l.insert(10, "\r"); });
    const QString outside =
        variant("outside.vdk", [](QByteArrayList& l) { l[8] = "0000,-1,0,0\r"; });
    const QString twice =
        variant("twice.vdk", [](QByteArrayList& l) { l.insert(9, "0000,1,0,0\r"); });

    Run r = Cli(link + QStringList{"check", outside});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("0000=-1 is outside its limits"), qPrintable(r.err));
    r = Cli(link + QStringList{"check", twice});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("parameter 0000 is listed twice (lines 9 and 10)"), qPrintable(r.err));
    for (const QString& f : {cut, outside, twice}) {
        r = Cli(link + QStringList{"export", f, "--all", "--ram"});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains("nothing was written (--force exports it anyway)"),
                 qPrintable(r.err));
    }
    QCOMPARE(Cli(link + QStringList{"read", "0003"}).out, "0003=5500\n");
    r = Cli(link + QStringList{"export", cut, "--all", "--ram", "--force"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("were not written: the file holds no value read for them"),
             qPrintable(r.err));
    QCOMPARE(Cli(link + QStringList{"read", "0003"}).out, "0003=5500\n");
}

// A backup made without the maintenance parameters, restored with them:
// their defaults, never read, are not written over the inverter's own values,
// and each command closes the maintenance parameters it opened.
void TestLinkEndToEnd::maintenanceRestoreWritesOnlyWhatWasRead() {
    const SimProcess sim({"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004"});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link = kSelection + QStringList{"--port", sim.Pty()};
    QTemporaryDir dir;
    const QString file = dir.filePath("backup.vdk");
    QCOMPARE(Cli(link + QStringList{"write", "FB91", "463"}).code, 0);
    QCOMPARE(Cli(link + QStringList{"write", "F904", "2500", "--eeprom"}).code, 0);
    QCOMPARE(Cli(link + QStringList{"write", "FB91", "0"}).code, 0);

    Run r = Cli(link + QStringList{"import", "-o", file});
    QCOMPARE(r.code, 0);
    QFile backup(file);
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QVERIFY(backup.readAll().contains("\r\nF904,2200,0,0,unread\r\n"));

    r = Cli({"--port", sim.Pty(), "export", file, "--maintenance", "--all", "--eeprom"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("were not written: the file holds no value read for them"),
             qPrintable(r.err));
    QCOMPARE(Cli(link + QStringList{"read", "FB91"}).out, QStringLiteral("FB91=0\n"));
    QCOMPARE(Cli(link + QStringList{"write", "FB91", "463"}).code, 0);
    QCOMPARE(Cli(link + QStringList{"read", "F904"}).out, QStringLiteral("F904=2500\n"));
    QCOMPARE(Cli(link + QStringList{"write", "FB91", "0"}).code, 0);

    // A backup with them holds every value, and the command closes again.
    r = Cli(link + QStringList{"import", "--maintenance", "-o", file});
    QCOMPARE(r.code, 0);
    QFile again(file); // a new file took the name
    QVERIFY(again.open(QIODevice::ReadOnly));
    const QByteArray whole = again.readAll();
    QVERIFY(whole.contains("\r\nF904,2500,0,0\r\n"));
    QVERIFY(!whole.contains("unread"));
    QCOMPARE(Cli(link + QStringList{"read", "FB91"}).out, QStringLiteral("FB91=0\n"));
}

void TestLinkEndToEnd::lateRepliesAreNotTheNextAnswer_data() {
    readAndWrite_data();
}

// Every reply 250 ms after its request with a 200 ms time-out: each arrives
// while the next request waits, and none may pass for its answer.
void TestLinkEndToEnd::lateRepliesAreNotTheNextAnswer() {
    QFETCH(QString, protocol);
    const SimProcess sim({"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--protocol",
                          protocol, "--late-rate", "1", "--late-ms", "250"});
    QVERIFY(!sim.Pty().isEmpty());
    const Run r =
        Cli(kSelection + QStringList{"--port", sim.Pty(), "--protocol", protocol, "--timeout",
                                     "200", "read", "0001", "0002", "0003", "0004"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("0001=ERROR\n0002=ERROR\n0003=ERROR\n0004=ERROR\n"));
}

void TestLinkEndToEnd::keyPad_data() {
    QTest::addColumn<QString>("protocol");
    QTest::newRow("inverter") << "inverter";
    QTest::newRow("modbus") << "modbus";
}

// The key pad's commands: a direct frequency, RUN, the panel, UP held, MON.
void TestLinkEndToEnd::keyPad() {
    QFETCH(QString, protocol);
    const SimProcess sim(
        {"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--protocol", protocol});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link = kSelection + QStringList{"--port", sim.Pty(), "--protocol", protocol};

    Run r = Cli(link + QStringList{"freq", "50"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("FA01=5000\n"));
    r = Cli(link + QStringList{"freq", "999"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("out of the allowed range"), qPrintable(r.err));

    QCOMPARE(Cli(link + QStringList{"key", "RUN"}).code, 0);
    r = Cli(link + QStringList{"panel", "--count", "2", "--interval", "300"});
    QCOMPARE(r.code, 0);
    const QStringList reads = r.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(reads.size(), 2);
    const QRegularExpression line("^A=[ 0-9]{1,3}\\.[0-9]{1,2} lampsA=RUN B=.+ lampsB=RUN$");
    QVERIFY2(line.match(reads.last()).hasMatch(), qPrintable(reads.last()));

    QCOMPARE(Cli(link + QStringList{"key", "UP", "--hold", "3"}).code, 0);
    r = Cli(link + QStringList{"read", "FA01"});
    QVERIFY2(r.out.startsWith("FA01=") && r.out.mid(5).trimmed().toInt() > 5000, qPrintable(r.out));
    QCOMPARE(Cli(link + QStringList{"key", "MON"}).code, 0);
    QVERIFY(Cli(link + QStringList{"panel"}).out.contains("lampsA=RUN,MON"));
    QCOMPARE(Cli(link + QStringList{"key", "STOP"}).code, 0);
    QCOMPARE(Cli(link + QStringList{"key", "PAUSE"}).code, 2);
}

// The frequency command's upper limit is the maximum frequency (0002) the
// inverter holds, not the 80 Hz shipment value of the table.
void TestLinkEndToEnd::freqFollowsTheInvertersMaximum() {
    const SimProcess sim({"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004"});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link = kSelection + QStringList{"--port", sim.Pty()};
    QCOMPARE(Cli(link + QStringList{"write", "0002", "3516"}).code, 0);
    Run r = Cli(link + QStringList{"freq", "40"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("(limit 35.16)"), qPrintable(r.err));
    QCOMPARE(r.out, QString());
    r = Cli(link + QStringList{"freq", "30"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("FA01=3000\n"));
}

// A STOP that gets no answer is reported, never lost.
void TestLinkEndToEnd::failedStopIsReported() {
    const SimProcess sim(
        {"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--drop-rate", "1"});
    QVERIFY(!sim.Pty().isEmpty());
    const Run r = Cli(kSelection + QStringList{"--port", sim.Pty(), "key", "STOP"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("STOP did not reach the inverter"), qPrintable(r.err));
    const Run panel = Cli(kSelection + QStringList{"--port", sim.Pty(), "panel"});
    QCOMPARE(panel.code, 1);
    QCOMPARE(panel.out, QStringLiteral("A=ERROR\n"));
}

void TestLinkEndToEnd::monitorRecords_data() {
    QTest::addColumn<QString>("protocol");
    QTest::newRow("inverter") << "inverter";
    QTest::newRow("modbus") << "modbus";
}

// The headless recorder: the continuous CSV header, one row per sample on
// the 100 ms clock, the file and the output the same, a bit item at the
// terminal level, and a refusal that names what is wrong.
void TestLinkEndToEnd::monitorRecords() {
    QFETCH(QString, protocol);
    const SimProcess sim(
        {"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--protocol", protocol});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link = kSelection + QStringList{"--port", sim.Pty(), "--protocol", protocol};
    QCOMPARE(Cli(link + QStringList{"freq", "40"}).code, 0);
    QCOMPARE(Cli(link + QStringList{"key", "RUN"}).code, 0);
    QTemporaryDir dir;
    const QString file = dir.filePath("run.csv");
    const Run r = Cli(link + QStringList{"monitor", "--items", "FD00,FD01-00", "--interval", "100",
                                         "--count", "5", "-o", file});
    QCOMPARE(r.code, 0);
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(csv.readAll());
    QCOMPARE(written, QString(r.out).replace("\n", "\r\n"));
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5 + 5);
    QCOMPARE(lines[0], QStringLiteral("QM40-2004"));
    QCOMPARE(lines[3].section(',', 0, 2), QStringLiteral("Time(ms),Output frequency,Running"));
    for (int n = 0; n < 5; ++n) {
        const QStringList cells = lines[5 + n].split(',');
        QCOMPARE(cells.size(), 11);
        const int elapsed = cells[0].toInt();
        QVERIFY2(elapsed >= n * 100 && elapsed < n * 100 + 50, qPrintable(lines[5 + n]));
        QCOMPARE(cells[2], QStringLiteral("15.000000")); // running: the terminal level
    }
    QCOMPARE(Cli(link + QStringList{"key", "STOP"}).code, 0);
    const Run refused = Cli(link + QStringList{"monitor", "--items", "FD00", "--count", "1"});
    QCOMPARE(refused.code, 2);
    QVERIFY2(refused.err.contains("--interval"), qPrintable(refused.err));
}

void TestLinkEndToEnd::triggeredRecord_data() {
    monitorRecords_data();
}

// The drive ramps toward 40 Hz from the simulator's start: the record holds
// the rise below 20 Hz and goes on above it; the monitor file converts to
// the CSV table, and a damaged one is refused with nothing written.
void TestLinkEndToEnd::triggeredRecord() {
    QFETCH(QString, protocol);
    const SimProcess sim({"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--protocol",
                          protocol, "--run", "40"});
    QVERIFY(!sim.Pty().isEmpty());
    const QStringList link = kSelection + QStringList{"--port", sim.Pty(), "--protocol", protocol};
    QTemporaryDir dir;
    const QString mon = dir.filePath("rise.mon");
    const Run r =
        Cli(link + QStringList{"monitor", "--items", "FD03,FD00", "--interval", "50", "--trigger",
                               "FD00,up,20", "--delay", "50", "--max-samples", "40", "-o", mon});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("samples=40 pre-trigger=19 errors=0\n"));
    QFile file(mon);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    QCOMPARE(lines.size(), 19 + 40 + 1);
    const auto frequency = [&](int sample) { return lines[19 + sample].split(',')[2].toDouble(); };
    QVERIFY2(frequency(18) <= 20, lines[19 + 18].constData()); // at the level: neither side
    QVERIFY(frequency(19) > 20);
    QCOMPARE(lines[19 + 19].split(',')[0], QByteArray("0")); // counted from the trigger

    const QString csv = dir.filePath("rise.csv");
    QCOMPARE(Cli(kSelection + QStringList{"mon2csv", mon, "-o", csv}).code, 0);
    QFile table(csv);
    QVERIFY(table.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = table.readAll().split('\n');
    QVERIFY2(rows[1].startsWith("Title,Output current,Output frequency,-"), rows[1].constData());
    QCOMPARE(rows.size(), 6 + 40 + 1);

    // The monitor report of the file: the table names both items.
    const QString pdf = dir.filePath("rise.pdf");
    QCOMPARE(Cli(kSelection + QStringList{"print-monitor", mon, "-o", pdf}).code, 0);
    if (!QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QProcess text;
        text.start("pdftotext", {"-raw", pdf, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(printed.contains("1 ON Output current") &&
                     printed.contains("2 ON Output frequency"),
                 qPrintable(printed));
    }

    QVERIFY(file.open(QIODevice::Append));
    file.write("12,abc\r\n");
    file.close();
    const QString refusedCsv = dir.filePath("refused.csv");
    const Run refused = Cli(kSelection + QStringList{"mon2csv", mon, "-o", refusedCsv});
    QCOMPARE(refused.code, 2);
    QCOMPARE(refused.err.count('\n'), 1);
    QVERIFY(!QFile::exists(refusedCsv));
    QCOMPARE(Cli(kSelection + QStringList{"print-monitor", mon, "-o", dir.filePath("no.pdf")}).code,
             2);
    QVERIFY(!QFile::exists(dir.filePath("no.pdf")));
}

QTEST_GUILESS_MAIN(TestLinkEndToEnd)
#include "tst_LinkEndToEnd.moc"
