#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace vdk {

class Messenger;
class ParaDat;
class UPara;

// How a cell of the table is painted; the window turns these into colours.
struct CellStyle {
    enum Background { Fixed, Other, Value, Selected }; // Other/Value: the option colours
    enum Text { Normal, Red, Silver, White };
    enum Align { Left, Center, Right };
    Background background = Fixed;
    Text text = Normal;
    bool bold = false;
    bool outsideLimits = false; // a value the parameter's limits do not allow
    Align align = Center;
};

// The parameter table as a view over the definition and value tables: the rows
// of the current display mode, their eight texts, the menu states and the
// paint state of each cell. It keeps no values of its own; every build reads
// the tables.
class ParameterTable {
public:
    enum Column {
        Title,
        ComNoCol,
        Function,
        ValueCol,
        LowCol,
        HighCol,
        UnitCol,
        Changed,
        ColumnCount
    };
    enum class Mode { All, Changed, Quick, Blind };
    using Cells = std::array<QString, ColumnCount>;
    struct Row {
        int param = 0; // row of the definition and value tables
        Cells cells;
    };
    // Enable and check states of the table's commands.
    struct Menu {
        bool changedChecked = false, changedEnabled = true;
        bool quickChecked = false, quickEnabled = true;
        bool blindChecked = false, blindEnabled = true;
        bool allEnabled = false;
        bool selectEnabled = true, selectClearEnabled = true;
        bool findEnabled = true;
    };

    ParameterTable(const ParaDat& table, UPara& values, Messenger& messenger);

    // Settings that come from elsewhere.
    bool decimalComma = false;
    bool maintenance = false; // the maintenance rows are shown

    void ResetTable();
    void BuildTable();
    void ResolveLinkedLimits();
    void BuildFindText();

    // The display modes; false (with the message shown) when a mode cannot be
    // entered.
    bool ToggleChanged();
    void ToggleQuick();
    bool Blind();
    void AllParameters();
    // Toggles the select mark of data rows top..bottom when columns left..right
    // take in the value column.
    void Select(int top, int bottom, int left, int right);
    void SelectClear();
    // One-time marks for the commands that act on the selection.
    void MarkCurrentSelection(int top, int bottom, int current);

    QString ValueOf(QStringView comNo) const;
    // The data row that shows parameter `param`, searching from the last
    // answer on; `param` itself when no row shows it.
    int GridRowOf(int param);
    void RestartGridSearch() { gridSearchStart_ = 0; }

    QStringList Header() const;
    const QList<Row>& Rows() const { return rows_; }
    // A cell's text until the next build, as value entry shows it.
    void SetCell(int row, Column column, QString text) {
        rows_[row].cells[column] = std::move(text);
    }
    const QStringList& FindText() const { return findText_; }
    const Menu& MenuState() const { return menu_; }
    Mode CurrentMode() const;
    int LastShown() const; // ShownLastRow
    CellStyle StyleOf(int row, int column) const;
    // "Parameter Table QM40-2004 (CPU Ver.2.10)" from its parts.
    static QString Caption(const QString& prefix, const QString& typeForm, const QString& capacity,
                           const QString& cpuVer);

    // Column widths for a client width: the fixed ratios, truncated.
    static QList<int> ColumnWidths(int clientWidth);

private:
    bool Passes(int param) const;
    void FillLimits(Row& row);

    const ParaDat& table_;
    UPara& values_;
    Messenger& messenger_;
    QList<Row> rows_;
    QStringList findText_;
    Menu menu_;
    int gridSearchStart_ = 0;
};

// What a drop of files onto the table does: open the one parameter file, or
// refuse with message 80 (more than one) or 68 (not .vdk or .dat).
struct DropCheck {
    int message = 0; // 0: open `file`
    QString file;
};
DropCheck CheckDrop(const QStringList& files);

} // namespace vdk
