#include "app/ui/MainWindow.h"

#include "app/AppSession.h"
#include "app/RecentFiles.h"
#include "app/StatusLine.h"
#include "base/Clock.h"
#include "base/EventPump.h"
#include "base/Mnemonics.h"
#include "base/ProgramFlags.h"
#include "base/ui/HelpWindow.h"
#include "base/ui/ScreenPlacement.h"
#include "comm/CommLink.h"
#include "comm/ui/LineLogWindow.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "data/UPara.h"
#include "editor/ui/ParameterWindow.h"
#include "monitor/InverterInfo.h"
#include "monitor/MonitorCatalogue.h"
#include "options/EnvironmentOptions.h"
#include "printing/ReportLines.h"
#include "printing/ui/PageSetupDialog.h"
#include "printing/ui/ParameterReport.h"
#include "printing/ui/PrintPreviewWindow.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"
#include "table/ParameterTable.h"
#include "transfer/FileComparison.h"
#include "transfer/ResultReport.h"
#include "transfer/SelectedTransfer.h"
#include "transfer/Snapshots.h"
#include "transfer/TransferSession.h"
#include "transfer/ui/ReportWindow.h"
#include "transfer/ui/ReviewWindow.h"
#include "transfer/ui/SnapshotListDialog.h"
#include "transfer/ui/TransferDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <variant>

namespace vdk {

namespace {

using C = MainWindow::Command;

// A tool-bar picture: a glyph on a rounded tile in the command group's colour.
QIcon GlyphIcon(const QString& glyph, QColor colour) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker(130));
    p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 4, 4);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(glyph.size() > 1 ? 10 : 15);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

QIcon Lamp(QColor colour) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shine(9, 9, 12);
    shine.setColorAt(0, colour.lighter(170));
    shine.setColorAt(1, colour);
    p.setBrush(shine);
    p.setPen(colour.darker(160));
    p.drawEllipse(QRectF(3, 3, 18, 18));
    return QIcon(pixmap);
}

using T = ParameterWindow::Command;

// An item of the menus and the tool bar: a command of this window, or one of
// the table window's actions (which name themselves and keep their own
// shortcuts).
struct Item {
    std::variant<C, T> command;
    int menu; // index into the menu list
    const char* key;
    const char* caption;
    const char* hintKey;
    const char* hint;
    QKeySequence shortcut;
    const char* glyph; // tool button picture; nullptr: none
    bool separatorAfter;
};

const QColor kFile(0x3A, 0x6E, 0xA5), kTable(0x2E, 0x8B, 0x57), kLink(0xB8, 0x6B, 0x1E),
    kTools(0x6A, 0x5A, 0xCD);

QString DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// Where the result report window saves, and whether it may print: with
// "Check Printer Connection" only when a printer exists.
ReportWindow::Context ReportContextOf(const MainWindow::Parts& p, bool autoSave) {
    const bool printers = !QPrinterInfo::availablePrinterNames().isEmpty();
    return {p.paths.AppDir, DocumentsFolder(), autoSave, !p.options.CheckPrt || printers,
            p.paths.Identity().Named()};
}

} // namespace

MainWindow::MainWindow(Parts parts, QWidget* parent) : QMainWindow(parent), p_(std::move(parts)) {
    page_.Load(p_.settings);
    p_.link.confirmBroadcast = [this] {
        const auto text = [this](const char* key, const char* def) {
            return p_.session.texts.LangText(QStringLiteral("Broadcast"), QLatin1String(key),
                                             QString::fromLatin1(def));
        };
        return p_.session.messenger.ShowText(
                   kMsgCaption,
                   text("Ask", "\"Broadcast\" is selected in the RS-232C setup: every inverter "
                               "on the line will take this write and every write after it.") +
                       QStringLiteral("\n\n") +
                       text("Question", "Write to all inverters on the line?"),
                   MsgIcon::Exclamation, MsgButtons::YesNo) == Answer::Yes;
    };
    BuildCommands();
    for (QLabel*& field : status_) {
        field = new QLabel(this);
        field->setContentsMargins(4, 0, 4, 0);
        field->setMinimumWidth(1); // a long field is cut, it does not widen the window
        statusBar()->addWidget(field);
    }
    statusBar()->setSizeGripEnabled(false);
    p_.link.OnCommandsEnabled([this](bool on) { EnableLinkCommands(on); });
    indicatorTimer_ = new QTimer(this);
    indicatorTimer_->setSingleShot(true);
    // A timer that fires before the indicator's time is armed again.
    connect(indicatorTimer_, &QTimer::timeout, this, [this] {
        p_.link.indicator.Update(p_.clock.Milliseconds());
        UpdateIndicator();
    });
    // Every exchange shows on the lamp: selected transfers, the login,
    // checks, transfers, and a port that does not open.
    p_.link.OnIndicatorChanged([this] { UpdateIndicator(); });
    Reload(); // fills the tool bar, which sets the width
    setMinimumWidth(639);
    // Wide enough for the tool bar and the status bar, within the screen.
    int statusWidth = 0;
    for (const QLabel* field : status_)
        statusWidth += field->sizeHint().width() + statusBar()->layout()->spacing() + 4;
    const int wanted = std::max({639, sizeHint().width(), statusWidth});
    resize(std::min(wanted, QApplication::primaryScreen()->availableGeometry().width()),
           sizeHint().height());
    // The window is a bar: a height the window manager may change would let
    // it re-place the window under the screen's top edge.
    setFixedHeight(height());
    move(QApplication::primaryScreen()->availableGeometry().topLeft());
}

MainWindow::~MainWindow() {
    // The link outlives the window.
    p_.link.OnCommandsEnabled({});
    p_.link.OnIndicatorChanged({});
}

namespace {

const Item kItems[] = {
    {C::New, 0, "Menu11", "New", "ToolB2", "New", QKeySequence(Qt::CTRL | Qt::Key_N), "N", false},
    {C::Open, 0, "Menu12", "Open", "ToolB3", "Open", QKeySequence(Qt::CTRL | Qt::Key_O), "O",
     false},
    {C::Save, 0, "Menu13", "Save", "ToolB4", "Save", {}, "S", false},
    {C::SaveAs, 0, "Menu14", "Save As", "ToolB5", "Save As", {}, "SA", false},
    {C::RestoreSnapshot, 0, "Menu1r", "Restore Snapshot...", nullptr, nullptr, {}, nullptr, true},
    {C::PageSetup, 0, "Menu16", "Page Setup", "ToolB6", "Page Setup", {}, "PS", false},
    {C::Print, 0, "Menu17", "Print", "ToolB7", "Preview and Print", {}, "P", true},
    {C::Rs232c, 0, "Menu18", "RS-232C Setup", "ToolB8", "RS-232C Setup", {}, "RS", true},
    {C::Exit, 0, "Menu19", "Exit", nullptr, nullptr, {}, nullptr, false},
    {C::ParameterTable, 1, "Menu21", "Parameter Table", "ToolB9", "Parameter Table", {}, "T", true},
    {T::Undo, 1, nullptr, nullptr, "ToolB10", "Undo", {}, "\u21B6", false},
    {T::Redo, 1, nullptr, nullptr, "ToolB11", "Redo", {}, "\u21B7", false},
    {T::Copy, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, true},
    {C::Import,
     1,
     "Menu25",
     "Parameter Import",
     "ToolB12",
     "Parameter Import",
     {},
     "\u21E9",
     false},
    {C::Export,
     1,
     "Menu26",
     "Parameter Export",
     "ToolB13",
     "Parameter Export",
     {},
     "\u21E7",
     false},
    {T::SelectedImport,
     1,
     nullptr,
     nullptr,
     "ToolB14",
     "Selected Parameter Import",
     {},
     "\u2193",
     false},
    {T::SelectedExport,
     1,
     nullptr,
     nullptr,
     "ToolB15",
     "Selected Parameter Export",
     {},
     "\u2191",
     false},
    {C::Comparison,
     1,
     "Menu2j",
     "Parameter Comparison",
     "ToolB21",
     "Parameter Comparison",
     {},
     "\u21C4",
     false},
    {C::CompareWithFile, 1, "Menu2m", "Compare with File...", nullptr, nullptr, {}, nullptr, false},
    {C::CompareWithDefaults,
     1,
     "Menu2n",
     "Compare with Shipment Values",
     nullptr,
     nullptr,
     {},
     nullptr,
     true},
    {T::ChangedOnly, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, false},
    {T::Quick, 1, nullptr, nullptr, "ToolB23", "Quick", {}, "Q", true},
    {T::Select, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, false},
    {T::SelectClear, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, false},
    {T::Blind, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, false},
    {T::AllParameters, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, true},
    {T::Hex, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, false},
    {T::Dec, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, false},
    {T::Shipment, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, true},
    {T::ParameterHelp, 1, nullptr, nullptr, nullptr, nullptr, {}, nullptr, false},
    {T::Find, 1, nullptr, nullptr, "ToolB16", "Find", {}, "F", true},
    {C::KeyPad, 2, "Menu3", "Key Pad", "ToolB17", "Key Pad", {}, "K", true},
    {C::InverterInfo,
     3,
     "Menu41",
     "Inverter Info.",
     "ToolB22",
     "Inverter Information",
     {},
     "i",
     false},
    {C::Monitor, 3, "Menu42", "Monitor", "ToolB18", "Monitoring", {}, "\u223F", true},
    {C::Options,
     4,
     "Menu51",
     "Environment Options",
     "ToolB19",
     "Environment Options",
     {},
     "\u2699",
     false},
    {C::Maintenance, 4, "Menu52", "Maintenance Mode", nullptr, nullptr, {}, nullptr, false},
    {C::LineLog, 4, "Menu53", "Line Log", nullptr, nullptr, {}, nullptr, true},
    {C::Contents, 5, "Menu61", "Contents", "ToolB20", "Help", {}, "?", false},
    {C::About, 5, "Menu62", "About", nullptr, nullptr, {}, nullptr, false},
};

const QColor kGroups[] = {kFile, kTable, kLink, kLink, kTools, kTools};

} // namespace

void MainWindow::BuildCommands() {
    const LanguageTexts& texts = p_.session.texts;
    const auto text = [&](const char* key, const char* def) {
        return texts.LangText(QStringLiteral("Main"), QLatin1String(key), QString::fromLatin1(def));
    };
    for (const auto& [key, def] :
         std::initializer_list<std::pair<const char*, const char*>>{{"Menu1", "Files"},
                                                                    {"Menu2", "Parameter"},
                                                                    {"Menu3", "Key Pad"},
                                                                    {"Menu4", "Monitoring"},
                                                                    {"Menu5", "Tools"},
                                                                    {"Menu6", "Help"}})
        menus_.append(menuBar()->addMenu(text(key, def)));
    recent_ = new QMenu(text("Menu1a", "Recent Files"), this);
    connect(menus_[0], &QMenu::aboutToShow, this, [this] { FillRecentFiles(); });

    bar_ = addToolBar(QStringLiteral("Tools"));
    bar_->setMovable(false);
    bar_->setIconSize(QSize(24, 24));
    indicator_ =
        new QAction(Lamp(QColor(0xC0, 0x30, 0x30)), text("ToolB1", "Communication Check"), this);
    connect(indicator_, &QAction::triggered, this, [this] { Run(C::CommunicationCheck); });

    for (const Item& item : kItems) {
        const C* command = std::get_if<C>(&item.command);
        if (!command)
            continue;
        auto* action = new QAction(text(item.key, item.caption), this);
        action->setShortcut(item.shortcut);
        if (item.glyph) {
            action->setIcon(GlyphIcon(QString::fromUtf8(item.glyph), kGroups[item.menu]));
            action->setToolTip(text(item.hintKey, item.hint));
        }
        connect(action, &QAction::triggered, this, [this, c = *command] { Run(c); });
        actions_[*command] = action;
    }
    // The key pad is a command of the menu bar itself; there it shows its text.
    menuBar()->removeAction(menus_[2]->menuAction());
    keyPadItem_ = new QAction(actions_[C::KeyPad]->text(), this);
    connect(keyPadItem_, &QAction::triggered, this, [this] { Run(C::KeyPad); });
    connect(actions_[C::KeyPad], &QAction::changed, keyPadItem_,
            [this] { keyPadItem_->setEnabled(actions_[C::KeyPad]->isEnabled()); });
    menuBar()->insertAction(menus_[3]->menuAction(), keyPadItem_);
}

void MainWindow::LayOutCommands() {
    const LanguageTexts& texts = p_.session.texts;
    for (QMenu* menu : std::as_const(menus_))
        menu->clear();
    bar_->clear();
    bar_->addAction(indicator_);
    bar_->addSeparator();
    for (const Item& item : kItems) {
        QAction* action;
        if (const C* command = std::get_if<C>(&item.command)) {
            action = actions_[*command];
        } else {
            action = tableWindow_->ActionFor(std::get<T>(item.command));
            if (item.glyph) {
                action->setIcon(GlyphIcon(QString::fromUtf8(item.glyph), kGroups[item.menu]));
                action->setToolTip(texts.LangText(QStringLiteral("Main"),
                                                  QLatin1String(item.hintKey),
                                                  QString::fromLatin1(item.hint)));
            }
        }
        if (item.glyph) {
            bar_->addAction(action);
            if (item.separatorAfter)
                bar_->addSeparator();
        }
        menus_[item.menu]->addAction(action);
        if (action == actions_[C::SaveAs])
            menus_[item.menu]->addMenu(recent_);
        if (item.separatorAfter)
            menus_[item.menu]->addSeparator();
    }
    MarkMnemonics(menuBar()->actions());
    for (QMenu* menu : std::as_const(menus_))
        MarkMnemonics(menu->actions());
}

void MainWindow::SetMonitorAvailable(bool on) {
    actions_[C::Monitor]->setEnabled(on);
}

// Language files carry no Alt-letters; English menus get them here.
void MainWindow::MarkMnemonics(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions)
        texts.append(action->text());
    const QStringList marked = WithMnemonics(texts);
    for (qsizetype i = 0; i < actions.size(); ++i)
        actions[i]->setText(marked[i]);
}

// The communication check enables the commands that need the inverter when
// it answers, and disables them when it does not.
void MainWindow::EnableLinkCommands(bool on) {
    for (C c :
         {C::Import, C::Export, C::KeyPad, C::Comparison, C::InverterInfo, C::RestoreSnapshot})
        actions_[c]->setEnabled(on);
    if (tableWindow_)
        for (T t : {T::SelectedImport, T::SelectedExport})
            tableWindow_->ActionFor(t)->setEnabled(on);
}

void MainWindow::OtherWindowActivated() {
    if (tableWindow_)
        tableWindow_->OtherWindowActivated();
}

void MainWindow::Reload() {
    // A new table keeps the old one's place and size.
    const QRect kept = tableWindow_ ? tableWindow_->geometry() : QRect();
    delete tableWindow_;
    editor_.reset();
    table_ =
        std::make_unique<ParameterTable>(p_.session.table, p_.session.values, p_.session.messenger);
    editor_ = std::make_unique<TableEditor>(*table_, p_.session.table, p_.session.values,
                                            p_.session.messenger, p_.flags);
    selected_ = std::make_unique<SelectedTransfer>(p_.session.table, p_.session.values, p_.link);
    editor_->SetLink(selected_.get());
    editor_->ReadOptionsFrom([this] {
        return TableEditor::Options{p_.options.Entkey, p_.options.Eeprom, p_.options.UndoMax};
    });
    table_->decimalComma = DecimalCommaOf(p_.settings, p_.paths.Identity().Language);
    table_->maintenance = p_.flags.MainteFlag;
    DefinitionLoader loader(p_.paths, p_.session.messenger);
    const InverterIdentity& id = p_.paths.Identity();
    ParameterWindow::Context context{
        id.TypeForm,
        id.Capacity,
        id.CpuVer,
        p_.paths.ParaHelpFile,
        p_.paths.HelpFile,
        loader.QuickCount(),
        p_.options.MCC,
        p_.options.MBC,
        [this](const QString& file) {
            // A drop asks about unsaved edits as Open does.
            return p_.session.MaySetEditsAside([this] { return SaveAsDialog(); }) && OpenFile(file);
        }};
    tableWindow_ =
        new ParameterWindow(*editor_, p_.session.messenger, p_.session.texts, context, this);
    connect(tableWindow_, &ParameterWindow::Edited, this, [this] {
        UpdateTitle();
        if (!p_.showStores)
            return;
        const auto pairs = [](const QList<TableEditor::UndoEntry>& store) {
            QList<std::pair<QString, QString>> entries;
            for (const TableEditor::UndoEntry& e : store)
                entries.append({e.comNo, e.value});
            return entries;
        };
        p_.showStores(pairs(editor_->UndoStore()), pairs(editor_->RedoStore()));
    });
    if (kept.isValid())
        tableWindow_->setGeometry(kept);
    tableWindow_->OtherWindowActivated(); // until the user brings it up
    connect(tableWindow_, &ParameterWindow::Activated, this, [this] {
        // A message box of the check itself gives the table its activation
        // back when it closes: that one does not check again.
        constexpr qint64 kSettleMs = 500;
        if (checkEnded_ < 0 || p_.clock.Milliseconds() - checkEnded_ > kSettleMs)
            CommunicationCheck();
    });
    LayOutCommands();
    p_.link.SetTable(&p_.session.table);
    EnableLinkCommands(p_.link.CommandsEnabled()); // until a check says otherwise
    UpdateTitle();
}

// The title carries a "*" while the table holds edits no file holds.
void MainWindow::UpdateTitle() {
    setWindowTitle(p_.session.Title() + QStringLiteral("[*]"));
    setWindowModified(p_.session.HasUnsavedEdits());
    actions_[C::Save]->setEnabled(p_.session.SaveEnabled());
    UpdateStatus();
}

void MainWindow::UpdateStatus() {
    if (!table_)
        return;
    const QStringList fields =
        StatusLine::Fields(p_.link.settings, p_.paths.Identity(), p_.link.indicator.Current(),
                           table_->CurrentMode(), p_.session.values, p_.session.texts);
    for (int i = 0; i < StatusLine::FieldCount; ++i) {
        status_[i]->setText(fields[i]);
        status_[i]->setToolTip(fields[i]); // whole, when the field is cut
    }
}

void MainWindow::UpdateIndicator() {
    static const QColor kColours[] = {QColor(0xC0, 0x30, 0x30), QColor(0x2E, 0xA0, 0x44),
                                      QColor(0xE0, 0xA0, 0x20)};
    indicator_->setIcon(Lamp(kColours[p_.link.indicator.Current()]));
    UpdateStatus();
    const qint64 due = p_.link.indicator.TimerDue();
    if (due >= 0)
        indicatorTimer_->start(int(std::max<qint64>(0, due - p_.clock.Milliseconds())));
}

bool MainWindow::CommunicationCheck() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool answered = p_.link.CommunicationCheck();
    QApplication::restoreOverrideCursor();
    checkEnded_ = p_.clock.Milliseconds();
    return answered;
}

bool MainWindow::SaveAsDialog() {
    const QString filter = p_.session.texts.LangText(
        QStringLiteral("Main"), QStringLiteral("SaveFile1"),
        QStringLiteral(
            "VDK330Q Parameter Datas (*.vdk)|*.vdk|VDK330Q Parameter Table Datas (*.csv)|*.csv"));
    UPara& v = p_.session.values;
    const int entry = p_.session.SaveAsFilterEntry();
    const auto choice = p_.session.messenger.Dialogs().SaveFileName(
        FileRequest{v.LoadDir, filter, entry, QStringLiteral("vdk"), v.SaveName});
    if (!choice || choice->path.isEmpty())
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto result = p_.session.SaveAs(choice->path, choice->filterIndex == 2, *table_);
    QApplication::restoreOverrideCursor();
    UpdateTitle();
    if (result == AppSession::SaveAsResult::Saved)
        RecentFiles(p_.settings).Add(choice->path);
    return result == AppSession::SaveAsResult::Saved;
}

bool MainWindow::OpenFile(const QString& path) {
    const bool taken = p_.session.Open(path);
    UpdateTitle();
    if (taken)
        RecentFiles(p_.settings).Add(path);
    return taken;
}

void MainWindow::FillRecentFiles() {
    recent_->clear();
    const QStringList files = RecentFiles(p_.settings).Files();
    for (qsizetype i = 0; i < files.size(); ++i) {
        QString shown = files[i];
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = recent_->addAction(QStringLiteral("&%1 ").arg(i + 1) + shown);
        connect(entry, &QAction::triggered, this, [this, path = files[i]] { OpenRecent(path); });
    }
    recent_->setEnabled(!files.isEmpty());
}

void MainWindow::OpenRecent(const QString& path) {
    if (!p_.session.MaySetEditsAside([this] { return SaveAsDialog(); }))
        return;
    if (OpenFile(path))
        tableWindow_->ResetTable();
    else if (!QFileInfo::exists(path))
        RecentFiles(p_.settings).Remove(path); // gone: it leaves the list
    FillRecentFiles();
}

void MainWindow::ShowHelp(const QString& file) {
    if (!help_)
        help_ = new HelpWindow(this, QSize(640, 560));
    help_->Show(QUrl::fromLocalFile(file));
}

void MainWindow::Run(Command command) {
    const auto saveAs = [this] { return SaveAsDialog(); };
    switch (command) {
    case C::New:
        if (!p_.session.MaySetEditsAside(saveAs) || !p_.newSelection())
            return;
        Reload();
        tableWindow_->show();
        return;
    case C::Open: {
        if (!p_.session.MaySetEditsAside(saveAs))
            return;
        const QString filter = p_.session.texts.LangText(
            QStringLiteral("Main"), QStringLiteral("OpenFile1"),
            QStringLiteral("VDK330Q Parameter Datas (*.vdk)|*.vdk|All Files (*.*)|*.*"));
        const auto choice = p_.session.messenger.Dialogs().OpenFileName(
            FileRequest{p_.session.values.LoadDir, filter, 1, QStringLiteral("vdk"), QString()});
        if (choice && !choice->path.isEmpty() && OpenFile(choice->path))
            tableWindow_->ResetTable();
        return;
    }
    case C::Save:
        if (p_.session.Save() == AppSession::SaveResult::NeedsSaveAs)
            SaveAsDialog();
        UpdateTitle();
        return;
    case C::SaveAs:
        SaveAsDialog();
        return;
    case C::Rs232c:
        OtherWindowActivated();
        if (p_.rs232c)
            p_.rs232c();
        CommunicationCheck();
        return;
    case C::Exit:
        close();
        return;
    case C::ParameterTable:
        tableWindow_->show();
        tableWindow_->raise();
        return;
    case C::Contents:
        ShowHelp(p_.paths.HelpFile);
        return;
    case C::Import:
        return Transfer(command, TransferMode::Import);
    case C::Export:
        return Transfer(command, TransferMode::Export);
    case C::Comparison:
        return Transfer(command, TransferMode::Compare);
    case C::RestoreSnapshot:
        if (actions_[command]->isEnabled())
            RestoreSnapshot();
        return;
    case C::CompareWithFile:
    case C::CompareWithDefaults:
        return CompareWithFile(command == C::CompareWithDefaults);
    case C::InverterInfo:
        return InverterInformation();
    case C::PageSetup:
        return PageSetupCommand();
    case C::Print:
        return PreviewAndPrint();
    case C::LineLog:
        return ShowLineLog();
    case C::Options:
        OtherWindowActivated();
        if (p_.optionsDialog)
            p_.optionsDialog();
        return;
    case C::Maintenance:
        OtherWindowActivated();
        // An accepted login shows the maintenance rows in the table, unfiltered.
        if (p_.maintenance && p_.maintenance()) {
            table_->maintenance = p_.flags.MainteFlag;
            tableWindow_->ResetTable();
        }
        return;
    case C::About:
        OtherWindowActivated();
        if (p_.about)
            p_.about();
        return;
    case C::KeyPad:
        OtherWindowActivated();
        if (p_.keyPad)
            p_.keyPad();
        return;
    case C::Monitor:
        OtherWindowActivated();
        if (p_.monitor)
            p_.monitor();
        return;
    case C::CommunicationCheck:
        if (!CommunicationCheck() && !p_.flags.MonitorBusy && p_.rs232c) {
            p_.rs232c();
            CommunicationCheck();
        }
        return;
    }
}

// A whole-set run: the link and the maintenance access first, then the
// dialog; afterwards the report (saved automatically when due) and the table.
void MainWindow::Transfer(Command command, TransferMode mode) {
    if (!actions_[command]->isEnabled())
        return;
    if (mode == TransferMode::Import &&
        !p_.session.MayImportOver([this] { return SaveAsDialog(); }))
        return;
    if (mode == TransferMode::Export && !p_.session.MayExportFindings())
        return;
    RunTransfer(mode, p_.session.values);
}

QString MainWindow::TableName() const {
    const LanguageTexts& texts = p_.session.texts;
    return p_.session.TableName(texts.LangText(QStringLiteral("Review"), QStringLiteral("Untitled"),
                                               QStringLiteral("the table")),
                                texts.LangText(QStringLiteral("Review"), QStringLiteral("Unsaved"),
                                               QStringLiteral("the table (not saved)")));
}

void MainWindow::RunTransfer(TransferMode mode, UPara& values, const QString& restoring) {
    OtherWindowActivated();
    if (mode == TransferMode::Export && !p_.link.MayWrite())
        return;
    TransferSetup setup = TransferSetup::From(p_.options, p_.flags.MainteFlag);
    if (!restoring.isEmpty()) {
        setup.review = true;
        setup.run.changedOnly = false;
    }
    // An opened snapshot goes back whole, as a restored one does.
    if (mode == TransferMode::Export && IsSnapshot(values))
        setup.run.changedOnly = false;
    AppSession& s = p_.session;
    FunctionPump pump([] { QCoreApplication::processEvents(); });
    TransferSession transfer(
        s.table, values, p_.link, s.messenger, pump,
        {mode, setup, p_.paths.Identity().TypeForm, table_->decimalComma, false});
    if (!transfer.Prepare())
        return;
    ResultReport& report = transfer.Report();
    TransferDialog bar(transfer.Run(), mode, report, s.messenger, s.texts, this);
    bar.ShowChangedOnlyNote(mode == TransferMode::Export && setup.run.changedOnly);
    if (mode == TransferMode::Export)
        GuardExport(transfer.Run(), setup, values, restoring.isEmpty() ? TableName() : restoring,
                    !restoring.isEmpty(), &bar);
    transfer.AskThroughMessenger(
        s.texts.LangText(QStringLiteral("Working"), QStringLiteral("Button3"),
                         QStringLiteral("Stop")),
        s.texts.LangText(QStringLiteral("Working"), QStringLiteral("Button4"),
                         QStringLiteral("Go on")));
    if (setup.checkType)
        bar.typeCheck = [this] {
            p_.link.InverterTypeCheck(Catalogue(p_.paths), p_.paths.Identity());
        };
    bar.exec();
    if (!bar.Started())
        return;
    transfer.Finish(bar.Result());
    if (mode == TransferMode::Import && !bar.Result().aborted)
        s.Imported();
    if (const QString& error = bar.Result().snapshotError; !error.isEmpty())
        s.messenger.ShowText(
            kMsgCannotWrite,
            s.texts.LangText(QStringLiteral("Review"), QStringLiteral("SnapshotFailed"),
                             QStringLiteral("The snapshot of the inverter's values "
                                            "could not be saved, so nothing was "
                                            "written.")) +
                QStringLiteral("\n\n") + error,
            MsgIcon::Stop);
    if (transfer.AutoSaveDue()) {
        QString error;
        if (!AutoSaveReport(report.lines, p_.paths.AppDir, DocumentsFolder(),
                            QDateTime::currentDateTime(), &error))
            s.messenger.Dialogs().ShowMessage(
                Message{0, error, windowTitle(), MsgIcon::Stop, MsgButtons::Ok});
    }
    if (transfer.ShowsReport())
        ShowReport(report, setup.run.autoSave);
    if (transfer.RefreshAfter() == TransferSession::Refresh::Repaint || !restoring.isEmpty())
        tableWindow_->Grid()->viewport()->update();
    else
        tableWindow_->ResetTable();
    UpdateTitle();
}

void MainWindow::GuardExport(TransferRun& run, const TransferSetup& setup, const UPara& values,
                             const QString& exported, bool restoring, QWidget* over) {
    AppSession& s = p_.session;
    run.guard.review = setup.review;
    run.guard.choose = [this, &values, over, restoring](ExportReview& review) {
        AppSession& s = p_.session;
        ReviewWindow window({review, s.table, values, ReportTexts::From(s.texts).maintenance,
                             p_.flags.MainteFlag, table_->decimalComma, restoring},
                            s.texts, over);
        return window.exec() == QDialog::Accepted;
    };
    const QString comment =
        s.texts
            .LangText(QStringLiteral("Review"), QStringLiteral("SnapshotComment"),
                      QStringLiteral("Before the export of %1"))
            .arg(exported);
    run.guard.snapshot = SnapshotStep(SnapshotStore(SnapshotFolder(p_.paths.AppDir)), s.table,
                                      values, p_.paths.Identity(), InverterTag(p_.link.settings),
                                      comment, setup.snapshotKeep);
}

void MainWindow::ShowLineLog() {
    OtherWindowActivated();
    if (!lineLog_) {
        lineLog_ = new LineLogWindow(p_.link.Log(), p_.session.messenger, p_.session.texts, this);
        lineLog_->setWindowFlag(Qt::Window);
        lineLog_->setAttribute(Qt::WA_DeleteOnClose);
        lineLog_->saveFolder = p_.paths.AppDir;
        // Beside the table, wholly on the screen, like every window it opens.
        const QRect frame = frameGeometry();
        if (const QScreen* screen = this->screen())
            lineLog_->move(
                FitOnScreen(QRect(frame.topLeft() + QPoint(frame.width() / 4, frame.height() / 3),
                                  lineLog_->frameSize()),
                            screen->availableGeometry()));
    }
    lineLog_->show();
    lineLog_->raise();
    lineLog_->activateWindow();
}

// The chosen snapshot goes back through the reviewed export; the table's own
// values are not touched.
void MainWindow::RestoreSnapshot() {
    OtherWindowActivated();
    AppSession& s = p_.session;
    const SnapshotStore store(SnapshotFolder(p_.paths.AppDir));
    const InverterIdentity& id = p_.paths.Identity();
    SnapshotListDialog list(store.List(&id), store.Folder(), s.texts, this);
    const SnapshotInfo* chosen = list.exec() == QDialog::Accepted ? list.Chosen() : nullptr;
    if (!chosen)
        return;
    QString error;
    auto snapshot = LoadSnapshot(chosen->path, s.table, s.values, id, s.messenger, &error);
    if (!snapshot) {
        s.messenger.ShowText(kMsgCannotRead,
                             s.messenger.Text(kMsgCannotRead) + QStringLiteral("\n") +
                                 QDir::toNativeSeparators(chosen->path) + QStringLiteral("\n") +
                                 error,
                             MsgIcon::Exclamation);
        return;
    }
    RunTransfer(TransferMode::Export, *snapshot,
                s.texts
                    .LangText(QStringLiteral("Review"), QStringLiteral("SnapshotName"),
                              QStringLiteral("the snapshot of %1"))
                    .arg(SnapshotTimeText(chosen->time)));
}

void MainWindow::CompareWithFile(bool defaults) {
    OtherWindowActivated();
    AppSession& s = p_.session;
    const auto text = [&s](const char* key, const char* def) {
        return s.texts.LangText(QStringLiteral("Review"), QLatin1String(key),
                                QString::fromLatin1(def));
    };
    const InverterIdentity& id = p_.paths.Identity();
    const ReportTexts texts = ReportTexts::From(s.texts);
    ComparedSide other;
    if (defaults) {
        other = ComparedSide::OfDefaults(s.table, text("Shipment", "Shipment"),
                                         text("ShipmentName", "the shipment values"));
    } else {
        const auto choice = s.messenger.Dialogs().OpenFileName(
            FileRequest{s.values.LoadDir,
                        text("CompareFile", "VDK330Q Parameter Datas (*.vdk)|*.vdk|All Files "
                                            "(*.*)|*.*"),
                        1, QStringLiteral("vdk"), QString()});
        if (!choice || choice->path.isEmpty())
            return;
        const QString path = QDir::toNativeSeparators(choice->path);
        const ComparedFile read =
            ReadComparedFile(choice->path, s.table, id.TypeForm, p_.paths.FallbackEncoding(),
                             text("File", "File"), path);
        if (read.problem != FileProblem::None) {
            const int message = ReasonMessage(read.problem);
            s.messenger.ShowText(
                message,
                FileProblemReason(read.problem, read.file.damagedLine, s.messenger.Text(message)) +
                    QStringLiteral("\n") + path,
                MsgIcon::Exclamation);
            return;
        }
        if (!read.side) {
            s.messenger.ShowText(kMsgOtherTypeForm,
                                 s.messenger.Text(kMsgOtherTypeForm) + QStringLiteral("\n") +
                                     read.file.Identity() + QLatin1Char(' ') + path,
                                 MsgIcon::Exclamation);
            return;
        }
        other = *read.side;
    }
    const FileComparison compared =
        CompareSides(s.table, ComparedSide::OfTable(s.table, s.values, texts.table, TableName()),
                     other, texts, table_->decimalComma, p_.flags.MainteFlag);
    ResultReport report(int(TransferMode::Compare));
    report.lines = compared.lines;
    ShowReport(report, false);
}

void MainWindow::ShowReport(const ResultReport& report, bool autoSave) {
    AppSession& s = p_.session;
    ReportWindow form(report, s.texts, s.messenger.Dialogs(), ReportContextOf(p_, autoSave), this);
    OtherWindowActivated();
    form.exec();
}

// Read with the wait cursor and shown in the result report window.
void MainWindow::InverterInformation(bool tripData) {
    if (!tripData && !actions_[Command::InverterInfo]->isEnabled())
        return;
    OtherWindowActivated();
    AppSession& s = p_.session;
    const InverterIdentity& id = p_.paths.Identity();
    const MonitorCatalogue monitor =
        MonitorCatalogue::Load(IniFile(p_.paths.InfoIni), id.TypeForm, id.LangCode);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const InfoSources sources{p_.link, s.table, s.values, monitor, table_->decimalComma};
    const InfoList list = InfoList::Read(s.texts);
    auto info = ReadInverterInfo(sources, list, Catalogue(p_.paths));
    if (info && tripData)
        AppendTripData(*info, sources, list);
    QApplication::restoreOverrideCursor();
    if (!info) {
        s.messenger.Show(kMsgNoFunctionData, MsgIcon::Exclamation);
        return;
    }
    ResultReport report(tripData ? kTripReport : kInformationReport);
    report.lines = info->lines;
    ShowReport(report, false);
}

// The page setup; its comment is the parameter file's comment, which the
// next save takes.
void MainWindow::PageSetupCommand() {
    OtherWindowActivated();
    UPara& values = p_.session.values;
    page_.commentText = values.Comment;
    PageSetupDialog dialog(page_, p_.session.messenger, this);
    dialog.exec();
    values.Comment = page_.commentText;
    if (!page_.Save(p_.settings))
        p_.session.messenger.ShowText(kMsgDataError, p_.settings.Path(), MsgIcon::Stop);
}

// The table as its view shows it now, previewed and printed from one layout.
void MainWindow::PreviewAndPrint() {
    OtherWindowActivated();
    AppSession& s = p_.session;
    const InverterIdentity& id = p_.paths.Identity();
    page_.commentText = s.values.Comment;
    const ParameterReport report(
        ReportLines(*table_, s.table, s.values, table_->decimalComma,
                    s.messenger.Text(kMsgChangedMark)),
        page_,
        ReportHeadingOf(s.messenger, id.TypeForm + id.Capacity, QDateTime::currentDateTime()));
    PrintPreviewWindow preview(report, s.messenger, s.values.LoadDir, this);
    preview.exec();
}

void MainWindow::PlaceTable() {
    // Before the window manager frames the window, the frame is the bare
    // window: placing by it would put the table over the tool bar.
    tableFramed_ = frameGeometry() != geometry();
    if (!tableWindow_)
        return;
    QPoint below = frameGeometry().bottomLeft() + QPoint(0, 1);
    // A window not framed yet is moved by its inside: leave room for a frame
    // like ours.
    if (tableWindow_->frameGeometry() == tableWindow_->geometry())
        below += geometry().topLeft() - frameGeometry().topLeft();
    tableWindow_->move(below);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (!tableFramed_ && isVisible())
        PlaceTable();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (p_.flags.MonitorBusy || !p_.session.MaySetEditsAside([this] { return SaveAsDialog(); })) {
        event->ignore();
        return;
    }
    p_.session.WriteRememberedFolders();
    event->accept();
    QApplication::quit();
}

} // namespace vdk
