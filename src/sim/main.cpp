// vdk330q-sim: a simulated inverter on a pseudo-terminal or a serial device,
// for the program, the command-line tool and third-party MODBUS masters.
#include "base/UserDialogs.h"
#include "comm/SerialPort.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"
#include "sim/InverterSim.h"
#include "sim/SimServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

using namespace vdk;

namespace {

const char kUsage[] =
    "Usage: vdk330q-sim [OPTIONS]\n"
    "\n"
    "Serves a simulated inverter on a new pseudo-terminal, whose path it prints\n"
    "as its first line: PTY <path>. It answers only while the line settings set\n"
    "on the terminal match its own (baud rate, stop bits and odd parity are\n"
    "what a pseudo-terminal shows).\n"
    "\n"
    "Inverter (default: the first entries of the catalogue):\n"
    "  --appdir DIR        folder holding dat/ (default: found as vdk330q-cli does)\n"
    "  --type T            type-form\n"
    "  --cpu C             CPU version\n"
    "  --capacity K        capacity, with its leading hyphen\n"
    "  --state FILE        EEPROM values: read at start when the file exists,\n"
    "                      written when the simulator ends\n"
    "\n"
    "Line:\n"
    "  --port PATH         serve this device instead of a new pseudo-terminal\n"
    "  --protocol P        inverter (default) or modbus\n"
    "  --id N              inverter number 0..63 (default 0)\n"
    "  --baud B            1200, 2400, 4800, 9600 (default), 19200 or 38400\n"
    "  --parity P          none, even (default) or odd\n"
    "  --wire-timing       pace replies at the line's real character time\n"
    "  --latency-ms N      delay before a reply (default 0)\n"
    "  --turnaround        at the end, print the master's turnaround: the time\n"
    "                      from each reply's last byte to the next request\n"
    "\n"
    "Drive:\n"
    "  --run HZ            run toward HZ from the start\n"
    "  --alarm-after MS    raise the first alarm bit MS after the first request\n"
    "  --trip-after MS     trip with code 1 MS after the first request\n"
    "\n"
    "Faults (rates 0..1 per reply):\n"
    "  --drop-rate P       no reply\n"
    "  --late-rate P       the reply after --late-ms (default 1000)\n"
    "  --corrupt-rate P    one byte of the reply changed\n"
    "  --partial-rate P    only the first part of the reply\n"
    "  --seed N            seed of the fault draws (default 1)\n"
    "\n"
    "Ends on SIGTERM or SIGINT. Exit status: 0 ended, 1 the line failed, 2 refused.\n";

// TURNAROUND count=N median_us=M p90_us=P max_us=X
void PrintTurnarounds(std::vector<qint64> us) {
    std::sort(us.begin(), us.end());
    const auto at = [&](double q) {
        return us.empty() ? 0 : us[size_t(q * double(us.size() - 1))];
    };
    std::printf("TURNAROUND count=%zu median_us=%lld p90_us=%lld max_us=%lld\n", us.size(),
                static_cast<long long>(at(0.5)), static_cast<long long>(at(0.9)),
                static_cast<long long>(us.empty() ? 0 : us.back()));
    std::fflush(stdout);
}

int Refuse(const QString& text) {
    std::fprintf(stderr, "vdk330q-sim: %s\n", qPrintable(text));
    return 2;
}

std::optional<double> Rate(const QCommandLineParser& parser, const QString& name) {
    if (!parser.isSet(name))
        return 0.0;
    bool ok = false;
    const double rate = parser.value(name).toDouble(&ok);
    return ok && rate >= 0 && rate <= 1 ? std::optional(rate) : std::nullopt;
}

std::optional<int> Integer(const QCommandLineParser& parser, const QString& name, int fallback,
                           int low, int high) {
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    return ok && value >= low && value <= high ? std::optional(value) : std::nullopt;
}

// The line and fault options, or the reason they are refused.
std::optional<SimOptions> ReadOptions(const QCommandLineParser& parser, QString& error) {
    const auto refuse = [&error](const QString& text) {
        error = text;
        return std::optional<SimOptions>();
    };
    SimOptions o;
    const QString protocol = parser.value(QStringLiteral("protocol"));
    if (protocol == QLatin1String("modbus"))
        o.protocol = Protocol::Modbus;
    else if (!protocol.isEmpty() && protocol != QLatin1String("inverter"))
        return refuse(QStringLiteral("--protocol is inverter or modbus"));

    const QStringList parities{QStringLiteral("none"), QStringLiteral("even"),
                               QStringLiteral("odd")};
    if (parser.isSet(QStringLiteral("parity")))
        o.parityIndex = int(parities.indexOf(parser.value(QStringLiteral("parity"))));
    if (o.parityIndex < 0)
        return refuse(QStringLiteral("--parity is none, even or odd"));

    const int baud = parser.isSet(QStringLiteral("baud"))
                         ? parser.value(QStringLiteral("baud")).toInt()
                         : BaudRateOf(o.baudIndex);
    o.baudIndex = -1;
    for (int i = 0; i < 6; ++i)
        if (BaudRateOf(i) == baud)
            o.baudIndex = i;
    if (o.baudIndex < 0)
        return refuse(QStringLiteral("--baud is 1200, 2400, 4800, 9600, 19200 or 38400"));

    const auto id = Integer(parser, QStringLiteral("id"), 0, 0, 63);
    const auto latency = Integer(parser, QStringLiteral("latency-ms"), 0, 0, 60000);
    const auto late = Integer(parser, QStringLiteral("late-ms"), 1000, 0, 60000);
    const auto seed = Integer(parser, QStringLiteral("seed"), 1, 0, INT_MAX);
    const auto drop = Rate(parser, QStringLiteral("drop-rate"));
    const auto lateRate = Rate(parser, QStringLiteral("late-rate"));
    const auto corrupt = Rate(parser, QStringLiteral("corrupt-rate"));
    const auto partial = Rate(parser, QStringLiteral("partial-rate"));
    if (!id || !latency || !late || !seed)
        return refuse(QStringLiteral("--id is 0..63; --latency-ms and --late-ms 0..60000; "
                                     "--seed a non-negative number"));
    if (!drop || !lateRate || !corrupt || !partial || *drop + *lateRate + *corrupt + *partial > 1)
        return refuse(QStringLiteral("fault rates are 0..1 and add up to at most 1"));
    o.id = *id;
    o.latencyMs = *latency;
    o.lateDelayMs = *late;
    o.seed = quint32(*seed);
    o.dropRate = *drop;
    o.lateRate = *lateRate;
    o.corruptRate = *corrupt;
    o.partialRate = *partial;
    o.wireTiming = parser.isSet(QStringLiteral("wire-timing"));
    if (parser.isSet(QStringLiteral("run"))) {
        bool ok = false;
        o.runHz = parser.value(QStringLiteral("run")).toDouble(&ok);
        if (!ok || o.runHz < 0)
            return refuse(QStringLiteral("--run takes a frequency in Hz"));
    }
    const auto alarmAfter = Integer(parser, QStringLiteral("alarm-after"), -1, 0, INT_MAX);
    const auto tripAfter = Integer(parser, QStringLiteral("trip-after"), -1, 0, INT_MAX);
    if (!alarmAfter || !tripAfter)
        return refuse(QStringLiteral("--alarm-after and --trip-after take milliseconds"));
    o.alarmAfterMs = *alarmAfter;
    o.tripAfterMs = *tripAfter;
    return o;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* name : {"appdir",       "type",     "cpu",       "capacity",    "state",
                             "port",         "protocol", "id",        "baud",        "parity",
                             "latency-ms",   "late-ms",  "drop-rate", "late-rate",   "corrupt-rate",
                             "partial-rate", "seed",     "run",       "alarm-after", "trip-after"})
        parser.addOption({QLatin1String(name), QString(), QStringLiteral("value")});
    parser.addOption({QStringLiteral("wire-timing"), QString()});
    parser.addOption({QStringLiteral("turnaround"), QString()});
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QString()});
    if (!parser.parse(QCoreApplication::arguments()))
        return Refuse(parser.errorText() + QStringLiteral(" (see --help)"));
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return Refuse(QStringLiteral("unexpected argument '%1' (see --help)")
                          .arg(parser.positionalArguments().first()));
    QString error;
    const auto options = ReadOptions(parser, error);
    if (!options)
        return Refuse(error);

    const QString exeDir = QCoreApplication::applicationDirPath();
    AppPaths paths(ResolveAppDir(AppDirSources{
                       parser.value(QStringLiteral("appdir")), QDir::currentPath(), exeDir,
                       QDir::cleanPath(exeDir + QStringLiteral("/../share/vdk330q")), false}),
                   QString());
    if (!QFileInfo::exists(paths.InverterIni))
        return Refuse(QStringLiteral("inverter catalogue not found: %1").arg(paths.InverterIni));
    const Catalogue catalogue(paths);
    const auto pick = [&](const char* option, const QStringList& list) {
        return parser.isSet(QLatin1String(option)) ? parser.value(QLatin1String(option))
                                                   : list.value(0);
    };
    const QString type = pick("type", catalogue.TypeForms());
    const QString cpu = pick("cpu", catalogue.CpuVersions(type));
    const QString capacity = pick("capacity", catalogue.Capacities(type, cpu));
    if (!catalogue.Knows(type, cpu, capacity))
        return Refuse(
            QStringLiteral("the catalogue has no type-form '%1', CPU version '%2', "
                           "capacity '%3' (type-forms: %4)")
                .arg(type, cpu, capacity, catalogue.TypeForms().join(QStringLiteral(", "))));

    // The values do not depend on the language; the English definitions will do.
    paths.SelectLanguage(QStringLiteral("English"));
    paths.SelectInverter(type, cpu, capacity);
    LanguageTexts texts;
    SilentDialogs dialogs;
    Messenger messenger(texts, dialogs);
    DefinitionLoader loader(paths, messenger);
    ParaDat table;
    if (!loader.LoadDefinitions(table) || table.Count() == 0 || !loader.LoadCapacityDefaults(table))
        return Refuse(
            QStringLiteral("cannot load the definitions of %1(%2) %3").arg(type, cpu, capacity));

    InverterSim sim(table, *options, catalogue.FreqCommNo(type));
    const QString state = parser.value(QStringLiteral("state"));
    if (!state.isEmpty() && QFileInfo::exists(state) && !sim.LoadState(state, error))
        return Refuse(QStringLiteral("cannot read %1: %2").arg(state, error));

    SystemClock clock;
    SimServer server(sim, clock);
    QString path = parser.value(QStringLiteral("port"));
    if (path.isEmpty() ? !server.OpenPty(path, error) : !server.OpenDevice(path, error))
        return Refuse(error);
    if (!parser.isSet(QStringLiteral("port"))) {
        std::printf("PTY %s\n", qPrintable(path));
        std::fflush(stdout);
    }
    const bool served = server.Run(error);
    if (!served)
        std::fprintf(stderr, "vdk330q-sim: %s\n", qPrintable(error));
    if (parser.isSet(QStringLiteral("turnaround")))
        PrintTurnarounds(server.Turnarounds());
    if (!state.isEmpty() && !sim.SaveState(state, error)) {
        std::fprintf(stderr, "vdk330q-sim: cannot write %s: %s\n", qPrintable(state),
                     qPrintable(error));
        return 1;
    }
    return served ? 0 : 1;
}
