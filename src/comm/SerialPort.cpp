#include "comm/SerialPort.h"

#include <array>

namespace vdk {

namespace {
constexpr std::array<int, 6> kBaudRates{1200, 2400, 4800, 9600, 19200, 38400};
constexpr qint64 kCharacterBits = 11; // start, 8 data, parity (or a second stop) and stop
constexpr int kFixedIntervalAbove = 19200;
constexpr qint64 kFixedIntervalUs = 1750;
} // namespace

QString PortDevice(const PortSettings& s, const std::function<QStringList()>& systemPorts) {
    if (!s.portName.isEmpty() || s.portIndex < 0)
        return s.portName;
    return systemPorts().value(s.portIndex);
}

int BaudRateOf(int baudIndex) {
    return baudIndex >= 0 && baudIndex < int(kBaudRates.size()) ? kBaudRates[baudIndex] : 9600;
}

int ByteSizeOf(int byteSizeIndex) {
    return byteSizeIndex == 0 ? 7 : 8;
}

qint64 SilentIntervalUs(int baudIndex) {
    const qint64 baud = BaudRateOf(baudIndex);
    if (baud > kFixedIntervalAbove)
        return kFixedIntervalUs;
    // 3.5 characters, rounded up to the next microsecond.
    const qint64 bitsUs = 7 * kCharacterBits * 1000000 / 2;
    return (bitsUs + baud - 1) / baud;
}

} // namespace vdk
