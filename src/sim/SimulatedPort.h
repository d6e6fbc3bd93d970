#pragma once

#include "base/Clock.h"
#include "comm/SerialPort.h"
#include "sim/FaultInjector.h"
#include "sim/InverterSim.h"
#include "sim/RequestParser.h"

#include <deque>
#include <vector>

namespace vdk {

// The port seam over a simulated inverter, in process and on the caller's
// clock. Requests reach the inverter when SendFrame is called; reply bytes
// become readable when their time on the clock has come. The inverter hears
// only a port opened with its own line settings (8 data bits); on any other
// settings it stays silent, as a real one would on garbled characters.
// A port name beginning with "absent" stands for a device that is not there:
// OpenPort fails.
class SimulatedPort final : public SerialPort {
public:
    SimulatedPort(InverterSim& sim, Clock& clock);

    int OpenPort(const PortSettings& settings) override;
    void ClosePort() override;
    bool IsOpen() const override { return open_; }
    void SendFrame(const QByteArray& frame) override;
    int WaitingCount() override;
    QByteArray ReadWaiting() override;
    void ReleaseLine() override { ++rtsDropped_; }
    int WaitForBytes(int count, qint64 deadline) override;

    // Whole requests the inverter has received (its own or not).
    int RequestsSeen() const { return requestsSeen_; }
    int RtsRaised() const { return rtsRaised_; }
    int RtsDropped() const { return rtsDropped_; }
    SimFault LastFault() const { return lastFault_; }
    // The faults from now on as `options` give them: rates and seed.
    void SetFaults(const SimOptions& options) { faults_ = FaultInjector(options); }
    // The master's turnarounds in microseconds, as vdk330q-sim --turnaround
    // sees them: from a reply's last byte to the next request.
    const std::vector<qint64>& Turnarounds() const { return turnarounds_; }

private:
    struct Arrival {
        qint64 at;
        char byte;
    };

    bool LineMatches() const;
    // When character `n` (from 1) after the start of a request has passed the line.
    qint64 CharacterEnd(qint64 start, qint64 n) const;

    InverterSim& sim_;
    Clock& clock_;
    RequestParser parser_;
    FaultInjector faults_;
    PortSettings settings_;
    bool open_ = false;
    std::deque<Arrival> input_; // in order of arrival
    int requestsSeen_ = 0;
    int rtsRaised_ = 0;
    int rtsDropped_ = 0;
    SimFault lastFault_ = SimFault::None;
    qint64 replyEnd_ = -1; // when the last reply's last byte arrives (ms), until the next request
    std::vector<qint64> turnarounds_;
};

} // namespace vdk
