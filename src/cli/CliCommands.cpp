#include "cli/CliCommands.h"

#include "base/Clock.h"
#include "base/EventPump.h"
#include "base/ProgramFlags.h"
#include "base/UserDialogs.h"
#include "cli/LinkOptions.h"
#include "cli/Selection.h"
#include "comm/CommLink.h"
#include "comm/Detector.h"
#include "comm/QtSerialPort.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "data/ParameterFile.h"
#include "data/ParameterValue.h"
#include "data/StartFile.h"
#include "data/UPara.h"
#include "keypad/KeyPadSession.h"
#include "monitor/ContinuousCsv.h"
#include "monitor/InverterInfo.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorFile.h"
#include "monitor/MonitorRecorder.h"
#include "monitor/MonitorReportRows.h"
#include "monitor/MonitorRun.h"
#include "monitor/MonitorSetup.h"
#include "options/EnvironmentOptions.h"
#include "printing/PageSetup.h"
#include "printing/ReportLines.h"
#include "settings/AppPaths.h"
#include "settings/FileWriter.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"
#include "table/CsvTable.h"
#include "table/ParameterTable.h"
#include "transfer/ComparisonLines.h"
#include "transfer/FileComparison.h"
#include "transfer/ResultReport.h"
#include "transfer/Snapshots.h"
#include "transfer/TransferSession.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace vdk {

namespace {

// The help around the command table: what comes before the commands and after.
const QString kUsageHead =
    QStringLiteral("Usage: vdk330q-cli [--appdir DIR] [SELECTION] [LINK] COMMAND\n"
                   "\n"
                   "Commands:\n");
const QString kUsageTail = QStringLiteral(
    "\n"
    "Link (default: the [Comms] settings):\n"
    "  --port PATH      serial device, for example /dev/ttyUSB0\n"
    "  --baud N         1200, 2400, 4800, 9600, 19200 or 38400\n"
    "  --parity P       none, even or odd\n"
    "  --protocol P     inverter or modbus\n"
    "  --id N           address inverter number N (0..63)\n"
    "  --broadcast      address every inverter on the line\n"
    "  --timeout MS     reply time-out, 30..5000 ms\n"
    "  --trace          write every exchange on the line to stderr as it happens\n"
    "\n"
    "Selection (default: the selection stored in the settings, else the first entries):\n"
    "  --type T         inverter type-form\n"
    "  --cpu C          CPU version of the type-form\n"
    "  --capacity K     capacity, with its leading hyphen (for example -2004)\n"
    "  --lang NAME      language name (for example English); without it and a stored\n"
    "                   one, the locale's: Japanese for ja..., else English\n"
    "  --from FILE      take the selection from a parameter file (.vdk)\n"
    "\n"
    "Other options:\n"
    "  --appdir DIR     folder holding dat/, lng/ and help/ (default: found automatically)\n"
    "  -h, --help       show this help\n"
    "\n"
    "Exit status: 0 done, 1 a communication failure, a difference, nothing detected,\n"
    "or warnings,\n"
    "2 refused (one line on stderr says why).\n");

// The command line never asks. The one question it answers is whether to skip
// a parameter the selection does not know (yes, with a warning); everything
// else is answered with Cancel, and the caller explains the refusal.
class CliDialogs final : public UserDialogs {
public:
    Answer ShowMessage(const Message& m) override {
        const bool unknownNumber = m.number == kMsgDataError && m.buttons == MsgButtons::OkCancel;
        return unknownNumber ? Answer::Ok : Answer::Cancel;
    }
    std::optional<FileChoice> OpenFileName(const FileRequest&) override { return std::nullopt; }
    std::optional<FileChoice> SaveFileName(const FileRequest&) override { return std::nullopt; }
    std::optional<quint32> ChooseColour(quint32) override { return std::nullopt; }
};

// Everything a command works on once the selection is loaded.
struct Session {
    Session(const QString& appDir, const QString& settingsFile)
        : paths(appDir, settingsFile), settings(paths.SettingsFile) {}
    AppPaths paths;
    IniFile settings;
    CliDialogs dialogs;
    LanguageTexts texts;
    Messenger messenger{texts, dialogs};
    ParaDat table;
    UPara values;
    int quick = 0;
    SystemClock clock;
    QtSerialPort port{clock};
    ProgramFlags flags;
    CommLink link{port, clock, messenger, flags};
};

// A negative value such as "-5" would read as an option: operands of that
// shape move behind "--", keeping their order among the operands.
QStringList NegativesLast(const QStringList& args, const QList<QCommandLineOption>& options) {
    QStringList valued;
    for (const QCommandLineOption& o : options)
        if (!o.valueName().isEmpty())
            for (const QString& name : o.names())
                valued.append(QStringLiteral("--") + name);
    QStringList front, negatives;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (valued.contains(a) && i + 1 < args.size()) {
            front << a << args[++i];
        } else if (a.size() > 1 && a.front() == QLatin1Char('-') && a[1].isDigit()) {
            negatives.append(a);
        } else {
            front.append(a);
        }
    }
    return negatives.isEmpty() ? front : front + QStringList{QStringLiteral("--")} + negatives;
}

// Whether two paths name one existing file: the same path once links are
// resolved, or another name (a hard link) of it.
bool SameFile(const QString& a, const QString& b) {
    const QFileInfo x(a), y(b);
    if (!x.exists() || !y.exists())
        return false;
    if (x.canonicalFilePath() == y.canonicalFilePath())
        return true;
#ifdef Q_OS_UNIX
    struct stat sx;
    struct stat sy;
    return ::stat(QFile::encodeName(a).constData(), &sx) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sy) == 0 && sx.st_dev == sy.st_dev &&
           sx.st_ino == sy.st_ino;
#else
    return false;
#endif
}

qint64 RawOf(const Session& s, int row, quint32 reply) {
    return s.link.RawOf(row, reply, s.values);
}

const char* const kSelectionOptions[] = {"type", "cpu", "capacity", "lang", "from"};

// A progress bar on a terminal: redrawn in place, cleared at the end.
class ProgressBar {
public:
    ProgressBar(QTextStream& err, bool shown) : err_(err), shown_(shown) {}
    ~ProgressBar() { Finish(); }
    void Finish() {
        if (shown_ && last_ >= 0)
            err_ << '\r' << QString(60, QLatin1Char(' ')) << '\r' << Qt::flush;
        last_ = -1;
    }
    void Show(int percent) {
        if (!shown_ || percent == last_)
            return;
        last_ = percent;
        const int filled = percent * 40 / 100;
        err_ << "\r[" << QString(filled, QLatin1Char('#')) << QString(40 - filled, QLatin1Char(' '))
             << "] " << percent << '%' << Qt::flush;
    }

private:
    QTextStream& err_;
    bool shown_;
    int last_ = -1;
};

class Cli {
public:
    Cli(const CliEnvironment& env, QTextStream& out, QTextStream& err)
        : env_(env), out_(out), err_(err) {}

    int Run(const QStringList& args);

private:
    // A command: the operands it takes (n, or -n for n or more), its line in
    // the help, whether a file operand gives the selection when none is given,
    // whether it needs the selection loaded and the line open, and its run.
    struct Command {
        QLatin1String name;
        int operands;
        const char* synopsis;
        const char* summary;
        bool fileSelects;
        bool load;
        bool link;
        int (*run)(Cli&, const QCommandLineParser&, Session&, const QStringList&);
    };
    static const QList<Command>& Commands();
    static QString Usage();

    int Fail(const QString& text) {
        err_ << "vdk330q-cli: " << text << Qt::endl;
        return kExitUsage;
    }
    // Resolves the selection and loads its definitions and values; on failure
    // prints why and returns the exit code.
    std::optional<int> Load(const QCommandLineParser& parser, Session& s, const QString& from);
    // Applies the link options and opens the port; on failure prints why.
    std::optional<int> OpenLink(const QCommandLineParser& parser, Session& s);
    int Info(Session& s);
    // Reads a parameter file into the session; on a refusal prints why. Lines
    // the table does not take are warned about, or with `whole` refused.
    std::optional<int> ReadFile(Session& s, const QString& path, ReadResult& result,
                                bool whole = false);
    int Check(Session& s, const QString& file);
    // Reads a file into `table` in the view asked for; on failure prints why.
    std::optional<int> ShowView(Session& s, const QString& path, const QString& view,
                                ParameterTable& table, ReadResult& r);
    int Csv(Session& s, const QString& file, const QString& output, const QString& view);
    int Print(Session& s, const QString& file, const QString& output, const QString& view);
    int Set(Session& s, const QString& file, const QStringList& edits, const QString& output,
            bool force);
    // import, export and compare: one whole-set run with its report.
    int Transfer(const QCommandLineParser& parser, Session& s, TransferMode mode,
                 const QString& file);
    // An export's review and snapshot, as the options ask.
    void GuardExport(const QCommandLineParser& parser, Session& s, TransferRun& run,
                     const QString& file, int keep);
    int Snapshots(Session& s, bool all);
    // Prints a run's report; returns `exit`.
    int PrintReport(const ResultReport& report, int exit);
    int Diff(Session& s, const QStringList& files, bool defaults);
    int Read(Session& s, const QStringList& numbers);
    int Write(Session& s, const QString& number, const QString& value, bool eeprom);
    int Detect(const QCommandLineParser& parser, Session& s);
    int Panel(const QCommandLineParser& parser, Session& s);
    int Key(const QCommandLineParser& parser, Session& s, const QString& name);
    int Frequency(const QCommandLineParser& parser, Session& s, const QString& value);
    int Monitor(const QCommandLineParser& parser, Session& s);
    int MonitorTriggered(const QCommandLineParser& parser, Session& s,
                         const MonitorCatalogue& catalogue, const QList<int>& items, int interval);
    // Reads and checks a monitor file of the selected type-form, with the
    // type's items; on failure prints why.
    std::optional<int> ReadMonitorFile(Session& s, const QString& file, MonitorCatalogue& catalogue,
                                       MonitorFile& mon);
    int MonToCsv(Session& s, const QString& file, const QString& output);
    int PrintMonitor(Session& s, const QString& file, const QString& output);
    int InfoReport(Session& s, bool trip);
    // A whole number option of at least `least`; on failure prints why.
    std::optional<int> Count(const QCommandLineParser& parser, const char* option, int least,
                             int& value);
    // --eeprom or --ram, else `byOptions`; on both prints why.
    std::optional<int> EepromChosen(const QCommandLineParser& parser, bool byOptions, bool& eeprom);

    const CliEnvironment& env_;
    QTextStream& out_;
    QTextStream& err_;
};

int Cli::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QList<QCommandLineOption> options{
        {QStringLiteral("appdir"), QString(), QStringLiteral("DIR")},
        {QStringLiteral("type"), QString(), QStringLiteral("T")},
        {QStringLiteral("cpu"), QString(), QStringLiteral("C")},
        {QStringLiteral("capacity"), QString(), QStringLiteral("K")},
        {QStringLiteral("lang"), QString(), QStringLiteral("NAME")},
        {QStringLiteral("from"), QString(), QStringLiteral("FILE")},
        {QStringLiteral("eeprom"), QString()},
        {QStringLiteral("ram"), QString()},
        {QStringLiteral("all"), QString()},
        {QStringLiteral("maintenance"), QString()},
        {QStringLiteral("force"), QString()},
        {QStringLiteral("o"), QString(), QStringLiteral("OUT")},
        {QStringLiteral("view"), QString(), QStringLiteral("VIEW"), QStringLiteral("all")},
        {QStringLiteral("count"), QString(), QStringLiteral("N"), QStringLiteral("1")},
        {QStringLiteral("interval"), QString(), QStringLiteral("MS"), QStringLiteral("0")},
        {QStringLiteral("hold"), QString(), QStringLiteral("CYCLES"), QStringLiteral("1")},
        {QStringLiteral("items"), QString(), QStringLiteral("ITEMS")},
        {QStringLiteral("duration"), QString(), QStringLiteral("S")},
        {QStringLiteral("trigger"), QString(), QStringLiteral("ITEM,SLOPE,LEVEL")},
        {QStringLiteral("delay"), QString(), QStringLiteral("PCT")},
        {QStringLiteral("max-samples"), QString(), QStringLiteral("N")},
        {QStringLiteral("trip"), QString()},
        {QStringLiteral("review"), QString()},
        {QStringLiteral("dry-run"), QString()},
        {QStringLiteral("no-snapshot"), QString()},
        {QStringLiteral("keep-going"), QString()},
        {QStringLiteral("defaults"), QString()},
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
    };
    options += LinkOptionList();
    parser.addOptions(options);
    if (!parser.parse(QStringList{QStringLiteral("vdk330q-cli")} + NegativesLast(args, options)))
        return Fail(parser.errorText() + QStringLiteral(" (see --help)"));
    if (parser.isSet(QStringLiteral("help"))) {
        out_ << Usage();
        return kExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return Fail(QStringLiteral("no command given (see --help)"));
    const QString name = positional.first();
    const QStringList operands = positional.mid(1);
    const auto known = std::find_if(Commands().cbegin(), Commands().cend(),
                                    [&](const Command& c) { return c.name == name; });
    if (known == Commands().cend())
        return Fail(QStringLiteral("unknown command '%1' (see --help)").arg(name));
    const Command& command = *known;
    if (command.operands >= 0 ? operands.size() != command.operands
                              : operands.size() < -command.operands)
        return Fail(QStringLiteral("wrong number of operands for %1 (see --help)").arg(name));

    const QString appDir =
        ResolveAppDir(AppDirSources{parser.value(QStringLiteral("appdir")), env_.currentDir,
                                    env_.executableDir, env_.installedDir, false});
    Session session(appDir, ResolveSettingsFile(appDir, env_.userConfigDir));
    if (command.load) {
        // A file's command takes the file's selection unless one is given.
        const bool fileSelects =
            command.fileSelects &&
            std::none_of(std::begin(kSelectionOptions), std::end(kSelectionOptions),
                         [&](const char* o) { return parser.isSet(QLatin1String(o)); });
        if (const auto failed =
                Load(parser, session, fileSelects ? operands.first() : parser.value("from")))
            return *failed;
    }
    if (command.link)
        if (const auto failed = OpenLink(parser, session))
            return *failed;
    return command.run(*this, parser, session, operands);
}

const QList<Cli::Command>& Cli::Commands() {
    using P = const QCommandLineParser&;
    using O = const QStringList&;
    static const QList<Command> commands{
        {QLatin1String("info"), 0, "",
         "print the selection and the size of its parameter definitions", false, true, false,
         [](Cli& c, P, Session& s, O) { return c.Info(s); }},
        {QLatin1String("check"), 1, "FILE",
         "read a parameter file against the selection and print\n"
         "params=N changed=N blind=N comment=...",
         false, true, false, [](Cli& c, P, Session& s, O o) { return c.Check(s, o.first()); }},
        {QLatin1String("csv"), 1, "FILE -o OUT.csv [--view all|changed|quick|blind]",
         "write the parameter table of a file as CSV", false, true, false,
         [](Cli& c, P p, Session& s, O o) {
             return c.Csv(s, o.first(), p.value(QStringLiteral("o")),
                          p.value(QStringLiteral("view")));
         }},
        {QLatin1String("print"), 1, "FILE -o OUT.pdf [--view all|changed|quick|blind]",
         "print the parameter table of a file to PDF as the preview shows it,\n"
         "with the stored page setup",
         false, true, false,
         [](Cli& c, P p, Session& s, O o) {
             return c.Print(s, o.first(), p.value(QStringLiteral("o")),
                            p.value(QStringLiteral("view")));
         }},
        {QLatin1String("read"), -1, "COMNO...",
         "read parameters from the inverter: COMNO=value, or COMNO=ERROR", false, true, true,
         [](Cli& c, P, Session& s, O o) { return c.Read(s, o); }},
        {QLatin1String("write"), 2, "COMNO VALUE [--eeprom]",
         "write a raw value (to RAM, or to EEPROM with --eeprom)", false, true, true,
         [](Cli& c, P p, Session& s, O o) {
             return c.Write(s, o[0], o[1], p.isSet(QStringLiteral("eeprom")));
         }},
        {QLatin1String("panel"), 0, "[--count N] [--interval MS]",
         "read the panel display N times: A=text lampsA=names B=text lampsB=names,\n"
         "or A=ERROR",
         false, true, true, [](Cli& c, P p, Session& s, O) { return c.Panel(p, s); }},
        {QLatin1String("key"), 1, "RUN|STOP|UP|DOWN|MON|ENT [--hold CYCLES]",
         "press a key of the panel as the key pad does (UP and DOWN held\n"
         "for CYCLES poll cycles)",
         false, true, true, [](Cli& c, P p, Session& s, O o) { return c.Key(p, s, o.first()); }},
        {QLatin1String("freq"), 1, "VALUE [--eeprom | --ram]",
         "write the frequency command as FC Direct Input does", false, true, true,
         [](Cli& c, P p, Session& s, O o) { return c.Frequency(p, s, o.first()); }},
        {QLatin1String("monitor"), 0,
         "--items ITEM[,ITEM...] --interval MS\n"
         "(--count N | --duration S) [-o FILE.csv]\n"
         "| --trigger ITEM,up|down|both,LEVEL [--delay PCT] [--max-samples N]\n"
         "  -o FILE.mon|FILE.csv",
         "sample up to ten monitor items (FD00, or FD01-02 for a bit) on the\n"
         "monitor's clock and write the continuous CSV rows, each on disk\n"
         "before it is printed; Ctrl+C ends the run with every row written.\n"
         "With --trigger: one record as the monitoring window takes it, PCT\n"
         "percent of it from before the level is crossed; it waits until\n"
         "Ctrl+C, which keeps what was recorded",
         false, true, true, [](Cli& c, P p, Session& s, O) { return c.Monitor(p, s); }},
        {QLatin1String("mon2csv"), 1, "FILE.mon -o OUT.csv",
         "write a monitor file (either form) as the CSV table", false, true, false,
         [](Cli& c, P p, Session& s, O o) {
             return c.MonToCsv(s, o.first(), p.value(QStringLiteral("o")));
         }},
        {QLatin1String("print-monitor"), 1, "FILE.mon -o OUT.pdf",
         "print the monitor report of a monitor file to PDF", false, true, false,
         [](Cli& c, P p, Session& s, O o) {
             return c.PrintMonitor(s, o.first(), p.value(QStringLiteral("o")));
         }},
        {QLatin1String("info-report"), 0, "[--trip]",
         "print the inverter information report; --trip adds the trip data\n"
         "(every monitor item as it stands now) under the trip title",
         false, true, true,
         [](Cli& c, P p, Session& s, O) {
             return c.InfoReport(s, p.isSet(QStringLiteral("trip")));
         }},
        {QLatin1String("detect"), 0, "", "find the line settings and identity of an inverter",
         false, false, false, [](Cli& c, P p, Session& s, O) { return c.Detect(p, s); }},
        {QLatin1String("set"), -2, "FILE COMNO=VALUE... [-o OUT.vdk] [--force]",
         "edit a parameter file as the table does; --force writes a file\n"
         "whose lines were not all read",
         true, true, false,
         [](Cli& c, P p, Session& s, O o) {
             return c.Set(s, o.first(), o.mid(1), p.value(QStringLiteral("o")),
                          p.isSet(QStringLiteral("force")));
         }},
        {QLatin1String("import"), 0, "-o OUT.vdk [--maintenance] [--keep-going]",
         "read the whole set from the inverter into a file; after 5 exchanges\n"
         "in a row without an answer the run stops (exit 1, nothing written)\n"
         "unless --keep-going",
         false, true, false,
         [](Cli& c, P p, Session& s, O) {
             return c.Transfer(p, s, TransferMode::Import, p.value(QStringLiteral("o")));
         }},
        {QLatin1String("export"), 1,
         "FILE [--eeprom | --ram] [--all] [--maintenance]\n"
         "[--review [--dry-run]] [--no-snapshot] [--force] [--keep-going]",
         "write a file's values into the inverter. The inverter's values of\n"
         "the parameters written are saved first as a snapshot (its path on\n"
         "stderr as snapshot=PATH); a parameter whose value could not be\n"
         "read for it is not written (exit 1). --review reads first, prints\n"
         "the differences and writes only those; --dry-run stops after the\n"
         "list (exit 1 when anything differs or could not be read). A file\n"
         "whose list was cut, that lists a parameter twice or holds a value\n"
         "outside its limits is refused (exit 2). --force writes anyway",
         true, true, false,
         [](Cli& c, P p, Session& s, O o) {
             return c.Transfer(p, s, TransferMode::Export, o.first());
         }},
        {QLatin1String("snapshots"), 0, "[--all]",
         "list the snapshots of the selection (of every inverter with --all):\n"
         "PATH time inverter count, newest first",
         false, true, false,
         [](Cli& c, P p, Session& s, O) { return c.Snapshots(s, p.isSet(QStringLiteral("all"))); }},
        {QLatin1String("diff"), -1, "A.vdk (B.vdk | --defaults)",
         "compare two parameter files, or a file with the shipment values;\n"
         "exit 1 when anything differs",
         true, true, false,
         [](Cli& c, P p, Session& s, O o) {
             return c.Diff(s, o, p.isSet(QStringLiteral("defaults")));
         }},
        {QLatin1String("compare"), 1, "FILE [--maintenance] [--keep-going]",
         "list the parameters that differ from the inverter", true, true, false,
         [](Cli& c, P p, Session& s, O o) {
             return c.Transfer(p, s, TransferMode::Compare, o.first());
         }},
    };
    return commands;
}

QString Cli::Usage() {
    constexpr int kSummaryColumn = 16;
    const QString indent(kSummaryColumn, QLatin1Char(' '));
    QString usage = kUsageHead;
    for (const Command& command : Commands()) {
        QString line = QStringLiteral("  ") + command.name;
        if (*command.synopsis)
            line += QLatin1Char(' ') + QString::fromLatin1(command.synopsis)
                                           .replace(QStringLiteral("\n"), QStringLiteral("\n    "));
        line = line.size() < kSummaryColumn ? line.leftJustified(kSummaryColumn)
                                            : line + QLatin1Char('\n') + indent;
        usage += line +
                 QString::fromLatin1(command.summary)
                     .replace(QStringLiteral("\n"), QStringLiteral("\n") + indent) +
                 QLatin1Char('\n');
    }
    return usage + kUsageTail;
}

std::optional<int> Cli::Load(const QCommandLineParser& parser, Session& s, const QString& from) {
    AppPaths& paths = s.paths;
    if (!QFileInfo(paths.AppDir).isDir())
        return Fail(QStringLiteral("application folder not found: %1").arg(paths.AppDir));
    if (!QFileInfo::exists(paths.InverterIni))
        return Fail(QStringLiteral("inverter catalogue not found: %1").arg(paths.InverterIni));
    const Catalogue catalogue(paths);

    std::optional<InverterIdentity> id;
    if (!from.isEmpty()) {
        for (const char* option : {"type", "cpu", "capacity", "lang"})
            if (parser.isSet(QLatin1String(option)))
                return Fail(QStringLiteral("--from cannot be combined with --%1")
                                .arg(QLatin1String(option)));
        const StartFileCheck check = CheckStartFile(from, LanguagesOf(s.settings), catalogue);
        if (check.error != StartFileError::None)
            return Fail(QStringLiteral("%1: Data is incorrect. %2").arg(from, check.detail));
        id = InverterIdentity{check.file.TypeForm, check.file.Capacity, check.file.CpuVer,
                              check.file.Language, check.file.Language.left(3)};
    } else {
        QString error;
        id = ResolveSelection(SelectionRequest{parser.value(QStringLiteral("lang")),
                                               parser.value(QStringLiteral("type")),
                                               parser.value(QStringLiteral("cpu")),
                                               parser.value(QStringLiteral("capacity")),
                                               env_.locale},
                              s.settings, catalogue, error);
        if (!id)
            return Fail(error);
    }
    paths.SelectLanguage(id->Language);
    paths.SelectInverter(id->TypeForm, id->CpuVer, id->Capacity);

    if (!QFileInfo::exists(paths.LangFile))
        return Fail(QStringLiteral("language file not found: %1").arg(paths.LangFile));
    if (!BuildMessageList(paths, s.texts, s.dialogs))
        return Fail(
            QStringLiteral("language file has no [General] messages: %1").arg(paths.LangFile));
    DefinitionLoader loader(paths, s.messenger);
    // A damaged file is named with its line; any other failure by the file.
    const auto refused = [&](const char* what, const QString& file) {
        return Fail(
            loader.Damage()
                ? QStringLiteral("damaged %1 file %2")
                      .arg(QLatin1String(what), loader.Damage()->Describe())
                : QStringLiteral("cannot read the %1 file %2").arg(QLatin1String(what), file));
    };
    if (!QFileInfo(paths.DefFile).isFile() || !loader.LoadDefinitions(s.table))
        return refused("definition", paths.DefFile);
    if (s.table.Count() == 0)
        return Fail(QStringLiteral("the definition file %1 holds no parameter").arg(paths.DefFile));
    if (!QFileInfo(paths.CapFile).isFile() || !loader.LoadCapacityDefaults(s.table))
        return refused("capacity", paths.CapFile);
    if (!InitValues(s.table, s.values, s.messenger))
        return Fail(QStringLiteral("the definition file %1 has a DIndex that is not a number")
                        .arg(paths.DefFile));
    s.quick = loader.QuickCount();
    return std::nullopt;
}

int Cli::Info(Session& s) {
    const InverterIdentity& id = s.paths.Identity();
    out_ << "appdir=" << s.paths.AppDir << '\n'
         << "settings=" << s.paths.SettingsFile << '\n'
         << "type=" << id.TypeForm << '\n'
         << "cpu=" << id.CpuVer << '\n'
         << "capacity=" << id.Capacity << '\n'
         << "language=" << id.Language << '\n'
         << "params=" << s.table.LastRow() + 1 << '\n'
         << "normal_last_row=" << s.table.NormalLastRow() << '\n'
         << "quick=" << s.quick << '\n'
         << "capacity_dependent=" << s.table.CapList.size() + s.table.CapRefList.size() << '\n'
         << "types=" << Catalogue(s.paths).TypeForms().join(QLatin1Char(',')) << Qt::endl;
    return kExitOk;
}

std::optional<int> Cli::ReadFile(Session& s, const QString& path, ReadResult& r, bool whole) {
    const InverterIdentity& id = s.paths.Identity();
    ParameterFile header;
    const FileProblem problem = LoadParameterFile(path, s.paths.FallbackEncoding(), header);
    r = ReadParameterFile(path, s.table, s.values, id, s.paths.FallbackEncoding(), s.messenger);
    switch (r.outcome) {
    case ReadOutcome::Taken:
        break;
    case ReadOutcome::CannotOpen:
        return Fail(QStringLiteral("cannot read %1").arg(path));
    case ReadOutcome::NotRegularFile:
    case ReadOutcome::TooLarge:
    case ReadOutcome::NotParameterFile:
    case ReadOutcome::Damaged:
        return Fail(QStringLiteral("%1: Data is incorrect. %2")
                        .arg(path, FileProblemReason(problem, header.damagedLine)));
    case ReadOutcome::OtherTypeForm:
        return Fail(QStringLiteral("%1 is for type-form %2, the selection is %3")
                        .arg(path, header.TypeForm, id.TypeForm));
    case ReadOutcome::CapacityCancelled:
        return Fail(QStringLiteral("%1 is for capacity %2, the selection is %3 (select it with "
                                   "--capacity %2)")
                        .arg(path, header.Capacity, id.Capacity));
    case ReadOutcome::CpuCancelled:
        return Fail(QStringLiteral("%1 is for CPU version %2, the selection is %3 (select it "
                                   "with --cpu %2)")
                        .arg(path, header.CpuVer, id.CpuVer));
    case ReadOutcome::ReadingCancelled:
        return Fail(QStringLiteral("%1: reading was cancelled").arg(path));
    }
    QStringList left;
    for (const QString& number : r.skipped)
        left.append(QStringLiteral("parameter %1 is not defined for this inverter and was skipped")
                        .arg(number));
    if (!r.passedOver.isEmpty())
        left.append(QStringLiteral("%1 parameter lines from line %2 on were not read (an empty "
                                   "line or the limit of 2000 parameters ends the list)")
                        .arg(r.passedOver.size())
                        .arg(r.passedOver.first()));
    if (whole && !left.isEmpty())
        return Fail(QStringLiteral("%1: %2; writing the file would lose them (--force writes it "
                                   "anyway)")
                        .arg(path, left.join(QStringLiteral("; "))));
    for (const QString& line : std::as_const(left))
        err_ << "vdk330q-cli: warning: " << path << ": " << line << Qt::endl;
    return std::nullopt;
}

int Cli::Check(Session& s, const QString& path) {
    ReadResult r;
    if (const auto failed = ReadFile(s, path, r))
        return *failed;
    // The cut list was named by ReadFile already.
    ExportFindings findings = FindingsOf(r, s.table, s.values);
    findings.passedOver.clear();
    for (const QString& line : findings.Lines(s.table, s.values))
        err_ << "vdk330q-cli: warning: " << path << ": " << line << Qt::endl;
    out_ << "params=" << r.applied << " changed=" << s.values.CountMarked(UPara::ChangeIndex)
         << " blind=" << s.values.CountMarked(UPara::BlindIndex) << " comment=" << s.values.Comment
         << Qt::endl;
    return r.Incomplete() || findings.Any() ? kExitFailed : kExitOk;
}

std::optional<int> Cli::ShowView(Session& s, const QString& path, const QString& view,
                                 ParameterTable& table, ReadResult& r) {
    static const QStringList kViews{QStringLiteral("all"), QStringLiteral("changed"),
                                    QStringLiteral("quick"), QStringLiteral("blind")};
    if (!kViews.contains(view))
        return Fail(QStringLiteral("--view takes all, changed, quick or blind"));
    if (const auto failed = ReadFile(s, path, r))
        return *failed;
    table.decimalComma = DecimalCommaOf(s.settings, s.paths.Identity().Language);
    table.ResetTable();
    if (view == QLatin1String("blind")) {
        if (!s.values.BlindMode)
            return Fail(QStringLiteral("%1 has no blind parameter").arg(path));
    } else {
        // The other views show the blind rows too (nothing is saved).
        if (s.values.BlindMode)
            table.AllParameters();
        if (view == QLatin1String("quick"))
            table.ToggleQuick();
        if (view == QLatin1String("changed") && !table.ToggleChanged())
            return Fail(QStringLiteral("%1 has no changed parameter").arg(path));
    }
    return std::nullopt;
}

int Cli::Csv(Session& s, const QString& path, const QString& output, const QString& view) {
    if (output.isEmpty())
        return Fail(QStringLiteral("csv needs -o OUT.csv"));
    if (SameFile(output, path))
        return Fail(QStringLiteral("-o %1 is the parameter file itself; the table would replace it")
                        .arg(output));
    ParameterTable table(s.table, s.values, s.messenger);
    ReadResult r;
    if (const auto failed = ShowView(s, path, view, table, r))
        return *failed;
    QString error;
    if (!WriteCsvTable(output, table, table.decimalComma, &error))
        return Fail(QStringLiteral("cannot write %1: %2").arg(output, error));
    return r.skipped.isEmpty() ? kExitOk : kExitFailed;
}

// The printed table of a file as the preview shows it, with the stored page
// setup; the comment line is the file's comment.
int Cli::Print(Session& s, const QString& path, const QString& output, const QString& view) {
    if (output.isEmpty())
        return Fail(QStringLiteral("print needs -o OUT.pdf"));
    if (SameFile(output, path))
        return Fail(QStringLiteral("-o %1 is the parameter file itself").arg(output));
    if (!env_.writeParameterReport)
        return Fail(QStringLiteral("this program cannot print"));
    ParameterTable table(s.table, s.values, s.messenger);
    ReadResult r;
    if (const auto failed = ShowView(s, path, view, table, r))
        return *failed;
    PageSetup page;
    page.Load(s.settings);
    page.commentText = s.values.Comment;
    const InverterIdentity& id = s.paths.Identity();
    QString error;
    if (!env_.writeParameterReport(
            ReportLines(table, s.table, s.values, table.decimalComma,
                        s.messenger.Text(kMsgChangedMark)),
            page,
            ReportHeadingOf(s.messenger, id.TypeForm + id.Capacity, QDateTime::currentDateTime()),
            output, &error))
        return Fail(QStringLiteral("cannot write %1: %2").arg(output, error));
    return r.skipped.isEmpty() ? kExitOk : kExitFailed;
}

int Cli::Set(Session& s, const QString& path, const QStringList& edits, const QString& output,
             bool force) {
    const QString target = output.isEmpty() ? path : output;
    // From the read to the write the file is ours: another run's edit in
    // between would be written over.
    FileLock lock(target);
    QString error;
    if (!lock.Acquire(env_.lockWaitMs, &error))
        return Fail(error);
    ReadResult r;
    if (const auto failed = ReadFile(s, path, r, !force))
        return *failed;
    const bool decimalComma = DecimalCommaOf(s.settings, s.paths.Identity().Language);
    // Every edit is made in turn, as typed into the table, so a linked limit
    // sees the edits before it; nothing is written unless all are taken.
    QStringList stored, warnings;
    for (const QString& edit : edits) {
        const qsizetype eq = edit.indexOf(QLatin1Char('='));
        if (eq < 0)
            return Fail(QStringLiteral("'%1' is not COMNO=VALUE").arg(edit));
        const QString number = edit.left(eq);
        const QString text = edit.mid(eq + 1);
        const int row = s.table.FindRow(number);
        if (row < 0)
            return Fail(QStringLiteral("unknown communication number '%1'").arg(number));
        const Entry entry =
            CommitValue(s.table, s.values, row, text, decimalComma, s.messenger).entry;
        if (entry.status != Entry::Ok || entry.range.unreadable)
            return Fail(QStringLiteral("%1: '%2' is not a number").arg(number, text));
        const double v = entry.range.value;
        if (entry.range.clamped)
            warnings.append(QStringLiteral("%1=%2 is out of range; the %3 limit %4 is used")
                                .arg(number, text,
                                     v < entry.raw ? QStringLiteral("high") : QStringLiteral("low"),
                                     ScaledText(s.table, row, v, decimalComma).trimmed()));
        stored.append(s.table.At(row, ComNo) + QLatin1Char('=') + s.values.At(row, UPara::Value));
    }
    EnvironmentOptions options;
    options.Load(s.settings);
    if (!WriteParameterFile(target, s.table, s.values, s.paths.Identity(), options.ChgPara2,
                            &error))
        return Fail(QStringLiteral("cannot write %1: %2").arg(target, error));
    for (const QString& warning : std::as_const(warnings))
        err_ << "vdk330q-cli: warning: " << warning << Qt::endl;
    for (const QString& line : std::as_const(stored))
        out_ << line << '\n';
    out_.flush();
    return warnings.isEmpty() && !r.Incomplete() ? kExitOk : kExitFailed;
}

int Cli::Transfer(const QCommandLineParser& parser, Session& s, TransferMode mode,
                  const QString& file) {
    if (mode == TransferMode::Import && file.isEmpty())
        return Fail(QStringLiteral("import needs -o OUT.vdk"));
    if (parser.isSet(QStringLiteral("dry-run")) && !parser.isSet(QStringLiteral("review")))
        return Fail(QStringLiteral("--dry-run needs --review"));
    EnvironmentOptions options;
    options.Load(s.settings);
    bool eeprom = options.Eeprom;
    if (const auto failed = EepromChosen(parser, options.Eeprom, eeprom))
        return *failed;
    ReadResult read;
    if (mode != TransferMode::Import)
        if (const auto failed = ReadFile(s, file, read))
            return *failed;
    const bool force = parser.isSet(QStringLiteral("force"));
    if (mode == TransferMode::Export) {
        // A file that does not say what it means is not sent as it stands.
        const QStringList findings = FindingsOf(read, s.table, s.values).Lines(s.table, s.values);
        if (!findings.isEmpty() && !force)
            return Fail(QStringLiteral("%1: %2; nothing was written (--force exports it anyway)")
                            .arg(file, findings.join(QStringLiteral("; "))));
        for (const QString& line : findings)
            err_ << "vdk330q-cli: warning: " << file << ": " << line << Qt::endl;
    }
    // A snapshot puts back every value it holds, shipment values too, and
    // nothing it does not hold.
    const bool snapshot = mode == TransferMode::Export && IsSnapshot(s.values);
    if (snapshot) {
        QString error;
        auto held = LoadSnapshot(file, s.table, s.values, s.paths.Identity(), s.messenger, &error);
        if (!held)
            return Fail(QStringLiteral("cannot read %1: %2").arg(file, error));
        s.values = std::move(*held);
    }
    if (const auto failed = OpenLink(parser, s))
        return *failed;
    const bool maintenance = parser.isSet(QStringLiteral("maintenance"));
    TransferSession::Config config;
    config.mode = mode;
    config.setup.run = TransferOptions::From(options, OptionAvailability{}, maintenance);
    // The command line never asks: failures and differences go into the report.
    TransferOptions& t = config.setup.run;
    t.errorPrompt = t.comparePrompt = t.autoSave = false;
    t.eeprom = eeprom;
    if (parser.isSet(QStringLiteral("all")) || snapshot)
        t.changedOnly = false;
    config.setup.useMaintenance = maintenance;
    // A command opens the maintenance parameters on its own: it closes them.
    config.closeMaintenance = maintenance;
    config.typeForm = s.paths.Identity().TypeForm;
    config.decimalComma = DecimalCommaOf(s.settings, s.paths.Identity().Language);

    FunctionPump pump({});
    TransferSession transfer(s.table, s.values, s.link, s.messenger, pump, config);
    if (!transfer.Prepare()) {
        err_ << "vdk330q-cli: the inverter does not answer" << Qt::endl;
        return kExitFailed;
    }
    // The trace's lines would break into the bar's line on the same stream.
    ProgressBar bar(err_, env_.stderrIsTerminal && !parser.isSet(QStringLiteral("trace")));
    transfer.Run().onProgress = [&bar](int percent) { bar.Show(percent); };
    if (parser.isSet(QStringLiteral("keep-going")))
        transfer.Run().keepGoing = [](int) { return true; };
    if (mode == TransferMode::Export) {
        GuardExport(parser, s, transfer.Run(), file, options.SnapshotKeep);
        transfer.Run().guard.writeUnsaved = [force](int) { return force; };
    }
    const bool closed = transfer.Execute();
    bar.Finish();
    if (!closed)
        err_ << "vdk330q-cli: warning: the maintenance parameters could not be closed (FB91)"
             << Qt::endl;
    const TransferRun::Outcome& outcome = transfer.Outcome();
    const ResultReport& report = transfer.Report();
    if (!outcome.snapshotError.isEmpty())
        return Fail(QStringLiteral("nothing was written: the snapshot could not be saved: %1")
                        .arg(outcome.snapshotError));
    if (outcome.cancelled) // a dry run: the differences were the answer
        return kExitFailed;
    if (outcome.unread > 0)
        err_ << "vdk330q-cli: warning: " << outcome.unread
             << " parameters were not written: the file holds no value read for them" << Qt::endl;
    if (outcome.unsaved > 0)
        err_ << "vdk330q-cli: warning: " << outcome.unsaved
             << " parameters were not written: their values in the inverter could not be saved "
                "(--force writes them anyway)"
             << Qt::endl;
    if (outcome.stopped) {
        err_ << "vdk330q-cli: the inverter has not answered " << TransferRun::kSilentLimit
             << " times in a row: stopped (--keep-going goes on)" << Qt::endl;
        return PrintReport(report, kExitFailed);
    }
    if (mode == TransferMode::Import) {
        QString error;
        if (!WriteParameterFile(file, s.table, s.values, s.paths.Identity(), options.ChgPara2,
                                &error))
            return Fail(QStringLiteral("cannot write %1: %2").arg(file, error));
    }
    const bool failed = outcome.errors || outcome.differences || outcome.unsaved ||
                        outcome.notCompared || !read.skipped.isEmpty();
    return PrintReport(report, failed ? kExitFailed : kExitOk);
}

int Cli::PrintReport(const ResultReport& report, int exit) {
    for (const QString& line : std::as_const(report.lines))
        out_ << line << '\n';
    out_.flush();
    return exit;
}

void Cli::GuardExport(const QCommandLineParser& parser, Session& s, TransferRun& run,
                      const QString& file, int keep) {
    run.guard.review = parser.isSet(QStringLiteral("review"));
    const bool dryRun = parser.isSet(QStringLiteral("dry-run"));
    const bool decimalComma = DecimalCommaOf(s.settings, s.paths.Identity().Language);
    const ReportTexts texts = ReportTexts::From(s.texts);
    run.guard.choose = [this, &s, &run, texts, decimalComma, dryRun](ExportReview& review) {
        const QStringList lines = ReviewLines(review, s.table, s.values, texts, decimalComma,
                                              run.Configuration().options.maintenanceNames);
        for (const QString& line : lines)
            out_ << line << '\n';
        out_ << Qt::flush;
        return !dryRun;
    };
    if (parser.isSet(QStringLiteral("no-snapshot")))
        return;
    run.guard.snapshot = SnapshotStep(
        SnapshotStore(SnapshotFolder(s.paths.AppDir)), s.table, s.values, s.paths.Identity(),
        InverterTag(s.link.settings),
        QStringLiteral("Before the export of %1").arg(QFileInfo(file).absoluteFilePath()), keep,
        [this](const QString& path) { err_ << "snapshot=" << path << Qt::endl; });
}

int Cli::Snapshots(Session& s, bool all) {
    const SnapshotStore store(SnapshotFolder(s.paths.AppDir));
    for (const SnapshotInfo& i : store.List(all ? nullptr : &s.paths.Identity()))
        out_ << i.path << ' ' << i.time.toString(Qt::ISODate) << ' ' << i.inverter << ' ' << i.count
             << '\n';
    out_.flush();
    return kExitOk;
}

// The first file is read as the table reads it; a second one is compared as
// it stands, so that what one file holds alone is listed.
int Cli::Diff(Session& s, const QStringList& files, bool defaults) {
    if (files.size() != (defaults ? 1 : 2))
        return Fail(QStringLiteral("diff takes two files, or one file and --defaults"));
    const ReportTexts texts = ReportTexts::From(s.texts);
    const QString& first = files.first();
    std::optional<ComparedSide> sides[2];
    if (defaults) {
        ReadResult read;
        if (const auto failed = ReadFile(s, first, read))
            return *failed;
        sides[0] = ComparedSide::OfTable(s.table, s.values, QStringLiteral("File"), first);
        sides[1] = ComparedSide::OfDefaults(s.table, QStringLiteral("Shipment"),
                                            QStringLiteral("the shipment values"));
    } else {
        for (int i = 0; i < 2; ++i) {
            const ComparedFile read = ReadComparedFile(
                files[i], s.table, s.paths.Identity().TypeForm, s.paths.FallbackEncoding(),
                i == 0 ? QStringLiteral("A") : QStringLiteral("B"), files[i]);
            if (read.problem != FileProblem::None)
                return Fail(
                    QStringLiteral("%1: Data is incorrect. %2")
                        .arg(files[i], FileProblemReason(read.problem, read.file.damagedLine)));
            if (!read.side)
                return Fail(
                    QStringLiteral("%1 is for type-form %2, %3 is for %4")
                        .arg(files[i], read.file.TypeForm, first, s.paths.Identity().TypeForm));
            sides[i] = read.side;
        }
    }
    const FileComparison compared =
        CompareSides(s.table, *sides[0], *sides[1], texts,
                     DecimalCommaOf(s.settings, s.paths.Identity().Language), false);
    for (const QString& line : compared.lines)
        out_ << line << '\n';
    out_.flush();
    return compared.Differs() ? kExitFailed : kExitOk;
}

std::optional<int> Cli::OpenLink(const QCommandLineParser& parser, Session& s) {
    QString error;
    const auto settings = LinkSettingsFrom(parser, LoadCommSettings(s.settings), error);
    if (!settings)
        return Fail(error);
    // Every inverter on the line takes a broadcast write: only a broadcast
    // spelled out on this command line means it.
    if (settings->douhou) {
        if (!parser.isSet(QStringLiteral("broadcast")))
            return Fail(QStringLiteral("the settings address every inverter on the line "
                                       "(Broadcast): give --broadcast to mean it, or --id N"));
        s.link.ConfirmBroadcast();
    }
    s.link.settings = *settings;
    s.link.SetTable(&s.table);
    ApplyLogOptions(parser, s.link.Log(), err_);
    if (s.link.OpenPort() != 0)
        return Fail(QStringLiteral("cannot open the port %1: %2")
                        .arg(settings->port.portName.isEmpty() ? QStringLiteral("(none)")
                                                               : settings->port.portName,
                             s.port.ErrorString()));
    return std::nullopt;
}

int Cli::Read(Session& s, const QStringList& numbers) {
    QList<int> rows;
    for (const QString& number : numbers) {
        rows.append(s.table.FindRow(number));
        if (rows.last() < 0)
            return Fail(QStringLiteral("unknown communication number '%1'").arg(number));
    }
    bool failed = false;
    for (int row : rows) {
        const TransactResult reply = s.link.Transact(row, QString(), u"R");
        out_ << s.table.At(row, ComNo) << '=';
        if (reply.ok())
            out_ << RawOf(s, row, reply.value);
        else
            out_ << "ERROR";
        out_ << Qt::endl;
        failed |= !reply.ok();
    }
    return failed ? kExitFailed : kExitOk;
}

int Cli::Write(Session& s, const QString& number, const QString& value, bool eeprom) {
    const int row = s.table.FindRow(number);
    if (row < 0)
        return Fail(QStringLiteral("unknown communication number '%1'").arg(number));
    if (!s.link.Fits(row, value))
        return Fail(QStringLiteral("'%1' is not a whole number that fits parameter %2")
                        .arg(value, s.table.At(row, ComNo)));
    const TransactResult echo = s.link.Transact(row, value.trimmed(), eeprom ? u"W" : u"P");
    out_ << s.table.At(row, ComNo) << '=';
    if (echo.ok())
        out_ << RawOf(s, row, echo.value);
    else
        out_ << "ERROR";
    out_ << Qt::endl;
    return echo.ok() ? kExitOk : kExitFailed;
}

std::optional<int> Cli::EepromChosen(const QCommandLineParser& parser, bool byOptions,
                                     bool& eeprom) {
    const bool toEeprom = parser.isSet(QStringLiteral("eeprom"));
    const bool toRam = parser.isSet(QStringLiteral("ram"));
    if (toEeprom && toRam)
        return Fail(QStringLiteral("--eeprom and --ram cannot be combined"));
    eeprom = toEeprom || (byOptions && !toRam);
    return std::nullopt;
}

std::optional<int> Cli::Count(const QCommandLineParser& parser, const char* option, int least,
                              int& value) {
    bool ok = false;
    value = parser.value(QLatin1String(option)).toInt(&ok);
    if (!ok || value < least)
        return Fail(QStringLiteral("--%1 takes a whole number of at least %2")
                        .arg(QLatin1String(option))
                        .arg(least));
    return std::nullopt;
}

int Cli::Panel(const QCommandLineParser& parser, Session& s) {
    int count = 1, interval = 0;
    if (const auto failed = Count(parser, "count", 1, count))
        return *failed;
    if (const auto failed = Count(parser, "interval", 0, interval))
        return *failed;
    const auto lamps = [](quint8 bits) {
        const QStringList names = LampNames(bits);
        return names.isEmpty() ? QStringLiteral("-") : names.join(QLatin1Char(','));
    };
    bool failed = false;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            s.clock.SleepUntil(s.clock.Milliseconds() + interval);
        const auto block = s.link.ReadPanel();
        if (!block) {
            out_ << "A=ERROR" << Qt::endl;
            failed = true;
            continue;
        }
        const PanelFrame a = FrameOf(*block, PanelPhase::A);
        const PanelFrame b = FrameOf(*block, PanelPhase::B);
        out_ << "A=" << ReadableText(a.text) << " lampsA=" << lamps(a.lamps)
             << " B=" << ReadableText(b.text) << " lampsB=" << lamps(b.lamps) << Qt::endl;
    }
    return failed ? kExitFailed : kExitOk;
}

// One press as the key pad's loop sends it: the immediate FA11 0, then the
// key on a poll cycle (each held cycle for UP and DOWN, then their release).
int Cli::Key(const QCommandLineParser& parser, Session& s, const QString& name) {
    const auto key = KeyPadSession::KeyNamed(name);
    if (!key)
        return Fail(QStringLiteral("unknown key '%1' (RUN, STOP, UP, DOWN, MON or ENT)").arg(name));
    const bool held = *key == KeyPadSession::Up || *key == KeyPadSession::Down;
    int cycles = 1;
    if (const auto failed = Count(parser, "hold", 1, cycles))
        return *failed;
    FunctionPump pump({});
    KeyPadSession pad(s.link, s.clock, pump, s.messenger, s.values, {});
    pad.BeginCycles();
    pad.Press(*key);
    for (int i = 0; i < (held ? cycles : 1); ++i)
        pad.Cycle();
    if (held) {
        pad.Release(*key);
        pad.Cycle();
    }
    if (pad.FailedKeys().isEmpty())
        return kExitOk;
    err_ << "vdk330q-cli: the key " << KeyPadSession::KeyName(*key) << " did not reach the inverter"
         << Qt::endl;
    return kExitFailed;
}

int Cli::Frequency(const QCommandLineParser& parser, Session& s, const QString& value) {
    EnvironmentOptions options;
    options.Load(s.settings);
    bool eeprom = options.Eeprom;
    if (const auto failed = EepromChosen(parser, options.Eeprom, eeprom))
        return *failed;
    const FrequencyCommand command = PrepareFrequency(
        s.link, s.values, Catalogue(s.paths).FreqCommNo(s.paths.Identity().TypeForm), value, false);
    if (command.message == kMsgNoLink) {
        err_ << "vdk330q-cli: the limit " << command.unreadable
             << " could not be read from the inverter" << Qt::endl;
        return kExitFailed;
    }
    if (command.message == kMsgClamped)
        return Fail(QStringLiteral("%1 (limit %2)")
                        .arg(s.messenger.Text(kMsgClamped),
                             ScaledText(s.table, command.row, command.limit, false).trimmed()));
    if (command.message != 0)
        return Fail(s.messenger.Text(command.message));
    const TransactResult echo = s.link.Transact(command.row, command.raw, eeprom ? u"W" : u"P");
    out_ << s.table.At(command.row, ComNo) << '=';
    if (echo.ok())
        out_ << RawOf(s, command.row, echo.value);
    else
        out_ << "ERROR";
    out_ << Qt::endl;
    return echo.ok() ? kExitOk : kExitFailed;
}

// Ctrl+C during a monitor run: the run ends after the current sample.
volatile std::sig_atomic_t interrupted = 0;

class CtrlC {
public:
    CtrlC() : previous_(std::signal(SIGINT, [](int) { interrupted = 1; })) { interrupted = 0; }
    ~CtrlC() { std::signal(SIGINT, previous_); }
    CtrlC(const CtrlC&) = delete;
    CtrlC& operator=(const CtrlC&) = delete;
    // What Ctrl+C asks of the run, at the next turn of the pump.
    std::function<void()> stop;
    FunctionPump pump{[this] {
        if (interrupted && stop)
            stop();
    }};

private:
    void (*previous_)(int);
};

int Cli::Monitor(const QCommandLineParser& parser, Session& s) {
    const MonitorCatalogue catalogue = MonitorCatalogue::Load(
        IniFile(s.paths.InfoIni), s.paths.Identity().TypeForm, s.paths.Identity().LangCode);
    const QStringList keys =
        parser.value(QStringLiteral("items")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (keys.isEmpty() || keys.size() > kMonitorSlots)
        return Fail(QStringLiteral("monitor needs --items with one to ten items"));
    MonitorRecorder::Config config;
    QStringList names;
    QList<int> items;
    for (const QString& key : keys) {
        const auto index = catalogue.IndexOfKey(key.trimmed());
        if (!index)
            return Fail(QStringLiteral("'%1' is not a monitor item of %2")
                            .arg(key, s.paths.Identity().TypeForm));
        items.append(int(*index));
        names.append(catalogue.items[*index].name);
        config.channels.append(MonitorChannel::For(s.table, catalogue.items[*index]));
    }
    int interval = 0;
    if (!parser.isSet(QStringLiteral("interval")))
        return Fail(QStringLiteral("monitor needs --interval MS"));
    if (const auto failed = Count(parser, "interval", 1, interval))
        return *failed;
    if (parser.isSet(QStringLiteral("trigger")))
        return MonitorTriggered(parser, s, catalogue, items, interval);
    const bool byCount = parser.isSet(QStringLiteral("count"));
    if (byCount == parser.isSet(QStringLiteral("duration")))
        return Fail(QStringLiteral("monitor needs either --count N or --duration S"));
    int amount = 0;
    if (const auto failed = Count(parser, byCount ? "count" : "duration", 1, amount))
        return *failed;
    config.intervalMs = interval;
    (byCount ? config.count : config.durationMs) = byCount ? amount : qint64(amount) * 1000;
    EnvironmentOptions options;
    options.Load(s.settings);
    config.terminalLevel = options.MonVal;

    const QChar separator = QLatin1Char(',');
    const double recordMs = byCount ? double(amount) * interval : double(amount) * 1000;
    const QStringList header = ContinuousHeader(
        s.paths.Identity().TypeForm + s.paths.Identity().Capacity,
        QString::number(recordMs / 60000, 'g', 6), QString::number(interval / 1000.0, 'g', 6),
        s.messenger.Text(kMsgTimeLabel), names, separator);
    const QString path = parser.value(QStringLiteral("o"));
    std::optional<ContinuousCsv> csv;
    if (!path.isEmpty()) {
        csv.emplace(path);
        if (!csv->Start(header))
            return Fail(QStringLiteral("cannot write %1: %2").arg(path, csv->Error()));
    }
    for (const QString& line : header)
        out_ << line << '\n';
    out_.flush();

    bool failedRead = false;
    bool warned = false;
    CtrlC ctrlC;
    MonitorRecorder recorder(s.link, s.clock, ctrlC.pump, s.values);
    ctrlC.stop = [&recorder] { recorder.RequestStop(); };
    recorder.Run(config, [&](const MonitorRecorder::Sample& sample) {
        QStringList cells;
        for (const auto& value : sample.values) {
            failedRead |= !value;
            cells.append(value ? ContinuousCell(*value, separator) : QStringLiteral("ERROR"));
        }
        const QString row = ContinuousRow(sample.elapsedMs, cells, separator);
        // With a file, a row is printed once it is on disk; one that cannot
        // be written yet is kept and goes out with the next.
        if (csv && !csv->Append(row)) {
            if (!warned)
                err_ << "vdk330q-cli: cannot write " << path << " (" << csv->Error()
                     << "); the rows are kept and written as soon as it can" << Qt::endl;
            warned = true;
            return;
        }
        out_ << row << Qt::endl;
    });
    if (csv && !csv->Waiting().isEmpty()) {
        // Never lost: what the file did not take goes to the output.
        err_ << "vdk330q-cli: " << csv->Waiting().size() << " rows could not be written to " << path
             << "; they follow here" << Qt::endl;
        for (const QString& row : csv->Waiting())
            out_ << row << '\n';
        out_.flush();
        return kExitFailed;
    }
    return failedRead ? kExitFailed : kExitOk;
}

// One triggered record as the monitoring window takes it, with the plotted
// values equal to the sampled ones (multiplier 1, offset 0).
int Cli::MonitorTriggered(const QCommandLineParser& parser, Session& s,
                          const MonitorCatalogue& catalogue, const QList<int>& items,
                          int interval) {
    const QStringList given = parser.value(QStringLiteral("trigger")).split(QLatin1Char(','));
    const QStringList slopes{QStringLiteral("up"), QStringLiteral("down"), QStringLiteral("both")};
    const std::optional<qsizetype> sourceItem =
        given.size() == 3 ? catalogue.IndexOfKey(given[0].trimmed()) : std::nullopt;
    const qsizetype source = sourceItem ? items.indexOf(int(*sourceItem)) : -1;
    bool levelOk = false;
    const int level = given.value(2).trimmed().toInt(&levelOk);
    const qsizetype slope = slopes.indexOf(given.value(1).trimmed().toLower());
    if (source < 0 || slope < 0 || !levelOk || level < 0 || level > 500)
        return Fail(QStringLiteral("--trigger needs ITEM,up|down|both,LEVEL with ITEM one of "
                                   "--items and LEVEL 0..500"));
    int delay = 0;
    if (parser.isSet(QStringLiteral("delay")))
        if (const auto failed = Count(parser, "delay", 0, delay))
            return *failed;
    if (delay > 100)
        return Fail(QStringLiteral("--delay takes a percentage, 0..100"));
    const QString path = parser.value(QStringLiteral("o"));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("mon") && suffix != QLatin1String("csv"))
        return Fail(QStringLiteral("a triggered monitor run needs -o FILE.mon or -o FILE.csv"));

    MonitorRunConfig config;
    config.pointsPerChannel = MonitorSetup::kTotalPoints / int(items.size());
    if (parser.isSet(QStringLiteral("max-samples"))) {
        int most = 0;
        if (const auto failed = Count(parser, "max-samples", 2, most))
            return *failed;
        config.pointsPerChannel = std::min(config.pointsPerChannel, most - 1);
    }
    EnvironmentOptions options;
    options.Load(s.settings);
    config.terminalLevel = options.MonVal;
    config.decimalComma = DecimalCommaOf(s.settings, s.paths.Identity().Language);
    config.sampleIntervalMs = interval;
    config.displayFactor.fill(1);
    MonitorRecordSetup& setup = config.setup;
    setup.multiplier.fill(10);
    setup.timeBaseSeconds = interval / 200.0; // five samples a division
    setup.trigger = {int(source), int(slope), level, delay, true};
    for (int slot = 0; slot < items.size(); ++slot) {
        setup.item[slot] = items[slot];
        setup.selected[slot] = config.active[slot] = true;
        config.channels[slot] = MonitorChannel::For(s.table, catalogue.items[items[slot]]);
    }

    CtrlC ctrlC;
    MonitorRun run(s.link, s.clock, ctrlC.pump, s.values, catalogue);
    ctrlC.stop = [&run] { run.RequestStop(); };
    MonitorRun::Observer observer;
    observer.waiting = [this](bool on) {
        if (on)
            err_ << "vdk330q-cli: waiting for the trigger (Ctrl+C ends the run)" << Qt::endl;
    };
    observer.triggered = [this](int held) {
        err_ << "vdk330q-cli: recording, " << held << " samples held before" << Qt::endl;
    };
    run.SetObserver(observer);
    const MonitorRecord record = run.RunTriggered(config);

    const InverterIdentity& id = s.paths.Identity();
    QString error;
    if (!WriteFileAtomically(path,
                             *MonitorDataBytes(path, record, {id.TypeForm, id.Capacity, id.CpuVer},
                                               RecordItemNames(record, catalogue),
                                               MonitorTableTextsOf(s.messenger),
                                               config.decimalComma),
                             &error))
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, error));
    out_ << "samples=" << record.SampleCount() << " pre-trigger=" << record.preTrigger
         << " errors=" << record.errors << Qt::endl;
    return record.errors > 0 ? kExitFailed : kExitOk;
}

std::optional<int> Cli::ReadMonitorFile(Session& s, const QString& file,
                                        MonitorCatalogue& catalogue, MonitorFile& mon) {
    const InverterIdentity& id = s.paths.Identity();
    catalogue = MonitorCatalogue::Load(IniFile(s.paths.InfoIni), id.TypeForm, id.LangCode);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("%1: %2").arg(file, in.errorString()));
    int badLine = 0;
    std::optional<MonitorFile> read =
        ParseMonitorFile(in.readAll(), int(catalogue.items.size()), &badLine);
    if (!read)
        return Fail(
            QStringLiteral("%1: not a monitor file, or damaged at line %2").arg(file).arg(badLine));
    if (read->inverter.typeForm != s.paths.Identity().TypeForm)
        return Fail(QStringLiteral("%1 was recorded on %2; select it with --type %2")
                        .arg(file, read->inverter.typeForm));
    mon = std::move(*read);
    return std::nullopt;
}

int Cli::MonToCsv(Session& s, const QString& file, const QString& output) {
    if (output.isEmpty())
        return Fail(QStringLiteral("mon2csv needs -o OUT.csv"));
    MonitorCatalogue catalogue;
    MonitorFile mon;
    if (const auto failed = ReadMonitorFile(s, file, catalogue, mon))
        return *failed;
    const InverterIdentity& id = s.paths.Identity();
    const QByteArray bytes =
        MonitorCsvTable(mon.record, mon.inverter.typeForm + mon.inverter.capacity,
                        RecordItemNames(mon.record, catalogue), MonitorTableTextsOf(s.messenger),
                        DecimalCommaOf(s.settings, id.Language));
    QString error;
    if (!WriteFileAtomically(output, bytes, &error))
        return Fail(QStringLiteral("cannot write %1: %2").arg(output, error));
    return kExitOk;
}

// The monitor report of a file, with the whole record in view.
int Cli::PrintMonitor(Session& s, const QString& file, const QString& output) {
    if (output.isEmpty())
        return Fail(QStringLiteral("print-monitor needs -o OUT.pdf"));
    if (!env_.writeMonitorReport)
        return Fail(QStringLiteral("this program cannot print"));
    MonitorCatalogue catalogue;
    MonitorFile mon;
    if (const auto failed = ReadMonitorFile(s, file, catalogue, mon))
        return *failed;
    const InverterIdentity& id = s.paths.Identity();
    MonitorSetup slots;
    slots.ApplyAlarmTripSlots(mon.record.setup.alarm, mon.record.setup.trip);
    std::array<quint32, kMonitorSlots> colours{};
    for (int slot = 0; slot < kMonitorSlots; ++slot)
        colours[slot] = slots.slots[slot].colour;
    MonitorReportContent content =
        MonitorReportOf(mon.record, {0, double(std::max(100, mon.record.SampleCount() + 4))}, 100,
                        colours, slots.UsableSlots(), catalogue, s.table, s.messenger,
                        DecimalCommaOf(s.settings, id.Language));
    content.inverter = mon.inverter.typeForm + mon.inverter.capacity;
    content.made = QDateTime::currentDateTime();
    PageSetup page;
    page.Load(s.settings);
    QString error;
    if (!env_.writeMonitorReport(content, page, output, &error))
        return Fail(QStringLiteral("cannot write %1: %2").arg(output, error));
    return kExitOk;
}

int Cli::InfoReport(Session& s, bool trip) {
    const InfoList list = InfoList::Read(s.texts);
    if (list.Empty())
        return Fail(QStringLiteral("%1 (no [InverterInfo] list in %2)")
                        .arg(s.messenger.Text(kMsgNoFunctionData), s.paths.LangFile));
    if (!s.link.CommunicationCheck()) {
        err_ << "vdk330q-cli: the inverter does not answer" << Qt::endl;
        return kExitFailed;
    }
    const InverterIdentity& id = s.paths.Identity();
    const MonitorCatalogue monitor =
        MonitorCatalogue::Load(IniFile(s.paths.InfoIni), id.TypeForm, id.LangCode);
    const InfoSources sources{s.link, s.table, s.values, monitor,
                              DecimalCommaOf(s.settings, id.Language)};
    auto report = ReadInverterInfo(sources, list, Catalogue(s.paths));
    if (trip)
        AppendTripData(*report, sources, list);
    for (const QString& line : std::as_const(report->lines))
        out_ << line << '\n';
    out_.flush();
    if (report->failedReads == 0)
        return kExitOk;
    err_ << "vdk330q-cli: " << report->failedReads << " reads got no answer (shown as Err.)"
         << Qt::endl;
    return kExitFailed;
}

int Cli::Detect(const QCommandLineParser& parser, Session& s) {
    if (!QFileInfo::exists(s.paths.InverterIni))
        return Fail(QStringLiteral("inverter catalogue not found: %1").arg(s.paths.InverterIni));
    QString error;
    const auto settings = LinkSettingsFrom(parser, LoadCommSettings(s.settings), error);
    if (!settings)
        return Fail(error);
    Detector detector(s.port, s.clock, &s.link.Log());
    ApplyLogOptions(parser, s.link.Log(), err_);
    const QStringList candidates = parser.isSet(QStringLiteral("port"))
                                       ? QStringList{settings->port.portName}
                                       : QtSerialPort::AvailablePorts();
    const QStringList usable = detector.UsablePorts(candidates);
    if (usable.isEmpty())
        return Fail(QStringLiteral("no usable serial port (tried: %1)")
                        .arg(candidates.isEmpty() ? QStringLiteral("none listed")
                                                  : candidates.join(QStringLiteral(", "))));
    // The settings given or stored are tried first, as the start-up selection does.
    const LineFound remembered{usable.first(), settings->port.baudIndex, settings->port.parityIndex,
                               settings->protocol};
    const auto line = detector.Detect(usable, remembered);
    if (!line) {
        err_ << "vdk330q-cli: no inverter answered on " << usable.join(QStringLiteral(", "))
             << Qt::endl;
        return kExitFailed;
    }
    s.paths.SelectLanguage(LanguagesOf(s.settings).value(0));
    const Catalogue catalogue(s.paths);
    const Identity id = detector.Identify(*line, catalogue);
    const QString type = catalogue.TypeForms().value(id.typeIndex);
    const QString cpu = catalogue.CpuVersions(type).value(id.cpuIndex);
    out_ << "port=" << line->portName << '\n'
         << "baud=" << BaudRateOf(line->baudIndex) << '\n'
         << "parity=" << QStringList{"none", "even", "odd"}.value(line->parityIndex) << '\n'
         << "protocol=" << (line->protocol == Protocol::Modbus ? "modbus" : "inverter") << '\n'
         << "type=" << type << '\n'
         << "cpu=" << cpu << '\n'
         << "capacity=" << catalogue.Capacities(type, cpu).value(id.capacityIndex) << Qt::endl;
    return kExitOk;
}

} // namespace

int RunCli(const QStringList& args, const CliEnvironment& env, QTextStream& out, QTextStream& err) {
    const int code = Cli(env, out, err).Run(args);
    // A result that never reached its reader (a full disk, a closed pipe) is
    // a failure, however well the command went.
    out.flush();
    if (out.status() == QTextStream::Ok)
        return code;
    err << "vdk330q-cli: cannot write the output" << Qt::endl;
    return code == kExitOk ? kExitFailed : code;
}

} // namespace vdk
