#pragma once

#include "VirtualClock.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"

#include <QStringList>

// The simulated inverter on a virtual line with a link to it, FA01 its
// frequency command. The inverter
// holds `state` ("ComNo=value" lines, written to `stateFile`), does not answer
// for the numbers in `unknown`, and drops, delays and corrupts replies at
// `faultRate` each (seeded, so a run repeats exactly).
struct SimLine {
    SimLine(const vdk::ParaDat& table, vdk::Messenger& messenger, vdk::Protocol protocol,
            const QString& stateFile, const QByteArray& state, const QStringList& unknown = {},
            double faultRate = 0)
        : sim(Known(table, unknown), Options(protocol, faultRate), QStringLiteral("FA01")),
          port(sim, clock), link(port, clock, messenger, flags) {
        QFile file(stateFile);
        if (file.open(QIODevice::WriteOnly))
            file.write(state);
        file.close();
        QString error;
        sim.LoadState(stateFile, error);
        link.settings.protocol = protocol;
        link.SetTable(&table);
        link.OpenPort();
    }
    static vdk::ParaDat Known(vdk::ParaDat table, const QStringList& unknown) {
        for (int row = 0; row < table.Count(); ++row)
            if (unknown.contains(table.At(row, vdk::ComNo)))
                table.At(row, vdk::ComNo) = "0FFF";
        return table;
    }
    static vdk::SimOptions Options(vdk::Protocol protocol, double faultRate) {
        vdk::SimOptions o;
        o.protocol = protocol;
        o.latencyMs = 2;
        o.dropRate = o.lateRate = o.corruptRate = faultRate;
        // Late past the time-out, within twice of it, where the link guards
        // even a MODBUS read reply, which names no register.
        o.lateDelayMs = 300;
        o.seed = 11;
        return o;
    }
    qint32 Ram(const char* comNo) const { return *sim.RamValue(QString::fromLatin1(comNo)); }
    qint32 Eeprom(const char* comNo) const { return *sim.EepromValue(QString::fromLatin1(comNo)); }

    vdk::InverterSim sim;
    VirtualClock clock;
    vdk::SimulatedPort port;
    vdk::ProgramFlags flags;
    vdk::CommLink link;
};
