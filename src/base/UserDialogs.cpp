#include "base/UserDialogs.h"

#include <QStringList>

namespace vdk {

QList<std::pair<QString, QString>> SplitFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QList<std::pair<QString, QString>> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts[i], parts[i + 1]});
    return entries;
}

} // namespace vdk
