#pragma once

#include <QList>
#include <QString>

namespace vdk {

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

} // namespace vdk
