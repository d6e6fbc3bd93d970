// vdk330q-cli and the files it must not lose: `set` refuses to write back a
// file it did not read whole, two runs on one file take turns, special files
// are refused, names are used as given and a comment keeps its bytes.
#include "CliRunner.h"
#include "FullDisk.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QRegularExpression>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

using namespace vdk;

extern char** environ;

namespace {

QByteArray VdkText(const QByteArray& comment = "Pump 3", const QByteArray& extra = "") {
    return "###\r\nQM40\r\n-2004\r\n2.10\r\nEnglish\r\n" + comment +
           "\r\n0\r\n0\r\n0000,0\r\n0002,5000,1,1\r\n" + extra;
}

// Runs the built program with its arguments as bytes, as a shell passes them,
// in the C locale. Returns the exit status; stderr goes to `err`.
int RunProgram(const QList<QByteArray>& args, QByteArray& err) {
    TempTree logs;
    const QByteArray errPath = QFile::encodeName(logs.Path("err"));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    QList<QByteArray> all{QByteArrayLiteral(VDK_CLI_PROGRAM)};
    all += args;
    std::vector<char*> argv;
    for (QByteArray& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QList<QByteArray> env{"LC_ALL=C"};
    for (char** e = environ; *e; ++e)
        if (!QByteArray(*e).startsWith("LC_") && !QByteArray(*e).startsWith("LANG="))
            env.append(*e);
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    const bool started =
        posix_spawn(&pid, VDK_CLI_PROGRAM, &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    err = logs.Read("err");
    return WEXITSTATUS(status);
}

} // namespace

class TestCliFileSafety : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void setRefusesToLoseLines_data();
    void setRefusesToLoseLines();
    void concurrentSetsKeepBothEdits();
    void setWaitsForTheLockThenRefuses();
    void specialFilesAreRefused_data();
    void specialFilesAreRefused();
    void namesAreUsedAsGiven_data();
    void namesAreUsedAsGiven();
    void setKeepsTheCommentBytes();
    void fullDiskKeepsTheFile_data();
    void fullDiskKeepsTheFile();
};

// Lines the reader does not take would be written back as shipment values, or
// not at all: refused unless --force says to write anyway.
void TestCliFileSafety::setRefusesToLoseLines_data() {
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<QString>("reason");
    QTest::newRow("after an empty line") << QByteArray("\r\n0007,100\r\n") << "from line 12 on";
    QTest::newRow("unknown number") << QByteArray("0FFF,1\r\n") << "parameter 0FFF";
    QByteArray full;
    for (int i = 2; i < 2000; ++i)
        full += "0000,0\r\n";
    QTest::newRow("past 2000 parameters") << full + "0007,100\r\n"
                                          << "from line 2009 on";
}

void TestCliFileSafety::setRefusesToLoseLines() {
    QFETCH(QByteArray, extra);
    QFETCH(QString, reason);
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText("Pump 3", extra));
    app.ExpectRefusal({"--from", file, "set", file, "0004=120"}, reason);
    QCOMPARE(app.tree.Read("set.vdk"), VdkText("Pump 3", extra));
    QVERIFY(app.Run({"--from", file, "set", file, "0004=120"}).err.contains("--force"));

    const CliResult r = app.Run({"--from", file, "set", file, "0004=120", "--force"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("warning: ") && r.err.contains(reason), qPrintable(r.err));
    QVERIFY(app.tree.Read("set.vdk").contains("\r\n0004,120,"));
}

// Each run reads the file, edits one parameter and writes the file back; run
// at the same time without a lock, one edit is lost now and then.
void TestCliFileSafety::concurrentSetsKeepBothEdits() {
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText());
    for (int round = 1; round <= 6; ++round) {
        const QString value = QString::number(100 + round);
        CliResult a, b;
        std::thread first([&] { a = app.Run({"--from", file, "set", file, "0004=" + value}); });
        std::thread second([&] { b = app.Run({"--from", file, "set", file, "0007=h" + value}); });
        first.join();
        second.join();
        QVERIFY2(a.code == 0 && b.code == 0, qPrintable(a.err + b.err));
        const QByteArray text = app.tree.Read("set.vdk");
        QVERIFY2(text.contains("\r\n0004," + value.toUtf8() + ","), "edit of 0004 lost");
        QVERIFY2(text.contains("\r\n0007," + QByteArray::number(value.toInt(nullptr, 16)) + ","),
                 "edit of 0007 lost");
    }
    QCOMPARE(app.tree.Files().filter(".lock"), QStringList{});
}

void TestCliFileSafety::setWaitsForTheLockThenRefuses() {
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText());
    app.lockWaitMs = 300;
    {
        QLockFile other(file + ".lock"); // another run in the middle of its edit
        QVERIFY(other.tryLock(0));
        QElapsedTimer waited;
        waited.start();
        app.ExpectRefusal({"--from", file, "set", file, "0004=120"}, "in use by another program");
        QVERIFY(waited.elapsed() >= 300);
    }
    QCOMPARE(app.Run({"--from", file, "set", file, "0004=120"}).code, 0);
}

// A FIFO blocks until a writer comes, /dev/zero never ends, a huge file is no
// parameter file: each is refused at once, with the reason.
void TestCliFileSafety::specialFilesAreRefused_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("error");
    const QStringList check{"--type", "QM40", "--lang", "English", "check"};
    const QStringList set{"--type", "QM40", "--lang", "English", "set"};
    QTest::newRow("check FIFO") << check << "fifo" << QStringList{} << "not a regular file";
    QTest::newRow("set FIFO, selection from it")
        << QStringList{"set"} << "fifo" << QStringList{"0002=1"} << "not a regular file";
    QTest::newRow("set FIFO") << set << "fifo" << QStringList{"0002=1"} << "not a regular file";
    QTest::newRow("check /dev/zero")
        << check << "/dev/zero" << QStringList{} << "not a regular file";
    QTest::newRow("check folder") << check << "folder" << QStringList{} << "not a regular file";
    QTest::newRow("set huge file") << set << "huge" << QStringList{"0002=1"} << "too large";
}

void TestCliFileSafety::specialFilesAreRefused() {
    QFETCH(QStringList, before);
    QFETCH(QString, kind);
    QFETCH(QStringList, after);
    QFETCH(QString, error);
    CliAppDir app;
    QString path = app.tree.Path("special.vdk");
    if (kind == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == "huge") {
        QByteArray text = VdkText();
        while (text.size() <= 1024 * 1024)
            text += "0000,0\r\n";
        app.tree.Write("special.vdk", text);
    } else {
        path = kind;
    }
    app.ExpectRefusal(before + QStringList{path} + after, error);
}

// The shell hands over bytes. A UTF-8 name is used as it is, in any locale; a
// name in another encoding cannot be turned back into its bytes, and is
// refused rather than written under another name.
void TestCliFileSafety::namesAreUsedAsGiven_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("code");
    QTest::newRow("UTF-8") << QByteArray("Pumpe-\xC3\xBC.vdk") << 0;
    QTest::newRow("Latin-1") << QByteArray("Pumpe-\xFC.vdk") << 2;
    QTest::newRow("Shift-JIS") << QByteArray("\x83\x7C\x83\x93\x83\x76.vdk") << 2;
}

void TestCliFileSafety::namesAreUsedAsGiven() {
    QFETCH(QByteArray, name);
    QFETCH(int, code);
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText());
    const QStringList before = app.tree.Files();
    const QByteArray target = QFile::encodeName(app.tree.Path()) + '/' + name;
    QByteArray err;
    QCOMPARE(RunProgram({"--appdir", QFile::encodeName(app.tree.Path("app")), "--from",
                         QFile::encodeName(file), "set", QFile::encodeName(file), "0002=60", "-o",
                         target},
                        err),
             code);
    QCOMPARE(::access(target.constData(), F_OK) == 0, code == 0);
    if (code == 0)
        return;
    QCOMPARE(app.tree.Files(), before); // nothing under another name either
    QVERIFY2(err.contains("is not UTF-8"), err.constData());
}

// A Shift-JIS comment in a file whose language line says English reads as
// Windows-1252 text; an edit of a value must not rewrite it as that text.
void TestCliFileSafety::setKeepsTheCommentBytes() {
    CliAppDir app;
    const QByteArray comment = "\x83\x7C\x83\x93\x83\x76 3";
    const QString file = app.tree.Write("set.vdk", VdkText(comment));
    QCOMPARE(app.Run({"--from", file, "set", file, "0002=60"}).code, 0);
    const QByteArray text = app.tree.Read("set.vdk");
    QCOMPARE(text.split('\n').value(5), comment + '\r');
    QVERIFY(text.contains("\r\n0002,6000,"));
}

void TestCliFileSafety::fullDiskKeepsTheFile_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("target");
    QTest::newRow("set") << QStringList{"set", "set.vdk", "0002=60"} << "set.vdk";
    QTest::newRow("csv") << QStringList{"csv", "set.vdk", "-o", "set.csv"} << "set.csv";
}

// A disk that fills up on the way: the file there before stays byte for
// byte, the message names it with the system's reason, and the run fails.
void TestCliFileSafety::fullDiskKeepsTheFile() {
    QFETCH(QStringList, args);
    QFETCH(QString, target);
    CliAppDir app;
    app.tree.Write("set.vdk", VdkText());
    if (target != "set.vdk")
        app.tree.Write(target, "old contents\r\n");
    const QByteArray before = app.tree.Read(target);
    for (QString& a : args)
        if (a.contains('.'))
            a = app.tree.Path(a);
    CliResult r;
    {
        FullDisk disk(512); // room for the lock file, not for the output
        r = app.Run(QStringList{"--from", app.tree.Path("set.vdk")} + args);
    }
    QVERIFY(r.code != 0);
    QCOMPARE(app.tree.Read(target), before);
    QVERIFY2(r.err.contains(app.tree.Path(target)) && r.err.contains(FullDisk::Reason()),
             qPrintable(r.err));
    QStringList expected{"set.vdk"};
    if (target != "set.vdk")
        expected.prepend(target);
    QCOMPARE(app.tree.Files().filter(QRegularExpression("^set\\.")), expected); // no temporary left
}

QTEST_GUILESS_MAIN(TestCliFileSafety)
#include "tst_CliFileSafety.moc"
