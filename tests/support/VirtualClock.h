#pragma once

#include "base/Clock.h"

// A clock that only moves when something waits on it, so time-outs are exact
// and tests never sleep. `now` counts whole milliseconds; a wait for a
// microsecond deadline ends exactly there, `us` microseconds past `now`.
class VirtualClock final : public vdk::Clock {
public:
    qint64 Milliseconds() const override { return now; }
    void SleepUntil(qint64 deadline) override {
        if (deadline > now) {
            now = deadline;
            us = 0;
        }
    }
    qint64 Microseconds() const override { return now * 1000 + us; }
    void SleepUntilMicroseconds(qint64 deadline) override {
        if (deadline > Microseconds()) {
            now = deadline / 1000;
            us = deadline % 1000;
        }
    }
    void Advance(qint64 ms) { now += ms; }

    qint64 now = 0;
    qint64 us = 0;
};
