#include "comm/QtSerialPort.h"

#include "base/Clock.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace vdk {

namespace {
QSerialPort::Parity ParityOf(int index) {
    switch (index) {
    case 0:
        return QSerialPort::NoParity;
    case 2:
        return QSerialPort::OddParity;
    default:
        return QSerialPort::EvenParity;
    }
}

// 1.5 stop bits exist only beside 5 data bits; where the system cannot set
// them, two stop bits keep the receiver's framing safe.
QSerialPort::StopBits StopBitsOf(int index) {
    if (index == 0)
        return QSerialPort::OneStop;
#ifdef Q_OS_WIN
    if (index == 1)
        return QSerialPort::OneAndHalfStop;
#endif
    return QSerialPort::TwoStop;
}
bool IsPseudoTerminal(const QString& name) {
    return QFileInfo(name).canonicalFilePath().startsWith(QLatin1String("/dev/pts/"));
}
} // namespace

QtSerialPort::QtSerialPort(Clock& clock) : clock_(clock) {}

QtSerialPort::~QtSerialPort() {
    ClosePort();
}

QStringList QtSerialPort::AvailablePorts() {
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append(info.systemLocation());
    ports.sort();
    return ports;
}

int QtSerialPort::OpenPort(const PortSettings& s) {
    ClosePort();
    const QString name = PortDevice(s, &QtSerialPort::AvailablePorts);
    if (name.isEmpty())
        return 1;
    port_.setPortName(name);
    port_.setReadBufferSize(1024);
    // Open with settings every terminal takes, then apply the line settings.
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setDataBits(QSerialPort::Data8);
    if (!port_.open(QIODevice::ReadWrite)) // exclusive on every platform
        return 1;
    bool set = port_.setBaudRate(BaudRateOf(s.baudIndex)) &&
               port_.setDataBits(ByteSizeOf(s.byteSizeIndex) == 7 ? QSerialPort::Data7
                                                                  : QSerialPort::Data8) &&
               port_.setStopBits(StopBitsOf(s.stopBitsIndex));
    if (set && !port_.setParity(ParityOf(s.parityIndex))) {
        // A pseudo-terminal has no parity-enable flag to set; it carries the
        // bytes all the same.
        set = IsPseudoTerminal(name);
        port_.clearError();
    }
    // Refused line settings leave the port open; the next open closes it.
    return set ? 0 : 1;
}

void QtSerialPort::ClosePort() {
    if (port_.isOpen())
        port_.close();
}

bool QtSerialPort::IsOpen() const {
    return port_.isOpen();
}

void QtSerialPort::SetRts(bool on) {
    // Pseudo-terminals have no modem lines: the request fails and is harmless.
    if (!port_.setRequestToSend(on))
        port_.clearError();
}

void QtSerialPort::SendFrame(const QByteArray& frame) {
    port_.clear(QSerialPort::Output);
    port_.clear(QSerialPort::Input);
    SetRts(true);
    port_.write(frame);
    while (port_.bytesToWrite() > 0 && port_.waitForBytesWritten(1000)) {
    }
#ifdef Q_OS_UNIX
    ::tcdrain(int(port_.handle())); // the last byte has left the driver
#endif
}

int QtSerialPort::WaitingCount() {
    port_.waitForReadyRead(0);
    return int(port_.bytesAvailable());
}

QByteArray QtSerialPort::ReadWaiting() {
    return port_.read(kReceiveBufferSize);
}

void QtSerialPort::ReleaseLine() {
    SetRts(false);
}

int QtSerialPort::WaitForBytes(int count, qint64 deadline) {
    while (port_.bytesAvailable() < count) {
        const qint64 left = deadline + 1 - clock_.Milliseconds();
        if (left <= 0 || !port_.isOpen())
            break;
        // A port in error (a closed pseudo-terminal) would return at once: stop.
        if (!port_.waitForReadyRead(int(left)) && port_.error() != QSerialPort::TimeoutError)
            break;
    }
    return int(port_.bytesAvailable());
}

} // namespace vdk
