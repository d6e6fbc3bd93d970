#include "monitor/MonitorFile.h"

#include "data/FieldSplitter.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorChannel.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <algorithm>
#include <cmath>

namespace vdk {

namespace {

const QString kEol = QStringLiteral("\r\n");
constexpr int kLastSample = 1250;
constexpr int kCurrentDataLine = 16; // Data1 of the current form
constexpr int kLastCurrentLine = 1501;
constexpr int kEarlierSlots = 5;
constexpr int kLastEarlierLine = 501;

QString Joined(const QString& head, const std::array<QString, kMonitorSlots>& cells, QChar s) {
    QStringList fields{head};
    for (const QString& cell : cells)
        fields.append(cell);
    return fields.join(s);
}

template <typename T, typename F>
std::array<QString, kMonitorSlots> Cells(const std::array<T, kMonitorSlots>& values, F text) {
    std::array<QString, kMonitorSlots> cells;
    for (int i = 0; i < kMonitorSlots; ++i)
        cells[i] = text(values[i]);
    return cells;
}

// A whole number from a file's field; an empty field takes `empty`.
std::optional<int> IntegerField(const QString& field, int empty) {
    const QString text = field.trimmed();
    if (text.isEmpty())
        return empty;
    bool ok = false;
    const double x = text.toDouble(&ok);
    if (!ok || !std::isfinite(x) || std::abs(x) > 1e9)
        return std::nullopt;
    return int(std::trunc(x));
}

std::optional<double> NumberField(const QString& field) {
    bool ok = false;
    const double x = field.trimmed().toDouble(&ok);
    return ok && std::isfinite(x) ? std::optional(x) : std::nullopt;
}

// The time label's number ("0.5" or "0.5(s/div)").
std::optional<double> LeadingNumber(const QString& text) {
    QString number = text.trimmed();
    const qsizetype unit = number.indexOf(QLatin1Char('('));
    if (unit >= 0)
        number.truncate(unit);
    return NumberField(number);
}

// The data rows from line `first` (0-based) up to the first empty line, at
// most up to `last` lines: the time and `slots` values each.
bool ReadRows(const QStringList& lines, int first, int last, int slots, MonitorRecord& record,
              int* badLine) {
    for (int i = first; i < std::min<int>(lines.size(), last); ++i) {
        if (lines[i].trimmed().isEmpty())
            break;
        const QStringList fields = SplitFields(lines[i]);
        std::optional<double> time = NumberField(fields.value(0));
        std::array<double, kMonitorSlots> values{};
        bool ok = time.has_value(); // a missing field is no number
        for (int slot = 0; ok && slot < slots; ++slot) {
            const std::optional<double> v = NumberField(fields.value(slot + 1));
            ok = v.has_value();
            values[slot] = v.value_or(0);
        }
        if (!ok) {
            *badLine = i + 1;
            return false;
        }
        if (record.SampleCount() > kLastSample)
            continue; // checked, not taken
        record.elapsedMs.append(qint64(std::llround(*time)));
        for (int slot = 0; slot < kMonitorSlots; ++slot)
            record.values[slot].append(record.active[slot] ? values[slot] : 0.0);
    }
    return true;
}

// The fields of the four set-up lines (item, multiplier x 10, offset,
// selection) from line `first` (0-based); a missing line has none.
using SlotFields = std::array<QStringList, 4>;
SlotFields SlotFieldsOf(const QStringList& lines, int first) {
    SlotFields fields;
    for (int k = 0; k < 4; ++k)
        fields[k] = SplitFields(lines.value(first + k));
    return fields;
}

// The set-up of `slots` channels from the four set-up lines, the first of
// them line `firstLine` (from 1); false at a damaged one.
bool ReadSlotFields(const SlotFields& fields, int firstLine, int slots, int itemCount,
                    MonitorRecordSetup& setup, int* badLine) {
    for (int slot = 0; slot < slots; ++slot) {
        const std::optional<int> item = IntegerField(fields[0].value(slot + 1), 0);
        const std::optional<int> multiplier = IntegerField(fields[1].value(slot + 1), 10);
        const std::optional<int> offset = IntegerField(fields[2].value(slot + 1), 0);
        const std::optional<int> selected = IntegerField(fields[3].value(slot + 1), 0);
        const int bad = !item                                                 ? 0
                        : !multiplier || *multiplier < 1 || *multiplier > 100 ? 1
                        : !offset                                             ? 2
                        : !selected                                           ? 3
                                                                              : -1;
        if (bad >= 0) {
            *badLine = firstLine + bad;
            return false;
        }
        setup.item[slot] = *item >= 0 && *item < itemCount ? *item : 0;
        setup.multiplier[slot] = *multiplier;
        setup.offset[slot] = std::clamp(*offset, 0, 500);
        setup.selected[slot] = *selected != 0;
    }
    return true;
}

std::optional<MonitorFile> ParseCurrent(const QStringList& lines, int itemCount, int* badLine) {
    MonitorFile file;
    file.inverter = {lines.value(1), lines.value(2), lines.value(3)};
    MonitorRecordSetup& setup = file.record.setup;
    // Lines 5 to 15 are numbers; the trigger's source and slope index lists.
    std::array<int, 16> n{};
    for (int line = 5; line <= 15; ++line) {
        if (line == 9)
            continue;
        const std::optional<int> x = IntegerField(lines.value(line - 1), 0);
        const bool index = line == 10 || line == 11;
        const int high = line == 10 ? kMonitorSlots - 1 : 2;
        if (!x || (index && (*x < 0 || *x > high))) {
            *badLine = line;
            return std::nullopt;
        }
        n[line] = *x;
    }
    const std::optional<double> timeBase = LeadingNumber(lines.value(8));
    if (!timeBase || *timeBase <= 0) {
        *badLine = 9;
        return std::nullopt;
    }
    setup.alarm = n[5] != 0;
    setup.trip = n[6] != 0;
    setup.stopAtTrip = n[7] != 0;
    // Entries out of range take their bound, as typed ones do.
    setup.fullScale = std::clamp(n[8], 100, 500);
    setup.timeBaseSeconds = *timeBase;
    setup.trigger = {n[10], n[11], std::clamp(n[12], 0, 500), std::clamp(n[13], 0, 100),
                     n[14] != 0};
    file.record.errors = std::max(0, n[15]);
    if (!ReadSlotFields(SlotFieldsOf(lines, kCurrentDataLine - 1), kCurrentDataLine, kMonitorSlots,
                        itemCount, setup, badLine))
        return std::nullopt;
    file.record.active = setup.selected;
    if (!ReadRows(lines, kCurrentDataLine + 3, kLastCurrentLine, kMonitorSlots, file.record,
                  badLine))
        return std::nullopt;
    return file;
}

// Five channels: lines 3 to 6 hold the set-up, the full scale in CH1's
// multiplier column and the time base in milliseconds in the fourth line's
// time column.
std::optional<MonitorFile> ParseEarlier(const QStringList& lines, int itemCount, int* badLine) {
    MonitorFile file;
    file.earlier = true;
    file.inverter = {lines.value(0), lines.value(1), QString()};
    MonitorRecordSetup& setup = file.record.setup;
    SlotFields fields = SlotFieldsOf(lines, 2);
    // A line without CH1's column would move every column after it.
    QStringList& scale = fields[1];
    const std::optional<int> fullScale =
        scale.size() < 2 ? std::nullopt : IntegerField(scale.value(1), 100);
    if (!fullScale) {
        *badLine = 4;
        return std::nullopt;
    }
    const std::optional<double> timeBaseMs = NumberField(fields[3].value(0));
    if (!timeBaseMs || *timeBaseMs <= 0) {
        *badLine = 6;
        return std::nullopt;
    }
    // CH1's multiplier is 1.0; its column held the full scale.
    scale.replace(1, QStringLiteral("10"));
    if (!ReadSlotFields(fields, 3, kEarlierSlots, itemCount, setup, badLine))
        return std::nullopt;
    setup.fullScale = std::clamp(*fullScale, 100, 500);
    setup.timeBaseSeconds = *timeBaseMs / 1000;
    for (int slot = kEarlierSlots; slot < kMonitorSlots; ++slot) {
        setup.item[slot] = slot < itemCount ? slot : 0;
        setup.multiplier[slot] = 10;
    }
    file.record.active = setup.selected;
    if (!ReadRows(lines, 6, kLastEarlierLine, kEarlierSlots, file.record, badLine))
        return std::nullopt;
    return file;
}

} // namespace

QByteArray MonitorFileBytes(const MonitorRecord& record, const MonitorFileInverter& inverter) {
    const MonitorRecordSetup& s = record.setup;
    const QChar comma = QLatin1Char(',');
    const auto number = [](int n) { return QString::number(n); };
    QStringList lines{QStringLiteral("###"),
                      inverter.typeForm,
                      inverter.capacity,
                      inverter.cpuVer,
                      number(s.alarm),
                      number(s.trip),
                      number(s.stopAtTrip),
                      number(s.fullScale),
                      QString::number(s.timeBaseSeconds, 'g', 6),
                      number(s.trigger.source),
                      number(s.trigger.slope),
                      number(s.trigger.level),
                      number(s.trigger.delay),
                      number(s.trigger.use),
                      number(record.errors),
                      Joined(QStringLiteral("Data1"), Cells(s.item, number), comma),
                      Joined(QStringLiteral("Data2"), Cells(s.multiplier, number), comma),
                      Joined(QStringLiteral("Data3"), Cells(s.offset, number), comma),
                      Joined(QStringLiteral("Data4"), Cells(s.selected, number), comma)};
    for (int x = 0; x < record.SampleCount(); ++x) {
        std::array<QString, kMonitorSlots> cells;
        for (int slot = 0; slot < kMonitorSlots; ++slot)
            cells[slot] =
                QString::number(record.active[slot] ? record.values[slot][x] : 0.0, 'f', 6);
        lines.append(Joined(QString::number(record.elapsedMs[x]), cells, comma));
    }
    return (lines.join(kEol) + kEol).toUtf8();
}

std::optional<MonitorFile> ParseMonitorFile(const QByteArray& bytes, int itemCount, int* badLine) {
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    *badLine = 0;
    std::optional<MonitorFile> file = lines.value(0) == QLatin1String("###")
                                          ? ParseCurrent(lines, itemCount, badLine)
                                          : ParseEarlier(lines, itemCount, badLine);
    if (file)
        file->record.kind = MonitorRecord::Kind::File;
    return file;
}

QByteArray MonitorCsvTable(const MonitorRecord& record, const QString& inverter,
                           const QStringList& itemNames, const MonitorTableTexts& texts,
                           bool decimalComma) {
    const MonitorRecordSetup& s = record.setup;
    const QChar separator = QLatin1Char(decimalComma ? ';' : ',');
    const auto general = [&](double x) {
        QString text = QString::number(x, 'g', 7);
        return decimalComma ? text.replace(QLatin1Char('.'), QLatin1Char(',')) : text;
    };
    std::array<QString, kMonitorSlots> names, multipliers, channels;
    for (int slot = 0; slot < kMonitorSlots; ++slot) {
        const QString name = itemNames.value(slot);
        names[slot] = name.isEmpty() ? QStringLiteral("-") : name;
        multipliers[slot] = general(s.Multiplier(slot));
        channels[slot] = QStringLiteral("(CH%1)").arg(slot + 1);
    }
    QStringList lines{
        inverter,
        Joined(texts.title, names, separator),
        Joined(texts.multiplier, multipliers, separator),
        Joined(texts.offset, Cells(s.offset, [](int o) { return QString::number(o); }), separator),
        Joined(texts.time, channels, separator),
        texts.errors + QString::number(record.errors)};
    for (int x = 0; x < record.SampleCount(); ++x) {
        QStringList cells;
        for (int slot = 0; slot < kMonitorSlots; ++slot)
            cells.append(
                ContinuousCell(record.active[slot] ? record.values[slot][x] : 0.0, separator));
        lines.append(ContinuousRow(record.elapsedMs[x], cells, separator));
    }
    return (lines.join(kEol) + kEol).toUtf8();
}

MonitorTableTexts MonitorTableTextsOf(const Messenger& messenger) {
    const auto text = [&](const char* key, const char* def) {
        return messenger.Texts().LangText(QStringLiteral("PrintMon"), QLatin1String(key),
                                          QLatin1String(def));
    };
    return {text("Label3", "Monitoring"), text("Label4", "Multi."), text("Label5", "Offset"),
            messenger.Text(kMsgTimeLabel), messenger.Text(kMsgErrorCount)};
}

QStringList RecordItemNames(const MonitorRecord& record, const MonitorCatalogue& catalogue) {
    QStringList names;
    for (int slot = 0; slot < kMonitorSlots; ++slot) {
        const int item = record.setup.item[slot];
        names.append(record.active[slot] && item < catalogue.items.size()
                         ? catalogue.items[item].name
                         : QString());
    }
    return names;
}

std::optional<QByteArray> MonitorDataBytes(const QString& path, const MonitorRecord& record,
                                           const MonitorFileInverter& inverter,
                                           const QStringList& itemNames,
                                           const MonitorTableTexts& texts, bool decimalComma) {
    const QString suffix = path.section(QLatin1Char('.'), -1).toLower();
    if (suffix == QLatin1String("mon"))
        return MonitorFileBytes(record, inverter);
    if (suffix == QLatin1String("csv"))
        return MonitorCsvTable(record, inverter.typeForm + inverter.capacity, itemNames, texts,
                               decimalComma);
    return std::nullopt;
}

QStringList MonitorSaveExtensions(bool picturesOnly) {
    static const QStringList pictures{QStringLiteral("bmp"), QStringLiteral("jpg"),
                                      QStringLiteral("wmf"), QStringLiteral("png"),
                                      QStringLiteral("svg")};
    return picturesOnly ? pictures
                        : QStringList{QStringLiteral("mon"), QStringLiteral("csv")} + pictures;
}

int MonitorSaveFilter(const QString& lastName, bool picturesOnly) {
    const qsizetype dot = lastName.lastIndexOf(QLatin1Char('.'));
    const qsizetype entry =
        dot < 0 ? -1 : MonitorSaveExtensions(picturesOnly).indexOf(lastName.mid(dot + 1).toLower());
    return entry < 0 ? 1 : int(entry) + 1;
}

QString MonitorSaveName(const QString& chosen, int filterIndex, bool picturesOnly) {
    const QStringList extensions = MonitorSaveExtensions(picturesOnly);
    const qsizetype dot = chosen.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && extensions.contains(chosen.mid(dot + 1).toLower()))
        return chosen;
    return chosen + QLatin1Char('.') + extensions.value(filterIndex - 1, extensions.first());
}

QString ReadOutText(const MonitorRecord& record, int slot, int index, const QString& itemName,
                    int decimals, bool decimalComma, const ReadOutTexts& texts) {
    const MonitorRecordSetup& s = record.setup;
    const QString sep = QStringLiteral(" : ");
    const double seconds = index * s.timeBaseSeconds * 0.2;
    return QStringLiteral("CH%1").arg(slot + 1) + sep + itemName + QStringLiteral("\n\n") +
           texts.value + sep + DisplayText(record.values[slot][index], decimals, decimalComma) +
           QLatin1Char('\n') + texts.multiplier + sep +
           QString::number(s.Multiplier(slot), 'f', 1) + QLatin1Char('\n') + texts.offset + sep +
           QString::number(s.offset[slot]) + QStringLiteral("\n\n") + texts.passedTime + sep +
           QString::number(seconds, 'f', 1) + QStringLiteral(" (s) ");
}

} // namespace vdk
