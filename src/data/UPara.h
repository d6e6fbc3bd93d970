#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace vdk {

class Messenger;
class ParaDat;

// The value table: the current parameter set and its marks. Parameter i (from
// 0) is table row i + 1, as in the definition table; marks are "0" and "1".
class UPara {
public:
    enum Col {
        Value,
        HValue,
        LValue,
        ChangeIndex,
        WriteIndex,
        HexIndex,
        BlindIndex,
        SelectIndex,
        OneSelectIndex,
        CommErrIndex,
        No,
        ColCount
    };
    using Row = std::array<QString, ColCount>;

    static const Row& Keys();

    // Empty rows for `count` parameters, each with its `No`.
    void Resize(int count);
    int Count() const { return int(rows_.size()); }
    const QString& At(int row, Col col) const { return rows_[row][col]; }
    QString& At(int row, Col col) { return rows_[row][col]; }
    // Number of rows whose `col` mark is "1".
    int CountMarked(Col col) const;
    // Rows whose value stands in for a read that failed (unread, and marked
    // as a failed transfer), as a whole-set import leaves them.
    int CountFailedReads() const;
    // A mark column (ChangeIndex to CommErrIndex) as a flag: set when it holds
    // "1". The cells stay text, as the file and the buffer window show them.
    bool Marked(int row, Col col) const { return rows_[row][col] == QLatin1String("1"); }
    void SetMark(int row, Col col, bool on) {
        rows_[row][col] = on ? QStringLiteral("1") : QStringLiteral("0");
    }

    // A row whose value stands in for one never read: a whole-set import
    // failed on it or did not reach it. An export never writes it; a value
    // typed, read or taken from a file makes the row real again. Parameter
    // files record the mark, so a backup says what it does not hold.
    bool Unread(int row) const { return unread_.value(row, false); }
    void SetUnread(int row, bool unread) {
        if (row >= 0 && row < unread_.size())
            unread_[row] = unread;
    }

    // Values held with the table.
    bool BlindMode = false;
    int BlindCount = 0;
    QString Comment; // empty when the set has none
    // The comment as read from a file, and the bytes it was read from: a save
    // writes those bytes while Comment is still that text.
    struct RawComment {
        QString text;
        QByteArray bytes;
    } CommentRead;
    QString LoadDir;
    QString LoadName;
    QString SaveDir;
    QString SaveName;

private:
    QList<Row> rows_;
    QList<bool> unread_;
};

// The value a parameter starts with: its `Default`, or the resolved default of
// the number `Default` names when `DIndex` is not 0. Empty when `DIndex` is not
// an integer.
std::optional<QString> InitialValue(const ParaDat& table, int row, Messenger& messenger);

// Fills the value table from the definitions: values, resolved limits, marks.
// False on a `DIndex` that is not an integer (message 68 is shown; the caller
// reopens the start-up selection).
bool InitValues(const ParaDat& table, UPara& values, Messenger& messenger);

// Sets `ChangeIndex` of the row to "1" when `value` differs, as a number, from
// the parameter's resolved default, else "0"; returns the mark.
int MarkChanged(const ParaDat& table, UPara& values, int row, const QString& value,
                Messenger& messenger);

} // namespace vdk
