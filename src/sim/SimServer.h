#pragma once

#include "base/Clock.h"
#include "sim/InverterSim.h"

#include <QString>
#include <vector>

namespace vdk {

// Serves a simulated inverter on a terminal: a new pseudo-terminal, or a
// device given by path. It answers only while the line settings set on the
// terminal match its own. A Linux pseudo-terminal shows only the baud rate,
// the stop bits and odd parity (it forces 8 data bits and drops the
// parity-enable flag), so only those three are compared.
class SimServer {
public:
    SimServer(InverterSim& sim, Clock& clock);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Opens a pseudo-terminal; `path` is the device a master opens.
    bool OpenPty(QString& path, QString& error);
    // Opens a device and sets it to the simulator's line settings.
    bool OpenDevice(const QString& path, QString& error);
    // Serves until SIGTERM or SIGINT; false when the line failed.
    bool Run(QString& error);
    // The master's turnarounds seen so far, in microseconds: from the last
    // byte of each reply to the next request's first byte, as the line shows
    // them.
    const std::vector<qint64>& Turnarounds() const { return turnarounds_; }

private:
    bool Configure(int fd, QString& error) const;
    bool LineMatches(int fd) const;

    InverterSim& sim_;
    Clock& clock_;
    int io_ = -1;      // requests in, replies out
    int control_ = -1; // the terminal whose settings the master sets; held open
                       // so the pseudo-terminal never hangs up between masters
    std::vector<qint64> turnarounds_;
};

} // namespace vdk
