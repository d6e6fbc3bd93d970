#pragma once

#include "table/ParameterTable.h"

#include <QString>

namespace vdk {

// One line of the CSV table. A cell that holds the separator, a double quote
// or a line break is quoted with its quotes doubled, so it cannot shift the
// columns after it; every other cell is written as shown.
QString CsvLine(const QStringList& cells, QChar separator);

// Writes the table as shown, title row first: "," between cells, or ";" in a
// language with the decimal comma. On failure `error` holds the system's text.
bool WriteCsvTable(const QString& path, const ParameterTable& table, bool decimalComma,
                   QString* error);

} // namespace vdk
