#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace vdk {

// Columns of the definition table; every cell is text exactly as read.
enum ParaCol {
    ComNo,
    DIndex,
    Default,
    FName,
    FTitle,
    Unit,
    Byte,
    Sign,
    HIndex,
    High,
    LIndex,
    Low,
    TMul,
    Mul,
    Memory,
    Flag,
    Quick,
    No,
    ParaColCount
};

using ParaRow = std::array<QString, ParaColCount>;

// The definition row of one line of a definition file. Fields ended by a comma
// go to their columns; the last field goes to `Flag` on a line of up to 16
// fields (and `Quick` is "0"), else to `Quick`. Fields past the 17th are
// ignored, and empty `TMul`, `Mul` and `Memory` take "#", "1" and "-".
ParaRow DefinitionRow(QStringView line, int index);

// The parameter definition table. Parameter i (from 0) is table row i + 1;
// row 0 holds the column keys.
class ParaDat {
public:
    static constexpr int kMaxParameters = 2000;

    ParaDat();

    // The table of a definition file's lines: one parameter per line, ending
    // at the first line shorter than 7 characters and after 2000 parameters.
    void Load(const QStringList& lines, const QString& disp);

    // Parameters and the counters kept with them.
    void Clear();
    void Append(ParaRow row);
    // Call after the rows are in: builds ComNoIndex and the lookup, and sets
    // NormalLastRow by the `disp` prefix rule.
    void Finish(const QString& disp);

    int Count() const { return int(rows_.size()); }
    int LastRow() const { return Count() - 1; }
    int NormalLastRow() const { return normalLastRow_; }
    int ShownLastRow(bool maintenance) const { return maintenance ? LastRow() : normalLastRow_; }
    const QString& Disp() const { return disp_; }
    const QString& ComNoIndex() const { return comNoIndex_; }

    const QString& At(int row, ParaCol col) const { return rows_[row][col]; }
    QString& At(int row, ParaCol col) { return rows_[row][col]; }
    const ParaRow& Row(int row) const { return rows_[row]; }

    // The transfer flag: "1" marks a parameter that is never written, "2" one
    // whose last transfer failed, "0" one that went through. A transfer's
    // outcome never lifts the protection.
    enum class Transfer { Passed, Failed };
    bool WriteProtected(int row) const { return rows_[row][Flag] == QLatin1String("1"); }
    void SetTransferFlag(int row, Transfer outcome) {
        if (!WriteProtected(row))
            rows_[row][Flag] =
                outcome == Transfer::Failed ? QStringLiteral("2") : QStringLiteral("0");
    }
    static const ParaRow& Keys();

    // Row of a communication number, or -1. Only a whole four-character entry
    // matches (letter case does not matter); the first of two equal entries wins.
    int FindRow(QStringView comNo) const;

    // The value a reference resolves to: `Default` when `DIndex` is "0", else
    // the resolved default of the number `Default` names when `DIndex` is "1".
    // Empty on any other `DIndex`, a number that is not in the table, or a
    // chain that loops.
    std::optional<QString> ResolveDefault(QStringView comNo) const;

    QStringList CapList;
    QStringList CapRefList;

private:
    QList<ParaRow> rows_;
    std::vector<int> index_; // row of each 16-bit number, -1 when absent
    QString comNoIndex_;
    QString disp_ = QStringLiteral("0*");
    int normalLastRow_ = -1;
};

// True when the number begins with "0", or with the two-character `disp`
// prefix when that is not "0*".
bool IsNormalComNo(QStringView comNo, const QString& disp);

} // namespace vdk
