#pragma once

#include "data/ParameterValue.h"
#include "table/ParameterTable.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace vdk {

class Messenger;
class ParameterLink;
class ParaDat;
class UPara;
struct ProgramFlags;

// The parameter table as an editor: typed entry in the value column, the
// commands that convert, reset and transfer the marked rows, the undo and redo
// stores, copy and find. Rows are the table's data rows from 0; the window
// forwards keys and commands and shows the cells and `currentRow`.
class TableEditor {
public:
    struct Options {
        bool moveOnEnter = true; // "Move to Cell on Enter Key"
        bool eepromWrite = true; // "Export to EEPROM": W, else P
        int undoMax = 10;
    };
    // The grid selection, in data rows and columns.
    struct Selection {
        int top = 0, bottom = -1, left = 0, right = -1;
    };
    // How the window should bring `currentRow` into view after a command:
    // scroll just enough, make it the top row, or make it the top row only
    // when it is out of view.
    enum class Scroll { None, Visible, Top, TopWhenHidden };
    // One parameter's value before an edit. A command that changes several
    // values (Shipment, a selected import) is one step: its entries share
    // `step`, and Undo and Redo take them together.
    struct UndoEntry {
        QString comNo;
        QString value; // the value before the edit
        int step = 0;
    };

    TableEditor(ParameterTable& grid, ParaDat& table, UPara& values, Messenger& messenger,
                const ProgramFlags& flags);

    // The link of the selected transfers, or none; set before they run.
    void SetLink(ParameterLink* link) { link_ = link; }
    ParameterTable& Grid() { return grid_; }
    const ParameterTable& Grid() const { return grid_; }
    // Where the editor reads its options each time it needs them (the
    // defaults without a source).
    void ReadOptionsFrom(std::function<Options()> source) { optionsSource_ = std::move(source); }
    int currentRow = 0;

    // Typing. Type returns false for a character the entry does not take.
    bool Type(QChar c);
    void Backspace();
    // Escape, an arrow key, a click or a menu: the cell shows its text again.
    void EndEntry();
    void Enter();
    bool EditActive() const { return editActive_; }
    int TypedCount() const { return int(editBuffer_.size()); }

    // Commands over the marked rows and the selection.
    void Hex(const Selection& s);
    void Dec(const Selection& s);
    void Shipment(const Selection& s);
    void SelectedImport(const Selection& s);
    void SelectedExport(const Selection& s);

    void Undo();
    void Redo();
    bool CanUndo() const { return !undo_.isEmpty(); }
    bool CanRedo() const { return !redo_.isEmpty(); }
    const QList<UndoEntry>& UndoStore() const { return undo_; }
    const QList<UndoEntry>& RedoStore() const { return redo_; }

    // The selection as tab-separated lines, each ending with CR LF.
    QString CopySelection(const Selection& s) const;

    // Find: OpenFind gives the text to offer (the selection's top-left cell)
    // and restarts at the top; FindNext moves `currentRow` to the next match
    // and returns false (message 46 shown) when there is none.
    QString OpenFind(const Selection& s);
    bool FindNext(const QString& what, bool matchCase, bool wholeWord);

    // A new parameter set: the table's reset, both stores emptied.
    void ResetTable();
    // Where the view should go after the last command; reading clears it.
    Scroll TakeScroll();

private:
    // The data row that shows parameter `param`, or -1 when the view hides it.
    int RowOf(int param) const;
    int ParamOf(int row) const;
    QString Shown(int param, double raw) const;
    void SetCell(int row, ParameterTable::Column column, const QString& text);
    void SetChangedMark(int param, int row);
    void Reject(int message);
    std::optional<Entry> ReadEntry();
    void ShowClamped(int param, double limit);
    // Shows why an entry is not taken (false), or that a limit could not be read.
    bool Accept(const Entry& entry);
    void FinishEntry(int param);
    void ClearCurrentMark();
    // Records a value before an edit, as part of `step` (one NewStep for
    // each command). The depth counts steps.
    int NewStep() { return nextStep_++; }
    void PushUndo(const QString& comNo, const QString& old, int step);
    void Restore(QList<UndoEntry>& from, QList<UndoEntry>& to);
    // The walk of the marked rows shared by the commands.
    template <typename F> void ForMarked(const Selection& s, F&& f);
    Options CurrentOptions() const { return optionsSource_ ? optionsSource_() : Options{}; }
    // The link answers; message 4 when it does not.
    bool LinkReady();
    void TypedExport();
    void MarkedExport(const Selection& s);

    ParameterTable& grid_;
    ParaDat& table_;
    UPara& values_;
    Messenger& messenger_;
    const ProgramFlags& flags_;
    ParameterLink* link_ = nullptr;
    std::function<Options()> optionsSource_;

    QString editBuffer_;
    bool editActive_ = false;
    QString savedCellText_;

    QList<UndoEntry> undo_, redo_;
    int nextStep_ = 0;
    int findPosition_ = 0;
    Scroll scroll_ = Scroll::None;
};

} // namespace vdk
