#include "sim/SimServer.h"

#include "comm/SerialPort.h"
#include "sim/FaultInjector.h"
#include "sim/RequestParser.h"

#include <QElapsedTimer>
#include <array>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace vdk {

namespace {

constexpr std::array<speed_t, 6> kSpeeds{B1200, B2400, B4800, B9600, B19200, B38400};
constexpr qint64 kShortestSilenceMs = 2;
constexpr double kSilenceCharacters = 3.5;

speed_t SpeedOf(int baudIndex) {
    return baudIndex >= 0 && baudIndex < int(kSpeeds.size()) ? kSpeeds[baudIndex] : B9600;
}

// The signal handler only writes to this pipe; the serving loop polls it.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

QString SystemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

// A reply byte and the moment, in microseconds, it leaves: pacing in whole
// milliseconds would add up to a millisecond to every exchange.
struct Output {
    qint64 atUs;
    char byte;
};

qint64 LineMicroseconds(const SimOptions& o, double characters) {
    return qint64(std::ceil(characters * BitsPerCharacter(o) * 1e6 / BaudRateOf(o.baudIndex)));
}

} // namespace

SimServer::SimServer(InverterSim& sim, Clock& clock) : sim_(sim), clock_(clock) {}

SimServer::~SimServer() {
    if (control_ >= 0 && control_ != io_)
        close(control_);
    if (io_ >= 0)
        close(io_);
}

bool SimServer::Configure(int fd, QString& error) const {
    const SimOptions& o = sim_.Options();
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        error = SystemError("tcgetattr");
        return false;
    }
    cfmakeraw(&t); // no echo: the master must never read its own request back
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(PARENB | PARODD | CSTOPB);
    if (o.parityIndex != 0)
        t.c_cflag |= PARENB | (o.parityIndex == 2 ? PARODD : 0);
    if (o.stopBitsIndex != 0)
        t.c_cflag |= CSTOPB;
    cfsetispeed(&t, SpeedOf(o.baudIndex));
    cfsetospeed(&t, SpeedOf(o.baudIndex));
    // A pseudo-terminal drops the parity-enable flag, and the C library
    // reports EINVAL when nothing else had to change: what counts is whether
    // the line now shows our settings.
    if (tcsetattr(fd, TCSANOW, &t) != 0 && !LineMatches(fd)) {
        error = SystemError("tcsetattr");
        return false;
    }
    return true;
}

bool SimServer::OpenPty(QString& path, QString& error) {
    io_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (io_ < 0 || grantpt(io_) != 0 || unlockpt(io_) != 0) {
        error = SystemError("posix_openpt");
        return false;
    }
    const char* name = ptsname(io_);
    if (!name) {
        error = SystemError("ptsname");
        return false;
    }
    path = QString::fromLocal8Bit(name);
    control_ = open(name, O_RDWR | O_NOCTTY);
    if (control_ < 0) {
        error = SystemError("open");
        return false;
    }
    return Configure(control_, error);
}

bool SimServer::OpenDevice(const QString& path, QString& error) {
    io_ = open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (io_ < 0) {
        error = SystemError("open") + QStringLiteral(" (%1)").arg(path);
        return false;
    }
    control_ = io_;
    return Configure(io_, error);
}

bool SimServer::LineMatches(int fd) const {
    const SimOptions& o = sim_.Options();
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    return cfgetospeed(&t) == SpeedOf(o.baudIndex) &&
           ((t.c_cflag & CSTOPB) != 0) == (o.stopBitsIndex != 0) &&
           ((t.c_cflag & PARODD) != 0) == (o.parityIndex == 2);
}

bool SimServer::Run(QString& error) {
    if (pipe(g_signalPipe) != 0) {
        error = SystemError("pipe");
        return false;
    }
    fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    const SimOptions& o = sim_.Options();
    RequestParser parser(o.protocol);
    FaultInjector faults(o);
    const qint64 silenceMs = std::max(kShortestSilenceMs, LineMilliseconds(o, kSilenceCharacters));
    std::deque<Output> output;
    qint64 lastInput = 0;
    qint64 replyEndUs = -1; // when the last reply's last byte went out
    bool ok = true;
    QElapsedTimer fine;
    fine.start();
    for (;;) {
        qint64 now = clock_.Milliseconds();
        qint64 nowUs = fine.nsecsElapsed() / 1000;
        QByteArray due;
        for (; !output.empty() && output.front().atUs <= nowUs; output.pop_front())
            due.append(output.front().byte);
        // A master that stopped reading loses what its queue cannot take.
        if (!due.isEmpty() && write(io_, due.constData(), size_t(due.size())) < 0 &&
            errno != EAGAIN)
            qWarning("vdk330q-sim: %s", qPrintable(SystemError("write")));
        if (!due.isEmpty() && output.empty())
            replyEndUs = nowUs;

        pollfd fds[2] = {{io_, POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}};
        const qint64 waitUs =
            output.empty() ? -1 : std::max<qint64>(0, output.front().atUs - nowUs);
        const timespec timeout{time_t(waitUs / 1000000), long(waitUs % 1000000) * 1000};
        if (ppoll(fds, 2, waitUs < 0 ? nullptr : &timeout, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            error = SystemError("poll");
            ok = false;
            break;
        }
        if (fds[1].revents)
            break;
        if (fds[0].revents & (POLLERR | POLLNVAL | POLLHUP) && !(fds[0].revents & POLLIN)) {
            error = QStringLiteral("the line hung up");
            ok = false;
            break;
        }
        if (!(fds[0].revents & POLLIN))
            continue;
        char buffer[256];
        const ssize_t n = read(io_, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        now = clock_.Milliseconds();
        nowUs = fine.nsecsElapsed() / 1000;
        if (replyEndUs >= 0 && output.empty())
            turnarounds_.push_back(nowUs - replyEndUs);
        replyEndUs = -1;
        // MODBUS frames end with silence: what came before it is given up.
        if (o.protocol == Protocol::Modbus && now - lastInput > silenceMs)
            parser.Reset();
        lastInput = now;
        for (const QByteArray& request : parser.Feed(QByteArrayView(buffer, n))) {
            // A reply still going out (a late one) is not called back: the
            // master meets it after its next request, as on a real line.
            if (!LineMatches(control_))
                continue;
            QByteArray reply = sim_.Handle(request, now);
            const SimFault fault = faults.Inject(reply);
            const qint64 startUs =
                nowUs + 1000 * (o.latencyMs + (fault == SimFault::Late ? o.lateDelayMs : 0));
            // The request reached us at once; on a real line its characters
            // would have taken their time before the reply could start.
            for (qsizetype k = 0; k < reply.size(); ++k) {
                const qint64 wireUs =
                    o.wireTiming ? LineMicroseconds(o, double(request.size() + k + 1)) : 0;
                const qint64 atUs = startUs + wireUs;
                output.push_back(
                    {output.empty() ? atUs : std::max(atUs, output.back().atUs), reply[k]});
            }
        }
    }
    close(g_signalPipe[0]);
    close(g_signalPipe[1]);
    return ok;
}

} // namespace vdk
