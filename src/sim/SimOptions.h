#pragma once

#include "comm/FrameCodec.h"

#include <QtGlobal>

namespace vdk {

// What can go wrong with one reply on its way back to the master.
enum class SimFault {
    None,
    Drop,    // no reply at all
    Late,    // the whole reply, after the late delay, even when the master has
             // given up and sent its next request meanwhile
    Corrupt, // one byte changed, so the checksum or CRC fails
    Partial, // only the first part of the reply
};

// How a simulated inverter is set up: who it is on the line, the line
// settings it listens at, how fast it answers and how often a reply goes wrong.
struct SimOptions {
    Protocol protocol = Protocol::Inverter;
    // The inverter number 0..63. The inverter also answers requests without a
    // number byte, the inverter broadcast 0xFF and the MODBUS default address 0xFB.
    int id = 0;

    // Line settings as list indexes (see PortSettings); 8 data bits always.
    int baudIndex = 3;
    int parityIndex = 1;
    int stopBitsIndex = 0;

    int latencyMs = 0; // from the end of the request to the first reply byte
    // Each character takes its real time on the line, the request's as well.
    bool wireTiming = false;

    // Chance per reply of each fault, 0..1; one draw decides between them.
    double dropRate = 0;
    double lateRate = 0;
    double corruptRate = 0;
    double partialRate = 0;
    quint32 seed = 1;
    int lateDelayMs = 1000;

    // A drive to watch: running toward `runHz` from the start (or not, when
    // negative), the first alarm bit raised and trip 1 taken that many
    // milliseconds after the first request (never, when negative).
    double runHz = -1;
    qint64 alarmAfterMs = -1;
    qint64 tripAfterMs = -1;
};

// Bits of one character on the line: start bit, 8 data bits, the parity bit
// and the stop bits.
double BitsPerCharacter(const SimOptions& options);
// Milliseconds that `characters` characters take on the line, rounded up: a
// character is there only once its last bit is.
qint64 LineMilliseconds(const SimOptions& options, double characters);

} // namespace vdk
