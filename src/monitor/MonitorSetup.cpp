#include "monitor/MonitorSetup.h"

#include "base/Clock.h"
#include "comm/CommLink.h"
#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "monitor/MonitorCatalogue.h"
#include "options/EnvironmentOptions.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <cmath>

namespace vdk {

namespace {

const QString kSection = QStringLiteral("Monitor");

QString Key(const char* name, int slot) {
    return QLatin1String(name) + QString::number(slot + 1);
}

// A typed number checked against [low, high]; the field shows the violated
// bound, or the number with `decimals` decimals.
SlotEntry CheckEntry(const QString& text, double low, double high, int decimals, double scale) {
    bool ok = false;
    const double x = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(x)) // "nan" and "inf" pass for numbers
        return {68, text, 0};
    const double scaled = x * scale;
    if (scaled < low || scaled > high) {
        const double bound = scaled < low ? low : high;
        return {42, QString::number(bound / scale, 'f', decimals), int(bound)};
    }
    return {0, QString::number(x, 'f', decimals), int(std::trunc(scaled))};
}

} // namespace

const std::array<quint32, kMonitorSlots> MonitorSetup::kDefaultColours = {
    255, 16711680, 65280, 16711935, 16776960, 128, 8388608, 32768, 8388736, 8421376};

SlotEntry CheckSlotMultiplier(const QString& text) {
    return CheckEntry(text, 1, 100, 1, 10);
}

SlotEntry CheckSlotOffset(const QString& text) {
    return CheckEntry(text, 0, 500, 0, 1);
}

MonitorSetup::MonitorSetup() {
    for (int i = 0; i < kMonitorSlots; ++i) {
        slots[i].selected = i < 5;
        slots[i].item = i;
        slots[i].colour = kDefaultColours[i];
    }
}

void MonitorSetup::ApplyAlarmTripSlots(bool alarm, bool trip) {
    alarmRead = alarm;
    tripRead = trip;
    slots[9].visible = !(alarm || trip);
    slots[8].visible = !(alarm && trip);
}

int MonitorSetup::SelectedCount() const {
    int n = 0;
    for (const MonitorSlot& s : slots)
        n += s.selected && s.visible;
    return n;
}

int MonitorSetup::ReadsPerSample() const {
    return SelectedCount() + int(alarmRead) + int(tripRead);
}

int MonitorSetup::UsableSlots() const {
    return kMonitorSlots - int(alarmRead) - int(tripRead);
}

int MonitorSetup::PointsPerChannel() const {
    const int reads = ReadsPerSample();
    return reads > 0 ? kTotalPoints / reads : 0;
}

void MonitorSetup::Restore(const IniFile& settings, const InverterIdentity& id, int itemCount) {
    *this = MonitorSetup();
    if (settings.ReadString(kSection, QStringLiteral("Inv1"), QStringLiteral("-")) != id.TypeForm ||
        settings.ReadString(kSection, QStringLiteral("Inv3"), QStringLiteral("-")) != id.CpuVer)
        return; // made for another inverter: every key takes its default
    for (int i = 0; i < kMonitorSlots; ++i) {
        MonitorSlot& s = slots[i];
        s.selected = settings.ReadBool(kSection, Key("Select", i), s.selected);
        const int item = settings.ReadInteger(kSection, Key("Item", i), s.item);
        s.item = item >= 0 && item < itemCount ? item : 0;
        s.unitChange = settings.ReadBool(kSection, Key("Unit", i), false);
        const SlotEntry multiplier =
            CheckSlotMultiplier(settings.ReadString(kSection, Key("Bi", i), QStringLiteral("1")));
        s.multiplier = multiplier.message == 68 ? 10 : multiplier.position;
        const SlotEntry offset =
            CheckSlotOffset(settings.ReadString(kSection, Key("Plus", i), QStringLiteral("0")));
        s.offset = offset.message == 68 ? 0 : offset.position;
        s.colour = quint32(settings.ReadInteger(kSection, Key("MonCh", i), int(s.colour)));
    }
    time = settings.ReadString(kSection, QStringLiteral("Time"), time);
    max = settings.ReadString(kSection, QStringLiteral("Max"), max);
    zoom = settings.ReadBool(kSection, QStringLiteral("Zoom"), zoom);
    trigger = settings.ReadBool(kSection, QStringLiteral("Trig"), trigger);
    triggerChannel = std::clamp(settings.ReadInteger(kSection, QStringLiteral("TrigCh"), 0), 0,
                                kMonitorSlots - 1);
    triggerSlope = std::clamp(settings.ReadInteger(kSection, QStringLiteral("TrigSlope"), 0), 0, 2);
    triggerLevel = settings.ReadString(kSection, QStringLiteral("TrigLv"), triggerLevel);
    triggerDelay = settings.ReadString(kSection, QStringLiteral("TrigPos"), triggerDelay);
}

bool MonitorSetup::Save(IniFile& settings, const InverterIdentity& id) const {
    bool ok = settings.WriteString(kSection, QStringLiteral("Inv1"), id.TypeForm) &&
              settings.WriteString(kSection, QStringLiteral("Inv2"), id.Capacity) &&
              settings.WriteString(kSection, QStringLiteral("Inv3"), id.CpuVer);
    for (int i = 0; i < kMonitorSlots && ok; ++i) {
        const MonitorSlot& s = slots[i];
        ok =
            settings.WriteBool(kSection, Key("Select", i), s.selected) &&
            settings.WriteInteger(kSection, Key("Item", i), s.item) &&
            settings.WriteBool(kSection, Key("Unit", i), s.unitChange) &&
            settings.WriteString(kSection, Key("Bi", i), QString::number(s.Multiplier(), 'f', 1)) &&
            settings.WriteString(kSection, Key("Plus", i), QString::number(s.offset)) &&
            settings.WriteInteger(kSection, Key("MonCh", i), int(s.colour));
    }
    return ok && settings.WriteString(kSection, QStringLiteral("Max"), max) &&
           settings.WriteBool(kSection, QStringLiteral("Zoom"), zoom) &&
           settings.WriteBool(kSection, QStringLiteral("Trig"), trigger) &&
           settings.WriteInteger(kSection, QStringLiteral("TrigCh"), triggerChannel) &&
           settings.WriteInteger(kSection, QStringLiteral("TrigSlope"), triggerSlope) &&
           settings.WriteString(kSection, QStringLiteral("TrigLv"), triggerLevel) &&
           settings.WriteString(kSection, QStringLiteral("TrigPos"), triggerDelay) &&
           settings.WriteString(kSection, QStringLiteral("Time"), time);
}

bool MonitorSetup::Erase(IniFile& settings) {
    bool ok = true;
    for (const QString& key : settings.ReadSection(kSection))
        if (key != QLatin1String("MonPath"))
            ok = settings.DeleteKey(kSection, key) && ok;
    return ok;
}

MonitorOptions MonitorOptionsOf(const EnvironmentOptions& o, const ParaDat& table,
                                const MonitorCatalogue& catalogue, bool maintenance) {
    const OptionAvailability a =
        AvailabilityOf(o, table.FindRow(u"FC91") >= 0 && !catalogue.alarmNames.isEmpty(),
                       table.FindRow(u"FC90") >= 0 && !catalogue.tripNames.isEmpty(), maintenance);
    MonitorOptions m;
    m.alarm = o.MonMode5 && a.alarm;
    m.trip = o.MonMode6 && a.trip;
    m.stopAtTrip = o.MonMode7 && a.tripData;
    m.driveKeys = o.MonMode4 && table.FindRow(u"FA10") >= 0 && table.FindRow(u"FA11") >= 0;
    if (o.MonMode2)
        m.freeUnitFactor = o.MonMode2Multi / 100.0;
    m.terminalLevel = o.MonVal;
    return m;
}

MonitorRunConfig MonitorSetup::RunConfig(const MonitorCatalogue& catalogue, const ParaDat& table,
                                         const RatedValues& rated,
                                         const MonitorOptions& options) const {
    MonitorRunConfig config;
    config.terminalLevel = options.terminalLevel;
    config.stopAtTrip = options.stopAtTrip;
    config.driveKeys = options.driveKeys;
    const std::optional<double>& freeUnitFactor = options.freeUnitFactor;
    for (int i = 0; i < kMonitorSlots; ++i) {
        const MonitorSlot& s = slots[i];
        config.active[i] = s.selected && s.visible && s.item < catalogue.items.size();
        config.setup.item[i] = s.item;
        config.setup.multiplier[i] = s.multiplier;
        config.setup.offset[i] = s.offset;
        config.setup.selected[i] = s.selected;
        config.displayFactor[i] = 1;
        if (!config.active[i])
            continue;
        const MonitorItem& item = catalogue.items[s.item];
        config.channels[i] = MonitorChannel::For(table, item);
        if (freeUnitFactor)
            config.displayFactor[i] = *freeUnitFactor;
        else if (s.unitChange && item.altUnit == QLatin1String("(A)"))
            config.displayFactor[i] = rated.current * 0.01;
        else if (s.unitChange && item.altUnit == QLatin1String("(V)") && rated.voltage)
            config.displayFactor[i] = *rated.voltage * 0.01;
    }
    if (alarmRead)
        config.alarm = MonitorChannel::For(table, QStringLiteral("FC91"), -1);
    if (tripRead)
        config.trip = MonitorChannel::For(table, QStringLiteral("FC90"), -1);
    config.pointsPerChannel = PointsPerChannel();
    config.setup.fullScale = max.toInt();
    config.setup.alarm = alarmRead;
    config.setup.trip = tripRead;
    config.setup.stopAtTrip = options.stopAtTrip;
    config.setup.trigger = {triggerChannel, triggerSlope, triggerLevel.toInt(),
                            triggerDelay.toInt(), trigger};
    return config;
}

RatedValues ReadRatedValues(CommLink& link, const ParaDat& table, const UPara& values,
                            const QString& capacity, bool portOk) {
    const auto read = [&](int row) -> std::optional<double> {
        if (row < 0 || !portOk)
            return std::nullopt;
        const TransactResult r = link.Transact(row, QString(), u"R");
        if (!r.ok())
            return std::nullopt;
        return double(link.RawOf(row, r.value, values)) / ScaleOf(table, row);
    };
    RatedValues rated;
    const std::optional<int> voltageClass = VoltageClass(capacity);
    rated.voltage = read(table.FindRow(u"FE71"));
    if (!rated.voltage && voltageClass)
        rated.voltage = *voltageClass * 100.0;
    int currentRow = table.FindRow(u"FE70");
    if (currentRow < 0)
        currentRow = table.FindRow(u"FB58");
    if (const auto current = read(currentRow))
        rated.current = *current;
    else if (currentRow >= 0)
        rated.current = values.At(currentRow, UPara::Value).toDouble() / ScaleOf(table, currentRow);
    return rated;
}

int MeasureTransaction(CommLink& link, Clock& clock, const MonitorChannel& channel, int times) {
    const qint64 start = clock.Milliseconds();
    for (int i = 0; i < times; ++i)
        link.Transact(channel.row, QString(), u"R");
    return times > 0 ? int((clock.Milliseconds() - start) / times) : 0;
}

QList<QPointF> RescaledTrace(QList<QPointF> points, double factor, double shift) {
    for (QPointF& p : points)
        p.setY(p.y() * factor + shift);
    return points;
}

int MinReadTime(int avgCommTime, int marginMs) {
    return (avgCommTime + marginMs) / 50 * 50 + 50;
}

int RunWord(double sampleIntervalMs) {
    return int(std::trunc(sampleIntervalMs * 0.25)) << 8;
}

ContinuousPlan PlanContinuous(int recordMinutes, int sampleSeconds, int pointsPerChannel) {
    ContinuousPlan plan;
    plan.samples = int(unsigned(recordMinutes * 60) / unsigned(std::max(sampleSeconds, 1)));
    plan.sizeFigure = (plan.samples - 163) * 110 / 1000;
    if (plan.sizeFigure < 0)
        plan.sizeFigure = 1;
    const float right = pointsPerChannel > 0
                            ? float(recordMinutes) * float(plan.samples) / float(pointsPerChannel)
                            : 0.0f;
    plan.decimation = 1;
    while (float(sampleSeconds * 5 * plan.decimation) <= right)
        ++plan.decimation;
    plan.timeBaseSeconds = double(sampleSeconds) * plan.decimation * 5;
    return plan;
}

QString ContinuousNotice(const Messenger& m, int recordMinutes, int sampleSeconds, int sizeFigure) {
    const QString nl = QStringLiteral("\n");
    return m.Text(kMsgRecordTime) + QString::number(recordMinutes) + QStringLiteral("(min)") + nl +
           m.Text(kMsgSampleTime) + QString::number(sampleSeconds) + QStringLiteral("(s/point)") +
           nl + nl + m.Text(kMsgCsvWhileMonitoring) + nl + m.Text(kMsgSizeFigure) +
           QString::number(sizeFigure) + m.Text(kMsgSizeUnit);
}

std::optional<int> VoltageClass(const QString& capacity) {
    QString rest = capacity.startsWith(QLatin1Char('-')) ? capacity.mid(1) : capacity;
    if (rest.startsWith(QLatin1Char('S')))
        rest = rest.mid(1);
    if (rest.isEmpty() || !rest.front().isDigit() || rest.front().unicode() > '9')
        return std::nullopt;
    return rest.front().digitValue();
}

} // namespace vdk
