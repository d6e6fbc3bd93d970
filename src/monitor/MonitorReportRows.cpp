#include "monitor/MonitorReportRows.h"

#include "monitor/MonitorChannel.h"

#include <algorithm>

namespace vdk {

QList<MonitorReportRow> MonitorReportRows(const MonitorRecord& record, const QStringList& itemNames,
                                          const std::array<int, kMonitorSlots>& decimals,
                                          int usableSlots, bool decimalComma) {
    const MonitorRecordSetup& s = record.setup;
    QList<MonitorReportRow> rows;
    for (int slot = 0; slot < std::min(usableSlots, kMonitorSlots); ++slot) {
        MonitorReportRow row{QString::number(slot + 1),
                             s.selected[slot] ? QStringLiteral("ON") : QStringLiteral("OFF"),
                             itemNames.value(slot),
                             QString::number(s.Multiplier(slot), 'f', 1),
                             QString::number(s.offset[slot]),
                             QStringLiteral("-"),
                             QStringLiteral("-"),
                             QStringLiteral("-"),
                             QStringLiteral("-")};
        const QList<double>& v = record.values[slot];
        if (record.active[slot] && !v.isEmpty()) {
            const auto text = [&](double x) {
                return DisplayText(x, decimals[slot], decimalComma);
            };
            const auto [low, high] = std::minmax_element(v.begin(), v.end());
            row.min = text(*low);
            row.max = text(*high);
            row.start = text(v.first());
            row.stop = text(v.last());
        }
        rows.append(row);
    }
    return rows;
}

QList<QPair<QString, QString>> MonitorReportSummary(const MonitorRecord& record, int zoom,
                                                    const MonitorSummaryTexts& texts) {
    const TriggerSettings& t = record.setup.trigger;
    const bool triggered = record.kind == MonitorRecord::Kind::Triggered ||
                           (record.kind == MonitorRecord::Kind::File && t.use);
    const QString none = QStringLiteral("-");
    return {{texts.time,
             QString::number(record.setup.timeBaseSeconds, 'f', 1) + QStringLiteral("(s/div)")},
            {texts.zoom, QString::number(zoom) + QStringLiteral("(%)")},
            {texts.source, triggered ? QStringLiteral("CH%1").arg(t.source + 1) : none},
            {texts.level, triggered ? QString::number(t.level) : none},
            {texts.slope, triggered ? texts.slopes.value(t.slope) : none},
            {texts.delay, triggered && zoom == 100 ? QString::number(t.delay) : none}};
}

} // namespace vdk
