#include "transfer/FileComparison.h"

#include "data/Numbers.h"
#include "data/ParaDat.h"
#include "data/ParameterFile.h"
#include "data/UPara.h"
#include "transfer/ComparisonLines.h"
#include "transfer/TransferRun.h"

namespace vdk {

namespace {

ComparedSide Named(const ParaDat& table, QString label, QString name) {
    ComparedSide side;
    side.label = std::move(label);
    side.name = std::move(name);
    side.values.resize(table.Count());
    return side;
}

bool SameValue(const QString& a, const QString& b) {
    const auto x = ParseWholeNumber(a);
    const auto y = ParseWholeNumber(b);
    return x && y ? *x == *y : a == b;
}

} // namespace

ComparedSide ComparedSide::OfTable(const ParaDat& table, const UPara& values, QString label,
                                   QString name) {
    ComparedSide side = Named(table, std::move(label), std::move(name));
    for (int row = 0; row < table.Count() && row < values.Count(); ++row)
        if (!values.Unread(row))
            side.values[row] = values.At(row, UPara::Value);
    return side;
}

ComparedSide ComparedSide::OfFile(const ParaDat& table, const ParameterFile& file, QString label,
                                  QString name) {
    ComparedSide side = Named(table, std::move(label), std::move(name));
    for (const ParameterLine& line : file.lines) {
        const int row = table.FindRow(line.comNo);
        if (row < 0)
            side.unknown.append({line.comNo, line.value});
        else if (!line.unread)
            side.values[row] = line.value;
    }
    return side;
}

ComparedSide ComparedSide::OfDefaults(const ParaDat& table, QString label, QString name) {
    ComparedSide side = Named(table, std::move(label), std::move(name));
    for (int row = 0; row < table.Count(); ++row)
        side.values[row] = table.ResolveDefault(table.At(row, ComNo));
    return side;
}

ComparedFile ReadComparedFile(const QString& path, const ParaDat& table, const QString& typeForm,
                              const QByteArray& fallbackEncoding, QString label, QString name) {
    ComparedFile read;
    read.problem = LoadParameterFile(path, fallbackEncoding, read.file);
    if (read.problem == FileProblem::None && read.file.TypeForm == typeForm)
        read.side = ComparedSide::OfFile(table, read.file, std::move(label), std::move(name));
    return read;
}

FileComparison CompareSides(const ParaDat& table, const ComparedSide& left,
                            const ComparedSide& right, const ReportTexts& texts, bool decimalComma,
                            bool maintenance) {
    FileComparison result;
    QStringList different, oneSided;
    const QString dash = QStringLiteral("-");
    for (int row = 0; row <= std::min(table.ShownLastRow(maintenance), table.LastRow()); ++row) {
        const auto& a = left.values.value(row);
        const auto& b = right.values.value(row);
        if (!a && !b)
            continue;
        if (a && b && SameValue(*a, *b)) {
            ++result.equal;
            continue;
        }
        if (IsLiveStatus(table, row)) {
            ++result.readOnly;
            continue;
        }
        const QString line =
            DifferenceLine(table, row, a.value_or(dash), b.value_or(dash),
                           ReportName(table, row, texts.maintenance, maintenance), decimalComma);
        (a && b ? different : oneSided).append(line);
    }
    const auto unknown = [&](const ComparedSide& side, bool isLeft) {
        for (const auto& [comNo, value] : side.unknown)
            oneSided.append(comNo + QStringLiteral(": ") +
                            (isLeft ? value : dash).rightJustified(10) + QStringLiteral(" ,") +
                            (isLeft ? dash : value).rightJustified(10) + QStringLiteral("  (") +
                            texts.unknownNumber + QLatin1Char(')'));
    };
    unknown(left, true);
    unknown(right, false);
    result.different = int(different.size());
    result.oneSided = int(oneSided.size());

    const QString heading = ComparisonHeading(left.label, right.label, texts.title);
    const auto section = [&](const QString& title, const QStringList& lines) {
        result.lines << title << heading;
        result.lines += lines.isEmpty() ? QStringList{texts.noItem} : lines;
    };
    result.lines << texts.comparedSides.arg(left.name, right.name) << QString();
    section(texts.differences, different);
    if (result.readOnly > 0)
        result.lines << texts.readOnly.arg(result.readOnly);
    result.lines << QString();
    section(texts.oneSide, oneSided);
    return result;
}

} // namespace vdk
