#pragma once

#include "monitor/MonitorChannel.h"

#include <QList>
#include <functional>
#include <optional>

namespace vdk {

class Clock;
class CommLink;
class EventPump;
class UPara;

// The deadline of sample `n` of a run that started at `t0`: absolute, from
// the interval in double precision, so no sample is early and the rate does
// not drift.
qint64 SampleDeadline(qint64 t0, double intervalMs, qint64 n);

// Sampling on the sample clock: each sample reads every channel once, then
// the loop waits for the next deadline without spinning, letting the user
// interface in between.
class MonitorRecorder {
public:
    struct Config {
        QList<MonitorChannel> channels;
        double intervalMs = 100;
        qint64 count = -1;      // samples to take, or -1
        qint64 durationMs = -1; // no sample starts later than this after t0, or -1
        int terminalLevel = 15;
    };
    struct Sample {
        qint64 index = 0;
        qint64 elapsedMs = 0;                // from t0 to the start of the sample
        QList<std::optional<double>> values; // per channel; nothing for a failed read
    };

    MonitorRecorder(CommLink& link, Clock& clock, EventPump& pump, const UPara& values);

    // Runs until `count` samples, the duration, or a stop; returns the number
    // of samples taken. `sample` gets each one as it is taken.
    qint64 Run(const Config& config, const std::function<void(const Sample&)>& sample);
    // From the user interface (or a signal) while the run waits or reads.
    void RequestStop() { stop_ = true; }
    bool StopRequested() const { return stop_; }

private:
    CommLink& link_;
    Clock& clock_;
    EventPump& pump_;
    const UPara& values_;
    bool stop_ = false;
};

} // namespace vdk
