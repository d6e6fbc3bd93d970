#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

class IniFile;

// One monitorable item of the inverter type: a whole parameter value, or one
// bit of it.
struct MonitorItem {
    QString key;     // as in the data file: "FD00", or "FD01-02" for bit 2
    QString comNo;   // characters 1 to 4
    int bit = -1;    // characters 6 and 7 when character 5 is "-"
    QString name;    // the display name
    QString unit;    // the normal unit: the unit key without its first two characters
    QString altUnit; // the alternative unit, "(-)" for none
    bool IsBit() const { return bit >= 0; }
};

// The items, units, alarm names and trip names the type's Info.ini offers, in
// the sections named by the type-form and the language code. Items and unit
// entries correspond by position.
class MonitorCatalogue {
public:
    static MonitorCatalogue Load(const IniFile& info, const QString& typeForm,
                                 const QString& langCode);

    QList<MonitorItem> items;
    QStringList alarmNames;          // by bit, 0 first
    QStringList tripKeys, tripNames; // trip code as decimal text, and its name

    bool Loaded() const { return !items.isEmpty(); }
    std::optional<int> IndexOfKey(const QString& key) const;
    // The alarm text of an alarm word: the names of the set bits, each
    // followed by ","; a set bit without a name adds nothing.
    QString AlarmText(quint32 word) const;
    // The trip text of a trip code above 0: its name, or the code itself when
    // the list does not know it; empty for 0.
    QString TripText(qint64 code) const;
    // The name of a trip code wherever the list has it (0 too, "no trip"),
    // or the code itself when the list does not know it.
    QString TripName(qint64 code) const;

private:
    qsizetype TripIndex(qint64 code) const { return tripKeys.indexOf(QString::number(code)); }
};

} // namespace vdk
