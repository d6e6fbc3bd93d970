#include "data/ParaDat.h"

#include "data/FieldSplitter.h"

namespace vdk {

namespace {

constexpr int kLastFieldAsFlag = 16; // a line of up to this many fields ends with `Flag`

bool IsHexComNo(QStringView s) {
    if (s.size() != 4)
        return false;
    for (QChar c : s)
        if (!c.isDigit() && !(c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F')))
            return false;
    return true;
}

} // namespace

ParaRow DefinitionRow(QStringView line, int index) {
    const QStringList fields = SplitFields(line);
    ParaRow row;
    const int count = int(fields.size());
    const int ended = std::min(count - 1, int(Quick) + 1); // fields followed by a comma
    for (int i = 0; i < ended; ++i)
        row[i] = fields[i];
    if (count <= kLastFieldAsFlag) {
        row[Flag] = fields.last();
        row[Quick] = QStringLiteral("0");
    } else if (count == int(Quick) + 1) {
        row[Quick] = fields.last();
    }
    if (row[TMul].isEmpty())
        row[TMul] = QStringLiteral("#");
    if (row[Mul].isEmpty())
        row[Mul] = QStringLiteral("1");
    if (row[Memory].isEmpty())
        row[Memory] = QStringLiteral("-");
    row[No] = QString::number(index);
    return row;
}

ParaDat::ParaDat() = default;

const ParaRow& ParaDat::Keys() {
    static const ParaRow keys{
        QStringLiteral("ComNo"), QStringLiteral("DIndex"), QStringLiteral("Default"),
        QStringLiteral("FName"), QStringLiteral("FTitle"), QStringLiteral("Unit"),
        QStringLiteral("Byte"),  QStringLiteral("Sign"),   QStringLiteral("HIndex"),
        QStringLiteral("High"),  QStringLiteral("LIndex"), QStringLiteral("Low"),
        QStringLiteral("TMul"),  QStringLiteral("Mul"),    QStringLiteral("Memory"),
        QStringLiteral("Flag"),  QStringLiteral("Quick"),  QStringLiteral("No")};
    return keys;
}

void ParaDat::Clear() {
    rows_.clear();
    index_.clear();
    comNoIndex_.clear();
    CapList.clear();
    CapRefList.clear();
    normalLastRow_ = -1;
}

void ParaDat::Append(const ParaRow& row) { rows_.append(row); }

bool IsNormalComNo(QStringView comNo, const QString& disp) {
    if (comNo.startsWith(QLatin1Char('0')))
        return true;
    return disp != QLatin1String("0*") && disp.size() == 2 && comNo.startsWith(disp);
}

void ParaDat::Finish(const QString& disp) {
    disp_ = disp;
    index_.clear();
    index_.reserve(rows_.size());
    comNoIndex_.clear();
    comNoIndex_.reserve(rows_.size() * 5);
    normalLastRow_ = -1;
    for (int i = 0; i < Count(); ++i) {
        const QString& number = rows_[i][ComNo];
        comNoIndex_ += number;
        comNoIndex_ += QLatin1Char(',');
        // The first of two equal numbers is the one every lookup finds.
        if (IsHexComNo(number) && !index_.contains(number.toUpper()))
            index_.insert(number.toUpper(), i);
        if (IsNormalComNo(number, disp))
            normalLastRow_ = i;
    }
}

int ParaDat::FindRow(QStringView comNo) const {
    if (!IsHexComNo(comNo))
        return -1;
    return index_.value(comNo.toString().toUpper(), -1);
}

std::optional<QString> ParaDat::ResolveDefault(QStringView comNo) const {
    int row = FindRow(comNo);
    // Each step moves to another row, so a chain longer than the table loops.
    for (int steps = 0; row >= 0 && steps <= Count(); ++steps) {
        const QString& dIndex = rows_[row][DIndex];
        if (dIndex == QLatin1String("0"))
            return rows_[row][Default];
        if (dIndex != QLatin1String("1"))
            return std::nullopt;
        row = FindRow(rows_[row][Default]);
    }
    return std::nullopt;
}

} // namespace vdk
