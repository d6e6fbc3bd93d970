#include "base/Clock.h"

#include <chrono>
#include <thread>

namespace vdk {

SystemClock::SystemClock() {
    timer_.start();
}

qint64 SystemClock::Milliseconds() const {
    return Microseconds() / 1000;
}

void SystemClock::SleepUntil(qint64 deadline) {
    SleepUntilMicroseconds(deadline * 1000);
}

qint64 SystemClock::Microseconds() const {
    return timer_.nsecsElapsed() / 1000;
}

void SystemClock::SleepUntilMicroseconds(qint64 deadline) {
    for (qint64 left = deadline - Microseconds(); left > 0; left = deadline - Microseconds())
        std::this_thread::sleep_for(std::chrono::microseconds(left));
}

} // namespace vdk
