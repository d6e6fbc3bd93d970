#include "data/FieldSplitter.h"

namespace vdk {

QStringList SplitFields(QStringView line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('"')) {
            if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                field += QLatin1Char('\'');
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (quoted) {
            field += c;
        } else if (c == QLatin1Char(',')) {
            fields.append(field);
            field.clear();
        } else if (!c.isSpace()) {
            field += c;
        }
    }
    fields.append(field);
    return fields;
}

} // namespace vdk
