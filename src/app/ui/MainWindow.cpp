#include "app/ui/MainWindow.h"

#include "app/AppSession.h"
#include "base/Clock.h"
#include "base/EventPump.h"
#include "base/ProgramFlags.h"
#include "base/ui/HelpWindow.h"
#include "comm/CommLink.h"
#include "data/DefinitionLoader.h"
#include "editor/ui/ParameterWindow.h"
#include "options/EnvironmentOptions.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "table/ParameterTable.h"
#include "transfer/ResultReport.h"
#include "transfer/TransferSession.h"
#include "transfer/ui/ReportWindow.h"
#include "transfer/ui/TransferDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QPainter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

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

struct Item {
    C command;
    int menu; // index into the menu list; -1: a tool button only
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

} // namespace

MainWindow::MainWindow(Parts parts, QWidget* parent) : QMainWindow(parent), p_(std::move(parts)) {
    BuildCommands();
    p_.link.OnCommandsEnabled([this](bool on) { EnableLinkCommands(on); });
    indicatorTimer_ = new QTimer(this);
    indicatorTimer_->setSingleShot(true);
    connect(indicatorTimer_, &QTimer::timeout, this, [this] {
        if (p_.link.indicator.Update(p_.clock.Milliseconds()))
            UpdateIndicator();
    });
    setMinimumWidth(639);
    resize(std::max(639, sizeHint().width()), sizeHint().height());
    move(QApplication::primaryScreen()->availableGeometry().topLeft());
    Reload();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildCommands() {
    const Item items[] = {
        {C::New, 0, "Menu11", "New", "ToolB2", "New", QKeySequence(Qt::CTRL | Qt::Key_N), "N",
         false},
        {C::Open, 0, "Menu12", "Open", "ToolB3", "Open", QKeySequence(Qt::CTRL | Qt::Key_O), "O",
         false},
        {C::Save, 0, "Menu13", "Save", "ToolB4", "Save", {}, "S", false},
        {C::SaveAs, 0, "Menu14", "Save As", "ToolB5", "Save As", {}, "SA", true},
        {C::PageSetup, 0, "Menu16", "Page Setup", "ToolB6", "Page Setup", {}, "PS", false},
        {C::Print, 0, "Menu17", "Print", "ToolB7", "Preview and Print", {}, "P", true},
        {C::Rs232c, 0, "Menu18", "RS-232C Setup", "ToolB8", "RS-232C Setup", {}, "RS", true},
        {C::Exit, 0, "Menu19", "Exit", nullptr, nullptr, {}, nullptr, false},
        {C::ParameterTable,
         1,
         "Menu21",
         "Parameter Table",
         "ToolB9",
         "Parameter Table",
         {},
         "T",
         true},
        {C::Undo, 1, "Menu22", "Undo", "ToolB10", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z),
         "\u21B6", false},
        {C::Redo, 1, "Menu23", "Redo", "ToolB11", "Redo",
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z), "\u21B7", false},
        {C::Copy, 1, "Menu24", "Copy", nullptr, nullptr, QKeySequence(Qt::CTRL | Qt::Key_C),
         nullptr, true},
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
        {C::SelectedImport, 1, "Menu27", "Selected Parameter Import", "ToolB14",
         "Selected Parameter Import", QKeySequence(Qt::Key_F3), "\u2193", false},
        {C::SelectedExport, 1, "Menu28", "Selected Parameter Export", "ToolB15",
         "Selected Parameter Export", QKeySequence(Qt::Key_F2), "\u2191", false},
        {C::Comparison,
         1,
         "Menu2j",
         "Parameter Comparison",
         "ToolB21",
         "Parameter Comparison",
         {},
         "\u21C4",
         true},
        {C::ChangedOnly, 1, "Menu29", "'Changed' Only", nullptr, nullptr, {}, nullptr, false},
        {C::Quick, 1, "Menu2k", "Quick", "ToolB23", "Quick", {}, "Q", true},
        {C::Select, 1, "Menu2a", "Select", nullptr, nullptr, QKeySequence(Qt::CTRL | Qt::Key_S),
         nullptr, false},
        {C::SelectClear, 1, "Menu2b", "Select Clear", nullptr, nullptr,
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), nullptr, false},
        {C::Blind, 1, "Menu2c", "Blind", nullptr, nullptr, {}, nullptr, false},
        {C::AllParameters, 1, "Menu2d", "All Parameters", nullptr, nullptr, {}, nullptr, true},
        {C::Hex, 1, "Menu2e", "Hex.", nullptr, nullptr, {}, nullptr, false},
        {C::Dec, 1, "Menu2f", "Dec.", nullptr, nullptr, {}, nullptr, false},
        {C::Shipment, 1, "Menu2g", "Shipment", nullptr, nullptr, {}, nullptr, true},
        {C::ParameterHelp, 1, "Menu2h", "Show Parameter Help", nullptr, nullptr,
         QKeySequence(Qt::Key_F10), nullptr, false},
        {C::Find, 1, "Menu2i", "Find", "ToolB16", "Find", QKeySequence(Qt::CTRL | Qt::Key_F), "F",
         true},
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
        {C::Maintenance, 4, "Menu52", "Maintenance Mode", nullptr, nullptr, {}, nullptr, true},
        {C::Contents, 5, "Menu61", "Contents", "ToolB20", "Help", {}, "?", false},
        {C::About, 5, "Menu62", "About", nullptr, nullptr, {}, nullptr, false},
    };
    const LanguageTexts& texts = p_.session.texts;
    const auto text = [&](const char* key, const char* def) {
        return texts.LangText(QStringLiteral("Main"), QLatin1String(key), QString::fromLatin1(def));
    };
    QList<QMenu*> menus;
    for (const auto& [key, def] :
         std::initializer_list<std::pair<const char*, const char*>>{{"Menu1", "Files"},
                                                                    {"Menu2", "Parameter"},
                                                                    {"Menu3", "Key Pad"},
                                                                    {"Menu4", "Monitoring"},
                                                                    {"Menu5", "Tools"},
                                                                    {"Menu6", "Help"}})
        menus.append(menuBar()->addMenu(text(key, def)));

    auto* bar = addToolBar(QStringLiteral("Tools"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    indicator_ =
        bar->addAction(Lamp(QColor(0xC0, 0x30, 0x30)), text("ToolB1", "Communication Check"));
    connect(indicator_, &QAction::triggered, this, [this] { Run(C::CommunicationCheck); });
    bar->addSeparator();

    const QColor groups[] = {kFile, kTable, kLink, kLink, kTools, kTools};
    for (const Item& item : items) {
        auto* action = new QAction(text(item.key, item.caption), this);
        action->setShortcut(item.shortcut);
        if (item.glyph) {
            action->setIcon(GlyphIcon(QString::fromUtf8(item.glyph), groups[item.menu]));
            action->setToolTip(text(item.hintKey, item.hint));
            bar->addAction(action);
            if (item.separatorAfter)
                bar->addSeparator();
        }
        menus[item.menu]->addAction(action);
        if (item.separatorAfter)
            menus[item.menu]->addSeparator();
        connect(action, &QAction::triggered, this, [this, c = item.command] { Run(c); });
        actions_[item.command] = action;
    }
    // The key pad is a command of the menu bar itself; there it shows its text.
    menuBar()->removeAction(menus[2]->menuAction());
    auto* keyPad = new QAction(actions_[C::KeyPad]->text(), this);
    connect(keyPad, &QAction::triggered, this, [this] { Run(C::KeyPad); });
    connect(actions_[C::KeyPad], &QAction::changed, keyPad,
            [keyPad, source = actions_[C::KeyPad]] { keyPad->setEnabled(source->isEnabled()); });
    menuBar()->insertAction(menus[3]->menuAction(), keyPad);

    // Commands of parts that are not built yet stay visible, and say so.
    unbuilt_ = {C::PageSetup, C::Print, C::KeyPad, C::Monitor, C::InverterInfo};
    for (C c : unbuilt_) {
        actions_[c]->setEnabled(false);
        actions_[c]->setToolTip(actions_[c]->toolTip() +
                                QStringLiteral(" (not available in this version)"));
        actions_[c]->setStatusTip(QStringLiteral("Not available in this version"));
    }
    for (C c : {C::ChangedOnly, C::Quick, C::Blind})
        actions_[c]->setCheckable(true);
}

// The communication check enables the commands that need the inverter when
// it answers, and disables them when it does not.
void MainWindow::EnableLinkCommands(bool on) {
    linkUp_ = on;
    for (C c : {C::Import, C::Export, C::KeyPad, C::SelectedImport, C::SelectedExport,
                C::Comparison, C::InverterInfo})
        actions_[c]->setEnabled(on && !unbuilt_.count(c));
    if (tableWindow_)
        for (auto c :
             {ParameterWindow::Command::SelectedImport, ParameterWindow::Command::SelectedExport})
            tableWindow_->ActionFor(c)->setEnabled(on);
}

void MainWindow::Reload() {
    delete tableWindow_;
    editor_.reset();
    table_ =
        std::make_unique<ParameterTable>(p_.session.table, p_.session.values, p_.session.messenger);
    editor_ = std::make_unique<TableEditor>(*table_, p_.session.table, p_.session.values,
                                            p_.session.messenger, p_.flags);
    editor_->SetLink(&p_.link);
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
            const bool taken = p_.session.Open(file);
            UpdateTitle();
            return taken;
        },
        [this] {
            return TableEditor::Options{p_.options.Entkey, p_.options.Eeprom, p_.options.UndoMax};
        }};
    tableWindow_ =
        new ParameterWindow(*editor_, p_.session.messenger, p_.session.texts, context, this);
    connect(tableWindow_, &ParameterWindow::Edited, this, [this] {
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
    // The main window's items mirror the table's enable states.
    for (auto [mine, theirs] : {std::pair{C::Undo, ParameterWindow::Command::Undo},
                                {C::Redo, ParameterWindow::Command::Redo},
                                {C::Find, ParameterWindow::Command::Find}}) {
        QAction* source = tableWindow_->ActionFor(theirs);
        QAction* mirror = actions_[mine];
        mirror->setEnabled(source->isEnabled());
        connect(source, &QAction::changed, mirror,
                [source, mirror] { mirror->setEnabled(source->isEnabled()); });
    }
    connect(tableWindow_, &ParameterWindow::Activated, this, [this] {
        paraTableAct_ = true;
        // A message box of the check itself gives the table its activation
        // back when it closes: that one does not check again.
        constexpr qint64 kSettleMs = 500;
        if (checkEnded_ < 0 || p_.clock.Milliseconds() - checkEnded_ > kSettleMs)
            CommunicationCheck();
    });
    const bool quick = context.quickCount > 0;
    actions_[C::Quick]->setVisible(quick);
    actions_[C::ParameterHelp]->setEnabled(loader.HasParaHelp());
    p_.link.SetTable(&p_.session.table);
    EnableLinkCommands(linkUp_); // until a check says otherwise
    UpdateTitle();
}

void MainWindow::UpdateTitle() {
    setWindowTitle(p_.session.Title());
    actions_[C::Save]->setEnabled(p_.session.SaveEnabled());
}

void MainWindow::UpdateIndicator() {
    static const QColor kColours[] = {QColor(0xC0, 0x30, 0x30), QColor(0x2E, 0xA0, 0x44),
                                      QColor(0xE0, 0xA0, 0x20)};
    indicator_->setIcon(Lamp(kColours[p_.link.indicator.Current()]));
    const qint64 due = p_.link.indicator.TimerDue();
    if (due >= 0)
        indicatorTimer_->start(int(std::max<qint64>(0, due - p_.clock.Milliseconds())));
}

void MainWindow::CommunicationCheck() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    p_.link.CommunicationCheck();
    QApplication::restoreOverrideCursor();
    checkEnded_ = p_.clock.Milliseconds();
    UpdateIndicator();
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
    return result == AppSession::SaveAsResult::Saved;
}

void MainWindow::ShowHelp(const QString& file) {
    if (!help_)
        help_ = new HelpWindow(this, QSize(640, 560));
    help_->Show(QUrl::fromLocalFile(file));
}

void MainWindow::Run(Command command) {
    const auto table = [this](ParameterWindow::Command c) {
        if (tableWindow_)
            tableWindow_->Run(c);
    };
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
        if (choice && !choice->path.isEmpty() && p_.session.Open(choice->path))
            tableWindow_->ResetTable();
        UpdateTitle();
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
        paraTableAct_ = false;
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
    case C::ChangedOnly:
        return table(ParameterWindow::Command::ChangedOnly);
    case C::Quick:
        return table(ParameterWindow::Command::Quick);
    case C::Select:
        return table(ParameterWindow::Command::Select);
    case C::SelectClear:
        return table(ParameterWindow::Command::SelectClear);
    case C::Blind:
        return table(ParameterWindow::Command::Blind);
    case C::AllParameters:
        return table(ParameterWindow::Command::AllParameters);
    case C::Undo:
        return table(ParameterWindow::Command::Undo);
    case C::Redo:
        return table(ParameterWindow::Command::Redo);
    case C::Copy:
        return table(ParameterWindow::Command::Copy);
    case C::Find:
        return table(ParameterWindow::Command::Find);
    case C::Hex:
        return table(ParameterWindow::Command::Hex);
    case C::Dec:
        return table(ParameterWindow::Command::Dec);
    case C::Shipment:
        return table(ParameterWindow::Command::Shipment);
    // The transfers act on the table only while it is the active window.
    case C::SelectedImport:
        if (paraTableAct_)
            table(ParameterWindow::Command::SelectedImport);
        return;
    case C::SelectedExport:
        if (paraTableAct_)
            table(ParameterWindow::Command::SelectedExport);
        return;
    case C::ParameterHelp:
        if (paraTableAct_)
            table(ParameterWindow::Command::ParameterHelp);
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
    case C::Options:
        paraTableAct_ = false;
        if (p_.optionsDialog)
            p_.optionsDialog();
        return;
    case C::Maintenance:
        paraTableAct_ = false;
        // An accepted login shows the maintenance rows in the table, unfiltered.
        if (p_.maintenance && p_.maintenance()) {
            table_->maintenance = p_.flags.MainteFlag;
            tableWindow_->ResetTable();
        }
        return;
    case C::About:
        paraTableAct_ = false;
        if (p_.about)
            p_.about();
        return;
    case C::CommunicationCheck:
        CommunicationCheck();
        if (p_.link.indicator.Current() == CommIndicator::NoLink && p_.rs232c) {
            p_.rs232c();
            CommunicationCheck();
        }
        return;
    default:
        return; // commands of parts that are not built yet are disabled
    }
}

// A whole-set run: the link and the maintenance access first, then the
// dialog; afterwards the report (saved automatically when due) and the table.
void MainWindow::Transfer(Command command, TransferMode mode) {
    if (!actions_[command]->isEnabled())
        return;
    paraTableAct_ = false;
    const TransferSetup setup = TransferSetup::From(p_.options, p_.flags.MainteFlag);
    AppSession& s = p_.session;
    FunctionPump pump([] { QCoreApplication::processEvents(); });
    TransferSession transfer(
        s.table, s.values, p_.link, s.messenger, pump,
        {mode, setup, p_.paths.Identity().TypeForm, table_->decimalComma, false});
    const bool prepared = transfer.Prepare();
    UpdateIndicator();
    if (!prepared)
        return;
    ResultReport& report = transfer.Report();
    TransferDialog bar(transfer.Run(), mode, report, s.messenger, s.texts, this);
    bar.ShowChangedOnlyNote(mode == TransferMode::Export && setup.run.changedOnly);
    if (setup.checkType)
        bar.typeCheck = [this] {
            p_.link.InverterTypeCheck(p_.paths.InverterIni, p_.paths.Identity());
        };
    bar.exec();
    UpdateIndicator();
    if (!bar.Started())
        return;
    transfer.Finish(bar.Result());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (transfer.AutoSaveDue()) {
        QString error;
        if (!AutoSaveReport(report.lines, p_.paths.AppDir, documents, QDateTime::currentDateTime(),
                            &error))
            s.messenger.Dialogs().ShowMessage(
                Message{0, error, windowTitle(), MsgIcon::Stop, MsgButtons::Ok});
    }
    if (transfer.ShowsReport()) {
        const bool printers = !QPrinterInfo::availablePrinterNames().isEmpty();
        ReportWindow form(
            report, s.texts, s.messenger.Dialogs(),
            {p_.paths.AppDir, documents, setup.run.autoSave, !setup.checkPrinter || printers},
            this);
        paraTableAct_ = false;
        form.exec();
    }
    if (transfer.RefreshAfter() == TransferSession::Refresh::Repaint)
        tableWindow_->Grid()->viewport()->update();
    else
        tableWindow_->ResetTable();
    UpdateTitle();
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
