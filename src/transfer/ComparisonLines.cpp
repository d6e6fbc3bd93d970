#include "transfer/ComparisonLines.h"

#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "transfer/ExportReview.h"
#include "transfer/TransferRun.h"

namespace vdk {

namespace {

QString Right(const QString& text) {
    return text.rightJustified(10);
}

QString Shown(const ParaDat& table, int row, const QString& raw, bool decimalComma) {
    bool number = false;
    const double value = raw.toDouble(&number);
    return number ? ScaledText(table, row, value, decimalComma) : raw;
}

} // namespace

QString ReportTitle(const ParaDat& table, int row) {
    const QString& title = table.At(row, FTitle);
    return title.isEmpty() ? table.At(row, ComNo) : title;
}

QString ReportName(const ParaDat& table, int row, const QString& maintenanceText,
                   bool maintenanceNames) {
    const QString& title = table.At(row, FTitle);
    const bool maintenance = title.isEmpty() || title.startsWith(QLatin1String("Fb"));
    return maintenance && !maintenanceNames ? maintenanceText : table.At(row, FName);
}

bool IsLiveStatus(const ParaDat& table, int row) {
    return table.WriteProtected(row);
}

QString ComparisonHeading(const QString& left, const QString& right, const QString& title) {
    return QString(6, QLatin1Char(' ')) + Right(left) + QStringLiteral("  ") + Right(right) +
           QStringLiteral("  ") + title;
}

QString DifferenceLine(const ParaDat& table, int row, const QString& left, const QString& right,
                       const QString& name, bool decimalComma) {
    QString title = ReportTitle(table, row);
    if (title.size() == 2 || title.size() == 3)
        title = title.rightJustified(4);
    return title + QStringLiteral(": ") + Right(Shown(table, row, left, decimalComma)) +
           QStringLiteral(" ,") + Right(Shown(table, row, right, decimalComma)) +
           QStringLiteral("  (") + name + QLatin1Char(')');
}

QStringList ReviewLines(const ExportReview& review, const ParaDat& table, const UPara& values,
                        const ReportTexts& texts, bool decimalComma, bool maintenanceNames) {
    QStringList lines{texts.differences,
                      ComparisonHeading(texts.inverter, texts.table, texts.title)};
    QStringList unread;
    for (const ExportReview::Row& r : review.Rows()) {
        const QString name = ReportName(table, r.row, texts.maintenance, maintenanceNames);
        if (r.state == ExportReview::Row::State::Different)
            lines.append(DifferenceLine(table, r.row, r.inverter, values.At(r.row, UPara::Value),
                                        name, decimalComma));
        else if (r.state == ExportReview::Row::State::Unreadable)
            unread.append(ReportTitle(table, r.row) + QStringLiteral(": ") + name);
    }
    lines << QString() << texts.errors;
    lines += unread.isEmpty() ? QStringList{texts.noItem} : unread;
    // What could not be read is not known to be equal: said first.
    if (!unread.isEmpty())
        lines.prepend(texts.notCompared.arg(unread.size()));
    return lines;
}

} // namespace vdk
