#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>

namespace vdk {

// Splits one line of a definition, capacity or parameter file into its fields
// and hands each to `sink` in order, as a view that is valid during the call:
// commas separate fields; a double quote switches quoting on and off, and
// inside quotes commas and spaces belong to the field; outside quotes white
// space is dropped; a pair of double quotes gives one `pairedQuote` (an
// apostrophe in definition files, a double quote in parameter files) and
// leaves the quoting as it was. A line has at least one field.
template <typename Sink>
void ForEachField(QStringView line, Sink&& sink, QChar pairedQuote = QLatin1Char('\'')) {
    const auto plain = [](QChar c) { return c != QLatin1Char('"') && !c.isSpace(); };
    if (std::all_of(line.begin(), line.end(), plain)) {
        // The usual line: the fields are the pieces between the commas.
        qsizetype start = 0;
        for (qsizetype comma = line.indexOf(QLatin1Char(',')); comma >= 0;
             comma = line.indexOf(QLatin1Char(','), start)) {
            sink(line.mid(start, comma - start));
            start = comma + 1;
        }
        sink(line.mid(start));
        return;
    }
    QString field;
    field.reserve(line.size());
    bool quoted = false;
    const qsizetype n = line.size();
    qsizetype run = 0; // start of the plain characters not yet copied
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        const bool special =
            c == QLatin1Char('"') || (!quoted && (c == QLatin1Char(',') || c.isSpace()));
        if (!special)
            continue;
        field.append(line.mid(run, i - run));
        run = i + 1;
        if (c == QLatin1Char('"')) {
            if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                field += pairedQuote;
                ++i;
                run = i + 1;
            } else {
                quoted = !quoted;
            }
        } else if (c == QLatin1Char(',')) {
            sink(QStringView(field));
            field.truncate(0);
        }
    }
    field.append(line.mid(run));
    sink(QStringView(field));
}

QStringList SplitFields(QStringView line, QChar pairedQuote = QLatin1Char('\''));

} // namespace vdk
