#include "printing/ReportLines.h"

#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "settings/Messenger.h"
#include "table/ParameterTable.h"

namespace vdk {

QList<ReportLine> ReportLines(const ParameterTable& view, const ParaDat& table, const UPara& values,
                              bool decimalComma, const QString& changedNote) {
    const auto scaled = [&](int row, const QString& raw) {
        bool ok = false;
        const double x = raw.trimmed().toDouble(&ok);
        return ok ? ScaledText(table, row, x, decimalComma) : QString();
    };
    QList<ReportLine> lines;
    for (const ParameterTable::Row& shown : view.Rows()) {
        const int row = shown.param;
        const QString& comNo = table.At(row, ComNo);
        lines.append(
            {table.At(row, FTitle).toLower(), comNo, table.At(row, FName),
             scaled(row, table.ResolveDefault(comNo).value_or(QString())),
             scaled(row, values.At(row, UPara::Value)), scaled(row, values.At(row, UPara::LValue)),
             scaled(row, values.At(row, UPara::HValue)), table.At(row, Unit),
             values.At(row, UPara::ChangeIndex) == QLatin1String("1") ? changedNote
                                                                      : QStringLiteral("      ")});
    }
    return lines;
}

ReportHeading ReportHeadingOf(const Messenger& messenger, const QString& inverter,
                              const QDateTime& made) {
    QStringList columns;
    for (int n = 22; n <= 30; ++n)
        columns.append(messenger.Text(n));
    return {columns, inverter, made};
}

} // namespace vdk
