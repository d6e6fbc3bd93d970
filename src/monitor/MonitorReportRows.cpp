#include "monitor/MonitorReportRows.h"

#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorChannel.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

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

MonitorReportContent MonitorReportOf(const MonitorRecord& record, AxisRange view, int zoom,
                                     const std::array<quint32, kMonitorSlots>& colours,
                                     int usableSlots, const MonitorCatalogue& catalogue,
                                     const ParaDat& table, const Messenger& messenger,
                                     bool decimalComma) {
    const auto text = [&](const char* section, const char* key, const char* def) {
        return messenger.Texts().LangText(QLatin1String(section), QLatin1String(key),
                                          QLatin1String(def));
    };
    MonitorReportContent content;
    content.record = record;
    content.view = view;
    content.colours = colours;
    content.summary =
        MonitorReportSummary(record, zoom,
                             {text("Monitor", "Label22", "Time"),
                              text("Monitor", "Label24", "Zoom"),
                              text("Monitor", "Label81", "Trigger Sourse"),
                              text("Monitor", "Label83", "Trigger Level"),
                              text("Monitor", "Label82", "Trigger Slope"),
                              text("Monitor", "Label84", "Trigger Delay"),
                              {text("Monitor", "Item71", "Up"), text("Monitor", "Item72", "Down"),
                               text("Monitor", "Item73", "Both")}});
    content.columns = QStringList{QStringLiteral("CH")};
    const char* columns[][2] = {{"Label2", "Monitor"}, {"Label3", "Title"}, {"Label4", "Multi."},
                                {"Label5", "Offset"},  {"Label6", "Min."},  {"Label7", "Max."},
                                {"Label8", "Start"},   {"Label9", "Stop"}};
    for (const auto& [key, def] : columns)
        content.columns.append(text("PrintMon", key, def));
    QStringList names;
    std::array<int, kMonitorSlots> decimals{};
    for (int slot = 0; slot < kMonitorSlots; ++slot) {
        const MonitorItem item = catalogue.items.value(record.setup.item[slot]);
        names.append(item.name);
        decimals[slot] = MonitorChannel::For(table, item).decimals;
    }
    content.rows = MonitorReportRows(record, names, decimals, usableSlots, decimalComma);
    return content;
}

} // namespace vdk
