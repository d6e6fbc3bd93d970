#pragma once

#include "settings/FileLock.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace vdk {

// Where the command line looks for AppDir and the user's settings.
struct CliEnvironment {
    QString currentDir;
    QString executableDir;
    QString installedDir;
    QString userConfigDir;
    bool stderrIsTerminal = false; // progress bars go to stderr only then
    QString locale;                // LC_ALL, LC_MESSAGES or LANG: the language when none is chosen
    int lockWaitMs = kFileLockWaitMs; // how long `set` waits for another run on its file
};

enum CliExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// vdk330q-cli: the program's core without windows. `args` excludes the program
// name. Results go to `out`, one clear line per refusal to `err`. Output that
// cannot be written makes a successful run exit 1.
int RunCli(const QStringList& args, const CliEnvironment& env, QTextStream& out, QTextStream& err);

} // namespace vdk
