#pragma once

#include <QtGlobal>
#include <functional>

namespace vdk {

class Clock;

// "Let the user interface process pending events once." Long work on the one UI
// thread calls it per step; what the user does meanwhile only sets flags.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void ProcessEvents() = 0;
};

// Runs a callable per pump: production passes QCoreApplication::processEvents,
// tests a lambda that presses Stop or counts calls.
class FunctionPump final : public EventPump {
public:
    explicit FunctionPump(std::function<void()> f) : f_(std::move(f)) {}
    void ProcessEvents() override {
        if (f_)
            f_();
    }

private:
    std::function<void()> f_;
};

// Waits until `deadline` (ms) without spinning, letting the user interface
// in at least every 10 ms and once more at the end; returns early when
// `stop` says so. The one wait of the sampling and key pad loops.
void WaitPumping(Clock& clock, EventPump& pump, qint64 deadline,
                 const std::function<bool()>& stop = {});

} // namespace vdk
