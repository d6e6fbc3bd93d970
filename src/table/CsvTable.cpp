#include "table/CsvTable.h"

#include "settings/FileWriter.h"
#include "settings/TextCodec.h"

namespace vdk {

QString CsvLine(const QStringList& cells, QChar separator) {
    QStringList out;
    for (const QString& cell : cells) {
        const bool quote = cell.contains(separator) || cell.contains(QLatin1Char('"')) ||
                           cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'));
        if (quote)
            out.append(QLatin1Char('"') +
                       QString(cell).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
                       QLatin1Char('"'));
        else
            out.append(cell);
    }
    return out.join(separator);
}

bool WriteCsvTable(const QString& path, const ParameterTable& table, bool decimalComma,
                   QString* error) {
    const QChar separator = decimalComma ? QLatin1Char(';') : QLatin1Char(',');
    QStringList lines{CsvLine(table.Header(), separator)};
    for (const ParameterTable::Row& row : table.Rows())
        lines.append(CsvLine(QStringList(row.cells.begin(), row.cells.end()), separator));
    return WriteFileAtomically(path, EncodeLines(lines), error);
}

} // namespace vdk
