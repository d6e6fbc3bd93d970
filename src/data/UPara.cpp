#include "data/UPara.h"

#include "data/DefinitionLoader.h"
#include "data/Numbers.h"
#include "data/ParaDat.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

namespace vdk {

namespace {
const QString kZero = QStringLiteral("0");
const QString kOne = QStringLiteral("1");

// A negated limit; a negative reference gives a positive limit, never "--5".
QString Negated(const QString& text) {
    return text.startsWith(QLatin1Char('-')) ? text.mid(1) : QLatin1Char('-') + text;
}
// Whether two texts are the same number; whole numbers are compared exactly
// (and quickly), anything else as reals. Texts that are not numbers differ.
bool SameNumber(const QString& a, const QString& b) {
    const auto x = ParseWholeNumber(a);
    const auto y = ParseWholeNumber(b);
    if (x && y)
        return *x == *y;
    bool aOk = false, bOk = false;
    const double u = a.toDouble(&aOk);
    const double v = b.toDouble(&bOk);
    return aOk && bOk && u == v;
}

} // namespace

const UPara::Row& UPara::Keys() {
    static const Row keys{QStringLiteral("Value"),
                          QStringLiteral("HValue"),
                          QStringLiteral("LValue"),
                          QStringLiteral("ChangeIndex"),
                          QStringLiteral("WriteIndex"),
                          QStringLiteral("HexIndex"),
                          QStringLiteral("BlindIndex"),
                          QStringLiteral("SelectIndex"),
                          QStringLiteral("OneSelectIndex"),
                          QStringLiteral("CommErrIndex"),
                          QStringLiteral("No")};
    return keys;
}

void UPara::Resize(int count) {
    rows_.resize(count);
    unread_.fill(false, count);
    for (int i = 0; i < count; ++i) {
        rows_[i] = Row{};
        rows_[i][No] = QString::number(i);
    }
}

int UPara::CountMarked(Col col) const {
    return int(std::count_if(rows_.cbegin(), rows_.cend(),
                             [col](const Row& r) { return r[col] == kOne; }));
}

int UPara::CountFailedReads() const {
    int n = 0;
    for (int row = 0; row < Count(); ++row)
        n += Unread(row) && Marked(row, CommErrIndex);
    return n;
}

std::optional<QString> InitialValue(const ParaDat& table, int row, Messenger& messenger) {
    bool ok = false;
    const int dIndex = table.At(row, DIndex).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return dIndex == 0 ? table.At(row, Default)
                       : DefaultOf(table, table.At(row, Default), messenger);
}

bool InitValues(const ParaDat& table, UPara& values, Messenger& messenger) {
    values.Resize(table.Count());
    for (int i = 0; i < table.Count(); ++i) {
        const auto value = InitialValue(table, i, messenger);
        if (!value) {
            messenger.Show(kMsgDataError, MsgIcon::Stop);
            return false;
        }
        values.At(i, UPara::Value) = *value;
        values.At(i, UPara::HValue) = table.At(i, HIndex) == kZero
                                          ? table.At(i, High)
                                          : DefaultOf(table, table.At(i, High), messenger);
        const QString& lIndex = table.At(i, LIndex);
        if (lIndex == kZero)
            values.At(i, UPara::LValue) = table.At(i, Low);
        else if (lIndex == QLatin1String("-1"))
            values.At(i, UPara::LValue) = Negated(DefaultOf(table, table.At(i, Low), messenger));
        else
            values.At(i, UPara::LValue) = DefaultOf(table, table.At(i, Low), messenger);
        for (int col = UPara::ChangeIndex; col <= UPara::CommErrIndex; ++col)
            values.At(i, UPara::Col(col)) = kZero;
    }
    return true;
}

int MarkChanged(const ParaDat& table, UPara& values, int row, const QString& value,
                Messenger& messenger) {
    const QString def = DefaultOf(table, table.At(row, ComNo), messenger);
    values.At(row, UPara::ChangeIndex) = SameNumber(value, def) ? kZero : kOne;
    return SameNumber(value, def) ? 0 : 1;
}

} // namespace vdk
