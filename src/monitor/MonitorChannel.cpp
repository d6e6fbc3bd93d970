#include "monitor/MonitorChannel.h"

#include "comm/CommLink.h"
#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "monitor/MonitorCatalogue.h"

namespace vdk {

MonitorChannel MonitorChannel::For(const ParaDat& table, const QString& comNo, int bit) {
    MonitorChannel c;
    c.row = table.FindRow(comNo);
    c.bit = bit;
    if (c.row < 0)
        return c;
    c.scale = ScaleOf(table, c.row);
    const QString mul = table.At(c.row, Mul).trimmed();
    c.decimals = mul == QLatin1String("10")     ? 1
                 : mul == QLatin1String("100")  ? 2
                 : mul == QLatin1String("1000") ? 3
                                                : 0;
    return c;
}

MonitorChannel MonitorChannel::For(const ParaDat& table, const MonitorItem& item) {
    return For(table, item.comNo, item.bit);
}

bool BitOf(quint32 word, int bit) {
    return bit >= 0 && bit < 32 && (word >> bit & 1) != 0;
}

std::optional<ChannelReply> ReadReply(CommLink& link, const UPara& values,
                                      const MonitorChannel& channel) {
    if (channel.row < 0)
        return std::nullopt;
    const TransactResult reply = link.Transact(channel.row, QString(), u"R");
    if (!reply.ok())
        return std::nullopt;
    return ChannelReply{reply.value, link.RawOf(channel.row, reply.value, values)};
}

std::optional<double> ReadChannel(CommLink& link, const UPara& values,
                                  const MonitorChannel& channel, int terminalLevel) {
    const auto reply = ReadReply(link, values, channel);
    if (!reply)
        return std::nullopt;
    // A bit is tested in the word as the line carried it (16 bits, or 32),
    // unsigned: beyond its width no bit is set.
    if (channel.bit >= 0)
        return BitOf(reply->word, channel.bit) ? double(terminalLevel) : 0.0;
    return double(reply->raw) / channel.scale;
}

QString DisplayText(double value, int decimals, bool decimalComma) {
    QString text = QString::number(value, 'f', decimals);
    if (decimalComma)
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

} // namespace vdk
