#include "data/ParaDat.h"

#include "data/FieldSplitter.h"

namespace vdk {

namespace {

constexpr int kLastFieldAsFlag = 16; // a line of up to this many fields ends with `Flag`
constexpr int kShortestRow = 7;      // a shorter line ends the table

// The 16-bit value of a four-character hexadecimal number, or -1.
int ComNoValue(QStringView s) {
    if (s.size() != 4)
        return -1;
    int value = 0;
    for (QChar c : s) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

ParaRow DefinitionRow(QStringView line, int index) {
    ParaRow row;
    int count = 0;
    ForEachField(line, [&](QStringView field) {
        if (count <= int(Quick))
            row[count] = field.toString();
        ++count;
    });
    // On a line of up to 16 fields the last one, not ended by a comma, is `Flag`.
    if (count <= kLastFieldAsFlag) {
        if (count - 1 != int(Flag)) {
            row[Flag] = std::move(row[count - 1]);
            row[count - 1] = QString();
        }
        row[Quick] = QStringLiteral("0");
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

void ParaDat::Append(ParaRow row) {
    rows_.append(std::move(row));
}

void ParaDat::Load(const QStringList& lines, const QString& disp) {
    Clear();
    const int count = int(std::min<qsizetype>(lines.size(), kMaxParameters));
    for (int i = 0; i < count && lines[i].size() >= kShortestRow; ++i)
        Append(DefinitionRow(lines[i], i));
    Finish(disp);
}

bool IsNormalComNo(QStringView comNo, const QString& disp) {
    if (comNo.startsWith(QLatin1Char('0')))
        return true;
    return disp != QLatin1String("0*") && disp.size() == 2 && comNo.startsWith(disp);
}

void ParaDat::Finish(const QString& disp) {
    disp_ = disp;
    index_.assign(0x10000, -1);
    comNoIndex_.clear();
    comNoIndex_.reserve(rows_.size() * 5);
    normalLastRow_ = -1;
    for (int i = 0; i < Count(); ++i) {
        const QString& number = rows_[i][ComNo];
        comNoIndex_ += number;
        comNoIndex_ += QLatin1Char(',');
        // The first of two equal numbers is the one every lookup finds.
        const int value = ComNoValue(number);
        if (value >= 0 && index_[value] < 0)
            index_[value] = i;
        if (IsNormalComNo(number, disp))
            normalLastRow_ = i;
    }
}

int ParaDat::FindRow(QStringView comNo) const {
    const int value = ComNoValue(comNo);
    return value < 0 || index_.empty() ? -1 : index_[value];
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
