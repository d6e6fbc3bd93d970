#pragma once

#include "editor/TableEditor.h"
#include "table/ParameterTable.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <map>

class QAction;
class QActionGroup;
class QKeyEvent;
class QMenu;
class QTableView;

namespace vdk {

class LanguageTexts;
class Messenger;
class FindDialog;
class HelpWindow;

// Qt's view of the table's current rows.
class ParameterGridModel final : public QAbstractTableModel {
public:
    explicit ParameterGridModel(ParameterTable& table) : table_(table) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // After the table rebuilt its rows.
    void Refresh();
    // After cells changed in place.
    void CellsChanged();

private:
    ParameterTable& table_;
};

// The parameter table window: renders the table and forwards every command
// to it. Its actions serve its own menu and shortcuts and, put there by the
// main window, the main menu and tool bar.
class ParameterWindow final : public QWidget {
    Q_OBJECT
public:
    enum class Command {
        Undo,
        Redo,
        Copy,
        SelectedImport,
        SelectedExport,
        ChangedOnly,
        Quick,
        Select,
        SelectClear,
        Blind,
        AllParameters,
        Hex,
        Dec,
        Shipment,
        ParameterHelp,
        Find,
        Close
    };

    // Where the window finds its surroundings.
    struct Context {
        QString typeForm, capacity, cpuVer;
        QString paraHelpFile; // the inverter's parameter help
        QString helpFile;     // the application's help
        int quickCount = 0;
        quint32 valueColour = 16777215; // the option colours, settings integers
        quint32 otherColour = 14745599;
        // Opens a dropped parameter file as the Open command does; true when
        // the file was taken over.
        std::function<bool(const QString&)> openFile;
    };

    ParameterWindow(TableEditor& editor, Messenger& messenger, const LanguageTexts& texts,
                    Context context, QWidget* parent = nullptr);

    void Run(Command command);
    QAction* ActionFor(Command command) const { return actions_.at(command); }
    QTableView* Grid() const { return grid_; }
    QMenu* ContextMenu() const { return menu_; }
    FindDialog* Finder() const { return find_; }
    // The table's start state for a new parameter set.
    void ResetTable();
    // Another window of the program became active: the transfers and the
    // parameter help wait until this window is active again, so that a menu
    // used elsewhere never acts on a row the user is not looking at.
    void OtherWindowActivated() { lastActive_ = false; }
    // Files dropped on the window: one parameter file is opened, anything
    // else refused with its message.
    void DropFiles(const QStringList& files);

Q_SIGNALS:
    // The window became the active one (the main window checks the link then).
    void Activated();
    // A command ran: the undo and redo stores may have changed.
    void Edited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenu(const LanguageTexts& texts);
    void ApplyMenuState();
    void Rebuilt();
    void ShowParameterHelp();
    int CurrentRow() const;
    TableEditor::Selection CurrentSelection() const;
    // Shows what the editor changed: cells, menu states, the current row.
    void Sync();
    bool HandleKey(QKeyEvent* event);
    void OpenFind();

    TableEditor& editor_;
    ParameterTable& table_;
    Messenger& messenger_;
    Context context_;
    QString captionPrefix_;
    ParameterGridModel model_;
    QTableView* grid_ = nullptr;
    QMenu* menu_ = nullptr;
    std::map<Command, QAction*> actions_;
    QActionGroup* commands_ = nullptr; // every action; off while the window is closed
    HelpWindow* help_ = nullptr;
    FindDialog* find_ = nullptr;
    bool syncing_ = false;   // the window itself moves the current cell
    bool lastActive_ = true; // no other window was activated since this one
};

} // namespace vdk
