#include "monitor/MonitorRun.h"

#include "base/Clock.h"
#include "base/EventPump.h"
#include "comm/CommLink.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorRecorder.h"
#include "monitor/MonitorSetup.h"

#include <algorithm>

namespace vdk {

namespace {

const QString kError = QStringLiteral("Err.");

} // namespace

struct MonitorRun::Sample {
    std::array<double, kMonitorSlots> value{};
};

MonitorRun::MonitorRun(CommLink& link, Clock& clock, EventPump& pump, const UPara& values,
                       const MonitorCatalogue& catalogue)
    : link_(link), clock_(clock), pump_(pump), values_(values), catalogue_(catalogue) {}

void MonitorRun::Begin() {
    // Requests of an earlier run, or from between runs, never act in this one.
    stop_ = runKey_ = stopKey_ = false;
    previous_.fill(std::nullopt);
    running_ = true;
}

bool MonitorRun::ReadSlots(const MonitorRunConfig& config, bool first, Sample& sample) {
    bool erroneous = false;
    for (int slot = 0; slot < kMonitorSlots; ++slot) {
        if (!config.active[slot])
            continue;
        const MonitorChannel& channel = config.channels[slot];
        const std::optional<double> read =
            ReadChannel(link_, values_, channel, config.terminalLevel);
        // A failed read holds the last value; the first one has none and
        // stays 0. Either way the box says so and the sample counts.
        const double v = read ? *read : first ? 0.0 : previous_[slot].value_or(0.0);
        erroneous |= !read;
        sample.value[slot] = v;
        if (observer_.value)
            observer_.value(slot, read ? DisplayText(v * config.displayFactor[slot],
                                                     channel.decimals, config.decimalComma)
                                       : kError);
    }
    return erroneous;
}

void MonitorRun::Checks(const MonitorRunConfig& config, bool erroneous, MonitorRecord& record) {
    const auto word = [&](const MonitorChannel& channel) {
        const TransactResult r = link_.Transact(channel.row, QString(), u"R");
        return r.ok() ? link_.RawOf(channel.row, r.value, values_) : 0;
    };
    if (config.alarm && observer_.alarm) {
        const qint64 alarm = word(*config.alarm);
        observer_.alarm(alarm > 0 ? catalogue_.AlarmText(quint32(alarm)) : QString());
    }
    if (config.trip) {
        const qint64 trip = word(*config.trip);
        if (trip > 0) {
            record.tripped = true;
            if (config.stopAtTrip)
                stop_ = true;
        }
        if (observer_.trip)
            observer_.trip(catalogue_.TripText(trip));
    }
    if (erroneous) {
        ++record.errors;
        if (observer_.errors)
            observer_.errors(record.errors);
    }
}

void MonitorRun::RequestDriveKey(bool run) {
    if (!running_)
        return;
    link_.WriteRam(u"FA11", 0);
    (run ? runKey_ : stopKey_) = true;
}

void MonitorRun::DriveKeys(const MonitorRunConfig& config, bool continuous) {
    if (!config.driveKeys) {
        runKey_ = stopKey_ = false;
        return;
    }
    // A stop is always carried out; a run is not started from a continuous run.
    if (stopKey_) {
        stopKey_ = false;
        if (!link_.SendKeyWord(runWord_ + 2) && observer_.driveKeyFailed)
            observer_.driveKeyFailed(false);
    }
    if (runKey_) {
        runKey_ = false;
        if (!continuous && !link_.SendKeyWord(runWord_ + 1) && observer_.driveKeyFailed)
            observer_.driveKeyFailed(true);
    }
}

bool MonitorRun::DriveKey(CommLink& link, bool run, int avgCommTimeMs) {
    link.WriteRam(u"FA11", 0);
    return link.SendKeyWord(avgCommTimeMs / 4 * 256 + (run ? 1 : 2));
}

MonitorRecord MonitorRun::RunNormal(const MonitorRunConfig& config) {
    Begin();
    runWord_ = RunWord(config.sampleIntervalMs);
    MonitorRecord record;
    record.active = config.active;
    const qint64 t0 = clock_.Milliseconds();
    for (int n = 0; n <= config.pointsPerChannel; ++n) {
        record.elapsedMs.append(clock_.Milliseconds() - t0);
        Sample sample;
        const bool erroneous = ReadSlots(config, n == 0, sample);
        for (int slot = 0; slot < kMonitorSlots; ++slot) {
            record.values[slot].append(sample.value[slot]);
            if (!config.active[slot])
                continue;
            previous_[slot] = sample.value[slot];
            if (observer_.point)
                observer_.point(slot, n,
                                sample.value[slot] * config.multiplier[slot] + config.offset[slot]);
        }
        Checks(config, erroneous, record);
        DriveKeys(config, false);
        if (stop_ || n == config.pointsPerChannel)
            break;
        WaitPumping(clock_, pump_, SampleDeadline(t0, config.sampleIntervalMs, n + 1),
                    [this] { return stop_; });
        if (stop_)
            break;
    }
    running_ = runKey_ = stopKey_ = false;
    return record;
}

MonitorRecord MonitorRun::RunContinuous(const MonitorRunConfig& config, ContinuousCsv& csv) {
    Begin();
    runWord_ = RunWord(config.sampleSeconds * 1000.0);
    MonitorRecord record;
    record.active = config.active;
    const QChar separator = QLatin1Char(config.decimalComma ? ';' : ',');
    const double intervalMs = config.sampleSeconds * 1000.0;
    const qint64 recordMs = qint64(config.recordMinutes) * 60000;
    const qint64 t0 = clock_.Milliseconds();
    int counter = 1;
    int plotIndex = 0;
    for (qint64 n = 0;; ++n) {
        const qint64 elapsed = clock_.Milliseconds() - t0;
        if (elapsed > recordMs)
            break;
        record.elapsedMs.append(elapsed);
        Sample sample;
        const bool erroneous = ReadSlots(config, n == 0, sample);
        QStringList cells;
        std::array<double, kMonitorSlots> plot{};
        for (int slot = 0; slot < kMonitorSlots; ++slot) {
            const double current = sample.value[slot];
            record.values[slot].append(current);
            cells.append(ContinuousCell(current, separator));
            if (!config.active[slot])
                continue;
            plot[slot] = (current + previous_[slot].value_or(0.0)) * 0.5;
            previous_[slot] = current;
        }
        if (counter == config.decimation) {
            for (int slot = 0; slot < kMonitorSlots; ++slot)
                if (config.active[slot] && observer_.point)
                    observer_.point(slot, plotIndex,
                                    plot[slot] * config.multiplier[slot] + config.offset[slot]);
            ++plotIndex;
            counter = 1;
        } else {
            ++counter;
        }
        Checks(config, erroneous, record);
        DriveKeys(config, true);
        // The row goes out before anything can end the run.
        csv.Append(ContinuousRow(elapsed, cells, separator));
        if (stop_)
            break;
        WaitPumping(clock_, pump_, SampleDeadline(t0, intervalMs, n + 1), [this] { return stop_; });
        if (stop_)
            break;
    }
    running_ = runKey_ = stopKey_ = false;
    return record;
}

} // namespace vdk
