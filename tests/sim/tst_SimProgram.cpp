// vdk330q-sim as other programs meet it: a pseudo-terminal that answers a
// request written to it, keeps its EEPROM in the state file when it is told
// to end, and serves a third-party MODBUS master.
#include "SimTables.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

class TestSimProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exchangeOnPseudoTerminal();
    void mbpollReadsAndWrites();
};

namespace {

// Waits that only bound a hang; the tests never depend on their length.
constexpr int kPatienceMs = 10000;

// The simulator running for one test, ended with SIGTERM.
class RunningSim {
public:
    bool Start(const QStringList& args) {
        process_.start(QStringLiteral(VDK_SIM_PROGRAM),
                       QStringList{QStringLiteral("--appdir"), QStringLiteral(VDK_SHARE_DIR)} +
                           args);
        while (!process_.canReadLine() && process_.waitForReadyRead(kPatienceMs)) {
        }
        const QByteArray line = process_.readLine().trimmed();
        pty_ = QString::fromLocal8Bit(line.mid(4));
        return line.startsWith("PTY /");
    }
    bool Stop() {
        process_.terminate();
        return process_.waitForFinished(kPatienceMs) &&
               process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }
    ~RunningSim() {
        if (process_.state() != QProcess::NotRunning)
            Stop();
    }
    const QString& Pty() const { return pty_; }

private:
    QProcess process_;
    QString pty_;
};

// The master's side of the pseudo-terminal, raw at 9600 baud, even parity.
// The terminal drops the parity flag, and when nothing else changes the C
// library reports that as EINVAL; the speed read back tells what counts.
int OpenMaster(const QString& path) {
    const int fd = open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t{};
    if (fd < 0 || tcgetattr(fd, &t) != 0)
        return -1;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD | PARENB;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(fd, TCSANOW, &t);
    return tcgetattr(fd, &t) == 0 && cfgetospeed(&t) == B9600 ? fd : -1;
}

QByteArray Exchange(int fd, const QByteArray& request, int expected) {
    if (write(fd, request.constData(), size_t(request.size())) != request.size())
        return {};
    QByteArray reply;
    pollfd p{fd, POLLIN, 0};
    while (reply.size() < expected && poll(&p, 1, kPatienceMs) > 0) {
        char buffer[64];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        reply.append(buffer, n);
    }
    return reply;
}

} // namespace

void TestSimProgram::exchangeOnPseudoTerminal() {
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("state.txt"));
    RunningSim sim;
    QVERIFY(sim.Start({QStringLiteral("--wire-timing"), QStringLiteral("--state"), state}));
    const int fd = OpenMaster(sim.Pty());
    QVERIFY(fd >= 0);
    QCOMPARE(Exchange(fd, Hex("2F 52 FA 10 8B"), 7).toHex(' '), QByteArray("2f 52 fa 10 00 00 8b"));
    // Acceleration time 1 := 12.3 s, stored in EEPROM.
    QCOMPARE(Exchange(fd, Hex("2F 57 00 07 00 7B 08"), 7).toHex(' '),
             QByteArray("2f 57 00 07 00 7b 08"));
    close(fd);

    QVERIFY(sim.Stop());
    QFile file(state);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().split('\n').contains("0007=123"));
}

void TestSimProgram::mbpollReadsAndWrites() {
    const QString mbpoll = QStandardPaths::findExecutable(QStringLiteral("mbpoll"));
    if (mbpoll.isEmpty())
        QSKIP("mbpoll is not installed");
    RunningSim sim;
    QVERIFY(sim.Start({QStringLiteral("--protocol"), QStringLiteral("modbus"),
                       QStringLiteral("--id"), QStringLiteral("1")}));
    // Register numbers as on the wire (-0); the parameter 0007 is register 7.
    const QStringList line = {QStringLiteral("-m"), QStringLiteral("rtu"),  QStringLiteral("-a"),
                              QStringLiteral("1"),  QStringLiteral("-b"),   QStringLiteral("9600"),
                              QStringLiteral("-P"), QStringLiteral("even"), QStringLiteral("-t"),
                              QStringLiteral("4"),  QStringLiteral("-0"),   QStringLiteral("-r"),
                              QStringLiteral("7")};
    QProcess master;
    master.start(mbpoll, line + QStringList{sim.Pty(), QStringLiteral("123")});
    QVERIFY(master.waitForFinished(kPatienceMs));
    QVERIFY2(master.exitCode() == 0, master.readAll().constData());

    master.start(mbpoll, line + QStringList{QStringLiteral("-c"), QStringLiteral("2"),
                                            QStringLiteral("-1"), sim.Pty()});
    QVERIFY(master.waitForFinished(kPatienceMs));
    const QByteArray output = master.readAll();
    QVERIFY2(master.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("[7]: \t123"), output.constData());
    QVERIFY2(output.contains("[8]: \t100"),
             output.constData()); // the next register: deceleration time 1
}

QTEST_GUILESS_MAIN(TestSimProgram)
#include "tst_SimProgram.moc"
