#pragma once

#include "app/StatusLine.h"
#include "editor/TableEditor.h"
#include "printing/PageSetup.h"
#include "transfer/TransferRun.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <map>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QTimer;
class QToolButton;

namespace vdk {

class AppPaths;
class AppSession;
class Clock;
class CommLink;
class HelpWindow;
class IniFile;
class ParameterTable;
class ParameterWindow;
class ResultReport;
class LineLogWindow;
class SelectedTransfer;
struct EnvironmentOptions;
struct ProgramFlags;

// The main window: menus and tool bar at the top of the screen. It renders the
// session's title and state and forwards every command to the part that does
// the work.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    enum class Command {
        New,
        Open,
        Save,
        SaveAs,
        RestoreSnapshot,
        PageSetup,
        Print,
        Rs232c,
        Exit,
        ParameterTable,
        Import,
        Export,
        Comparison,
        CompareWithFile,
        CompareWithDefaults,
        KeyPad,
        InverterInfo,
        Monitor,
        Options,
        Maintenance,
        LineLog,
        Contents,
        About,
        CommunicationCheck
    };

    struct Parts {
        AppSession& session;
        AppPaths& paths;
        IniFile& settings;
        CommLink& link;
        Clock& clock;
        ProgramFlags& flags;
        const EnvironmentOptions& options;
        // Shows the start-up selection for New; false when it was abandoned.
        std::function<bool()> newSelection;
        // Shows the RS-232C setup dialog.
        std::function<void()> rs232c;
        // Shows the about box.
        std::function<void()> about;
        // Shows the maintenance password dialog; true when a login was accepted.
        std::function<bool()> maintenance;
        // Shows the environment options.
        std::function<void()> optionsDialog;
        // Shows the table's undo and redo stores (number, earlier value).
        std::function<void(const QList<std::pair<QString, QString>>&,
                           const QList<std::pair<QString, QString>>&)>
            showStores;
        // Opens the key pad (modal) on the link.
        std::function<void()> keyPad;
        // Shows the monitoring window.
        std::function<void()> monitor;
    };

    explicit MainWindow(Parts parts, QWidget* parent = nullptr);
    ~MainWindow() override;

    void Run(Command command);
    // The monitoring window has items for the selected inverter type.
    void SetMonitorAvailable(bool on);
    QAction* ActionFor(Command command) const { return actions_.at(command); }
    ParameterWindow* Table() const { return tableWindow_; }
    // The communication lamp of the tool bar.
    QAction* Indicator() const { return indicator_; }
    // Another window of the program became active: the table's commands of
    // the main menu wait until the table is active again.
    void OtherWindowActivated();
    // Rebuilds the table window for the session's current inverter.
    void Reload();
    // Puts the table window right under this window's frame; again once the
    // window manager has framed this window, so it never covers the tool bar.
    void PlaceTable();

    // The inverter information in the result report; `tripData` after a run
    // that stopped at a trip adds every monitor item under the trip title.
    void InverterInformation(bool tripData = false);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void BuildCommands();
    void PageSetupCommand();
    void PreviewAndPrint();
    // Fills the menus and the tool bar: this window's actions and the table
    // window's, which change with each table window.
    void LayOutCommands();
    static void MarkMnemonics(const QList<QAction*>& actions);
    void EnableLinkCommands(bool on);
    void UpdateTitle();
    void UpdateIndicator();
    // The status bar: line, inverter, link, view, counts of unsaved work.
    void UpdateStatus();
    // The link check with the wait cursor; whether the inverter answered.
    bool CommunicationCheck();
    void ShowHelp(const QString& file);
    bool SaveAsDialog();
    // Opens a parameter file into the table, once unsaved edits were asked about.
    bool OpenFile(const QString& path);
    // The Files menu's list of the files used last.
    void FillRecentFiles();
    void OpenRecent(const QString& path);
    void Transfer(Command command, TransferMode mode);
    // A whole-set run on `values`: the table's own, or a snapshot being
    // restored (`restoring` names it), which is always reviewed and exports
    // every row it holds.
    void RunTransfer(TransferMode mode, UPara& values, const QString& restoring = {});
    // How comparisons and snapshots name the table, in the window's language.
    QString TableName() const;
    // An export reads back first: the review and the snapshot.
    void GuardExport(TransferRun& run, const TransferSetup& setup, const UPara& values,
                     const QString& exported, bool restoring, QWidget* over);
    void RestoreSnapshot();
    // The line log window, made on first use and kept.
    void ShowLineLog();
    // The table against a parameter file, or against the shipment values.
    void CompareWithFile(bool defaults);
    // The result report window, modal.
    void ShowReport(const ResultReport& report, bool autoSave);

    Parts p_;
    std::map<Command, QAction*> actions_;
    std::unique_ptr<ParameterTable> table_;
    PageSetup page_;
    std::unique_ptr<SelectedTransfer> selected_;
    QPointer<LineLogWindow> lineLog_;
    std::unique_ptr<TableEditor> editor_;
    ParameterWindow* tableWindow_ = nullptr;
    QList<QMenu*> menus_;
    QMenu* recent_ = nullptr;
    QToolBar* bar_ = nullptr;
    QAction* keyPadItem_ = nullptr; // the key pad: an item of the menu bar itself
    QAction* indicator_ = nullptr;
    QTimer* indicatorTimer_ = nullptr;
    std::array<QLabel*, StatusLine::FieldCount> status_{};
    HelpWindow* help_ = nullptr;
    qint64 checkEnded_ = -1;   // when the last communication check returned
    bool tableFramed_ = false; // the table was placed under the finished frame
};

} // namespace vdk
