#include "table/ParameterTable.h"

#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <cmath>
#include <limits>

namespace vdk {

namespace {

const QString kZero = QStringLiteral("0");
const QString kOne = QStringLiteral("1");
const QString kNotChanged = QStringLiteral("      ");

double Number(const QString& text) {
    return text.trimmed().toDouble(); // empty and damaged texts count as 0
}

QString Negated(const QString& text) {
    return text.startsWith(QLatin1Char('-')) ? text.mid(1) : QLatin1Char('-') + text;
}

void Show(Messenger& messenger, int message) {
    messenger.Show(message, MsgIcon::Exclamation);
}

} // namespace

ParameterTable::ParameterTable(const ParaDat& table, UPara& values, Messenger& messenger)
    : table_(table), values_(values), messenger_(messenger) {}

int ParameterTable::LastShown() const {
    return std::min(table_.ShownLastRow(maintenance), values_.Count() - 1);
}

ParameterTable::Mode ParameterTable::CurrentMode() const {
    if (menu_.changedChecked)
        return Mode::Changed;
    if (menu_.blindChecked)
        return Mode::Blind;
    if (menu_.quickChecked)
        return Mode::Quick;
    return Mode::All;
}

QList<int> ParameterTable::ColumnWidths(int clientWidth) {
    static constexpr float kRatios[ColumnCount] = {0.0889f, 0.0973f, 0.354f,  0.0889f,
                                                   0.0889f, 0.0889f, 0.0889f, 0.095f};
    QList<int> widths;
    for (float ratio : kRatios)
        widths.append(int(double(ratio) * clientWidth)); // 0.095f is a little below 0.095
    return widths;
}

QString ParameterTable::Caption(const QString& prefix, const QString& typeForm,
                                const QString& capacity, const QString& cpuVer) {
    return prefix + QLatin1Char(' ') + typeForm + capacity + QStringLiteral(" (CPU Ver.") + cpuVer +
           QLatin1Char(')');
}

QStringList ParameterTable::Header() const {
    QStringList header;
    for (int message : {22, 23, 24, 26, 27, 28, 29})
        header.append(messenger_.Text(message));
    header.append(QString());
    return header;
}

QString ParameterTable::ValueOf(QStringView comNo) const {
    const int row = table_.FindRow(comNo);
    return row >= 0 && row < values_.Count() ? values_.At(row, UPara::Value) : QString();
}

// Every checked view skips its rows: after a reset in blind mode "'Changed'
// Only" and "Quick" can be checked with "Blind", and the blind rows stay hidden.
bool ParameterTable::Passes(int param) const {
    return (!menu_.changedChecked || values_.Marked(param, UPara::ChangeIndex)) &&
           (!menu_.blindChecked || !values_.Marked(param, UPara::BlindIndex)) &&
           (!menu_.quickChecked || table_.At(param, Quick) != kZero);
}

void ParameterTable::ResetTable() {
    menu_ = Menu{};
    menu_.blindChecked = values_.BlindMode;
    menu_.allEnabled = values_.BlindMode;
    for (int i = 0; i < values_.Count(); ++i) {
        if (!values_.BlindMode)
            for (UPara::Col col : {UPara::SelectIndex, UPara::HexIndex, UPara::BlindIndex})
                values_.SetMark(i, col, false);
        values_.SetMark(i, UPara::WriteIndex, false);
        // Changed marks describe the values, blind and maintenance rows included.
        MarkChanged(table_, values_, i, values_.At(i, UPara::Value), messenger_);
    }
    values_.BlindCount = values_.BlindMode ? values_.CountMarked(UPara::BlindIndex) : 0;
    BuildTable();
    BuildFindText();
}

void ParameterTable::BuildTable() {
    rows_.clear();
    for (int i = 0; i <= LastShown(); ++i) {
        if (!Passes(i))
            continue;
        Row row;
        row.param = i;
        row.cells[Title] = table_.At(i, FTitle);
        row.cells[ComNoCol] = table_.At(i, ComNo);
        row.cells[Function] = table_.At(i, FName);
        const QString& value = values_.At(i, UPara::Value);
        const double raw = Number(value);
        row.cells[ValueCol] = ShownValue(table_, values_, i, raw, decimalComma);
        row.cells[UnitCol] = table_.At(i, Unit);
        const bool changed =
            MarkChanged(table_, values_, i, value.isEmpty() ? kZero : value, messenger_);
        row.cells[Changed] = changed ? messenger_.Text(kMsgChangedMark) : kNotChanged;
        rows_.append(std::move(row));
    }
    ResolveLinkedLimits();
}

void ParameterTable::FillLimits(Row& row) {
    const int r = row.param;
    if (table_.At(r, HIndex) != kZero)
        values_.At(r, UPara::HValue) = ValueOf(table_.At(r, High));
    const QString& lIndex = table_.At(r, LIndex);
    if (lIndex != kZero) {
        const QString low = ValueOf(table_.At(r, Low));
        values_.At(r, UPara::LValue) = lIndex == QLatin1String("-1") ? Negated(low) : low;
    }
    row.cells[HighCol] = ScaledText(table_, r, Number(values_.At(r, UPara::HValue)), decimalComma);
    row.cells[LowCol] = ScaledText(table_, r, Number(values_.At(r, UPara::LValue)), decimalComma);
}

void ParameterTable::ResolveLinkedLimits() {
    gridSearchStart_ = 0;
    for (Row& row : rows_)
        FillLimits(row);
}

void ParameterTable::BuildFindText() {
    findText_.clear();
    for (const Row& row : std::as_const(rows_))
        findText_.append(row.cells[ComNoCol] + QLatin1Char(',') + row.cells[Function]);
}

int ParameterTable::GridRowOf(int param) {
    for (int k = gridSearchStart_; k < rows_.size(); ++k)
        if (rows_[k].param == param) {
            gridSearchStart_ = k;
            return k;
        }
    return param;
}

bool ParameterTable::ToggleChanged() {
    if (menu_.changedChecked) {
        menu_.changedChecked = false;
        menu_.quickEnabled = menu_.blindEnabled = menu_.findEnabled = true;
        menu_.allEnabled = false;
    } else {
        int changed = 0;
        for (int i = 0; i <= LastShown(); ++i)
            changed += values_.Marked(i, UPara::ChangeIndex);
        if (changed == 0) {
            Show(messenger_, kMsgNothingChanged);
            return false;
        }
        menu_.changedChecked = true;
        menu_.quickEnabled = menu_.blindEnabled = menu_.findEnabled = false;
        menu_.allEnabled = true;
    }
    BuildTable();
    return true;
}

void ParameterTable::ToggleQuick() {
    menu_.quickChecked = !menu_.quickChecked;
    const bool others = !menu_.quickChecked;
    menu_.changedEnabled = menu_.selectEnabled = menu_.selectClearEnabled = others;
    menu_.blindEnabled = menu_.findEnabled = others;
    BuildTable();
}

bool ParameterTable::Blind() {
    QList<int> selected;
    for (int i = 0; i <= LastShown(); ++i)
        if (values_.Marked(i, UPara::SelectIndex))
            selected.append(i);
    if (selected.isEmpty() || selected.size() > LastShown()) {
        Show(messenger_, selected.isEmpty() ? kMsgNothingSelected : kMsgEverythingSelected);
        return false;
    }
    for (int i : std::as_const(selected))
        values_.SetMark(i, UPara::BlindIndex, true);
    menu_.changedEnabled = menu_.quickEnabled = false;
    menu_.blindChecked = menu_.allEnabled = true;
    values_.BlindMode = true;
    values_.BlindCount = values_.CountMarked(UPara::BlindIndex);
    BuildTable();
    BuildFindText();
    return true;
}

void ParameterTable::AllParameters() {
    menu_.changedChecked = menu_.blindChecked = false;
    menu_.changedEnabled = menu_.quickEnabled = menu_.blindEnabled = menu_.findEnabled = true;
    menu_.allEnabled = false;
    for (int i = 0; i < values_.Count(); ++i)
        values_.SetMark(i, UPara::BlindIndex, false);
    values_.BlindCount = 0;
    values_.BlindMode = false;
    BuildTable();
    BuildFindText();
}

void ParameterTable::Select(int top, int bottom, int left, int right) {
    if (left > ValueCol || right < ValueCol)
        return;
    for (int k = std::max(0, top); k <= bottom && k < rows_.size(); ++k) {
        const int param = rows_[k].param;
        values_.SetMark(param, UPara::SelectIndex, !values_.Marked(param, UPara::SelectIndex));
    }
}

void ParameterTable::SelectClear() {
    for (int i = 0; i <= LastShown(); ++i)
        values_.SetMark(i, UPara::SelectIndex, false);
}

void ParameterTable::MarkCurrentSelection(int top, int bottom, int current) {
    const bool filtered = CurrentMode() != Mode::All;
    const auto mark = [&](int k) {
        if (k < 0 || k >= rows_.size())
            return;
        const int param = rows_[k].param;
        if (!filtered || !values_.Marked(param, UPara::BlindIndex))
            values_.SetMark(param, UPara::OneSelectIndex, true);
    };
    for (int k = top; k <= bottom; ++k)
        mark(k);
    mark(current);
}

CellStyle ParameterTable::StyleOf(int row, int column) const {
    static constexpr CellStyle::Align kAlign[ColumnCount] = {
        CellStyle::Center, CellStyle::Center, CellStyle::Left,  CellStyle::Center,
        CellStyle::Right,  CellStyle::Right,  CellStyle::Right, CellStyle::Center};
    CellStyle style;
    style.align = kAlign[column];
    if (column == Title || row < 0 || row >= rows_.size())
        return style;
    const int p = rows_[row].param;
    const QString& flag = table_.At(p, Flag);
    style.text = flag == kOne                 ? CellStyle::Red
                 : flag == QLatin1String("2") ? CellStyle::Silver
                                              : CellStyle::Normal;
    style.background = column == ValueCol ? CellStyle::Value : CellStyle::Other;
    if (column == ValueCol) {
        style.bold = values_.Marked(p, UPara::WriteIndex);
        style.outsideLimits = OutsideLimits(table_, values_, p);
        if (values_.Marked(p, UPara::CommErrIndex))
            style.text = CellStyle::Silver;
        if (values_.Marked(p, UPara::SelectIndex)) {
            style.background = CellStyle::Selected;
            style.text = CellStyle::White;
        }
    }
    return style;
}

DropCheck CheckDrop(const QStringList& files) {
    if (files.size() != 1)
        return {kMsgOneFileOnly, QString()};
    const QString suffix = files.first().right(4).toUpper();
    if (suffix != QLatin1String(".VDK") && suffix != QLatin1String(".DAT"))
        return {kMsgDataError, QString()};
    return {0, files.first()};
}

} // namespace vdk
