#include "monitor/MonitorRun.h"

#include "base/Clock.h"
#include "base/EventPump.h"
#include "comm/CommLink.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorRecorder.h"
#include "monitor/MonitorSetup.h"

#include <algorithm>
#include <cmath>

namespace vdk {

namespace {

const QString kError = QStringLiteral("Err.");

} // namespace

struct MonitorRun::Sample {
    std::array<double, kMonitorSlots> value{};
    std::array<bool, kMonitorSlots> read{}; // the read answered
};

LevelTrigger::LevelTrigger(const TriggerSettings& settings, double multiplier, int offset)
    : level_(qint64(settings.level) * 10000),
      multiplier_(qint64(std::nearbyint(multiplier * 10000))), offset_(qint64(offset) * 10000),
      slope_(settings.slope) {}

bool LevelTrigger::Test(std::optional<double> value) {
    if (!value)
        return false;
    // Rounded to the nearest, ties to even, as the four decimals are meant.
    const qint64 v = qint64(std::nearbyint(*value * 10000));
    const qint64 q = v * multiplier_ / 10000 + offset_;
    const bool above = q > level_, below = q < level_;
    if (above) {
        if (seen_)
            armDown_ = true;
        else
            armUp_ = false;
        seen_ = true;
    } else if (below) {
        if (seen_)
            armUp_ = true;
        else
            armDown_ = false;
        seen_ = true;
    }
    return (armUp_ && above && slope_ != 1) || (armDown_ && below && slope_ != 0);
}

MonitorRun::MonitorRun(CommLink& link, Clock& clock, EventPump& pump, const UPara& values,
                       const MonitorCatalogue& catalogue)
    : link_(link), clock_(clock), pump_(pump), values_(values), catalogue_(catalogue) {}

void MonitorRun::Begin() {
    // Requests of an earlier run, or from between runs, never act in this one.
    stop_ = runKey_ = stopKey_ = false;
    previous_.fill(std::nullopt);
    running_ = true;
}

bool MonitorRun::ReadSlots(const MonitorRunConfig& config, Sample& sample) {
    bool erroneous = false;
    for (int slot = 0; slot < kMonitorSlots; ++slot) {
        if (!config.active[slot])
            continue;
        const MonitorChannel& channel = config.channels[slot];
        const std::optional<double> read =
            ReadChannel(link_, values_, channel, config.terminalLevel);
        // A failed read holds the slot's last value of the run, also across
        // the trigger; before any, it stays 0. Either way the box says so.
        const double v = read ? *read : previous_[slot].value_or(0.0);
        erroneous |= !read;
        sample.value[slot] = v;
        sample.read[slot] = read.has_value();
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
    if (!running_ || !link_.MayWrite())
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

MonitorRecord MonitorRun::Started(const MonitorRunConfig& config, MonitorRecord::Kind kind) {
    Begin();
    MonitorRecord record;
    record.kind = kind;
    record.setup = config.setup;
    record.active = config.active;
    return record;
}

MonitorRecord MonitorRun::RunNormal(const MonitorRunConfig& config) {
    MonitorRecord record = Started(config, MonitorRecord::Kind::Normal);
    runWord_ = RunWord(config.sampleIntervalMs);
    Record(config, record);
    return record;
}

// Samples `record.SampleCount()` to PointsPerChannel on a clock that starts
// now, at least one even after a stop.
void MonitorRun::Record(const MonitorRunConfig& config, MonitorRecord& record) {
    const qint64 t0 = clock_.Milliseconds();
    for (int x = record.SampleCount(), n = 0; x <= config.pointsPerChannel; ++x, ++n) {
        record.elapsedMs.append(clock_.Milliseconds() - t0);
        Sample sample;
        const bool erroneous = ReadSlots(config, sample);
        for (int slot = 0; slot < kMonitorSlots; ++slot) {
            record.values[slot].append(sample.value[slot]);
            if (!config.active[slot])
                continue;
            previous_[slot] = sample.value[slot];
            if (observer_.point)
                observer_.point(slot, x, record.Plotted(slot, x));
        }
        Checks(config, erroneous, record);
        DriveKeys(config, false);
        if (stop_ || x == config.pointsPerChannel)
            break;
        WaitPumping(clock_, pump_, SampleDeadline(t0, config.sampleIntervalMs, n + 1),
                    [this] { return stop_; });
        if (stop_)
            break;
    }
    running_ = runKey_ = stopKey_ = false;
}

MonitorRecord MonitorRun::RunContinuous(const MonitorRunConfig& config, ContinuousCsv& csv) {
    MonitorRecord record = Started(config, MonitorRecord::Kind::Continuous);
    runWord_ = RunWord(config.sampleSeconds * 1000.0);
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
        const bool erroneous = ReadSlots(config, sample);
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
                                    plot[slot] * config.setup.Multiplier(slot) +
                                        config.setup.offset[slot]);
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

MonitorRecord MonitorRun::RunTriggered(const MonitorRunConfig& config) {
    MonitorRecord record = Started(config, MonitorRecord::Kind::Triggered);
    runWord_ = RunWord(config.sampleIntervalMs);
    const TriggerSettings& settings = config.setup.trigger;
    const int source = std::clamp(settings.source, 0, kMonitorSlots - 1);
    const int held = settings.delay * config.pointsPerChannel / 100;
    LevelTrigger trigger(settings, config.setup.Multiplier(source), config.setup.offset[source]);
    if (observer_.waiting)
        observer_.waiting(true);

    // Waiting: the newest `held` samples are kept. The sample that fires the
    // trigger (or the one taken when Stop came) is not kept.
    QList<qint64> times;
    std::array<QList<double>, kMonitorSlots> buffer;
    qint64 t0 = clock_.Milliseconds();
    for (qint64 n = 0;; ++n) {
        times.append(clock_.Milliseconds() - t0);
        Sample sample;
        ReadSlots(config, sample);
        for (int slot = 0; slot < kMonitorSlots; ++slot) {
            buffer[slot].append(sample.value[slot]);
            if (config.active[slot])
                previous_[slot] = sample.value[slot];
        }
        Checks(config, false, record); // errors count once recording
        DriveKeys(config, false);
        if (stop_)
            break;
        WaitPumping(clock_, pump_, SampleDeadline(t0, config.sampleIntervalMs, n + 1),
                    [this] { return stop_; });
        if (stop_)
            break;
        const bool sourceRead = config.active[source] && sample.read[source];
        if (trigger.Test(sourceRead ? std::optional(sample.value[source]) : std::nullopt))
            break;
        if (times.size() > held) {
            times.removeFirst();
            for (QList<double>& b : buffer)
                b.removeFirst();
        }
    }
    times.removeLast();
    for (QList<double>& b : buffer)
        b.removeLast();
    record.preTrigger = int(times.size());
    record.elapsedMs = times;
    record.values = buffer;
    if (observer_.waiting)
        observer_.waiting(false);
    if (observer_.triggered)
        observer_.triggered(record.preTrigger);

    Record(config, record);
    return record;
}

} // namespace vdk
