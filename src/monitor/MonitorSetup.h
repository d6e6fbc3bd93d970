#pragma once

#include "monitor/ContinuousCsv.h"
#include "monitor/MonitorRun.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <array>
#include <optional>

namespace vdk {

class Clock;
class CommLink;
class IniFile;
class MonitorCatalogue;
class ParaDat;
class UPara;
struct InverterIdentity;

struct EnvironmentOptions;

// What the options allow the monitor of this inverter type: alarm and trip
// display need their words and their names, the drive keys FA10 and FA11.
struct MonitorOptions {
    bool alarm = false, trip = false, stopAtTrip = false, driveKeys = false;
    std::optional<double> freeUnitFactor; // "Use Free Unit"
    int terminalLevel = 15;
};
MonitorOptions MonitorOptionsOf(const EnvironmentOptions& options, const ParaDat& table,
                                const MonitorCatalogue& catalogue, bool maintenance);

// The rated voltage and current the "Unit Chg." boxes scale by; nothing for a
// voltage whose class the capacity does not give.
struct RatedValues {
    std::optional<double> voltage;
    double current = 0;
};
// Reads FE71 and FE70 (or FB58) when the port is open, else takes the
// capacity's voltage class and the table's current value.
RatedValues ReadRatedValues(CommLink& link, const ParaDat& table, const UPara& values,
                            const QString& capacity, bool portOk);
// The mean time of `times` reads of `channel` in milliseconds.
int MeasureTransaction(CommLink& link, Clock& clock, const MonitorChannel& channel, int times);

// One of the ten channel slots as the "Setting" tab shows it.
struct MonitorSlot {
    bool selected = false;
    int item = 0; // index into the item catalogue
    bool unitChange = false;
    int multiplier = 10; // the up-down position: the multiplier x 10, 1..100
    int offset = 0;      // 0..500
    quint32 colour = 0;  // the settings integer (blue in the high byte)
    bool visible = true; // CH9 and CH10 give way to the alarm and trip reads

    double Multiplier() const { return multiplier * 0.1; }
    bool operator==(const MonitorSlot&) const = default;
};

// The check of a typed multiplier or offset: the message that refuses it
// (68 not a number, 42 out of range), the text the field shows afterwards,
// and the up-down position taken.
struct SlotEntry {
    int message = 0;
    QString shown;
    int position = 0;
};
SlotEntry CheckSlotMultiplier(const QString& text);
SlotEntry CheckSlotOffset(const QString& text);

// The set-up of the monitoring window and what follows from it: the ten
// slots, the alarm and trip reads, the counts of reads and points, and the
// shortest time base; kept in [Monitor] of the settings.
class MonitorSetup {
public:
    static const std::array<quint32, kMonitorSlots> kDefaultColours;
    static constexpr int kTotalPoints = 1250;

    MonitorSetup();

    std::array<MonitorSlot, kMonitorSlots> slots;
    QString time = QStringLiteral("25"), max = QStringLiteral("100");
    bool zoom = false, trigger = false;
    int triggerChannel = 0, triggerSlope = 0;
    QString triggerLevel = QStringLiteral("0"), triggerDelay = QStringLiteral("0");
    bool alarmRead = false, tripRead = false;
    int minReadTime = 500; // ms per read, from the link speed measurement

    // Slots 10 and 9 give way to the alarm and the trip read.
    void ApplyAlarmTripSlots(bool alarm, bool trip);
    int SelectedCount() const;
    int ReadsPerSample() const;
    int UsableSlots() const;
    int PointsPerChannel() const; // 0 when nothing is read
    int MinTimeBaseMs() const { return minReadTime * ReadsPerSample() * 5; }

    // Reads [Monitor]; a set-up saved for another type-form or CPU version
    // counts as none. Item indexes beyond `itemCount` become 0.
    void Restore(const IniFile& settings, const InverterIdentity& id, int itemCount);
    bool Save(IniFile& settings, const InverterIdentity& id) const;
    // Erases the monitor's own keys of [Monitor]; MonPath, the main window's
    // folder, stays.
    static bool Erase(IniFile& settings);

    // What a run reads and shows, from this set-up and the options: the
    // multipliers and offsets of the slots, and each slot's display factor
    // (the free unit's, else the rated value's for a checked unit change).
    MonitorRunConfig RunConfig(const MonitorCatalogue& catalogue, const ParaDat& table,
                               const RatedValues& rated, const MonitorOptions& options) const;

    bool operator==(const MonitorSetup&) const = default;
};

// A trace after its multiplier was turned by `factor` (every y, offset
// included, scales) and its offset by `shift` (every y moves).
QList<QPointF> RescaledTrace(QList<QPointF> points, double factor, double shift);

// The shortest time per read from the measured time per transaction.
int MinReadTime(int avgCommTime, int marginMs);
// The base of the run and stop key words for a sample interval.
int RunWord(double sampleIntervalMs);

// Continuous mode from "Record Time" and "Sampling Time".
struct ContinuousPlan {
    int samples = 0;
    int sizeFigure = 1;
    int decimation = 1;         // K: samples per plotted point
    double timeBaseSeconds = 0; // per division
};
ContinuousPlan PlanContinuous(int recordMinutes, int sampleSeconds, int pointsPerChannel);

class Messenger;
// The notice before a continuous run: record time, sampling time, that the
// data go to a CSV file, and its size figure (messages 51 to 55).
QString ContinuousNotice(const Messenger& messenger, int recordMinutes, int sampleSeconds,
                         int sizeFigure);

// The voltage class digit of a capacity ("-2004", "-S2004": 2), read after
// its leading hyphen and an "S"; nothing when it is not a digit.
std::optional<int> VoltageClass(const QString& capacity);

} // namespace vdk
