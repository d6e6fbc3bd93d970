#include "cli/CliCommands.h"

#include "base/UserDialogs.h"
#include "cli/Selection.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "data/ParameterFile.h"
#include "data/StartFile.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace vdk {

namespace {

const QString kUsage = QStringLiteral(
    "Usage: vdk330q-cli [--appdir DIR] [SELECTION] COMMAND\n"
    "\n"
    "Commands:\n"
    "  info          print the selection and the size of its parameter definitions\n"
    "  check FILE    read a parameter file against the selection and print\n"
    "                params=N changed=N blind=N comment=...\n"
    "\n"
    "Selection (default: the selection stored in the settings, else the first entries):\n"
    "  --type T         inverter type-form\n"
    "  --cpu C          CPU version of the type-form\n"
    "  --capacity K     capacity, with its leading hyphen (for example -2004)\n"
    "  --lang NAME      language name (for example English)\n"
    "  --from FILE      take the selection from a parameter file (.vdk)\n"
    "\n"
    "Other options:\n"
    "  --appdir DIR     folder holding dat/, lng/ and help/ (default: found automatically)\n"
    "  -h, --help       show this help\n"
    "\n"
    "Exit status: 0 done, 1 done with warnings, 2 refused (one line on stderr says why).\n");

// The command line never asks. The one question it answers is whether to skip
// a parameter the selection does not know (yes, with a warning); everything
// else is answered with Cancel, and the caller explains the refusal.
class CliDialogs final : public UserDialogs {
public:
    Answer ShowMessage(const Message& m) override {
        const bool unknownNumber =
            m.number == LanguageTexts::kDataError && m.buttons == MsgButtons::OkCancel;
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
    // Resolves the selection and loads its definitions and values; on failure
    // prints why and returns the exit code.
    std::optional<int> Load(const QCommandLineParser& parser, Session& s);
    int Info(Session& s);
    int Check(Session& s, const QString& file);

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
        {QStringLiteral("from"), QString(), QStringLiteral("FILE")},
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
    const QString& command = positional.first();
    const bool info = command == QLatin1String("info") && positional.size() == 1;
    const bool check = command == QLatin1String("check") && positional.size() == 2;
    if (!info && !check) {
        if (command == QLatin1String("check"))
            return Fail(QStringLiteral("check takes one parameter file (see --help)"));
        return Fail(QStringLiteral("unknown command '%1' (see --help)").arg(positional.join(u' ')));
    }

    const QString appDir =
        ResolveAppDir(AppDirSources{parser.value(QStringLiteral("appdir")), env_.currentDir,
                                    env_.executableDir, env_.installedDir, false});
    Session session(appDir, ResolveSettingsFile(appDir, env_.userConfigDir));
    if (const auto failed = Load(parser, session))
        return *failed;
    return info ? Info(session) : Check(session, positional[1]);
}

std::optional<int> Cli::Load(const QCommandLineParser& parser, Session& s) {
    AppPaths& paths = s.paths;
    if (!QFileInfo(paths.AppDir).isDir())
        return Fail(QStringLiteral("application folder not found: %1").arg(paths.AppDir));
    if (!QFileInfo::exists(paths.InverterIni))
        return Fail(QStringLiteral("inverter catalogue not found: %1").arg(paths.InverterIni));
    const Catalogue catalogue(paths);

    const QString from = parser.value(QStringLiteral("from"));
    std::optional<InverterIdentity> id;
    if (!from.isEmpty()) {
        for (const char* option : {"type", "cpu", "capacity", "lang"})
            if (parser.isSet(QLatin1String(option)))
                return Fail(QStringLiteral("--from cannot be combined with --%1")
                                .arg(QLatin1String(option)));
        const StartFileCheck check = CheckStartFile(from, LanguagesOf(s.settings), catalogue);
        if (check.error != StartFileError::None)
            return Fail(QStringLiteral("%1: Data is incorrect. (%2)").arg(from, check.detail));
        id = InverterIdentity{check.file.TypeForm, check.file.Capacity, check.file.CpuVer,
                              check.file.Language, check.file.Language.left(3)};
    } else {
        QString error;
        id = ResolveSelection(SelectionRequest{parser.value(QStringLiteral("lang")),
                                               parser.value(QStringLiteral("type")),
                                               parser.value(QStringLiteral("cpu")),
                                               parser.value(QStringLiteral("capacity"))},
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
    if (!QFileInfo(paths.DefFile).isFile() || !loader.LoadDefinitions(s.table))
        return Fail(QStringLiteral("cannot read the definition file %1").arg(paths.DefFile));
    if (s.table.Count() == 0)
        return Fail(QStringLiteral("the definition file %1 holds no parameter").arg(paths.DefFile));
    if (!QFileInfo(paths.CapFile).isFile() || !loader.LoadCapacityDefaults(s.table))
        return Fail(QStringLiteral("cannot read the capacity file %1").arg(paths.CapFile));
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

int Cli::Check(Session& s, const QString& path) {
    const InverterIdentity& id = s.paths.Identity();
    ParameterFile header;
    LoadParameterFile(path, s.paths.FallbackEncoding(), header);
    const ReadResult r =
        ReadParameterFile(path, s.table, s.values, id, s.paths.FallbackEncoding(), s.messenger);
    switch (r.outcome) {
    case ReadOutcome::Taken:
        break;
    case ReadOutcome::CannotOpen:
        return Fail(QStringLiteral("cannot read %1").arg(path));
    case ReadOutcome::NotParameterFile:
        return Fail(QStringLiteral("%1: Data is incorrect. (not a parameter file)").arg(path));
    case ReadOutcome::Damaged:
        return Fail(QStringLiteral("%1: Data is incorrect. (a header line or a value is not a "
                                   "whole number)")
                        .arg(path));
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
    for (const QString& number : r.skipped)
        err_ << "vdk330q-cli: warning: " << path << ": parameter " << number
             << " is not defined for this inverter and was skipped" << Qt::endl;
    out_ << "params=" << r.applied << " changed=" << s.values.CountMarked(UPara::ChangeIndex)
         << " blind=" << s.values.CountMarked(UPara::BlindIndex) << " comment=" << s.values.Comment
         << Qt::endl;
    return r.skipped.isEmpty() ? kExitOk : kExitFailed;
}

} // namespace

int RunCli(const QStringList& args, const CliEnvironment& env, QTextStream& out, QTextStream& err) {
    return Cli(env, out, err).Run(args);
}

} // namespace vdk
