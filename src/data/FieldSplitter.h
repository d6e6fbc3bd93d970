#pragma once

#include <QString>
#include <QStringList>

namespace vdk {

// Splits one line of a definition, capacity or parameter file into its fields
// and hands each to `sink` in order: commas separate fields; a double quote
// switches quoting on and off, and inside quotes commas and spaces belong to
// the field; outside quotes white space is dropped; a pair of double quotes
// gives one `pairedQuote` (an apostrophe in definition files, a double quote
// in parameter files) and leaves the quoting as it was. A line has at least
// one field.
template <typename Sink>
void ForEachField(QStringView line, Sink&& sink, QChar pairedQuote = QLatin1Char('\'')) {
    // One buffer for the line; each field is handed on as its own exact copy.
    QString field;
    field.reserve(line.size());
    bool quoted = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('"')) {
            if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                field += pairedQuote;
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (quoted) {
            field += c;
        } else if (c == QLatin1Char(',')) {
            sink(QString(field.constData(), field.size()));
            field.truncate(0);
        } else if (!c.isSpace()) {
            field += c;
        }
    }
    sink(QString(field.constData(), field.size()));
}

QStringList SplitFields(QStringView line, QChar pairedQuote = QLatin1Char('\''));

} // namespace vdk
