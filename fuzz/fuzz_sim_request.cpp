// Requests to the simulated inverter: arbitrary bytes, cut into pieces, go
// through the stream parser and the request handler of both protocols. Every
// frame the parser passes on must be whole and checked, and every reply the
// inverter gives must pass the master's own check.
#include "comm/FrameCodec.h"
#include "data/ParaDat.h"
#include "sim/InverterSim.h"
#include "sim/RequestParser.h"

#include <algorithm>
#include <cstdint>

namespace {

// Parameters of every kind the handler treats apart: 2- and 4-byte, signed,
// a maintenance setting, the access code, key mode and key word, the panel
// block and the drive's monitor items.
vdk::ParaDat Table() {
    const QStringList lines{
        "0002,0,8000,Max freq,F002,Hz,2,0,0,40000,0,3000,#.##,100,,0,1",
        "0007,0,100,Accel,F007,s,2,0,0,32000,0,1,#.#,10,,0,1",
        "0008,0,100,Decel,F008,s,2,0,0,32000,0,1,#.#,10,,0,1",
        "0900,0,-5,Offset,F05,,4,1,0,99999,0,-99999,#,1,-,0,0",
        "0902,0,-1,Trim,F07,,2,1,0,100,0,-100,#,1,-,0,0",
        "F900,0,100,Standard time,Fb00,s,2,0,0,32000,0,1,#.#,10,,0,0",
        "FA01,0,0,Frequency command,Fb08,Hz,2,0,0,40000,0,0,#.##,100,RAM,0,0",
        "FA10,0,0,Key mode,Fb09,,2,0,0,1,0,0,,,RAM,1,0",
        "FA11,0,0,Key data,Fb10,,2,0,0,65535,0,0,,,RAM,1,0",
        "FB91,0,0,Access,Fb14,,2,0,0,999,0,0,,,RAM,1,0",
        "FC10,0,0,Panel 1,Fb15,,2,0,0,65535,0,0,,,,1,0",
        "FC11,0,0,Panel 2,,,2,0,0,65535,0,0,,,,1,0",
        "FC12,0,0,Panel 3,,,2,0,0,65535,0,0,,,,1,0",
        "FC13,0,0,Panel 4,,,2,0,0,65535,0,0,,,,1,0",
        "FC14,0,0,Panel 5,,,2,0,0,65535,0,0,,,,1,0",
        "FD00,0,0,Output frequency,Fb18,Hz,2,0,0,40000,0,0,#.##,100,,1,0",
        "FD01,0,0,Status,Fb19,,2,0,0,65535,0,0,,,,1,0",
    };
    vdk::ParaDat table;
    table.Load(lines, QStringLiteral("0*"));
    return table;
}

bool ReplyPasses(vdk::Protocol protocol, const QByteArray& reply) {
    const int n = int(reply.size());
    return protocol == vdk::Protocol::Modbus ? vdk::CheckModbusReply(reply, n)
                                             : vdk::CheckInverterReply(reply, n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const vdk::ParaDat table = Table();
    // The first byte sets the length of the pieces the line delivers.
    const qsizetype piece = 1 + data[0] % 16;
    const QByteArrayView input(data + 1, qsizetype(size - 1));
    for (const auto protocol : {vdk::Protocol::Inverter, vdk::Protocol::Modbus}) {
        vdk::SimOptions options;
        options.protocol = protocol;
        options.id = 1;
        vdk::InverterSim sim(table, options, QStringLiteral("FA01"));
        vdk::RequestParser parser(protocol);
        qint64 now = 0;
        for (qsizetype at = 0; at < input.size(); at += piece) {
            for (const QByteArray& frame :
                 parser.Feed(input.sliced(at, std::min(piece, input.size() - at)))) {
                if (!vdk::RequestParser::IsFrame(protocol, frame))
                    __builtin_trap(); // a frame passed on unchecked
                const QByteArray reply = sim.Handle(frame, now += 50);
                if (!reply.isEmpty() && !ReplyPasses(protocol, reply))
                    __builtin_trap(); // the inverter sent what no master accepts
            }
        }
        // The whole input as one frame, as a port hands it over.
        const QByteArray reply = sim.Handle(input, now);
        if (!reply.isEmpty() && !ReplyPasses(protocol, reply))
            __builtin_trap();
    }
    return 0;
}
