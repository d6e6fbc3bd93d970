#include "data/ParameterValue.h"

#include "data/Numbers.h"
#include "data/ParaDat.h"
#include "data/UPara.h"

#include <clocale>
#include <cmath>
#include <cstdio>

namespace vdk {

namespace {

std::optional<double> RealOf(const QString& text) {
    bool ok = false;
    const double x = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(x) ? std::optional<double>(x) : std::nullopt;
}

// The stored value of the parameter a linked limit names; nothing when the
// parameter is absent, an unreadable text when its value is not a number.
struct Linked {
    bool present = false;
    std::optional<double> value;
};
Linked LinkedValue(const ParaDat& table, const UPara& values, const QString& comNo) {
    const int row = table.FindRow(comNo);
    if (row < 0 || row >= values.Count())
        return {};
    return {true, RealOf(values.At(row, UPara::Value))};
}

// One limit: fixed when `index` is "0", else the value of the parameter
// `text` names (negated for "-1"); none when that parameter is absent. False
// when a text is not a number.
bool ReadLimit(const ParaDat& table, const UPara& values, const QString& index, const QString& text,
               std::optional<double>& limit) {
    if (index == QLatin1String("0")) {
        limit = RealOf(text);
        return limit.has_value();
    }
    const Linked linked = LinkedValue(table, values, text);
    if (!linked.present)
        return true;
    if (linked.value)
        limit = index == QLatin1String("-1") ? -*linked.value : *linked.value;
    return linked.value.has_value();
}

} // namespace

double ScaleOf(const ParaDat& table, int row) {
    bool ok = false;
    const double m = table.At(row, Mul).toDouble(&ok);
    return ok && m != 0 && std::isfinite(m) ? m : 1.0;
}

std::optional<double> ParseTypedNumber(QStringView text, bool decimalComma) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && t[i] == QLatin1Char('-'))
        ++i;
    int digits = 0;
    bool separator = false;
    QString normal = t.left(i).toString();
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            ++digits;
            normal.append(c);
        } else if (!separator &&
                   (c == QLatin1Char('.') || (decimalComma && c == QLatin1Char(',')))) {
            separator = true;
            normal.append(QLatin1Char('.'));
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    return normal.toDouble();
}

std::optional<double> ParseHex(QStringView digits, bool negativeLow) {
    const QStringView d = digits.trimmed();
    qsizetype first = 0;
    while (first < d.size() && d[first] == QLatin1Char('0'))
        ++first;
    if (d.isEmpty() || d.size() - first > 8)
        return std::nullopt;
    bool ok = false;
    const quint32 pattern = d.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return negativeLow ? double(qint32(pattern)) : double(pattern);
}

QString RawText(double raw) {
    return QString::number(raw + 0.0, 'g', 15);
}

std::optional<Limits> LimitsOf(const ParaDat& table, const UPara& values, int row) {
    Limits limits;
    if (!ReadLimit(table, values, table.At(row, HIndex), table.At(row, High), limits.high) ||
        !ReadLimit(table, values, table.At(row, LIndex), table.At(row, Low), limits.low))
        return std::nullopt;
    return limits;
}

bool NegativeLow(const ParaDat& table, const UPara& values, int row) {
    const auto limits = LimitsOf(table, values, row);
    return limits && limits->low && *limits->low < 0;
}

RangeCheck CheckRange(const ParaDat& table, const UPara& values, int row, double raw) {
    const auto limits = LimitsOf(table, values, row);
    if (!limits) {
        const auto stored = RealOf(values.At(row, UPara::Value));
        return {stored ? std::trunc(*stored) : 0.0, false, true};
    }
    if (limits->high && raw > *limits->high)
        return {*limits->high, true, false};
    if (limits->low && raw < *limits->low)
        return {*limits->low, true, false};
    return {raw, false, false};
}

bool OutsideLimits(const ParaDat& table, const UPara& values, int row) {
    const auto value = ParseWholeNumber(values.At(row, UPara::Value));
    if (!value)
        return false;
    const RangeCheck check = CheckRange(table, values, row, double(*value));
    return check.clamped && !check.unreadable;
}

Entry ConvertEntry(const ParaDat& table, const UPara& values, int row, QStringView text,
                   bool decimalComma) {
    Entry entry;
    QStringView t = text.trimmed();
    if (t.isEmpty())
        return entry;
    const double m = ScaleOf(table, row);
    std::optional<double> raw;
    if (t.front() == QLatin1Char('h') || t.front() == QLatin1Char('H')) {
        entry.hex = true;
        t = t.mid(1);
        if (t.isEmpty())
            return entry;
        raw = ParseHex(t, NegativeLow(table, values, row));
    } else if (const auto u = ParseTypedNumber(t, decimalComma)) {
        raw = *u * m;
    }
    if (!raw) {
        entry.status = Entry::NotNumber;
        return entry;
    }
    entry.status = Entry::Ok;
    entry.raw = std::round(*raw);
    entry.range = CheckRange(table, values, row, entry.raw);
    return entry;
}

QString FormatValue(const QString& tMul, double x, bool decimalComma) {
    static const QList<std::pair<QString, const char*>> formats{
        {QStringLiteral("#.#"), "%8.1f"},   {QStringLiteral("#.##"), "%8.2f"},
        {QStringLiteral("#.###"), "%8.3f"}, {QStringLiteral("#.x"), "%8.1f"},
        {QStringLiteral("#.xx"), "%8.2f"},  {QStringLiteral("#.xxx"), "%8.3f"},
        {QStringLiteral("#.#x"), "%8.2f"},  {QStringLiteral("#.#xx"), "%8.3f"},
        {QStringLiteral("#.##x"), "%8.3f"}};
    const char* format = "%8.0f";
    for (const auto& [pattern, f] : formats)
        if (pattern == tMul)
            format = f;
    // The C library rounds the exact binary value, as the print routine should:
    // 2.25 gives 2.2, 2.5 gives 2.
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, x);
    QString text = QString::fromLocal8Bit(buffer);
    // The C library writes the radix of the computer's locale; the table's
    // follows the language alone.
    const QString radix = QString::fromLocal8Bit(std::localeconv()->decimal_point);
    if (radix != QLatin1String("."))
        text.replace(radix, QStringLiteral("."));
    if (decimalComma) {
        const qsizetype dot = text.indexOf(QLatin1Char('.'));
        if (dot >= 0)
            text[dot] = QLatin1Char(',');
    }
    return text;
}

QString FormatHex(double raw) {
    // Whole 32-bit patterns, signed or unsigned; anything else shows its low 32 bits.
    const double rounded = std::round(raw);
    const qint64 whole = std::isfinite(rounded) && std::abs(rounded) < 9.2e18 ? qint64(rounded) : 0;
    return QString::number(quint32(quint64(whole) & 0xFFFFFFFFu), 16).toUpper();
}

QString ScaledText(const ParaDat& table, int row, double raw, bool decimalComma) {
    return FormatValue(table.At(row, TMul), raw / ScaleOf(table, row), decimalComma);
}

QString ShownValue(const ParaDat& table, const UPara& values, int row, double raw,
                   bool decimalComma) {
    if (values.Marked(row, UPara::HexIndex))
        return QStringLiteral("h") + FormatHex(raw);
    return ScaledText(table, row, raw, decimalComma);
}

CommittedValue CommitValue(const ParaDat& table, UPara& values, int row, QStringView text,
                           bool decimalComma, Messenger& messenger) {
    CommittedValue result;
    result.entry = ConvertEntry(table, values, row, text, decimalComma);
    if (!text.trimmed().isEmpty())
        values.SetMark(row, UPara::HexIndex, result.entry.hex);
    if (result.entry.status != Entry::Ok)
        return result;
    const double v = result.entry.range.value;
    const QString stored = RawText(v);
    result.previous = values.At(row, UPara::Value);
    if (result.previous.toDouble() != v)
        values.SetMark(row, UPara::WriteIndex, true);
    values.At(row, UPara::Value) = stored;
    values.SetUnread(row, false);
    MarkChanged(table, values, row, stored, messenger);
    return result;
}

} // namespace vdk
