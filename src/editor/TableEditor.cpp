#include "editor/TableEditor.h"

#include "base/ProgramFlags.h"
#include "data/DefinitionLoader.h"
#include "data/ParaDat.h"
#include "data/ParameterLink.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <cmath>

namespace vdk {

namespace {

constexpr int kMaxTyped = 12;
const QString kNotChanged = QStringLiteral("      ");

bool Accepted(QChar c, bool first) {
    if (c == QLatin1Char('h') || c == QLatin1Char('H'))
        return first;
    const char16_t u = c.unicode();
    return u == ',' || u == '-' || u == '.' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') ||
           (u >= 'a' && u <= 'f');
}

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

TableEditor::TableEditor(ParameterTable& grid, ParaDat& table, UPara& values, Messenger& messenger,
                         const ProgramFlags& flags)
    : grid_(grid), table_(table), values_(values), messenger_(messenger), flags_(flags) {}

int TableEditor::ParamOf(int row) const {
    return row >= 0 && row < grid_.Rows().size() ? grid_.Rows()[row].param : -1;
}

int TableEditor::RowOf(int param) const {
    const QList<ParameterTable::Row>& rows = grid_.Rows();
    for (int k = 0; k < rows.size(); ++k)
        if (rows[k].param == param)
            return k;
    return -1;
}

QString TableEditor::Shown(int param, double raw) const {
    return ShownValue(table_, values_, param, raw, grid_.decimalComma);
}

void TableEditor::SetCell(int row, ParameterTable::Column column, const QString& text) {
    if (row >= 0 && row < grid_.Rows().size())
        grid_.SetCell(row, column, text);
}

void TableEditor::SetChangedMark(int param, int row) {
    const bool changed =
        MarkChanged(table_, values_, param, values_.At(param, UPara::Value), messenger_);
    SetCell(row, ParameterTable::Changed, changed ? messenger_.Text(kMsgChangedMark) : kNotChanged);
}

// ---- typing ----

bool TableEditor::Type(QChar c) {
    if (ParamOf(currentRow) < 0 || editBuffer_.size() >= kMaxTyped ||
        !Accepted(c, editBuffer_.isEmpty()))
        return false;
    if (!editActive_) {
        savedCellText_ = grid_.Rows()[currentRow].cells[ParameterTable::ValueCol];
        editActive_ = true;
    }
    editBuffer_.append(c);
    SetCell(currentRow, ParameterTable::ValueCol, editBuffer_);
    return true;
}

void TableEditor::Backspace() {
    if (editBuffer_.isEmpty())
        return;
    editBuffer_.chop(1);
    SetCell(currentRow, ParameterTable::ValueCol, editBuffer_);
}

void TableEditor::EndEntry() {
    if (editActive_)
        SetCell(currentRow, ParameterTable::ValueCol, savedCellText_);
    editBuffer_.clear();
    editActive_ = false;
}

// The committed value in the row with the marks it gives; the entry ends.
void TableEditor::FinishEntry(int param) {
    values_.SetUnread(param, false);
    SetChangedMark(param, currentRow);
    SetCell(currentRow, ParameterTable::ValueCol,
            Shown(param, values_.At(param, UPara::Value).toDouble()));
    editBuffer_.clear();
    editActive_ = false;
    grid_.ResolveLinkedLimits();
}

// The cell shows its text from before the entry; when nothing was typed it
// already does (an older saved text would belong to another entry).
void TableEditor::Reject(int message) {
    messenger_.Show(message, MsgIcon::Exclamation);
    EndEntry();
}

// What the value cell of the current row holds, converted; the hexadecimal
// mark follows the text. A reject is shown and ends the entry.
std::optional<Entry> TableEditor::ReadEntry() {
    const int r = ParamOf(currentRow);
    if (r < 0)
        return std::nullopt;
    const QString text = grid_.Rows()[currentRow].cells[ParameterTable::ValueCol];
    const Entry entry = ConvertEntry(table_, values_, r, text, grid_.decimalComma);
    if (!text.trimmed().isEmpty())
        values_.SetMark(r, UPara::HexIndex, entry.hex);
    if (!Accept(entry))
        return std::nullopt;
    return entry;
}

bool TableEditor::Accept(const Entry& entry) {
    if (entry.status != Entry::Ok) {
        Reject(entry.status == Entry::Empty ? kMsgEmptyEntry : kMsgNotNumber);
        return false;
    }
    if (entry.range.unreadable)
        messenger_.Show(kMsgNotNumber, MsgIcon::Exclamation);
    return true;
}

// "Out of range", with the limit the value was set to, in display units.
void TableEditor::ShowClamped(int param, double limit) {
    messenger_.ShowText(kMsgClamped,
                        messenger_.Text(kMsgClamped) + QLatin1Char('\n') +
                            Shown(param, limit).trimmed() + QLatin1Char(' ') +
                            table_.At(param, Unit),
                        MsgIcon::Exclamation);
}

void TableEditor::Enter() {
    const int r = ParamOf(currentRow);
    if (r < 0)
        return;
    const CommittedValue committed =
        CommitValue(table_, values_, r, grid_.Rows()[currentRow].cells[ParameterTable::ValueCol],
                    grid_.decimalComma, messenger_);
    if (!Accept(committed.entry))
        return;
    if (committed.entry.range.clamped)
        ShowClamped(r, committed.entry.range.value);
    PushUndo(table_.At(r, ComNo), committed.previous, NewStep());
    FinishEntry(r);
    if (CurrentOptions().moveOnEnter && currentRow + 1 < grid_.Rows().size()) {
        ++currentRow;
        scroll_ = Scroll::Visible;
    }
}

// ---- commands over the marked rows ----

template <typename F> void TableEditor::ForMarked(const Selection& s, F&& f) {
    grid_.MarkCurrentSelection(s.top, s.bottom, currentRow);
    const QList<ParameterTable::Row>& rows = grid_.Rows();
    for (int k = 0; k < rows.size(); ++k) {
        const int p = rows[k].param;
        if (values_.Marked(p, UPara::SelectIndex) || values_.Marked(p, UPara::OneSelectIndex))
            f(k, p);
        values_.SetMark(p, UPara::OneSelectIndex, false);
    }
    ClearCurrentMark();
}

void TableEditor::ClearCurrentMark() {
    if (const int p = ParamOf(currentRow); p >= 0)
        values_.SetMark(p, UPara::OneSelectIndex, false);
}

// Hexadecimal from the stored value: the cell's decimal text is rounded.
void TableEditor::Hex(const Selection& s) {
    EndEntry();
    ForMarked(s, [this](int k, int p) {
        if (values_.Marked(p, UPara::HexIndex))
            return;
        SetCell(k, ParameterTable::ValueCol,
                QStringLiteral("h") + FormatHex(values_.At(p, UPara::Value).toDouble()));
        values_.SetMark(p, UPara::HexIndex, true);
    });
}

void TableEditor::Dec(const Selection& s) {
    EndEntry();
    ForMarked(s, [this](int k, int p) {
        if (!values_.Marked(p, UPara::HexIndex))
            return;
        QString t = grid_.Rows()[k].cells[ParameterTable::ValueCol];
        if (t.isEmpty())
            t = QStringLiteral("0000");
        const double raw = ParseHex(QStringView(t).mid(1), NegativeLow(table_, values_, p))
                               .value_or(values_.At(p, UPara::Value).toDouble());
        values_.SetMark(p, UPara::HexIndex, false);
        SetCell(k, ParameterTable::ValueCol, Shown(p, raw));
    });
}

void TableEditor::Shipment(const Selection& s) {
    EndEntry();
    const int step = NewStep(); // the command is one step
    ForMarked(s, [&](int k, int p) {
        bool ok = false;
        const double d =
            std::trunc(DefaultOf(table_, table_.At(p, ComNo), messenger_).toDouble(&ok));
        if (!ok)
            return; // a default that does not resolve was reported; the value stays
        QString& value = values_.At(p, UPara::Value);
        if (value != RawText(d))
            PushUndo(table_.At(p, ComNo), value, step);
        if (std::trunc(value.toDouble()) != d)
            values_.SetMark(p, UPara::WriteIndex, true);
        values_.SetMark(p, UPara::ChangeIndex, false);
        SetCell(k, ParameterTable::Changed, kNotChanged);
        value = RawText(d);
        values_.SetUnread(p, false); // the shipment value is meant
        values_.SetMark(p, UPara::HexIndex, false);
        SetCell(k, ParameterTable::ValueCol, Shown(p, d));
    });
}

// ---- single-parameter transfers ----

bool TableEditor::LinkReady() {
    if (link_ && link_->Ready())
        return true;
    messenger_.Show(kMsgNoLink, MsgIcon::Exclamation);
    return false;
}

void TableEditor::SelectedImport(const Selection& s) {
    if (flags_.MonitorBusy)
        return;
    EndEntry();
    if (!LinkReady()) {
        ClearCurrentMark();
        return;
    }
    const int step = NewStep(); // the import is one step
    ForMarked(s, [&](int k, int p) {
        // A value read is the inverter's: nothing left to write. A failed
        // read keeps the value and whether it still waits to be written.
        const QString before = values_.At(p, UPara::Value);
        if (link_->Read(p)) {
            if (values_.At(p, UPara::Value) != before)
                PushUndo(table_.At(p, ComNo), before, step);
            SetCell(k, ParameterTable::ValueCol, Shown(p, values_.At(p, UPara::Value).toDouble()));
            values_.SetMark(p, UPara::WriteIndex, false);
        }
        SetChangedMark(p, k);
    });
    grid_.ResolveLinkedLimits();
}

void TableEditor::SelectedExport(const Selection& s) {
    if (!editBuffer_.isEmpty()) {
        if (!flags_.MonitorBusy)
            TypedExport();
        return;
    }
    EndEntry();
    MarkedExport(s);
}

void TableEditor::TypedExport() {
    const auto entry = ReadEntry();
    if (!entry)
        return;
    const int r = ParamOf(currentRow);
    if (entry->range.clamped) {
        ShowClamped(r, entry->range.value);
        return; // nothing is sent; the entry goes on
    }
    if (!LinkReady() || !link_->MayWrite())
        return;
    if (table_.WriteProtected(r)) {
        messenger_.Show(kMsgWriteProtected, MsgIcon::Stop);
        values_.SetMark(r, UPara::OneSelectIndex, false);
        return;
    }
    const QString stored =
        link_->Write(r, RawText(entry->range.value), CurrentOptions().eepromWrite);
    PushUndo(table_.At(r, ComNo), values_.At(r, UPara::Value), NewStep());
    values_.At(r, UPara::Value) = stored;
    // The marks describe the value the table now holds, sent or not.
    FinishEntry(r);
}

// Each marked row sends the value the table holds, not its rounded display.
void TableEditor::MarkedExport(const Selection& s) {
    if (!LinkReady() || !link_->MayWrite()) {
        ClearCurrentMark();
        return;
    }
    ForMarked(s, [&](int k, int p) {
        if (table_.WriteProtected(p)) {
            messenger_.Show(kMsgWriteProtected, MsgIcon::Stop);
            return;
        }
        const QString stored =
            link_->Write(p, values_.At(p, UPara::Value), CurrentOptions().eepromWrite);
        values_.At(p, UPara::Value) = stored;
        SetCell(k, ParameterTable::ValueCol, Shown(p, stored.toDouble()));
    });
}

// ---- undo and redo ----

void TableEditor::PushUndo(const QString& comNo, const QString& old, int step) {
    undo_.append({comNo, old, step});
    redo_.clear();
    const auto steps = [this] {
        QList<int> ids;
        for (const UndoEntry& e : std::as_const(undo_))
            if (ids.isEmpty() || ids.last() != e.step)
                ids.append(e.step);
        return ids.size();
    };
    while (!undo_.isEmpty() && steps() > std::max(0, CurrentOptions().undoMax)) {
        const int oldest = undo_.first().step;
        while (!undo_.isEmpty() && undo_.first().step == oldest)
            undo_.removeFirst();
    }
}

// Undo and redo are mirror images: the newest step of `from` is restored and
// the values it replaces go to `to`, as one step again.
void TableEditor::Restore(QList<UndoEntry>& from, QList<UndoEntry>& to) {
    if (from.isEmpty())
        return;
    EndEntry();
    const int step = from.last().step;
    while (!from.isEmpty() && from.last().step == step) {
        const UndoEntry entry = from.takeLast();
        const int r = table_.FindRow(entry.comNo);
        if (r < 0 || r >= values_.Count())
            continue;
        to.append({entry.comNo, values_.At(r, UPara::Value), step});
        values_.At(r, UPara::Value) = entry.value;
        // A parameter the view does not show changes in the tables only.
        const int g = RowOf(r);
        if (g >= 0) {
            currentRow = g;
            scroll_ = Scroll::TopWhenHidden;
            SetCell(g, ParameterTable::ValueCol, Shown(r, entry.value.toDouble()));
        }
        SetChangedMark(r, g);
    }
    grid_.ResolveLinkedLimits();
}

void TableEditor::Undo() {
    Restore(undo_, redo_);
}

void TableEditor::Redo() {
    Restore(redo_, undo_);
}

// ---- copy and find ----

QString TableEditor::CopySelection(const Selection& s) const {
    const int left = std::max<int>(s.left, ParameterTable::ComNoCol);
    const int right = std::min<int>(s.right, ParameterTable::ColumnCount - 1);
    const auto line = [&](const auto& cells) {
        QString text = cells[ParameterTable::Title];
        for (int c = left; c <= right; ++c)
            text += QLatin1Char('\t') + cells[c];
        return text + QStringLiteral("\r\n");
    };
    QString text = line(grid_.Header());
    for (int k = std::max(0, s.top); k <= s.bottom && k < grid_.Rows().size(); ++k)
        text += line(grid_.Rows()[k].cells);
    return text;
}

QString TableEditor::OpenFind(const Selection& s) {
    findPosition_ = 0;
    if (s.top < 0 || s.top >= grid_.Rows().size() || s.left < 0 ||
        s.left >= ParameterTable::ColumnCount)
        return QString();
    return grid_.Rows()[s.top].cells[s.left].trimmed();
}

bool TableEditor::FindNext(const QString& what, bool matchCase, bool wholeWord) {
    const QString text = grid_.FindText().join(QStringLiteral("\r\n"));
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    qsizetype p = what.isEmpty() ? -1 : text.indexOf(what, findPosition_, cs);
    while (p >= 0 && wholeWord) {
        const qsizetype end = p + what.size();
        if ((p == 0 || !IsWordChar(text[p - 1])) && (end == text.size() || !IsWordChar(text[end])))
            break;
        p = text.indexOf(what, p + 1, cs);
    }
    if (p < 0) {
        messenger_.Show(kMsgNotFound, MsgIcon::Stop);
        return false;
    }
    findPosition_ = int(p + what.size());
    currentRow = int(QStringView(text).left(p).count(QLatin1Char('\n')));
    scroll_ = Scroll::Top;
    return true;
}

// ---- the table as a whole ----

void TableEditor::ResetTable() {
    grid_.ResetTable();
    undo_.clear();
    redo_.clear();
    editBuffer_.clear();
    editActive_ = false;
    currentRow = 0;
    findPosition_ = 0;
}

TableEditor::Scroll TableEditor::TakeScroll() {
    return std::exchange(scroll_, Scroll::None);
}

} // namespace vdk
