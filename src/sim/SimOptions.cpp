#include "sim/SimOptions.h"

#include "comm/SerialPort.h"

#include <cmath>

namespace vdk {

double BitsPerCharacter(const SimOptions& o) {
    const double stopBits = o.stopBitsIndex == 1 ? 1.5 : (o.stopBitsIndex == 2 ? 2 : 1);
    return 1 + 8 + (o.parityIndex != 0 ? 1 : 0) + stopBits;
}

qint64 LineMilliseconds(const SimOptions& o, double characters) {
    // Exact for whole results: the product is exact and the one division is
    // correctly rounded.
    return qint64(std::ceil(characters * BitsPerCharacter(o) * 1000 / BaudRateOf(o.baudIndex)));
}

} // namespace vdk
