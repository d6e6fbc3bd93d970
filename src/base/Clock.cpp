#include "base/Clock.h"

#include "base/EventPump.h"

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace vdk {

SystemClock::SystemClock() {
#ifdef Q_OS_LINUX
    // The line's silent intervals are waits of a few hundred microseconds:
    // the default 50 us of timer slack would be a large part of them.
    prctl(PR_SET_TIMERSLACK, 1UL);
#endif
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
    // A sleep ends up to a tenth of a millisecond late; the last stretch is
    // spent yielding so a silent interval ends on time.
    constexpr qint64 kYieldUs = 150;
    for (qint64 left = deadline - Microseconds(); left > 0; left = deadline - Microseconds()) {
        if (left > kYieldUs)
            std::this_thread::sleep_for(std::chrono::microseconds(left - kYieldUs));
        else
            std::this_thread::yield();
    }
}

void WaitPumping(Clock& clock, EventPump& pump, qint64 deadline,
                 const std::function<bool()>& stop) {
    constexpr qint64 kSliceMs = 10;
    while (!(stop && stop()) && clock.Milliseconds() < deadline) {
        pump.ProcessEvents();
        clock.SleepUntil(std::min(deadline, clock.Milliseconds() + kSliceMs));
    }
    pump.ProcessEvents();
}

} // namespace vdk
