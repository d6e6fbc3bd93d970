#include "monitor/InverterInfo.h"

#include "comm/CommLink.h"
#include "data/Catalogue.h"
#include "data/ParaDat.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorChannel.h"
#include "settings/LanguageTexts.h"

#include <algorithm>

namespace vdk {

namespace {

const QString kSection = QStringLiteral("InverterInfo");
const QString kAbsent = QStringLiteral("-");
const QString kFailed = QStringLiteral("Err.");

// Whole numbers without decimals, others with up to 15 significant digits.
QString General(double value) {
    return QString::number(value, 'g', 15);
}

// A name looked up by its code; "Err" when the catalogue has none.
QString Named(const QString& name) {
    return name.isEmpty() ? QStringLiteral("Err") : name;
}

// The text of one read: "-" when the data do not define the number, "Err."
// when the inverter gave no answer (counted in `report`), else what `shown`
// makes of the reply.
template <typename Shown>
QString ReadText(const InfoSources& s, const MonitorChannel& channel, InfoReport& report,
                 Shown shown) {
    if (channel.row < 0)
        return kAbsent;
    const auto reply = ReadReply(s.link, s.values, channel);
    if (!reply) {
        ++report.failedReads;
        return kFailed;
    }
    return shown(*reply, double(reply->raw) / channel.scale);
}

// Whether `comNo` is one of `numbers`, in either letter case.
bool IsOneOf(const QString& comNo, std::initializer_list<const char*> numbers) {
    return std::any_of(numbers.begin(), numbers.end(), [&](const char* number) {
        return comNo.compare(QLatin1String(number), Qt::CaseInsensitive) == 0;
    });
}

} // namespace

InfoList InfoList::Read(const LanguageTexts& texts) {
    InfoList list;
    list.labels = texts.LangKeys(kSection);
    for (const QString& label : std::as_const(list.labels))
        list.comNos.append(texts.LangText(kSection, label, kAbsent));
    return list;
}

std::optional<InfoReport> ReadInverterInfo(const InfoSources& s, const InfoList& list,
                                           const Catalogue& inverters) {
    if (list.Empty())
        return std::nullopt;
    InfoReport report{{list.InfoTitle()}};
    QStringList& lines = report.lines;
    s.link.OpenMaintenanceAccess();
    QString typeName; // as the last type-form line showed it
    for (qsizetype i = 2; i < list.labels.size(); ++i) {
        const QString& label = list.labels[i];
        if (label.startsWith(QLatin1String("cr"))) {
            lines.append(QString());
            continue;
        }
        const QString n = list.comNos.value(i);
        const MonitorChannel channel = MonitorChannel::For(s.table, n, -1);
        const QString text = ReadText(s, channel, report, [&](const ChannelReply& reply, double v) {
            if (IsOneOf(n, {"FB07"}))
                return Named(inverters.TypeFormOf(General(v)));
            if (IsOneOf(n, {"FB05"}))
                return Named(inverters.CapacityOf(typeName, General(v)));
            if (IsOneOf(n, {"FE10", "FE11", "FE12", "FE13"}))
                return s.monitor.TripName(reply.raw);
            if (IsOneOf(n, {"FE14"}))
                return General(v * 100);
            return DisplayText(v, channel.decimals, s.decimalComma);
        });
        if (IsOneOf(n, {"FB07"}))
            typeName = text;
        lines.append(label + text);
    }
    return report;
}

void AppendTripData(InfoReport& report, const InfoSources& s, const InfoList& list) {
    QStringList& lines = report.lines;
    if (lines.isEmpty())
        lines.append(list.TripTitle());
    else
        lines.first() = list.TripTitle();
    lines.append(QString());
    for (const MonitorItem& item : s.monitor.items) {
        const MonitorChannel channel = MonitorChannel::For(s.table, item);
        const QString text = ReadText(s, channel, report, [&](const ChannelReply& reply, double v) {
            if (item.IsBit())
                return QString::fromLatin1(BitOf(reply.word, item.bit) ? "ON" : "OFF");
            return DisplayText(v, channel.decimals, s.decimalComma);
        });
        lines.append(item.name + QStringLiteral(" : ") + text);
    }
}

} // namespace vdk
