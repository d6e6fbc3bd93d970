// The link at line speed: every parameter of the largest shipped definition
// read one exchange after another from vdk330q-sim --wire-timing on a
// pseudo-terminal, at 9600 and 38400 baud, even parity, in both protocols;
// the silence after each reply at every baud rate, as the simulator sees it
// on the line (from a reply's last byte to the next request): MODBUS must
// keep t3.5 (3.5 characters of 11 bits up to 19200 baud, 1.75 ms above),
// and the time beyond that is the master's own (target at most 0.3 ms); and
// the time an exchange with a silent line takes against its time-out.
//
//   build/bin/bench_link [--silence]     (--silence: the silence table alone)
//
// Wall time is compared with the wire floor: for every exchange the request
// and reply characters times the bits per character over the baud rate, plus
// the MODBUS silent interval. CPU time is that of this process.
#include "BenchLine.h"
#include "BenchUtil.h"
#include "base/Clock.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/QtSerialPort.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace vdk;

namespace {

// One line of the silence table, its cells in their columns.
void Columns(QTextStream& out, const QStringList& cells) {
    static constexpr int kWidths[] = {-8, 5, 8, 7, 7, 7, 7, 6, 0};
    QString line = QStringLiteral(" ");
    for (qsizetype i = 0; i < cells.size(); ++i)
        line += QLatin1Char(' ') + QStringLiteral("%1").arg(cells[i], kWidths[i]);
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    out << line << '\n';
}

} // namespace

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
    // the wall time against the wire floor when `whole`, else the silence
    // after each reply against the one required.
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
            floorMs += WireMilliseconds(protocol, ReadOf(s.table, row), baudIndex);
            failures += !link.Transact(row, QString(), u"R").ok();
        }
        const double wallMs = double(wall.nsecsElapsed()) / 1e6;
        const double cpuMs = (CpuSeconds() - cpu0) * 1000.0;
        port.ClosePort();
        const Turnaround t = Turnaround::From(sim.Finish());
        const double requiredMs =
            protocol == Protocol::Modbus ? double(SilentIntervalUs(baudIndex)) / 1000 : 0;
        const double medianMs = t.medianUs / 1000, maxMs = t.maxUs / 1000;
        if (whole) {
            out << QStringLiteral("  %1 %2 even: wall %3 ms, wire floor %4 ms, ratio %5; CPU %6 % "
                                  "of wall; silence beyond the required: median %7 ms, max %8 "
                                  "ms; %9 failed\n")
                       .arg(name, -8)
                       .arg(BaudRateOf(baudIndex), 5)
                       .arg(wallMs, 0, 'f', 0)
                       .arg(floorMs, 0, 'f', 0)
                       .arg(wallMs / floorMs, 0, 'f', 3)
                       .arg(100.0 * cpuMs / wallMs, 0, 'f', 1)
                       .arg(medianMs - requiredMs, 0, 'f', 3)
                       .arg(maxMs - requiredMs, 0, 'f', 3)
                       .arg(failures);
            return true;
        }
        const auto ms = [](double x) { return QString::number(x, 'f', 3); };
        Columns(out, {name, QString::number(BaudRateOf(baudIndex)), ms(requiredMs), ms(medianMs),
                      ms(maxMs), ms(medianMs - requiredMs), ms(maxMs - requiredMs),
                      requiredMs > 0 ? ms(medianMs / requiredMs) : QStringLiteral("-"),
                      QStringLiteral("%1 of %2, %3 failed").arg(t.count).arg(rows).arg(failures)});
        return true;
    };
    const bool silenceOnly = app.arguments().contains(QStringLiteral("--silence"));
    if (!silenceOnly)
        for (const int baudIndex : {3, 5})
            for (const Protocol protocol : {Protocol::Inverter, Protocol::Modbus})
                if (!run(baudIndex, protocol, int(s.table.Count()), true))
                    return 1;
    out << "silence after a reply, from its last byte to the next request, in ms "
           "(about 2 s of exchanges per line; ratio: median / required):\n";
    Columns(out, {"protocol", "baud", "required", "median", "max", "excess", "excess", "ratio",
                  "exchanges"});
    Columns(out, {"", "", "", "", "", "median", "max", "", ""});
    for (const Protocol protocol : {Protocol::Modbus, Protocol::Inverter})
        for (int baudIndex = 0; baudIndex <= 5; ++baudIndex) {
            // Low baud rates are slow on the wire: fewer exchanges there.
            const double exchangeMs = WireMilliseconds(protocol, ReadOf(s.table, 0), baudIndex);
            const int rows = std::clamp(int(2000 / exchangeMs), 10, 60);
            if (!run(baudIndex, protocol, rows, false))
                return 1;
        }
    if (silenceOnly)
        return 0;

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
