#include "sim/RequestParser.h"

namespace vdk {

namespace {

// The longest frame either protocol has (MODBUS function 16 with 255 data
// bytes); older pending bytes cannot belong to a frame any more.
constexpr qsizetype kLongestFrame = 9 + 255;

constexpr char kHeader = '/';

qsizetype InverterFrameLength(QByteArrayView b, qsizetype start) {
    if (b[start] != kHeader)
        return -1;
    qsizetype i = start + 1;
    if (i < b.size() && b[i] != 'L' && !RequestParser::IsCommand(b[i]))
        ++i;
    bool wide = false;
    if (i < b.size() && b[i] == 'L') {
        wide = true;
        ++i;
    }
    if (i >= b.size())
        return 0;
    if (!RequestParser::IsCommand(b[i]))
        return -1;
    const qsizetype data = b[i] == 'R' ? 0 : (wide ? 4 : 2);
    return i + 1 - start + 2 + data + 1;
}

qsizetype ModbusFrameLength(QByteArrayView b, qsizetype start) {
    if (start + 1 >= b.size())
        return 0;
    switch (quint8(b[start + 1])) {
    case 0x01: // the requests of the fixed-size functions are all 8 bytes long
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
        return 8;
    case 0x0F: // ... and the multiple writes say how many data bytes follow
    case 0x10:
        return start + 6 < b.size() ? 9 + quint8(b[start + 6]) : 0;
    default:
        return -1;
    }
}

} // namespace

qsizetype RequestParser::FrameLength(Protocol protocol, QByteArrayView bytes, qsizetype start) {
    return protocol == Protocol::Modbus ? ModbusFrameLength(bytes, start)
                                        : InverterFrameLength(bytes, start);
}

bool RequestParser::IsFrame(Protocol protocol, QByteArrayView frame) {
    if (frame.isEmpty() || FrameLength(protocol, frame, 0) != frame.size())
        return false;
    const qsizetype n = frame.size();
    if (protocol == Protocol::Modbus) {
        const quint16 crc = Crc16(frame.data(), n - 2);
        return quint8(frame[n - 2]) == (crc & 0xFF) && quint8(frame[n - 1]) == (crc >> 8);
    }
    return ByteSum(frame.data(), n - 1) == quint8(frame[n - 1]);
}

QList<QByteArray> RequestParser::Feed(QByteArrayView bytes) {
    pending_.append(bytes);
    if (pending_.size() > kLongestFrame)
        pending_.remove(0, pending_.size() - kLongestFrame);
    QList<QByteArray> frames;
    for (;;) {
        // A complete frame anywhere wins over an incomplete one before it:
        // that one was cut short, or it would overlap the complete one.
        qsizetype firstIncomplete = -1;
        qsizetype found = -1;
        qsizetype length = 0;
        for (qsizetype start = 0; start < pending_.size() && found < 0; ++start) {
            length = FrameLength(protocol_, pending_, start);
            if (length < 0)
                continue;
            if (length == 0 || start + length > pending_.size()) {
                if (firstIncomplete < 0)
                    firstIncomplete = start;
            } else if (IsFrame(protocol_, QByteArrayView(pending_).sliced(start, length))) {
                found = start;
            }
        }
        if (found < 0) {
            pending_.remove(0, firstIncomplete < 0 ? pending_.size() : firstIncomplete);
            return frames;
        }
        frames.append(pending_.sliced(found, length));
        pending_.remove(0, found + length);
    }
}

} // namespace vdk
