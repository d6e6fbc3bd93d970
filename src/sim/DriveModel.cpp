#include "sim/DriveModel.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vdk {

namespace {

constexpr std::array<quint8, 10> kDigitSegments{0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr quint8 kPoint = 0x80;
constexpr quint8 kBlank = 0x00;
constexpr quint8 kLetterE = 0x79;
constexpr quint8 kRunLamp = 0x01;
constexpr quint8 kMonLamp = 0x08;

using Characters = std::array<quint8, 4>;

// Four digits of `value` with the point after character `pointAfter` (2..4);
// a leading zero is left blank.
Characters Digits(int value, int pointAfter) {
    Characters c{};
    for (int i = 3; i >= 0; --i, value /= 10)
        c[i] = kDigitSegments[value % 10];
    c[pointAfter - 1] |= kPoint;
    if (c[0] == kDigitSegments[0])
        c[0] = kBlank;
    return c;
}

Characters FrequencyText(double hz) {
    const int centiHz = int(std::lround(hz * 100));
    if (centiHz < 10000)
        return Digits(centiHz, 2);                               // " 5.00", "50.00"
    return Digits(std::min(int(std::lround(hz * 10)), 9999), 3); // "120.0"
}

Characters TripText(int code) {
    Characters c{kLetterE, kBlank, kBlank, kBlank};
    for (int i = 3; i >= 1 && code > 0; --i, code /= 10)
        c[i] = kDigitSegments[code % 10];
    return c;
}

// A frame's four codes go on the line in the order 2nd, 1st, 4th, 3rd.
void AppendFrame(QByteArray& block, const Characters& c) {
    for (int i : {1, 0, 3, 2})
        block.append(char(c[i]));
}

} // namespace

void DriveModel::Run() {
    if (!Tripped())
        runCommand_ = true;
}

void DriveModel::Stop() {
    runCommand_ = false;
}

void DriveModel::Trip(int code) {
    trip_ = code;
    runCommand_ = false;
    output_ = 0; // the output is cut off: the motor coasts
    accelerating_ = false;
}

void DriveModel::Advance(qint64 ms, const Ramp& ramp) {
    const double target = runCommand_ ? std::clamp(command_, 0.0, ramp.maxHz) : 0.0;
    const double seconds = double(std::max<qint64>(ms, 0)) / 1000.0;
    accelerating_ = target > output_;
    const double rampSeconds = accelerating_ ? ramp.accelSeconds : ramp.decelSeconds;
    const double step = rampSeconds > 0 ? ramp.maxHz * seconds / rampSeconds : ramp.maxHz;
    output_ = accelerating_ ? std::min(target, output_ + step) : std::max(target, output_ - step);
}

QByteArray DriveModel::PanelBlock() const {
    const Characters a = FrequencyText(showCommand_ ? command_ : output_);
    const Characters b = Tripped() ? TripText(trip_) : a;
    const char lamps = char((Running() ? kRunLamp : 0) | (showCommand_ ? kMonLamp : 0));
    QByteArray block;
    AppendFrame(block, a);
    AppendFrame(block, b);
    block.append(lamps); // frame B's lamps first
    block.append(lamps);
    return block;
}

} // namespace vdk
