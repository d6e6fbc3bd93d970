#include "monitor/MonitorRecorder.h"

#include "base/Clock.h"
#include "base/EventPump.h"

#include <algorithm>
#include <cmath>

namespace vdk {

qint64 SampleDeadline(qint64 t0, double intervalMs, qint64 n) {
    return t0 + std::llround(double(n) * intervalMs);
}

MonitorRecorder::MonitorRecorder(CommLink& link, Clock& clock, EventPump& pump, const UPara& values)
    : link_(link), clock_(clock), pump_(pump), values_(values) {}

qint64 MonitorRecorder::Run(const Config& config,
                            const std::function<void(const Sample&)>& sample) {
    stop_ = false;
    const qint64 t0 = clock_.Milliseconds();
    qint64 n = 0;
    while (!stop_ && (config.count < 0 || n < config.count)) {
        Sample s;
        s.index = n;
        s.elapsedMs = clock_.Milliseconds() - t0;
        if (config.durationMs >= 0 && s.elapsedMs > config.durationMs)
            break;
        for (const MonitorChannel& channel : config.channels)
            s.values.append(ReadChannel(link_, values_, channel, config.terminalLevel));
        sample(s);
        ++n;
        if (config.count >= 0 && n >= config.count)
            break;
        WaitPumping(clock_, pump_, SampleDeadline(t0, config.intervalMs, n),
                    [this] { return stop_; });
    }
    return n;
}

} // namespace vdk
