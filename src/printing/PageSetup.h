#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vdk {

class IniFile;

// What shapes the printed parameter table, kept in [Page]: the header items,
// the paper, the margins in millimetres, the row height and the font. The
// texts of the number fields are kept as typed; `Check...` say whether they
// may be taken.
struct PageSetup {
    static const QStringList kPapers;    // "A3" .. "B5" (B4 and B5 the JIS sizes)
    static const QStringList kFontSizes; // "5" .. "22"
    static constexpr int kNoFont = 10000;

    bool date = true, time = false, typeForm = true, pageNo = true, comment = false;
    bool shipment = false; // the shipment value column
    bool portrait = true;
    quint32 valueColour = 0; // the settings integer, blue in the high byte
    int font = kNoFont;      // index in the font list, or none
    QString fontFamily;      // the family that index named, kept beside it
    int paper = 1;           // A4
    QString top = QStringLiteral("10"), bottom = QStringLiteral("10");
    QString left = QStringLiteral("10"), right = QStringLiteral("10");
    QString rowHeight = QStringLiteral("15");
    int fontSize = 3; // index in kFontSizes: 8 points; -1 for a typed size
    QString fontSizeText = QStringLiteral("8");
    QString commentText; // the parameter file's comment

    // Reads [Page]; list indexes out of range take their defaults.
    void Load(const IniFile& settings);
    bool Save(IniFile& settings) const;

    bool operator==(const PageSetup&) const = default;
};

// The check of a field as it is left: the message that refuses it (68 not a
// number, 42 out of range, 0 taken) and the text the field shows afterwards.
struct PageFieldCheck {
    int message = 0;
    QString shown;
    bool Valid() const { return message == 0; }
};
PageFieldCheck CheckMargin(const QString& text);    // 0 to 30 mm, fractions allowed
PageFieldCheck CheckRowHeight(const QString& text); // 10 to 30 points, whole
PageFieldCheck CheckFontSize(const QString& text);  // 5 to 22 points, whole

// The report's vertical lines in a band `width` wide, after the title,
// number, function, shipment value, value, low limit, high limit and unit
// columns.
QList<int> ColumnLines(int width);

} // namespace vdk
