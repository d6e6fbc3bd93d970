#pragma once

#include "monitor/ContinuousCsv.h"
#include "monitor/MonitorChannel.h"

#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace vdk {

class Clock;
class CommLink;
class EventPump;
class MonitorCatalogue;
class UPara;

// The level trigger's settings; the slope is 0 "Up", 1 "Down", 2 "Both".
struct TriggerSettings {
    int source = 0;
    int slope = 0;
    int level = 0; // in plotted units
    int delay = 0; // percent of the record taken before the trigger
    bool use = false;
};

// The set-up a record was taken with. It stays with the record, so saving,
// the read-out and printing never follow controls changed afterwards.
struct MonitorRecordSetup {
    std::array<int, kMonitorSlots> item{};
    std::array<int, kMonitorSlots> multiplier{}; // the up-down position: x 10
    std::array<int, kMonitorSlots> offset{};
    std::array<bool, kMonitorSlots> selected{};
    double timeBaseSeconds = 1; // per division; a division is five samples
    int fullScale = 100;
    bool alarm = false, trip = false, stopAtTrip = false;
    TriggerSettings trigger;

    double Multiplier(int slot) const { return multiplier[slot] * 0.1; }
};

// The level test of a triggered run, in fixed point with four decimals so
// that a value exactly at the level is neither above nor below it. The
// first sample only tells from which side the signal starts.
class LevelTrigger {
public:
    LevelTrigger(const TriggerSettings& settings, double multiplier, int offset);
    // One sample of the source; a failed read (nothing) neither arms nor
    // fires.
    bool Test(std::optional<double> value);

private:
    qint64 level_, multiplier_, offset_;
    int slope_;
    bool seen_ = false, armUp_ = true, armDown_ = true;
};

// What a run reads and how it shows it, fixed at its start.
struct MonitorRunConfig {
    MonitorRecordSetup setup;
    std::array<MonitorChannel, kMonitorSlots> channels;
    std::array<bool, kMonitorSlots> active{};          // selected and visible
    std::array<double, kMonitorSlots> displayFactor{}; // unit change or free unit, else 1
    std::optional<MonitorChannel> alarm, trip;
    int terminalLevel = 15;
    bool decimalComma = false;

    double sampleIntervalMs = 5000; // normal: the time base x 200
    int pointsPerChannel = 250;
    bool stopAtTrip = false;
    bool driveKeys = false; // "Inverter Run"/"Inverter Stop" may act (FA10, FA11 defined)

    // Continuous mode.
    int recordMinutes = 120;
    int sampleSeconds = 10;
    int decimation = 1;
};

// A finished run as saving, the read-out and printing take it: the values of
// each slot after the scale (before multiplier and offset), per sample.
struct MonitorRecord {
    enum class Kind { Normal, Triggered, Continuous, File };
    Kind kind = Kind::Normal;
    MonitorRecordSetup setup;
    QList<qint64> elapsedMs;
    std::array<QList<double>, kMonitorSlots> values;
    std::array<bool, kMonitorSlots> active{};
    int errors = 0; // samples with a failed read
    bool tripped = false;
    int preTrigger = 0; // samples held before the trigger
    int SampleCount() const { return int(elapsedMs.size()); }
    // The plotted value of a slot at sample `x`.
    double Plotted(int slot, int x) const {
        return values[slot][x] * setup.Multiplier(slot) + setup.offset[slot];
    }
};

// The untriggered runs of the monitoring window on the link: each sample
// reads the active slots, then the alarm and trip words, then executes a
// pending drive key, then waits for its absolute deadline letting the user
// interface in.
class MonitorRun {
public:
    struct Observer {
        std::function<void(int slot, double x, double y)> point;
        std::function<void(int slot, const QString& text)> value; // "Err." for a failed read
        std::function<void(const QString&)> alarm;
        std::function<void(const QString&)> trip;
        std::function<void(int)> errors;
        std::function<void(bool run)> driveKeyFailed;
        // A triggered run: waiting for the trigger (true) and no longer
        // (false); then the samples held before it, whose points come with
        // the finished record.
        std::function<void(bool)> waiting;
        std::function<void(int preTrigger)> triggered;
    };

    MonitorRun(CommLink& link, Clock& clock, EventPump& pump, const UPara& values,
               const MonitorCatalogue& catalogue);
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // Samples 0 to PointsPerChannel, a point per active slot and sample.
    MonitorRecord RunNormal(const MonitorRunConfig& config);
    // Samples every SampleTime until the record time, a row in `csv` per
    // sample (written before the run ends, whatever ends it) and a point per
    // `decimation` samples; false when a row is still not on disk.
    MonitorRecord RunContinuous(const MonitorRunConfig& config, ContinuousCsv& csv);
    // Holds up to `delay` percent of the record while it waits for the level
    // trigger on its source, then records the rest: PointsPerChannel + 1
    // samples in all unless stopped. The held part's times count from the
    // start of waiting, the rest from the trigger.
    MonitorRecord RunTriggered(const MonitorRunConfig& config);

    // "Stop", or a trip in stop-at-trip mode: the run ends after the sample.
    void RequestStop() { stop_ = true; }
    // "Inverter Run" (true) or "Inverter Stop" during a run: FA11 0 at once,
    // the key after the current sample. A run key is dropped in continuous
    // mode; a stop key never is.
    void RequestDriveKey(bool run);
    bool Running() const { return running_; }

    // The drive keys when no run is in progress, on the measured transaction
    // time; false when a write failed.
    static bool DriveKey(CommLink& link, bool run, int avgCommTimeMs);

private:
    struct Sample;
    bool ReadSlots(const MonitorRunConfig& config, Sample& sample);
    MonitorRecord Started(const MonitorRunConfig& config, MonitorRecord::Kind kind);
    void Record(const MonitorRunConfig& config, MonitorRecord& record);
    void Checks(const MonitorRunConfig& config, bool erroneous, MonitorRecord& record);
    void DriveKeys(const MonitorRunConfig& config, bool continuous);
    void Begin();

    CommLink& link_;
    Clock& clock_;
    EventPump& pump_;
    const UPara& values_;
    const MonitorCatalogue& catalogue_;
    Observer observer_;
    bool stop_ = false;
    bool running_ = false;
    bool runKey_ = false, stopKey_ = false;
    int runWord_ = 0;
    std::array<std::optional<double>, kMonitorSlots> previous_{};
};

} // namespace vdk
