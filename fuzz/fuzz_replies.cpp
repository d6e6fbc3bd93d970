// Reply frames of both protocols: the checks and decoders take any bytes, and
// a reply that passes the check decodes to the value its data bytes carry.
#include "comm/FrameCodec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the request the reply answers.
    const quint8 shape = data[0];
    const QByteArray reply(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const vdk::Addressing::Mode modes[] = {vdk::Addressing::None, vdk::Addressing::Number,
                                           vdk::Addressing::Broadcast};
    const vdk::Request request{(shape & 0x40) ? QStringLiteral("FC10") : QStringLiteral("FA10"),
                               bool(shape & 1),
                               "RWP" [(shape >> 1) % 3],
                               QStringLiteral("600"),
                               { modes[(shape >> 3) % 3], shape % 64 }};

    const int n = vdk::InverterReplyLength(request);
    if (vdk::CheckInverterReply(reply, n)) {
        const quint32 value = vdk::DecodeInverterReply(reply, request);
        if (!request.wide && value > 0xFFFF)
            __builtin_trap(); // two data bytes cannot give more than 16 bits
    }
    const int m = vdk::ModbusReplyLength(request);
    vdk::CheckModbusReply(reply, m);
    bool error = false;
    if (vdk::DecodeModbusReply(reply, error) > 0xFFFF ||
        (error && vdk::DecodeModbusReply(reply, error)))
        __builtin_trap(); // a register is 16 bits, and an error decodes to 0
    return 0;
}
