#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace vdk {

class Messenger;
class ParaDat;
class ParameterTable;
class UPara;

// One printed line of the parameter table.
struct ReportLine {
    QString title, comNo, name, shipment, value, low, high, unit, notes;
};

// The lines of the parameters the table's view shows, in its order: the
// value always in decimal display units (also where the table shows it in
// hexadecimal), the shipment value resolved through its reference, and
// `changedNote` beside a changed parameter.
QList<ReportLine> ReportLines(const ParameterTable& view, const ParaDat& table, const UPara& values,
                              bool decimalComma, const QString& changedNote);

// What the report says besides its lines: the column headings, the inverter
// (type-form and capacity) and the time it was made.
struct ReportHeading {
    QStringList columns; // Title, Comm. No., Function, Default, Set Val., Low, Up, Unit, Notes
    QString inverter;
    QDateTime made;
};
// The headings are messages 22 to 30 of the run's language.
ReportHeading ReportHeadingOf(const Messenger& messenger, const QString& inverter,
                              const QDateTime& made);

} // namespace vdk
