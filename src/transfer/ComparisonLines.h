#pragma once

#include <QString>
#include <QStringList>

namespace vdk {

class ExportReview;
class ParaDat;
class UPara;
struct ReportTexts;

// The lines a comparison report is made of, shared by the comparison with the
// inverter and the comparison of files, so both read the same.

// The title a report names parameter `row` by: its title, or its
// communication number when it has none.
QString ReportTitle(const ParaDat& table, int row);

// A maintenance parameter (no title, or one beginning "Fb") is named only in
// maintenance mode; otherwise it is `maintenanceText`.
QString ReportName(const ParaDat& table, int row, const QString& maintenanceText,
                   bool maintenanceNames);

// A read-only status value (display data, trip codes, the access value): no
// export writes it and it changes by itself, so comparisons count it apart.
bool IsLiveStatus(const ParaDat& table, int row);

// Six spaces, both side names right-aligned in ten characters, and the title
// column's name.
QString ComparisonHeading(const QString& left, const QString& right, const QString& title);

// The title (two or three characters padded to four), ": ", both raw values in
// display units right-aligned in ten characters, and the name in brackets. A
// value that is no number (a side that does not hold the parameter) stands as
// it is.
QString DifferenceLine(const ParaDat& table, int row, const QString& left, const QString& right,
                       const QString& name, bool decimalComma);

// What a review found, in the comparison layout: how many parameters could not
// be compared (when any), the differences (the inverter's value, then the one
// `values` would write), then the parameters that could not be read under the
// error heading.
QStringList ReviewLines(const ExportReview& review, const ParaDat& table, const UPara& values,
                        const ReportTexts& texts, bool decimalComma, bool maintenanceNames);

} // namespace vdk
