#pragma once

#include <QElapsedTimer>

namespace vdk {

// The clock of every wait and time-out: milliseconds for time-outs, and
// microseconds for the silent intervals of the line, which are shorter than a
// tick. Tests use a virtual clock whose waits advance time instead of
// sleeping.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 Milliseconds() const = 0;
    // Returns once Milliseconds() >= deadline, without spinning the CPU.
    virtual void SleepUntil(qint64 deadline) = 0;
    virtual qint64 Microseconds() const = 0;
    // Returns once Microseconds() >= deadline, without spinning the CPU.
    virtual void SleepUntilMicroseconds(qint64 deadline) = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    qint64 Milliseconds() const override;
    void SleepUntil(qint64 deadline) override;
    qint64 Microseconds() const override;
    void SleepUntilMicroseconds(qint64 deadline) override;

private:
    QElapsedTimer timer_;
};

} // namespace vdk
