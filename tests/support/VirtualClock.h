#pragma once

#include "base/Clock.h"

// A clock that only moves when something waits on it, so time-outs are exact
// and tests never sleep. It ticks in whole milliseconds: a wait for a
// microsecond deadline ends at the first millisecond that has reached it.
class VirtualClock final : public vdk::Clock {
public:
    qint64 Milliseconds() const override { return now; }
    void SleepUntil(qint64 deadline) override {
        if (deadline > now)
            now = deadline;
    }
    qint64 Microseconds() const override { return now * 1000; }
    void SleepUntilMicroseconds(qint64 deadline) override { SleepUntil((deadline + 999) / 1000); }
    void Advance(qint64 ms) { now += ms; }

    qint64 now = 0;
};
