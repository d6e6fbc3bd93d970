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

// What a run reads and how it shows it, fixed at its start.
struct MonitorRunConfig {
    std::array<MonitorChannel, kMonitorSlots> channels;
    std::array<bool, kMonitorSlots> active{}; // selected and visible
    std::array<double, kMonitorSlots> multiplier{};
    std::array<int, kMonitorSlots> offset{};
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
    QList<qint64> elapsedMs;
    std::array<QList<double>, kMonitorSlots> values;
    std::array<bool, kMonitorSlots> active{};
    int errors = 0; // samples with a failed read
    bool tripped = false;
    int SampleCount() const { return int(elapsedMs.size()); }
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
    bool ReadSlots(const MonitorRunConfig& config, bool first, Sample& sample);
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
