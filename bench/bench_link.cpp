// The link at line speed: every parameter of the largest shipped definition
// read one exchange after another from vdk330q-sim --wire-timing on a
// pseudo-terminal, at 9600 and 38400 baud, even parity, in both protocols;
// the master's turnaround at every baud rate, as the simulator sees it on the
// line (from a reply's last byte to the next request, less the frame gap
// MODBUS must keep; target at most 0.3 ms); and the time an exchange with a
// silent line takes against its time-out.
//
//   build/bin/bench_link
//
// Wall time is compared with the wire floor: for every exchange the request
// and reply characters times the bits per character over the baud rate, plus
// the MODBUS frame gap. CPU time is that of this process.
#include "BenchLine.h"
#include "BenchUtil.h"
#include "base/Clock.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/QtSerialPort.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace vdk;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString bin = QCoreApplication::applicationDirPath();
    const QString simProgram = bin + QStringLiteral("/vdk330q-sim");

    // The largest definition of the shipped catalogue.
    const LargestDefinition s(bin);
    SilentDialogs dialogs;
    LanguageTexts texts;
    Messenger messenger(texts, dialogs);
    out << QStringLiteral("%1(%2)%3: %4 parameters\n")
               .arg(s.type, s.cpu, s.capacity)
               .arg(s.table.Count());

    SystemClock clock;
    ProgramFlags flags;
    // Reads `rows` parameters from a simulator at the line settings; prints
    // the wall time against the wire floor when `whole`, and the turnaround.
    const auto run = [&](int baudIndex, Protocol protocol, int rows, bool whole) {
        const QString name =
            protocol == Protocol::Modbus ? QStringLiteral("modbus") : QStringLiteral("inverter");
        Simulator sim(simProgram,
                      {"--type", s.type, "--cpu", s.cpu, "--capacity", s.capacity, "--protocol",
                       name, "--baud", QString::number(BaudRateOf(baudIndex)), "--parity", "even",
                       "--wire-timing", "--turnaround"});
        QtSerialPort port(clock);
        CommLink link(port, clock, messenger, flags);
        link.settings.protocol = protocol;
        link.settings.port.portName = sim.Pty();
        link.settings.port.baudIndex = baudIndex;
        link.SetTable(&s.table);
        if (sim.Pty().isEmpty() || link.OpenPort() != 0) {
            out << "cannot start the simulator\n";
            return false;
        }
        link.OpenMaintenanceAccess();

        double floorMs = 0;
        int failures = 0;
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        for (int row = 0; row < rows; ++row) {
            floorMs += WireMilliseconds(
                protocol,
                Request{s.table.At(row, ComNo), s.table.At(row, Byte) == u"4", 'R', {}, {}},
                baudIndex);
            failures += !link.Transact(row, QString(), u"R").ok();
        }
        const double wallMs = double(wall.nsecsElapsed()) / 1e6;
        const double cpuMs = (CpuSeconds() - cpu0) * 1000.0;
        port.ClosePort();
        const Turnaround t = Turnaround::From(sim.Finish());
        const double gapMs = protocol == Protocol::Modbus ? FrameGap(baudIndex) : 0;
        out << QStringLiteral("  %1 %2 even: ").arg(name, -8).arg(BaudRateOf(baudIndex), 5);
        if (whole)
            out << QStringLiteral("wall %1 ms, wire floor %2 ms, ratio %3; CPU %4 % of wall; ")
                       .arg(wallMs, 0, 'f', 0)
                       .arg(floorMs, 0, 'f', 0)
                       .arg(wallMs / floorMs, 0, 'f', 3)
                       .arg(100.0 * cpuMs / wallMs, 0, 'f', 1);
        out << QStringLiteral("turnaround beyond the %1 ms gap: median %2 ms, 90% %3 ms, max %4 "
                              "ms (%5 exchanges); %6 failed\n")
                   .arg(gapMs, 0, 'f', 0)
                   .arg(t.medianUs / 1000 - gapMs, 0, 'f', 3)
                   .arg(t.p90Us / 1000 - gapMs, 0, 'f', 3)
                   .arg(t.maxUs / 1000 - gapMs, 0, 'f', 3)
                   .arg(t.count)
                   .arg(failures);
        return true;
    };
    for (const int baudIndex : {3, 5})
        for (const Protocol protocol : {Protocol::Inverter, Protocol::Modbus})
            if (!run(baudIndex, protocol, int(s.table.Count()), true))
                return 1;
    out << "turnaround at every baud rate (60 reads each):\n";
    for (const Protocol protocol : {Protocol::Inverter, Protocol::Modbus})
        for (int baudIndex = 0; baudIndex <= 5; ++baudIndex)
            if (!run(baudIndex, protocol, 60, false))
                return 1;

    // A silent line: the simulator drops every reply.
    const Simulator silent(simProgram, {"--type", s.type, "--drop-rate", "1"});
    QtSerialPort port(clock);
    CommLink link(port, clock, messenger, flags);
    link.settings.port.portName = silent.Pty();
    link.SetTable(&s.table);
    if (link.OpenPort() != 0)
        return 1;
    std::vector<double> overshoot;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer t;
        t.start();
        link.Transact(0, QString(), u"R");
        overshoot.push_back(double(t.nsecsElapsed()) / 1e6 - link.settings.delay);
    }
    std::sort(overshoot.begin(), overshoot.end());
    out << QStringLiteral(
               "  silent line, time-out %1 ms: median %2 ms past the time-out (target <= 5)\n")
               .arg(link.settings.delay)
               .arg(overshoot[overshoot.size() / 2], 0, 'f', 2);
    return 0;
}
