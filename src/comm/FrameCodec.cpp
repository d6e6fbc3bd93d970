#include "comm/FrameCodec.h"

#include <QList>
#include <algorithm>
#include <limits>

namespace vdk {

namespace {

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return 0;
}

void AppendWord(QByteArray& frame, quint16 word) {
    frame.append(char(word >> 8));
    frame.append(char(word & 0xFF));
}

quint8 At(const QByteArray& bytes, int index) {
    return index < bytes.size() ? quint8(bytes[index]) : 0;
}

bool HasAddressByte(const Request& r) {
    return r.addressing.mode != Addressing::None;
}

} // namespace

qint64 ValueFromText(QStringView text) {
    constexpr qint64 kLowest = std::numeric_limits<qint32>::min();
    constexpr qint64 kHighest = std::numeric_limits<quint32>::max();
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min(value * 10 + (text[i].unicode() - u'0'), kHighest + 1); // stop growing
    return std::clamp(negative ? -value : value, kLowest, kHighest);
}

quint16 ComNoBytes(QStringView comNo) {
    quint16 word = 0;
    for (qsizetype i = 0; i < 4; ++i)
        word = quint16(word << 4 | (i < comNo.size() ? HexDigit(comNo[i]) : 0));
    return word;
}

bool IsFc10(QStringView comNo) {
    return comNo.compare(u"FC10", Qt::CaseInsensitive) == 0;
}

quint16 Crc16(const char* data, qsizetype size) {
    quint16 crc = 0xFFFF;
    for (qsizetype i = 0; i < size; ++i) {
        crc ^= quint8(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

quint8 ByteSum(const char* data, qsizetype size) {
    quint8 sum = 0;
    for (qsizetype i = 0; i < size; ++i)
        sum = quint8(sum + quint8(data[i]));
    return sum;
}

QByteArray EncodeInverterRequest(const Request& r) {
    QByteArray frame;
    frame.append('/');
    if (r.addressing.mode == Addressing::Number)
        frame.append(char(r.addressing.number));
    else if (r.addressing.mode == Addressing::Broadcast)
        frame.append(char(0xFF));
    if (r.wide)
        frame.append('L');
    frame.append(r.command);
    AppendWord(frame, ComNoBytes(r.comNo));
    if (r.command != 'R') {
        const quint32 value = quint32(quint64(ValueFromText(r.valueText)));
        if (r.wide)
            AppendWord(frame, quint16(value >> 16));
        AppendWord(frame, quint16(value));
    }
    frame.append(char(ByteSum(frame.constData(), frame.size())));
    return frame;
}

int InverterReplyLength(const Request& r) {
    if (r.panel)
        return 5 + kPanelBytes + (HasAddressByte(r) ? 1 : 0);
    if (r.command == 'R' && IsFc10(r.comNo))
        return 15; // the panel block; waited for with or without a number byte
    return (r.wide ? 10 : 7) + (HasAddressByte(r) ? 1 : 0);
}

bool CheckInverterReply(const QByteArray& reply, int n) {
    if (n < 1 || reply.size() < n)
        return false;
    return ByteSum(reply.constData(), n - 1) == quint8(reply[n - 1]);
}

quint32 DecodeInverterReply(const QByteArray& reply, const Request& r) {
    int i = 1 + (HasAddressByte(r) ? 1 : 0) + (r.wide ? 1 : 0) + 3;
    if (r.wide)
        return quint32(At(reply, i)) << 24 | quint32(At(reply, i + 1)) << 16 |
               quint32(At(reply, i + 2)) << 8 | At(reply, i + 3);
    return quint32(At(reply, i)) << 8 | At(reply, i + 1);
}

namespace {

// The bytes a reply holds at its start, known before it comes; -1 where any
// byte may stand.
QList<int> ReplyHead(Protocol protocol, const Request& r) {
    const quint16 number = ComNoBytes(r.comNo);
    QList<int> head;
    if (protocol == Protocol::Modbus) {
        // Standard slaves answer with their own address; the default address
        // and a broadcast say nothing about who answers.
        head.append(r.addressing.mode == Addressing::Number ? r.addressing.number : -1);
        if (r.command == 'R')
            head << 0x03 << (r.panel ? kPanelBytes : 0x02);
        else
            head << 0x06 << (number >> 8) << (number & 0xFF);
        return head;
    }
    head.append('/');
    if (r.addressing.mode == Addressing::Number)
        head.append(r.addressing.number);
    else if (r.addressing.mode == Addressing::Broadcast)
        head.append(-1);
    if (r.wide)
        head.append('L');
    head << quint8(r.command) << (number >> 8) << (number & 0xFF);
    return head;
}

} // namespace

bool BeginsReplyTo(Protocol protocol, const Request& request, QByteArrayView bytes) {
    const QList<int> head = ReplyHead(protocol, request);
    for (qsizetype i = 0; i < head.size() && i < bytes.size(); ++i)
        if (head[i] >= 0 && head[i] != quint8(bytes[i]))
            return false;
    return true;
}

bool BeginsModbusException(const Request& request, QByteArrayView bytes) {
    const QList<int> head = ReplyHead(Protocol::Modbus, request);
    if (bytes.isEmpty() || (head[0] >= 0 && head[0] != quint8(bytes[0])))
        return false;
    return bytes.size() < 2 || quint8(bytes[1]) == (head[1] | 0x80);
}

QByteArray EncodeModbusRequest(const Request& r) {
    QByteArray frame;
    switch (r.addressing.mode) {
    case Addressing::Number:
        frame.append(char(r.addressing.number));
        break;
    case Addressing::Broadcast:
        frame.append(char(0));
        break;
    case Addressing::None:
        frame.append(char(0xFB));
        break;
    }
    frame.append(char(r.command == 'R' ? 0x03 : 0x06));
    AppendWord(frame, ComNoBytes(r.comNo));
    const quint16 registers = r.panel ? kPanelBytes / 2 : 1;
    AppendWord(frame, r.command == 'R' ? registers : quint16(quint64(ValueFromText(r.valueText))));
    const quint16 crc = Crc16(frame.constData(), frame.size());
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

int ModbusReplyLength(const Request& r) {
    if (r.panel)
        return 5 + kPanelBytes;
    return r.command == 'R' ? 7 : 8;
}

QByteArray PanelData(Protocol protocol, const QByteArray& reply, int n) {
    // Both end in the data and a one- or two-byte check.
    const int check = protocol == Protocol::Modbus ? 2 : 1;
    return reply.mid(n - check - kPanelBytes, kPanelBytes);
}

bool CheckModbusReply(const QByteArray& reply, int n) {
    if (n < 3 || reply.size() < n)
        return false;
    const quint16 crc = Crc16(reply.constData(), n - 2);
    return quint8(reply[n - 2]) == (crc & 0xFF) && quint8(reply[n - 1]) == (crc >> 8);
}

quint32 DecodeModbusReply(const QByteArray& reply, bool& error) {
    switch (At(reply, 1)) {
    case 0x03:
        return quint32(At(reply, 3)) << 8 | At(reply, 4);
    case 0x06:
        return quint32(At(reply, 4)) << 8 | At(reply, 5);
    default:
        error = true;
        return 0;
    }
}

} // namespace vdk
