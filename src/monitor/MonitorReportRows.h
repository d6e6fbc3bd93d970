#pragma once

#include "monitor/ChartGeometry.h"
#include "monitor/MonitorRun.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace vdk {

class Messenger;
class MonitorCatalogue;
class ParaDat;

// One channel slot in the printed monitor report.
struct MonitorReportRow {
    QString channel, monitor, title, multiplier, offset, min, max, start, stop;
};

// The rows of the first `usableSlots` slots from the record and the set-up it
// was taken with: "ON"/"OFF", the item, the multiplier and offset, and the
// smallest, largest, first and last value as sampled, in the item's decimals;
// "-" where the slot has no values.
QList<MonitorReportRow> MonitorReportRows(const MonitorRecord& record, const QStringList& itemNames,
                                          const std::array<int, kMonitorSlots>& decimals,
                                          int usableSlots, bool decimalComma);

// The captions of the report's summary, in the run's language.
struct MonitorSummaryTexts {
    QString time, zoom, source, level, slope, delay;
    QStringList slopes; // Up, Down, Both
};
// The summary: the record's time base, the zoom in view, and the trigger it
// was taken with ("-" for an untriggered record; the delay only at zoom 100).
QList<QPair<QString, QString>> MonitorReportSummary(const MonitorRecord& record, int zoom,
                                                    const MonitorSummaryTexts& texts);

// What the monitor report shows: the record (with the set-up it was taken
// with), the chart's view of it, the slot colours (settings integers), the
// summary and the channel table, and the heading.
struct MonitorReportContent {
    MonitorRecord record;
    AxisRange view;
    std::array<quint32, kMonitorSlots> colours{};
    QList<QPair<QString, QString>> summary;
    QStringList columns; // CH, Monitor, Title, Multi., Offset, Min., Max., Start, Stop
    QList<MonitorReportRow> rows;
    QString inverter;
    QDateTime made;
};
// The report of `record` as the chart shows it (`view`, `zoom`), in the
// run's language: the summary, the headings, and a row for each of the first
// `usableSlots` slots with its item's decimals.
MonitorReportContent MonitorReportOf(const MonitorRecord& record, AxisRange view, int zoom,
                                     const std::array<quint32, kMonitorSlots>& colours,
                                     int usableSlots, const MonitorCatalogue& catalogue,
                                     const ParaDat& table, const Messenger& messenger,
                                     bool decimalComma);

} // namespace vdk
