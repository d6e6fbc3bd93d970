// The key pad's poll cycle at line speed: 100 cycles against vdk330q-sim
// --wire-timing on a pseudo-terminal, at 9600 and 38400 baud, even parity,
// in both protocols; once reading the panel only, once with a RUN click in
// every cycle (FA11 0 at once, then FA10 1, the key word, FA10 0).
//
//   build/bin/bench_keypad
//
// The mean cycle is compared with the wire floor of what the cycle sends:
// request and reply characters times the bits per character over the baud
// rate, plus the MODBUS silent interval after each reply.
#include "BenchLine.h"
#include "base/Clock.h"
#include "base/EventPump.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/QtSerialPort.h"
#include "data/UPara.h"
#include "keypad/KeyPadSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

using namespace vdk;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString simProgram = QCoreApplication::applicationDirPath() + "/vdk330q-sim";
    const ShippedSelection qm40(QCoreApplication::applicationDirPath(), "QM40", "2.10", "-2004");
    if (!qm40.loaded) {
        out << "cannot load QM40\n";
        return 1;
    }
    const ParaDat& table = qm40.table;
    SilentDialogs dialogs;
    LanguageTexts texts;
    Messenger messenger(texts, dialogs);
    UPara values;
    values.Resize(table.Count());
    SystemClock clock;
    ProgramFlags flags;
    constexpr int kCycles = 100;
    for (const int baudIndex : {3, 5})
        for (const Protocol protocol : {Protocol::Inverter, Protocol::Modbus}) {
            const QString name = protocol == Protocol::Modbus ? "modbus" : "inverter";
            Simulator sim(simProgram,
                          {"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--protocol",
                           name, "--baud", QString::number(BaudRateOf(baudIndex)), "--parity",
                           "even", "--wire-timing"});
            QtSerialPort port(clock);
            CommLink link(port, clock, messenger, flags);
            link.settings.protocol = protocol;
            link.settings.port.portName = sim.Pty();
            link.settings.port.baudIndex = baudIndex;
            link.SetTable(&table);
            if (sim.Pty().isEmpty() || link.OpenPort() != 0) {
                out << "cannot start the simulator\n";
                return 1;
            }
            const auto write = [&](const char* number) {
                return WireMilliseconds(protocol, Request{number, false, 'P', "1", {}}, baudIndex);
            };
            const double read =
                WireMilliseconds(protocol, Request{"FC10", false, 'R', {}, {}, true}, baudIndex);
            for (const bool keys : {false, true}) {
                FunctionPump pump({});
                KeyPadSession pad(link, clock, pump, messenger, values, {});
                pad.BeginCycles();
                QElapsedTimer wall;
                wall.start();
                for (int i = 0; i < kCycles; ++i) {
                    if (keys)
                        pad.Press(KeyPadSession::Run);
                    pad.Cycle();
                }
                const double cycleMs = double(wall.nsecsElapsed()) / 1e6 / kCycles;
                const double floorMs = read + (keys ? 3 * write("FA11") + write("FA10") : 0);
                out << QStringLiteral("  %1 %2 even, %3: cycle %4 ms, wire floor %5 ms, "
                                      "ratio %6; %7 keys failed\n")
                           .arg(name, -8)
                           .arg(BaudRateOf(baudIndex), 5)
                           .arg(keys ? "RUN each cycle" : "panel only    ")
                           .arg(cycleMs, 0, 'f', 2)
                           .arg(floorMs, 0, 'f', 2)
                           .arg(cycleMs / floorMs, 0, 'f', 3)
                           .arg(pad.FailedKeys().size());
            }
        }
    return 0;
}
