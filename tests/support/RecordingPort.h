#pragma once

#include "VirtualClock.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/SerialPort.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"

#include <QList>
#include <QStringList>

// The port of the link: passes frames to the simulated inverter and notes
// each as text ("R FC10", "P FA11 257") with the time it left; while `mute`
// nothing reaches the inverter.
class RecordingPort final : public vdk::SerialPort {
public:
    RecordingPort(vdk::SerialPort& inner, VirtualClock& clock) : inner_(inner), clock_(clock) {}
    int OpenPort(const vdk::PortSettings& s) override { return inner_.OpenPort(s); }
    void ClosePort() override { inner_.ClosePort(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    void SendFrame(const QByteArray& f) override {
        QString text = QChar::fromLatin1(f[1]) + QLatin1Char(' ') +
                       QString::fromLatin1(f.mid(2, 2).toHex().toUpper());
        if (f[1] != 'R')
            text += QLatin1Char(' ') + QString::number(quint8(f[4]) << 8 | quint8(f[5]));
        frames.append(text);
        times.append(clock_.now);
        if (!mute)
            inner_.SendFrame(f);
    }
    int WaitingCount() override { return inner_.WaitingCount(); }
    QByteArray ReadWaiting() override { return inner_.ReadWaiting(); }
    void ReleaseLine() override { inner_.ReleaseLine(); }
    int WaitForBytes(int count, qint64 deadline) override {
        return inner_.WaitForBytes(count, deadline);
    }

    QStringList frames;
    QList<qint64> times;
    bool mute = false;

private:
    vdk::SerialPort& inner_;
    VirtualClock& clock_;
};

// The simulated inverter (frequency command FA01) on a virtual line whose
// frames are noted, and a link to it on `table`.
struct RecordedLine {
    RecordedLine(const vdk::ParaDat& table, vdk::Messenger& messenger)
        : sim(table, Options(), QStringLiteral("FA01")), port(sim, clock), recorder(port, clock),
          link(recorder, clock, messenger, flags) {
        link.SetTable(&table);
    }
    static vdk::SimOptions Options() {
        vdk::SimOptions o;
        o.latencyMs = 2;
        return o;
    }

    VirtualClock clock;
    vdk::ProgramFlags flags;
    vdk::InverterSim sim;
    vdk::SimulatedPort port;
    RecordingPort recorder;
    vdk::CommLink link;
};
