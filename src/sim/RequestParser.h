#pragma once

#include "comm/FrameCodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace vdk {

// Finds request frames of one protocol in a byte stream, as an inverter's
// receiver does: bytes may come in pieces, and garbage (line noise, a request
// repeated without its first byte) is skipped. A frame counts only when its
// checksum or CRC is right.
class RequestParser {
public:
    explicit RequestParser(Protocol protocol) : protocol_(protocol) {}

    // Adds bytes and returns the frames they complete, in order.
    QList<QByteArray> Feed(QByteArrayView bytes);
    // The line fell silent: a frame still incomplete is given up (MODBUS ends
    // every frame with silence).
    void Reset() { pending_.clear(); }
    bool HasPending() const { return !pending_.isEmpty(); }

    // The length of the frame that would start at `start`: 0 when more bytes
    // are needed to tell, -1 when no frame can start there.
    static qsizetype FrameLength(Protocol protocol, QByteArrayView bytes, qsizetype start);
    // A whole frame, layout and checksum or CRC both right.
    static bool IsFrame(Protocol protocol, QByteArrayView frame);
    // "R", "W" or "P": the inverter protocol's commands. Inverter numbers
    // (0..63, 0xFF) never look like one, nor like the long marker "L".
    static bool IsCommand(char c) { return c == 'R' || c == 'W' || c == 'P'; }

private:
    Protocol protocol_;
    QByteArray pending_;
};

} // namespace vdk
