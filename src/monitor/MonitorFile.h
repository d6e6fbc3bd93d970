#pragma once

#include "monitor/MonitorRun.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

class Messenger;
class MonitorCatalogue;

// The inverter a monitor file was recorded on.
struct MonitorFileInverter {
    QString typeForm, capacity, cpuVer;
};

// A monitor file (.mon): the inverter, the set-up, the trigger and the
// unscaled values of every sample, one line each.
QByteArray MonitorFileBytes(const MonitorRecord& record, const MonitorFileInverter& inverter);

struct MonitorFile {
    MonitorFileInverter inverter;
    MonitorRecord record;
    bool earlier = false; // the five-channel form: no CPU version, no trigger
};
// Reads a monitor file of either form, all of it before anything is taken:
// nothing when a line is damaged, `badLine` then names the first one (from
// 1). Item indexes beyond `itemCount` become 0; rows after sample 1250 are
// not taken.
std::optional<MonitorFile> ParseMonitorFile(const QByteArray& bytes, int itemCount, int* badLine);

// The labels of a record's CSV table, in the run's language.
struct MonitorTableTexts {
    QString title, multiplier, offset; // the first column of the header lines
    QString time;                      // the time column
    QString errors;                    // before the error count
};
// The labels in the run's language: [PrintMon] Label3 to Label5, messages
// 56 and 85.
MonitorTableTexts MonitorTableTextsOf(const Messenger& messenger);
// The item name of each slot that has values, else an empty text.
QStringList RecordItemNames(const MonitorRecord& record, const MonitorCatalogue& catalogue);

// The CSV table of a finished record: the header lines (inverter, item names
// with "-" for a free slot, multipliers, offsets, channels, error count),
// then a row per sample of the unscaled values; ";" and decimal commas in a
// decimal-comma language.
QByteArray MonitorCsvTable(const MonitorRecord& record, const QString& inverter,
                           const QStringList& itemNames, const MonitorTableTexts& texts,
                           bool decimalComma);

// A record as the data file its name asks for: a monitor file (.mon) or
// its CSV table (.csv); nothing for any other extension.
std::optional<QByteArray> MonitorDataBytes(const QString& path, const MonitorRecord& record,
                                           const MonitorFileInverter& inverter,
                                           const QStringList& itemNames,
                                           const MonitorTableTexts& texts, bool decimalComma);

// The save dialog of a record: every form, or after a continuous run only
// pictures. Its filter entries in order, from the language's list with PNG
// and SVG added; the entry preset by the last name chosen; and the chosen
// name completed with the chosen entry's extension when it has none of the
// dialog's.
QStringList MonitorSaveExtensions(bool picturesOnly);
int MonitorSaveFilter(const QString& lastName, bool picturesOnly);
QString MonitorSaveName(const QString& chosen, int filterIndex, bool picturesOnly);

// The value read-out of a trace's point: the channel and its item, the value
// as sampled (with the item's decimals), the multiplier and offset it was
// plotted with, and the time from the record's own time base (a division is
// five samples).
struct ReadOutTexts {
    QString value, multiplier, offset, passedTime; // the headings
};
QString ReadOutText(const MonitorRecord& record, int slot, int index, const QString& itemName,
                    int decimals, bool decimalComma, const ReadOutTexts& texts);

} // namespace vdk
