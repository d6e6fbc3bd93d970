#pragma once

#include "comm/SerialPort.h"

#include <QSerialPort>
#include <QStringList>

namespace vdk {

class Clock;

// The real port on Qt SerialPort. Waits block in the system's poll, never
// spinning; a port without RTS control (a pseudo-terminal) still works.
class QtSerialPort final : public SerialPort {
public:
    explicit QtSerialPort(Clock& clock);
    ~QtSerialPort() override;

    // The system's serial devices, sorted; a device typed by the user works
    // too when it is given as the port name.
    static QStringList AvailablePorts();

    int OpenPort(const PortSettings& settings) override;
    void ClosePort() override;
    bool IsOpen() const override;
    void SendFrame(const QByteArray& frame) override;
    int WaitingCount() override;
    QByteArray ReadWaiting() override;
    void ReleaseLine() override;
    int WaitForBytes(int count, qint64 deadline) override;

    // The system's text for the last failure.
    QString ErrorString() const { return port_.errorString(); }

private:
    void SetRts(bool on);

    Clock& clock_;
    QSerialPort port_;
};

} // namespace vdk
