#include "base/Mnemonics.h"

#include <QSet>

namespace vdk {

namespace {

bool IsLatinLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// The position of the letter to mark in `text`, or -1.
qsizetype Pick(const QString& text, const QSet<QChar>& taken) {
    const auto free = [&](qsizetype i) {
        return IsLatinLetter(text[i]) && !taken.contains(text[i].toLower());
    };
    for (qsizetype i = 0; i < text.size(); ++i)
        if ((i == 0 || !text[i - 1].isLetterOrNumber()) && free(i))
            return i;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (free(i))
            return i;
    return -1;
}

} // namespace

QStringList WithMnemonics(const QStringList& texts) {
    QSet<QChar> taken;
    for (const QString& text : texts) {
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < text.size())
            taken.insert(text[amp + 1].toLower());
    }
    QStringList marked;
    marked.reserve(texts.size());
    for (const QString& text : texts) {
        const qsizetype at = text.contains(QLatin1Char('&')) ? -1 : Pick(text, taken);
        if (at < 0) {
            marked.append(text);
            continue;
        }
        taken.insert(text[at].toLower());
        marked.append(text.left(at) + QLatin1Char('&') + text.mid(at));
    }
    return marked;
}

} // namespace vdk
