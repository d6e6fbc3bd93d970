// Whole-set import and export through vdk330q-cli against vdk330q-sim
// --wire-timing on a pseudo-terminal: the largest shipped definition at 9600
// and 38400 baud, even parity, in both protocols.
//
//   build/bin/bench_transfer [on|off]
//
// Each run is made with the line log recording (as the program always does)
// and without it (--no-line-log), and the ratio of the two wall times is
// shown; "on" or "off" makes only those runs. "export" writes without a
// snapshot; "snap" is the export as it runs by default, reading every
// parameter it writes first and saving the snapshot.
// Wall time of the command (start-up included) is compared with the wire
// floor of its exchanges: the communication check, then one read (import) or
// one write (export, every writable parameter) per parameter. CPU time is the
// command's own.
#include "BenchLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

using namespace vdk;

namespace {

struct Measured {
    int code = -1;
    double wallMs = 0;
    double cpuMs = 0;
};

Measured RunCli(const QString& program, const QStringList& args) {
    const double cpu0 = CpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer wall;
    wall.start();
    QProcess p;
    p.start(program, args);
    p.waitForFinished(600000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            double(wall.nsecsElapsed()) / 1e6, (CpuSeconds(RUSAGE_CHILDREN) - cpu0) * 1000.0};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString only = app.arguments().value(1);
    QList<bool> logModes;
    for (const bool on : {true, false})
        if (only.isEmpty() || only == QLatin1String(on ? "on" : "off"))
            logModes.append(on);
    if (logModes.isEmpty()) {
        out << "usage: bench_transfer [on|off]\n";
        return 2;
    }
    const QString bin = QCoreApplication::applicationDirPath();
    const LargestDefinition s(bin);
    const ParaDat& t = s.table;
    out << QStringLiteral("%1(%2)%3: %4 parameters, %5 in a run\n")
               .arg(s.type, s.cpu, s.capacity)
               .arg(t.Count())
               .arg(t.NormalLastRow() + 1);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("set.vdk"));
    // The program's data beside a snapshot folder that goes with the run.
    QTemporaryDir appDir;
    for (const char* folder : {"dat", "lng"})
        CopyFolder(bin + QLatin1Char('/') + QLatin1String(folder),
                   appDir.filePath(QLatin1String(folder)));
    int failed = 0;
    for (const int baudIndex : {3, 5})
        for (const Protocol protocol : {Protocol::Inverter, Protocol::Modbus}) {
            const QString name = protocol == Protocol::Modbus ? QStringLiteral("modbus")
                                                              : QStringLiteral("inverter");
            const QString baud = QString::number(BaudRateOf(baudIndex));
            const Simulator sim(bin + QStringLiteral("/vdk330q-sim"),
                                {"--type", s.type, "--cpu", s.cpu, "--capacity", s.capacity,
                                 "--protocol", name, "--baud", baud, "--parity", "even",
                                 "--wire-timing"});
            if (sim.Pty().isEmpty()) {
                out << "cannot start the simulator\n";
                return 1;
            }
            const QStringList line{"--port", sim.Pty(), "--protocol", name,
                                   "--baud", baud,      "--parity",   "even"};
            const QStringList selection{"--type",     s.type,     "--cpu",  s.cpu,
                                        "--capacity", s.capacity, "--lang", "English"};
            const QString cli = bin + QStringLiteral("/vdk330q-cli");
            const int check = t.FindRow(u"0000");
            double importFloor =
                WireMilliseconds(protocol, {t.At(check, ComNo), false, 'R', {}, {}}, baudIndex);
            double exportFloor = importFloor;
            double snapshotFloor = 0; // the reads before the writes
            for (int row = 0; row <= t.NormalLastRow(); ++row) {
                const bool wide = t.At(row, Byte) == u"4";
                const double read =
                    WireMilliseconds(protocol, {t.At(row, ComNo), wide, 'R', {}, {}}, baudIndex);
                importFloor += read;
                if (t.At(row, Flag) != u"1") {
                    snapshotFloor += read;
                    exportFloor += WireMilliseconds(
                        protocol, {t.At(row, ComNo), wide, 'W', t.At(row, Default), {}}, baudIndex);
                }
            }
            const auto report = [&](const char* what, bool log, const Measured& m, double floorMs) {
                failed += m.code != 0;
                out << QStringLiteral("  %1 %2 %3 log %4: wall %5 ms, wire floor %6 ms, ratio %7; "
                                      "CPU %8 % of wall%9\n")
                           .arg(QLatin1String(what), -6)
                           .arg(name, -8)
                           .arg(baud, 5)
                           .arg(QLatin1String(log ? "on " : "off"))
                           .arg(m.wallMs, 0, 'f', 0)
                           .arg(floorMs, 0, 'f', 0)
                           .arg(m.wallMs / floorMs, 0, 'f', 3)
                           .arg(100.0 * m.cpuMs / m.wallMs, 0, 'f', 1)
                           .arg(m.code == 0 ? QString() : QStringLiteral("; exit %1").arg(m.code));
                return m.wallMs;
            };
            const auto measure = [&](const char* what, const QStringList& args, double floorMs) {
                QList<double> wall;
                for (const bool log : logModes)
                    wall.append(report(
                        what, log,
                        RunCli(cli, args + (log ? QStringList() : QStringList{"--no-line-log"})),
                        floorMs));
                if (wall.size() == 2)
                    out << QStringLiteral("  %1 %2 %3 wall with the log / without: %4\n")
                               .arg(QLatin1String(what), -6)
                               .arg(name, -8)
                               .arg(baud, 5)
                               .arg(wall[0] / wall[1], 0, 'f', 3);
            };
            measure("import", selection + line + QStringList{"import", "-o", file}, importFloor);
            const QStringList exportArgs = line + QStringList{"export", file, "--all", "--eeprom"};
            measure("export", exportArgs + QStringList{"--no-snapshot"}, exportFloor);
            // The snapshot reads every parameter to be written first, into a
            // folder of its own.
            measure("snap", QStringList{"--appdir", appDir.path()} + exportArgs,
                    exportFloor + snapshotFloor);
        }
    return failed ? 1 : 0;
}
