#include "cli/CliCommands.h"

#include "base/UserDialogs.h"
#include "cli/Selection.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace vdk {

namespace {

const QString kUsage = QStringLiteral(
    "Usage: vdk330q-cli [--appdir DIR] [--type T --cpu C --capacity K] [--lang NAME] COMMAND\n"
    "\n"
    "Commands:\n"
    "  info    print the selection and the size of its parameter definitions\n"
    "\n"
    "Options:\n"
    "  --appdir DIR     folder holding dat/, lng/ and help/ (default: found automatically)\n"
    "  --type T         inverter type-form (default: stored selection, else the first)\n"
    "  --cpu C          CPU version of the type-form\n"
    "  --capacity K     capacity, with its leading hyphen (for example -0.75K)\n"
    "  --lang NAME      language name (for example English)\n"
    "  -h, --help       show this help\n");

struct Loaded {
    InverterIdentity id;
    ParaDat table;
    int quick = 0;
};

class Cli {
public:
    Cli(const CliEnvironment& env, QTextStream& out, QTextStream& err)
        : env_(env), out_(out), err_(err) {}

    int Run(const QStringList& args);

private:
    int Fail(const QString& text) {
        err_ << "vdk330q-cli: " << text << Qt::endl;
        return kExitUsage;
    }
    int Info(const QCommandLineParser& parser);

    const CliEnvironment& env_;
    QTextStream& out_;
    QTextStream& err_;
};

int Cli::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QList<QCommandLineOption> options{
        {QStringLiteral("appdir"), QString(), QStringLiteral("DIR")},
        {QStringLiteral("type"), QString(), QStringLiteral("T")},
        {QStringLiteral("cpu"), QString(), QStringLiteral("C")},
        {QStringLiteral("capacity"), QString(), QStringLiteral("K")},
        {QStringLiteral("lang"), QString(), QStringLiteral("NAME")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
    };
    parser.addOptions(options);
    if (!parser.parse(QStringList{QStringLiteral("vdk330q-cli")} + args))
        return Fail(parser.errorText() + QStringLiteral(" (see --help)"));
    if (parser.isSet(QStringLiteral("help"))) {
        out_ << kUsage;
        return kExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return Fail(QStringLiteral("no command given (see --help)"));
    if (positional.first() == QLatin1String("info") && positional.size() == 1)
        return Info(parser);
    return Fail(QStringLiteral("unknown command '%1' (see --help)").arg(positional.join(u' ')));
}

int Cli::Info(const QCommandLineParser& parser) {
    const QString appDir =
        ResolveAppDir(AppDirSources{parser.value(QStringLiteral("appdir")), env_.currentDir,
                                    env_.executableDir, env_.installedDir, false});
    if (!QFileInfo(appDir).isDir())
        return Fail(QStringLiteral("application folder not found: %1").arg(appDir));
    AppPaths paths(appDir, ResolveSettingsFile(appDir, env_.userConfigDir));
    if (!QFileInfo::exists(paths.InverterIni))
        return Fail(QStringLiteral("inverter catalogue not found: %1").arg(paths.InverterIni));

    const IniFile settings(paths.SettingsFile);
    const Catalogue catalogue(paths);
    QString error;
    const auto id = ResolveSelection(SelectionRequest{parser.value(QStringLiteral("lang")),
                                                      parser.value(QStringLiteral("type")),
                                                      parser.value(QStringLiteral("cpu")),
                                                      parser.value(QStringLiteral("capacity"))},
                                     settings, catalogue, error);
    if (!id)
        return Fail(error);
    paths.SelectLanguage(id->Language);
    paths.SelectInverter(id->TypeForm, id->CpuVer, id->Capacity);

    SilentDialogs dialogs;
    LanguageTexts texts;
    if (!QFileInfo::exists(paths.LangFile))
        return Fail(QStringLiteral("language file not found: %1").arg(paths.LangFile));
    if (!BuildMessageList(paths, texts, dialogs))
        return Fail(
            QStringLiteral("language file has no [General] messages: %1").arg(paths.LangFile));

    Messenger messenger(texts, dialogs);
    DefinitionLoader loader(paths, messenger);
    ParaDat table;
    if (!QFileInfo(paths.DefFile).isFile() || !loader.LoadDefinitions(table))
        return Fail(QStringLiteral("cannot read the definition file %1").arg(paths.DefFile));
    if (table.Count() == 0)
        return Fail(QStringLiteral("the definition file %1 holds no parameter").arg(paths.DefFile));
    if (!QFileInfo(paths.CapFile).isFile() || !loader.LoadCapacityDefaults(table))
        return Fail(QStringLiteral("cannot read the capacity file %1").arg(paths.CapFile));

    out_ << "appdir=" << paths.AppDir << '\n'
         << "settings=" << paths.SettingsFile << '\n'
         << "type=" << id->TypeForm << '\n'
         << "cpu=" << id->CpuVer << '\n'
         << "capacity=" << id->Capacity << '\n'
         << "language=" << id->Language << '\n'
         << "params=" << table.LastRow() + 1 << '\n'
         << "normal_last_row=" << table.NormalLastRow() << '\n'
         << "quick=" << loader.QuickCount() << '\n'
         << "capacity_dependent=" << table.CapList.size() + table.CapRefList.size() << '\n'
         << "types=" << catalogue.TypeForms().join(QLatin1Char(',')) << Qt::endl;
    return kExitOk;
}

} // namespace

int RunCli(const QStringList& args, const CliEnvironment& env, QTextStream& out, QTextStream& err) {
    return Cli(env, out, err).Run(args);
}

} // namespace vdk
