#pragma once

// A key pad session on the simulated inverter and the virtual clock, with a
// port that notes every frame it sends.
#include "RecordedInverter.h"
#include "VirtualClock.h"
#include "base/EventPump.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "keypad/KeyPadSession.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"

using namespace vdk;

namespace keypad_fixture {

inline vdk::ParaDat KeyPadTable() {
    ParaDat table;
    table.Load({"0000,0,10,Max freq,F00,Hz,2,0,0,400,0,0,#.#,10,-,0,1",
                "FA01,0,0,Frequency command,Fb08,Hz,2,0,0,40000,0,0,#.##,100,RAM,0,0",
                "FA10,0,0,Key mode,Fb09,,2,0,0,1,0,0,,,RAM,1,0",
                "FA11,0,0,Key data,Fb10,,2,0,0,65535,0,0,,,RAM,1,0",
                "FC10,0,0,Panel display data 1,Fb15,,2,0,0,65535,0,0,,,,1,0"},
               QStringLiteral("0*"));
    return table;
}

// A key pad on the simulated inverter. `onPump` runs at each turn of the
// user interface, with the turn's number from 1; it stops the loop after
// `cycles` turns.
struct Pad : RecordedInverter {
    explicit Pad(int cycles = 3) : RecordedInverter(KeyPadTable()), cycles(cycles) {
        KeyPadSession::Config config;
        config.freqCommNo = "FA01";
        config.eeprom = [this] { return eeprom; };
        session = std::make_unique<KeyPadSession>(*link, clock, pump, f.messenger, values, config);
        session->SetObserver({{}, {}, [this] { closed = true; }, [this] { ++restarts; }});
    }
    // The frames from the first panel read on, without the checks.
    QStringList Loop() const {
        QStringList frames = recorder->frames;
        while (!frames.isEmpty() && frames.first() != "R FC10")
            frames.removeFirst();
        while (!frames.isEmpty() && frames.last() == "R 0000")
            frames.removeLast();
        return frames;
    }
    // The key word of a cycle starting at the read at `readIndex` of the
    // recorded frames: the previous cycle's length / 4 in the high byte.
    int Base(int read) const {
        QList<qint64> reads;
        for (int i = 0; i < recorder->frames.size(); ++i)
            if (recorder->frames[i] == "R FC10")
                reads.append(recorder->times[i]);
        return int((reads[read] - reads[read - 1]) / 4) * 256;
    }

    int cycles;
    int turn = 0;
    int pumpMs = 40;
    std::function<void(int)> onPump;
    FunctionPump pump{[this] {
        ++turn;
        clock.Advance(pumpMs); // the user interface's turn takes its time
        if (onPump)
            onPump(turn);
        if (turn >= cycles)
            session->StopPolling();
    }};
    bool eeprom = true;
    bool closed = false;
    int restarts = 0;
    std::unique_ptr<KeyPadSession> session;
};

inline QString P(const char* number, int value) {
    return QStringLiteral("P %1 %2").arg(QLatin1String(number)).arg(value);
}

} // namespace keypad_fixture

using namespace keypad_fixture;
