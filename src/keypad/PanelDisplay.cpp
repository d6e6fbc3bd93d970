#include "keypad/PanelDisplay.h"

#include <array>

namespace vdk {

namespace {

struct Glyph {
    quint8 code;
    char c;
};

// The panel's character table: segment code and the character it shows.
constexpr Glyph kTable[] = {
    {0x01, '^'}, {0x04, '}'}, {0x06, '1'}, {0x07, '7'}, {0x08, '_'}, {0x0F, ']'}, {0x10, 'z'},
    {0x14, '<'}, {0x16, '>'}, {0x1C, 'v'}, {0x1E, 'j'}, {0x34, '@'}, {0x36, '?'}, {0x37, 'm'},
    {0x38, 'l'}, {0x39, 'c'}, {0x3D, 'g'}, {0x3E, 'u'}, {0x3F, '0'}, {0x40, '-'}, {0x4F, '3'},
    {0x50, 'r'}, {0x54, 'n'}, {0x58, 'w'}, {0x5B, '2'}, {0x5C, 'x'}, {0x5E, 'd'}, {0x66, '4'},
    {0x67, 'q'}, {0x6D, '5'}, {0x6E, 'y'}, {0x6F, '9'}, {0x71, 'f'}, {0x73, 'p'}, {0x74, 'k'},
    {0x76, 'h'}, {0x77, 'a'}, {0x78, 't'}, {0x79, 'e'}, {0x7C, 'b'}, {0x7D, '6'}, {0x7F, '8'},
    {0x86, '!'}, {0x87, '*'}, {0x9C, 'V'}, {0x9E, 'J'}, {0xB7, 'M'}, {0xB8, 'L'}, {0xB9, 'C'},
    {0xBD, 'G'}, {0xBE, 'U'}, {0xBF, '='}, {0xCF, '#'}, {0xD0, 'R'}, {0xD4, 'N'}, {0xD8, 'W'},
    {0xDB, '+'}, {0xDC, 'X'}, {0xDE, 'D'}, {0xE6, '$'}, {0xE7, 'Q'}, {0xEC, 'S'}, {0xED, '%'},
    {0xEE, 'Y'}, {0xEF, ')'}, {0xF1, 'F'}, {0xF3, 'P'}, {0xF4, 'K'}, {0xF6, 'H'}, {0xF7, 'A'},
    {0xF8, 'T'}, {0xF9, 'E'}, {0xFC, 'B'}, {0xFD, '['}, {0xFF, '('},
};

// "0." to "9.": the digits' codes with the point segment.
constexpr std::array<char, 10> kPointed{'=', '!', '+', '#', '$', '%', '[', '*', '(', ')'};

constexpr quint8 kPoint = 0x80;

} // namespace

QChar PanelCharacter(quint8 code) {
    for (const Glyph& g : kTable)
        if (g.code == code)
            return QLatin1Char(g.c);
    return QLatin1Char(' ');
}

PanelFrame FrameOf(const QByteArray& block, PanelPhase phase) {
    if (block.size() < 10)
        return {QStringLiteral("    "), 0};
    const int at = phase == PanelPhase::A ? 0 : 4;
    const auto code = [&](int i) { return quint8(block[at + i]); };
    PanelFrame frame;
    for (const quint8 c : {code(1), code(0), quint8(code(3)), quint8(code(2) & 0x7F)})
        frame.text.append(PanelCharacter(c));
    frame.lamps = quint8(block[phase == PanelPhase::A ? 9 : 8]);
    return frame;
}

QChar WithPoint(QChar digit) {
    return digit.isDigit() && digit.unicode() < 0x80 ? QLatin1Char(kPointed[digit.unicode() - '0'])
                                                     : QChar();
}

QChar WithoutPoint(QChar pointed) {
    for (int d = 0; d < 10; ++d)
        if (pointed == QLatin1Char(kPointed[d]))
            return QLatin1Char(char('0' + d));
    return QChar();
}

quint8 SegmentsOf(QChar c) {
    if (const QChar digit = WithoutPoint(c); !digit.isNull())
        return quint8(SegmentsOf(digit) | kPoint);
    if (c == QLatin1Char('o'))
        return 0x5C;
    for (const Glyph& g : kTable)
        if (c == QLatin1Char(g.c))
            return quint8(g.code & ~kPoint);
    return 0;
}

QString ReadableText(const QString& display) {
    QString text;
    for (const QChar c : display) {
        const QChar digit = WithoutPoint(c);
        text += digit.isNull() ? QString(c) : QString(digit) + QLatin1Char('.');
    }
    return text;
}

QStringList LampNames(quint8 lamps) {
    static const char* const kNames[kLampCount] = {"RUN", "VEC",   "ECN", "MON",
                                                   "PRG", nullptr, "PC",  "PF"};
    QStringList names;
    for (int bit = 0; bit < kLampCount; ++bit)
        if (kNames[bit] && (lamps >> bit & 1))
            names.append(QLatin1String(kNames[bit]));
    return names;
}

} // namespace vdk
