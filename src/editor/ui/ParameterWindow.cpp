#include "editor/ui/ParameterWindow.h"

#include "base/ui/HelpWindow.h"
#include "base/ui/SettingsColour.h"
#include "editor/ui/FindDialog.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace vdk {

namespace {

Qt::Alignment AlignmentOf(CellStyle::Align align) {
    switch (align) {
    case CellStyle::Left:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case CellStyle::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CellStyle::Center:
        break;
    }
    return Qt::AlignCenter;
}

// Paints a cell from the table's paint state; no widgets per cell.
class CellDelegate final : public QStyledItemDelegate {
public:
    CellDelegate(const TableEditor& editor, QColor value, QColor other, QObject* parent)
        : QStyledItemDelegate(parent), editor_(editor), table_(editor.Grid()), value_(value),
          other_(other) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (editor_.EditActive() && index.row() == editor_.currentRow &&
            index.column() == ParameterTable::ValueCol)
            return PaintEntry(p, option, index.data().toString());
        const CellStyle style = table_.StyleOf(index.row(), index.column());
        const bool selected = option.state & QStyle::State_Selected;
        QColor background = option.palette.color(QPalette::Button);
        switch (style.background) {
        case CellStyle::Other:
            background = other_;
            break;
        case CellStyle::Value:
            background = value_;
            break;
        case CellStyle::Selected:
            background = QColor(0, 0, 255);
            break;
        case CellStyle::Fixed:
            break;
        }
        if (selected && style.background != CellStyle::Fixed)
            background = QColor(0, 0, 0xA0);
        p->fillRect(option.rect, background);

        QColor text = option.palette.color(QPalette::Text);
        if (style.text == CellStyle::Red)
            text = QColor(255, 0, 0);
        else if (style.text == CellStyle::Silver)
            text = QColor(192, 192, 192);
        else if (style.text == CellStyle::White)
            text = Qt::white;
        if (selected && style.background != CellStyle::Fixed)
            text = option.palette.color(QPalette::HighlightedText);
        QFont font = option.font;
        font.setBold(style.bold);
        p->setFont(font);
        p->setPen(text);
        const QRect area = option.rect.adjusted(3, 0, -3, 0);
        // The fixed-width padding of the values would only be cut off: the
        // alignment places the text.
        const QString shown = index.data().toString().trimmed();
        p->drawText(area, int(AlignmentOf(style.align)) | Qt::TextSingleLine,
                    QFontMetrics(font).elidedText(shown, Qt::ElideRight, area.width()));
        // A value its limits do not allow (from a file) is framed in red:
        // exporting it would be refused or clamped by the inverter.
        if (style.outsideLimits) {
            p->setPen(QPen(QColor(220, 0, 0), 2));
            p->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        }
    }

private:
    // The cell being typed into looks like an edit field: white, framed, with
    // the text cursor after the typed characters.
    static void PaintEntry(QPainter* p, const QStyleOptionViewItem& option, const QString& text) {
        const QRect frame = option.rect.adjusted(0, 0, -1, -1);
        p->fillRect(option.rect, Qt::white);
        p->setPen(option.palette.color(QPalette::Highlight));
        p->drawRect(frame);
        p->setFont(option.font);
        p->setPen(Qt::black);
        const QRect area = option.rect.adjusted(4, 0, -4, 0);
        p->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        const int x = area.left() + QFontMetrics(option.font).horizontalAdvance(text) + 1;
        p->drawLine(x, frame.top() + 3, x, frame.bottom() - 3);
    }

    const TableEditor& editor_;
    const ParameterTable& table_;
    QColor value_;
    QColor other_;
};

} // namespace

int ParameterGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(table_.Rows().size());
}

int ParameterGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ParameterTable::ColumnCount;
}

QVariant ParameterGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= table_.Rows().size())
        return {};
    return table_.Rows()[index.row()].cells[index.column()];
}

QVariant ParameterGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return table_.Header().value(section);
}

void ParameterGridModel::Refresh() {
    beginResetModel();
    endResetModel();
}

void ParameterGridModel::CellsChanged() {
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

ParameterWindow::ParameterWindow(TableEditor& editor, Messenger& messenger,
                                 const LanguageTexts& texts, Context context, QWidget* parent)
    : QWidget(parent, Qt::Window), editor_(editor), table_(editor.Grid()), messenger_(messenger),
      context_(std::move(context)), captionPrefix_(texts.LangMessage(kMsgTableCaption)),
      model_(table_) {
    grid_ = new QTableView(this);
    grid_->setModel(&model_);
    grid_->setItemDelegate(new CellDelegate(editor_, ColourOf(context_.valueColour),
                                            ColourOf(context_.otherColour), grid_));
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);
    setMinimumSize(639, 250);
    resize(639, 403);
    setAcceptDrops(true);
    grid_->viewport()->installEventFilter(this);
    grid_->installEventFilter(this);
    BuildMenu(texts);
    connect(grid_, &QTableView::customContextMenuRequested, this, [this](const QPoint& at) {
        // The menu ends an entry in progress.
        editor_.EndEntry();
        Sync();
        menu_->popup(grid_->viewport()->mapToGlobal(at));
    });
    connect(grid_, &QTableView::doubleClicked, this, [this] { Run(Command::ParameterHelp); });
    find_ = new FindDialog(texts, this);
    connect(find_, &FindDialog::FindNext, this, [this] {
        editor_.FindNext(find_->Text(), find_->MatchCase(), find_->WholeWord());
        Sync();
    });
    connect(find_, &FindDialog::Closed, this, [this] {
        activateWindow();
        grid_->setFocus();
    });
    ResetTable();
    // A click or an arrow key ends an entry; then the new cell is current.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (syncing_ || !current.isValid())
                    return;
                editor_.EndEntry();
                editor_.currentRow = current.row();
                model_.CellsChanged();
            });
}

void ParameterWindow::BuildMenu(const LanguageTexts& texts) {
    struct Item {
        Command command;
        const char* key;
        const char* caption;
        QKeySequence shortcut;
        bool visible;
        bool separatorAfter;
    };
    const Item items[] = {
        {Command::Undo, "Menu22", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), false, false},
        {Command::Redo, "Menu23", "Redo", {}, false, true}, // its keys follow
        {Command::Copy, "Menu24", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C), true, true},
        {Command::SelectedImport, "Menu27", "Selected Parameter Import", QKeySequence(Qt::Key_F3),
         false, false},
        {Command::SelectedExport, "Menu28", "Selected Parameter Export", QKeySequence(Qt::Key_F2),
         false, true},
        {Command::ChangedOnly, "Menu29", "'Changed' Only", {}, true, false},
        {Command::Quick, "Menu2k", "Quick", {}, true, true},
        {Command::Select, "Menu2a", "Select", QKeySequence(Qt::CTRL | Qt::Key_S), true, false},
        {Command::SelectClear, "Menu2b", "Select Clear",
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), true, true},
        {Command::Blind, "Menu2c", "Blind", {}, true, false},
        {Command::AllParameters, "Menu2d", "All Parameters", {}, true, true},
        {Command::Hex, "Menu2e", "Hex.", {}, true, false},
        {Command::Dec, "Menu2f", "Dec.", {}, true, false},
        {Command::Shipment, "Menu2g", "Shipment", {}, false, true},
        {Command::ParameterHelp, "Menu2h", "Show Parameter Help", QKeySequence(Qt::Key_F10), true,
         false},
        {Command::Find, "Menu2i", "Find", QKeySequence(Qt::CTRL | Qt::Key_F), false, true},
        {Command::Close, nullptr, "Close", {}, true, false},
    };
    menu_ = new QMenu(this);
    commands_ = new QActionGroup(this);
    commands_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (const Item& item : items) {
        QString caption = QString::fromLatin1(item.caption);
        if (item.key)
            caption = texts.LangText(QStringLiteral("Main"), QLatin1String(item.key), caption);
        else if (item.command == Command::Close)
            caption =
                texts.LangText(QStringLiteral("Parameter"), QStringLiteral("PopMenu1"), caption);
        // Items the menu does not show still answer their shortcuts. The main
        // window puts the same actions into its menu and tool bar.
        auto* action = new QAction(caption, this);
        if (item.visible)
            menu_->addAction(action);
        action->setShortcut(item.shortcut);
        addAction(action);
        commands_->addAction(action);
        connect(action, &QAction::triggered, this, [this, c = item.command] { Run(c); });
        actions_[item.command] = action;
        if (item.separatorAfter)
            menu_->addSeparator();
    }
    for (Command c : {Command::ChangedOnly, Command::Quick, Command::Blind})
        actions_[c]->setCheckable(true);
    // Redo answers the keys other programs use for it too.
    actions_[Command::Redo]->setShortcuts({QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z),
                                           QKeySequence(Qt::CTRL | Qt::Key_Y),
                                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    actions_[Command::Quick]->setVisible(context_.quickCount > 0);
    actions_[Command::ParameterHelp]->setEnabled(QFileInfo::exists(context_.paraHelpFile));
}

void ParameterWindow::ApplyMenuState() {
    const ParameterTable::Menu& m = table_.MenuState();
    const auto set = [this](Command c, bool enabled, std::optional<bool> checked = std::nullopt) {
        actions_[c]->setEnabled(enabled);
        if (checked)
            actions_[c]->setChecked(*checked);
    };
    set(Command::ChangedOnly, m.changedEnabled, m.changedChecked);
    set(Command::Quick, m.quickEnabled, m.quickChecked);
    set(Command::Blind, m.blindEnabled, m.blindChecked);
    set(Command::AllParameters, m.allEnabled);
    set(Command::Select, m.selectEnabled);
    set(Command::SelectClear, m.selectClearEnabled);
    set(Command::Find, m.findEnabled);
    set(Command::Undo, editor_.CanUndo());
    set(Command::Redo, editor_.CanRedo());
}

// The rows were built anew: an entry ends, and the top row is current.
void ParameterWindow::Rebuilt() {
    editor_.EndEntry();
    model_.Refresh();
    ApplyMenuState();
    editor_.currentRow = 0;
    if (model_.rowCount() > 0) {
        syncing_ = true;
        grid_->selectionModel()->setCurrentIndex(model_.index(0, ParameterTable::ValueCol),
                                                 QItemSelectionModel::NoUpdate);
        syncing_ = false;
    }
}

void ParameterWindow::ResetTable() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    editor_.ResetTable();
    QApplication::restoreOverrideCursor();
    setWindowTitle(ParameterTable::Caption(captionPrefix_, context_.typeForm, context_.capacity,
                                           context_.cpuVer));
    Rebuilt();
    Q_EMIT Edited();
}

int ParameterWindow::CurrentRow() const {
    const QModelIndex current = grid_->currentIndex();
    return current.isValid() ? current.row() : 0;
}

TableEditor::Selection ParameterWindow::CurrentSelection() const {
    const QItemSelection selection = grid_->selectionModel()->selection();
    if (selection.isEmpty()) {
        const int row = CurrentRow();
        const int column = std::max(0, grid_->currentIndex().column());
        return {row, row, column, column};
    }
    const QItemSelectionRange& range = selection.first();
    return {range.top(), range.bottom(), range.left(), range.right()};
}

void ParameterWindow::Sync() {
    model_.CellsChanged();
    ApplyMenuState();
    Q_EMIT Edited();
    const TableEditor::Scroll scroll = editor_.TakeScroll();
    const int row = editor_.currentRow;
    if (scroll == TableEditor::Scroll::None || row < 0 || row >= model_.rowCount())
        return;
    const QModelIndex target = model_.index(row, ParameterTable::ValueCol);
    syncing_ = true;
    grid_->setCurrentIndex(target);
    syncing_ = false;
    const bool hidden = !grid_->viewport()->rect().contains(grid_->visualRect(target));
    const bool top = scroll == TableEditor::Scroll::Top ||
                     (scroll == TableEditor::Scroll::TopWhenHidden && hidden);
    grid_->scrollTo(target,
                    top ? QAbstractItemView::PositionAtTop : QAbstractItemView::EnsureVisible);
}

void ParameterWindow::OpenFind() {
    // An empty cell keeps the text of the last search.
    if (const QString text = editor_.OpenFind(CurrentSelection()); !text.isEmpty())
        find_->SetText(text);
    find_->show();
    find_->raise();
    find_->activateWindow();
}

void ParameterWindow::Run(Command command) {
    const TableEditor::Selection s = CurrentSelection();
    switch (command) {
    case Command::Undo:
        editor_.Undo(); // nothing happens with an empty store
        return Sync();
    case Command::Redo:
        editor_.Redo();
        return Sync();
    case Command::Copy:
        QGuiApplication::clipboard()->setText(editor_.CopySelection(s));
        return;
    case Command::SelectedImport:
        if (actions_[command]->isEnabled() && lastActive_)
            editor_.SelectedImport(s);
        return Sync();
    case Command::SelectedExport:
        if (actions_[command]->isEnabled() && lastActive_)
            editor_.SelectedExport(s);
        return Sync();
    case Command::Hex:
        editor_.Hex(s);
        return Sync();
    case Command::Dec:
        editor_.Dec(s);
        return Sync();
    case Command::Shipment:
        editor_.Shipment(s);
        return Sync();
    case Command::Find:
        if (actions_[command]->isEnabled())
            OpenFind();
        return;
    case Command::ChangedOnly:
        table_.ToggleChanged();
        break;
    case Command::Quick:
        table_.ToggleQuick();
        break;
    case Command::Blind:
        table_.Blind();
        break;
    case Command::AllParameters:
        table_.AllParameters();
        grid_->setFocus();
        break;
    case Command::Select:
        table_.Select(s.top, s.bottom, s.left, s.right);
        grid_->viewport()->update();
        return;
    case Command::SelectClear:
        table_.SelectClear();
        grid_->viewport()->update();
        return;
    case Command::ParameterHelp:
        if (lastActive_)
            ShowParameterHelp();
        return;
    case Command::Close:
        close();
        return;
    }
    Rebuilt();
}

// Keys of value entry; everything else goes on to the grid.
bool ParameterWindow::HandleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Backspace:
        editor_.Backspace();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        editor_.Enter();
        break;
    case Qt::Key_Escape:
        editor_.EndEntry();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        editor_.EndEntry();
        model_.CellsChanged();
        return false; // the grid moves the current cell
    case Qt::Key_Delete:
        Run(Command::Shipment);
        return true;
    default:
        if (mods & ~Qt::ShiftModifier || event->text().size() != 1 ||
            !event->text().front().isPrint())
            return false;
        // Characters the entry does not take are swallowed, not searched for.
        if (!editor_.Type(event->text().front()))
            return true;
        break;
    }
    Sync();
    return true;
}

// The inverter's help at the row's parameter, or the application's help when
// the inverter has none.
void ParameterWindow::ShowParameterHelp() {
    const bool own = QFileInfo::exists(context_.paraHelpFile);
    if (!own && !QFileInfo::exists(context_.helpFile))
        return;
    if (!help_)
        help_ = new HelpWindow(this, QSize(560, 480));
    QUrl url = QUrl::fromLocalFile(own ? context_.paraHelpFile : context_.helpFile);
    if (own && !table_.Rows().isEmpty())
        url.setFragment(table_.Rows()[CurrentRow()].cells[ParameterTable::ComNoCol]);
    help_->Show(url);
}

// The columns keep their ratios of the grid's client width.
bool ParameterWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        HandleKey(static_cast<QKeyEvent*>(event)))
        return true;
    // Any click ends an entry, the cell being typed into too; a click on
    // another cell then makes that one current.
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonPress &&
        editor_.EditActive()) {
        editor_.EndEntry();
        model_.CellsChanged();
    }
    if (watched == grid_->viewport() && event->type() == QEvent::Resize) {
        const QList<int> widths = ParameterTable::ColumnWidths(grid_->viewport()->width());
        for (int c = 0; c < widths.size(); ++c)
            grid_->setColumnWidth(c, widths[c]);
    }
    return QWidget::eventFilter(watched, event);
}

// A closed table takes no commands: its items in the main menu show it.
void ParameterWindow::closeEvent(QCloseEvent* event) {
    commands_->setEnabled(false);
    QWidget::closeEvent(event);
}

void ParameterWindow::showEvent(QShowEvent* event) {
    commands_->setEnabled(true);
    QWidget::showEvent(event);
}

bool ParameterWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        lastActive_ = true;
        Q_EMIT Activated();
    }
    return QWidget::event(event);
}

void ParameterWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ParameterWindow::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        files.append(url.toLocalFile());
    event->acceptProposedAction();
    DropFiles(files);
}

void ParameterWindow::DropFiles(const QStringList& files) {
    const DropCheck check = CheckDrop(files);
    if (check.message) {
        messenger_.Show(check.message, MsgIcon::Exclamation);
        return;
    }
    if (context_.openFile && context_.openFile(check.file))
        ResetTable();
}

} // namespace vdk
