#include "comm/Detector.h"

#include "base/Clock.h"
#include "comm/CommLink.h"
#include "comm/SerialPort.h"
#include "data/Catalogue.h"

namespace vdk {

namespace {
const QString kTypeWithFb58 = QStringLiteral("65");

int IndexOfCode(const QStringList& codes, const QString& code) {
    return int(codes.indexOf(code));
}
} // namespace

const QList<LineFound>& Detector::Combinations() {
    static const QList<LineFound> combinations = [] {
        QList<LineFound> list;
        for (int parity : {1, 2, 0})
            for (int baud : {3, 4, 5})
                for (Protocol protocol : {Protocol::Inverter, Protocol::Modbus})
                    list.append({QString(), baud, parity, protocol});
        return list;
    }();
    return combinations;
}

QStringList Detector::UsablePorts(const QStringList& candidates) {
    QStringList usable;
    for (const QString& name : candidates) {
        PortSettings settings;
        settings.portIndex = PortSettings::kNameOnly;
        settings.portName = name;
        if (port_.OpenPort(settings) == 0 || port_.IsOpen())
            usable.append(name);
        port_.ClosePort();
    }
    return usable;
}

bool Detector::Open(const LineFound& line) {
    PortSettings settings;
    settings.portIndex = PortSettings::kNameOnly;
    settings.portName = line.portName;
    settings.baudIndex = line.baudIndex;
    settings.parityIndex = line.parityIndex;
    baudIndex_ = line.baudIndex;
    return port_.OpenPort(settings) == 0;
}

std::optional<qint16> Detector::Ask(Protocol protocol, const QString& comNo, char command,
                                    const QString& value) {
    const Request request{comNo, false, command, value, Addressing{}};
    const ExchangeResult r = Exchange(port_, clock_, protocol, request, kProbeTimeoutMs,
                                      SilentIntervalUs(baudIndex_), log_);
    if (!r.ok)
        return std::nullopt;
    return qint16(quint16(r.value));
}

bool Detector::Probe(const LineFound& line) {
    if (!Open(line))
        return false;
    if (Ask(line.protocol, QStringLiteral("0000")))
        return true;
    // The same read once more without its first byte, outcome ignored: it
    // clears a receiver that took the first attempt for the tail of a frame.
    const Request request{QStringLiteral("0000"), false, 'R', QString(), Addressing{}};
    const bool modbus = line.protocol == Protocol::Modbus;
    const QByteArray frame = modbus ? EncodeModbusRequest(request) : EncodeInverterRequest(request);
    port_.SendFrame(frame.mid(1));
    const int n = modbus ? ModbusReplyLength(request) : InverterReplyLength(request);
    port_.WaitForBytes(n, clock_.Milliseconds() + kProbeTimeoutMs);
    port_.ReleaseLine();
    return false;
}

std::optional<LineFound> Detector::Detect(const QStringList& usable,
                                          const std::optional<LineFound>& remembered) {
    const auto tryPort = [&](const QString& name) -> std::optional<LineFound> {
        for (LineFound line : Combinations()) {
            line.portName = name;
            if (Probe(line))
                return line;
        }
        return std::nullopt;
    };
    if (remembered && usable.contains(remembered->portName)) {
        if (Probe(*remembered))
            return remembered;
        if (const auto found = tryPort(remembered->portName))
            return found;
    }
    for (const QString& name : usable)
        if (const auto found = tryPort(name))
            return found;
    return std::nullopt;
}

Identity Detector::Identify(const LineFound& line, const Catalogue& c) {
    Identity id;
    if (!Open(line))
        return id;
    const Protocol p = line.protocol;
    Ask(p, kMaintenanceAccess, 'P', kMaintenanceCode);

    const QStringList types = c.TypeForms();
    QStringList typeCodes;
    for (const QString& t : types)
        typeCodes.append(c.TypeNumber(t));
    const auto cpuIndexOf = [&](const QString& type) {
        QStringList codes;
        for (const QString& cpu : c.CpuVersions(type))
            codes.append(c.CpuCode(type, cpu));
        const auto fe08 = Ask(p, QStringLiteral("FE08"));
        return std::max(0, IndexOfCode(codes, QString::number(fe08.value_or(0))));
    };
    const auto capacityIndexOf = [&](const QString& type, int cpuIndex, const QString& comNo) {
        QStringList codes;
        for (const QString& cap : c.Capacities(type, c.CpuVersions(type).value(cpuIndex)))
            codes.append(c.CapacityCode(type, cap));
        const auto code = Ask(p, comNo);
        return code ? IndexOfCode(codes, QString::number(*code)) : -1;
    };
    // The inverters that report their type as 65 on FB05 and their capacity on FB58.
    const auto typeFromFb05 = [&](int cpuIndex) {
        const auto fb05 = Ask(p, QStringLiteral("FB05"));
        const int t65 = IndexOfCode(typeCodes, kTypeWithFb58);
        if (!fb05 || QString::number(*fb05) != kTypeWithFb58 || t65 < 0)
            return Identity{};
        const QString type = types[t65];
        const int cpu = cpuIndex >= 0 ? cpuIndex : cpuIndexOf(type);
        return Identity{t65, cpu, std::max(0, capacityIndexOf(type, cpu, QStringLiteral("FB58")))};
    };

    std::optional<qint16> fb07;
    for (int attempt = 0; attempt < 3 && !fb07; ++attempt)
        fb07 = Ask(p, QStringLiteral("FB07"));
    if (!fb07)
        return typeFromFb05(-1);
    const int typeIndex = IndexOfCode(typeCodes, QString::number(*fb07));
    // An inverter that reports 0 on FB07 tells its type on FB05 instead.
    if (typeIndex < 0)
        return *fb07 == 0 ? typeFromFb05(-1) : Identity{};
    const QString type = types[typeIndex];
    const int cpuIndex = cpuIndexOf(type);
    const int capacityIndex = capacityIndexOf(type, cpuIndex, QStringLiteral("FB05"));
    if (capacityIndex >= 0)
        return Identity{typeIndex, cpuIndex, capacityIndex};
    if (*fb07 != 0)
        return Identity{typeIndex, cpuIndex, 0};
    return typeFromFb05(cpuIndex);
}

} // namespace vdk
