#pragma once

#include "base/Clock.h"

// A clock that only moves when something waits on it, so time-outs are exact
// and tests never sleep.
class VirtualClock final : public vdk::Clock {
public:
    qint64 Milliseconds() const override { return now; }
    void SleepUntil(qint64 deadline) override {
        if (deadline > now)
            now = deadline;
    }
    void Advance(qint64 ms) { now += ms; }

    qint64 now = 0;
};
