#pragma once

#include <QString>
#include <QStringList>

namespace vdk {

// Splits one line of a definition or capacity file into its fields: commas
// separate fields; a double quote switches quoting on and off, and inside
// quotes commas and spaces belong to the field; outside quotes white space is
// dropped; a pair of double quotes gives one apostrophe and leaves the quoting
// as it was. A line always has at least one field.
QStringList SplitFields(QStringView line);

} // namespace vdk
