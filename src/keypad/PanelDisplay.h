#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vdk {

// The inverter's panel as the panel display block shows it: two frames of
// four characters and their status lamps, the characters from the segment
// codes by the panel's character table.
struct PanelFrame {
    QString text; // four characters
    quint8 lamps = 0;
};

enum class PanelPhase { A, B };

// The characters of one segment code; a space for codes the table does not
// list.
QChar PanelCharacter(quint8 code);

// Frame A (d1 d0 d3 d2, lamps d9) or frame B (d5 d4 d7 d6, lamps d8) of a
// ten-byte block; the fourth character's code has its top bit cleared.
PanelFrame FrameOf(const QByteArray& block, PanelPhase phase);

// The segments a character lights on a seven-segment display: bit 0 to 6
// segments a to g, bit 7 the decimal point (lit only for the ten
// digit-with-point characters). Characters the table does not list but the
// program shows ("o" of "coMe") have their usual shapes.
quint8 SegmentsOf(QChar c);

// The digit-with-point character of a digit ("5" gives "%"), or the digit
// of a digit-with-point character ("%" gives "5"); a null QChar otherwise.
QChar WithPoint(QChar digit);
QChar WithoutPoint(QChar pointed);

// Four display characters as text a person reads: a digit-with-point
// character is written as its digit followed by "." (a panel showing 50.00
// gives "50.00").
QString ReadableText(const QString& display);

// The lamps lit in a lamp byte, by their names without the leading "F"
// ("RUN", "VEC", "ECN", "MON", "PRG", "PC", "PF").
QStringList LampNames(quint8 lamps);
constexpr int kLampCount = 8; // bit 5 has no lamp

} // namespace vdk
