#pragma once

#include <QString>
#include <optional>

namespace vdk {

class CommLink;
class ParaDat;
class UPara;
struct MonitorItem;

// What a read of one monitored item needs: the parameter's row (-1 when the
// type does not define it), its scale and decimals, and the bit of a bit item.
struct MonitorChannel {
    int row = -1;
    double scale = 1;
    int decimals = 0; // by the Mul column: "10" 1, "100" 2, "1000" 3, else 0
    int bit = -1;

    static MonitorChannel For(const ParaDat& table, const QString& comNo, int bit);
    static MonitorChannel For(const ParaDat& table, const MonitorItem& item);
};

// One read of a channel's row: the reply word as the line carried it, and
// the raw value it stands for (signed by the parameter's resolved low limit).
struct ChannelReply {
    quint32 word = 0;
    qint64 raw = 0;
};
// Nothing when the read failed or the row is not there.
std::optional<ChannelReply> ReadReply(CommLink& link, const UPara& values,
                                      const MonitorChannel& channel);

// One read of a channel: the value after the scale (a bit item gives
// `terminalLevel` when its bit is set, else 0), or nothing when the read
// failed or the row is not there. The sign follows the parameter's resolved
// low limit.
std::optional<double> ReadChannel(CommLink& link, const UPara& values,
                                  const MonitorChannel& channel, int terminalLevel);

// A bit of a reply word as the line carried it.
bool BitOf(quint32 word, int bit);

// A value as the value boxes show it: fixed-point with the channel's
// decimals, "," for the point in a decimal-comma language.
QString DisplayText(double value, int decimals, bool decimalComma);

} // namespace vdk
