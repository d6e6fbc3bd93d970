#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace vdk {

// Line settings as the setup dialog stores them: list indexes, not values.
struct PortSettings {
    // The port index of a device given by its name alone (the command line):
    // an empty name then opens nothing instead of the list's first device.
    static constexpr int kNameOnly = -1;

    int portIndex = 0;     // entry of the port list
    QString portName;      // device behind portIndex, kept so a changed list does not move it
    int baudIndex = 3;     // 1200, 2400, 4800, 9600, 19200, 38400
    int parityIndex = 1;   // 0 none, 1 even, 2 odd
    int stopBitsIndex = 0; // 1, 1.5, 2
    int byteSizeIndex = 1; // 7, 8

    bool operator==(const PortSettings&) const = default;
};

// The device to open: the name, or without one the entry of the system's
// list (asked for only then) at the stored index.
QString PortDevice(const PortSettings& settings, const std::function<QStringList()>& systemPorts);

int BaudRateOf(int baudIndex);
int ByteSizeOf(int byteSizeIndex);
// The silence kept after each MODBUS reply, in microseconds: 3.5 characters
// of 11 bits up to 19200 baud, a fixed 1750 us above. Other stations on a
// multi-drop line tell frames apart by it.
qint64 SilentIntervalUs(int baudIndex);

// The port layer: one request, one reply, half duplex. The real port sits on
// Qt SerialPort; tests use a simulated inverter behind the same operations.
class SerialPort {
public:
    static constexpr int kReceiveBufferSize = 32;

    virtual ~SerialPort() = default;
    // 0 on success, 1 on failure. Closes any open port first.
    virtual int OpenPort(const PortSettings& settings) = 0;
    virtual void ClosePort() = 0;
    virtual bool IsOpen() const = 0;
    // Purges transmit then receive queue, raises RTS, writes, and returns when
    // the last byte has left the driver.
    virtual void SendFrame(const QByteArray& frame) = 0;
    // Bytes waiting in the input queue.
    virtual int WaitingCount() = 0;
    // Reads what is waiting, at most kReceiveBufferSize bytes; never blocks.
    virtual QByteArray ReadWaiting() = 0;
    // Drops RTS once per exchange.
    virtual void ReleaseLine() = 0;
    // Returns when `count` bytes are waiting or the clock of the link has
    // passed `deadline` (ms), without spinning the CPU; bytes
    // that complete exactly at the deadline are in time. Returns the count
    // waiting.
    virtual int WaitForBytes(int count, qint64 deadline) = 0;
};

} // namespace vdk
