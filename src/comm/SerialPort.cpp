#include "comm/SerialPort.h"

#include <array>

namespace vdk {

namespace {
constexpr std::array<int, 6> kBaudRates{1200, 2400, 4800, 9600, 19200, 38400};
constexpr std::array<int, 5> kFrameGaps{24, 12, 6, 3, 2};
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

int FrameGap(int baudIndex) {
    return baudIndex >= 0 && baudIndex < int(kFrameGaps.size()) ? kFrameGaps[baudIndex] : 1;
}

} // namespace vdk
