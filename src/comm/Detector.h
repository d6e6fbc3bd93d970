#pragma once

#include "comm/FrameCodec.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

class Catalogue;
class Clock;
class LineLog;
class SerialPort;

// Line settings an inverter answered at.
struct LineFound {
    QString portName;
    int baudIndex = 3;
    int parityIndex = 1;
    Protocol protocol = Protocol::Inverter;

    bool operator==(const LineFound&) const = default;
};

// The inverter's identity as indexes into the catalogue's lists (type-form,
// CPU version of that type-form, capacity of both).
struct Identity {
    int typeIndex = 0;
    int cpuIndex = 0;
    int capacityIndex = 0;
};

// Finds the port, line settings and protocol at which an inverter answers, and
// asks it what it is. Every exchange is a probe of its own: no inverter number,
// a 200 ms time-out, the MODBUS silent interval after a reply. Probes are recorded
// in `log` when one is given (the link's, so one log shows the whole line).
class Detector {
public:
    static constexpr int kProbeTimeoutMs = 200;

    Detector(SerialPort& port, Clock& clock, LineLog* log = nullptr)
        : port_(port), clock_(clock), log_(log) {}

    // The candidates that open exclusively; each is closed again at once.
    QStringList UsablePorts(const QStringList& candidates);

    // The remembered settings first (when `remembered` names a usable port),
    // then the 18 combinations on that port, then on every usable port in
    // order. Nothing when no inverter answers.
    std::optional<LineFound> Detect(const QStringList& usable,
                                    const std::optional<LineFound>& remembered);

    // Opens the found line and reads the inverter's identity codes.
    Identity Identify(const LineFound& line, const Catalogue& catalogue);

    // The order in which line settings are tried: (baud, parity, protocol).
    static const QList<LineFound>& Combinations();

private:
    bool Open(const LineFound& line);
    bool Probe(const LineFound& line);
    std::optional<qint16> Ask(Protocol protocol, const QString& comNo, char command = 'R',
                              const QString& value = QString());

    SerialPort& port_;
    Clock& clock_;
    LineLog* log_;
    int baudIndex_ = 3;
};

} // namespace vdk
