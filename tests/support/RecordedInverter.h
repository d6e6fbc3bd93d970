#pragma once

#include "DataFixture.h"
#include "RecordingPort.h"
#include "data/ParaDat.h"
#include "data/UPara.h"

// A definition table with its values on the recorded simulator line, and
// short names for the line's parts.
struct RecordedInverter {
    explicit RecordedInverter(vdk::ParaDat definitions) : table(std::move(definitions)) {
        values.Resize(table.Count());
    }

    DataFixture f;
    vdk::ParaDat table;
    vdk::UPara values;
    RecordedLine line{table, f.messenger};
    VirtualClock& clock = line.clock;
    vdk::InverterSim* sim = &line.sim;
    RecordingPort* recorder = &line.recorder;
    vdk::CommLink* link = &line.link;
};
