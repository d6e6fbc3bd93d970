#include "monitor/MonitorCatalogue.h"

#include "settings/IniFile.h"

namespace vdk {

MonitorCatalogue MonitorCatalogue::Load(const IniFile& info, const QString& typeForm,
                                        const QString& langCode) {
    MonitorCatalogue c;
    const QString lang = QStringLiteral(" (") + langCode + QLatin1Char(')');
    const QString itemSection = typeForm + QStringLiteral(" Monitor") + lang;
    const QStringList keys = info.ReadSection(itemSection);
    const QString unitSection = typeForm + QStringLiteral(" Monitor Unit");
    const QStringList unitKeys = info.ReadSection(unitSection);
    const QStringList unitValues = info.ReadSectionValues(unitSection);
    for (qsizetype k = 0; k < keys.size(); ++k) {
        MonitorItem item;
        item.key = keys[k];
        item.comNo = item.key.left(4);
        if (item.key.mid(4, 1) == QLatin1String("-")) {
            bool ok = false;
            const int bit = item.key.mid(5, 2).toInt(&ok);
            item.bit = ok ? bit : 0;
        }
        item.name = info.ReadString(itemSection, item.key, QStringLiteral("99"));
        item.unit = unitKeys.value(k).mid(2);
        const QString alt = unitValues.value(k);
        item.altUnit = alt.isEmpty() ? QStringLiteral("(-)") : alt;
        c.items.append(item);
    }
    c.alarmNames = info.ReadSectionValues(typeForm + QStringLiteral(" Alarm") + lang);
    const QString tripSection = typeForm + QStringLiteral(" Trip") + lang;
    c.tripKeys = info.ReadSection(tripSection);
    c.tripNames = info.ReadSectionValues(tripSection);
    return c;
}

std::optional<int> MonitorCatalogue::IndexOfKey(const QString& key) const {
    for (qsizetype k = 0; k < items.size(); ++k)
        if (items[k].key.compare(key, Qt::CaseInsensitive) == 0)
            return int(k);
    return std::nullopt;
}

QString MonitorCatalogue::AlarmText(quint32 word) const {
    QString text;
    for (int bit = 0; bit < 16; ++bit)
        if ((word >> bit & 1) && bit < alarmNames.size())
            text += alarmNames[bit] + QLatin1Char(',');
    return text;
}

QString MonitorCatalogue::TripText(qint64 code) const {
    if (code <= 0)
        return QString();
    // The list's first entry stands for "no trip": never a trip's text.
    const qsizetype at = TripIndex(code);
    return at > 0 ? tripNames.value(at) : QString::number(code);
}

QString MonitorCatalogue::TripName(qint64 code) const {
    const qsizetype at = TripIndex(code);
    return at >= 0 ? tripNames.value(at) : QString::number(code);
}

} // namespace vdk
