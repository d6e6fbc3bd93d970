#pragma once

#include "monitor/MonitorRun.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace vdk {

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

} // namespace vdk
