#include "printing/PageSetup.h"

#include "settings/IniFile.h"

#include <cmath>

namespace vdk {

namespace {

const QString kSection = QStringLiteral("Page");

// A whole number field within `low`..`high`: out of range shows the bound it
// passed.
PageFieldCheck CheckWhole(const QString& text, int low, int high) {
    bool ok = false;
    const int x = text.trimmed().toInt(&ok);
    if (!ok)
        return {68, text};
    if (x < low || x > high)
        return {42, QString::number(x < low ? low : high)};
    return {0, text.trimmed()};
}

// The [Page] flags and the fields they hold.
template <typename Setup, typename F> void ForEachFlag(Setup& p, F f) {
    f("Item1", p.date);
    f("Item2", p.time);
    f("Item3", p.typeForm);
    f("Item4", p.pageNo);
    f("Item5", p.comment);
    f("Item6", p.shipment);
    f("PSet1", p.portrait);
}

} // namespace

const QStringList PageSetup::kPapers{QStringLiteral("A3"), QStringLiteral("A4"),
                                     QStringLiteral("A5"), QStringLiteral("B4"),
                                     QStringLiteral("B5")};
const QStringList PageSetup::kFontSizes{
    QStringLiteral("5"),  QStringLiteral("6"),  QStringLiteral("7"),  QStringLiteral("8"),
    QStringLiteral("9"),  QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"),
    QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"), QStringLiteral("20"),
    QStringLiteral("22")};

void PageSetup::Load(const IniFile& s) {
    *this = PageSetup();
    ForEachFlag(*this, [&](const char* key, bool& value) {
        value = s.ReadBool(kSection, QLatin1String(key), value);
    });
    valueColour = quint32(s.ReadInteger(kSection, QStringLiteral("ValCol"), 0)) & 0xFFFFFF;
    font = s.ReadInteger(kSection, QStringLiteral("PSet2"), kNoFont);
    fontFamily = s.ReadString(kSection, QStringLiteral("FontName"), QString());
    paper = s.ReadInteger(kSection, QStringLiteral("PSet3"), 1);
    if (paper < 0 || paper >= kPapers.size())
        paper = 1;
    for (auto [key, text] : {std::pair{"PSetT", &top},
                             {"PSetB", &bottom},
                             {"PSetL", &left},
                             {"PSetR", &right},
                             {"PSet4", &rowHeight}})
        *text = s.ReadString(kSection, QLatin1String(key), *text);
    // A size typed outside the list was stored as -1: the field comes back
    // empty and must be filled before the dialog closes.
    fontSize = s.ReadInteger(kSection, QStringLiteral("PSet5"), 3);
    if (fontSize < -1 || fontSize >= kFontSizes.size())
        fontSize = 3;
    fontSizeText = kFontSizes.value(fontSize);
}

bool PageSetup::Save(IniFile& s) const {
    bool ok = true;
    ForEachFlag(*this, [&](const char* key, bool value) {
        ok = s.WriteBool(kSection, QLatin1String(key), value) && ok;
    });
    ok = s.WriteInteger(kSection, QStringLiteral("ValCol"), int(valueColour)) && ok;
    ok = s.WriteInteger(kSection, QStringLiteral("PSet2"), font) && ok;
    ok = s.WriteString(kSection, QStringLiteral("FontName"), fontFamily) && ok;
    ok = s.WriteInteger(kSection, QStringLiteral("PSet3"), paper) && ok;
    for (auto [key, text] : {std::pair{"PSetT", &top},
                             {"PSetB", &bottom},
                             {"PSetL", &left},
                             {"PSetR", &right},
                             {"PSet4", &rowHeight}})
        ok = s.WriteString(kSection, QLatin1String(key), *text) && ok;
    ok = s.WriteInteger(kSection, QStringLiteral("PSet5"),
                        int(kFontSizes.indexOf(fontSizeText.trimmed()))) &&
         ok;
    return ok;
}

PageFieldCheck CheckMargin(const QString& text) {
    bool ok = false;
    const double x = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(x))
        return {68, text};
    if (x < 0 || x > 30)
        return {42, x < 0 ? QStringLiteral("0") : QStringLiteral("30")};
    return {0, text.trimmed()};
}

PageFieldCheck CheckRowHeight(const QString& text) {
    return CheckWhole(text, 10, 30);
}

PageFieldCheck CheckFontSize(const QString& text) {
    return CheckWhole(text, 5, 22);
}

QList<int> ColumnLines(int width) {
    static const double kFractions[] = {0.078,  0.156,  0.4958, 0.585,
                                        0.6741, 0.7632, 0.8524, 0.9304};
    QList<int> lines;
    for (const double f : kFractions)
        lines.append(int(width * f));
    return lines;
}

} // namespace vdk
