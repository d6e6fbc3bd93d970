#pragma once

#include "monitor/MonitorReportRows.h"
#include "printing/PageSetup.h"
#include "printing/ReportLines.h"
#include "settings/FileLock.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>

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
    // Paints the printed parameter table into a PDF file; the program gives
    // it, the commands without it cannot print.
    std::function<bool(const QList<ReportLine>&, const PageSetup&, const ReportHeading&,
                       const QString& path, QString* error)>
        writeParameterReport;
    // Paints the printed monitor report into a PDF file, likewise.
    std::function<bool(const MonitorReportContent&, const PageSetup&, const QString& path,
                       QString* error)>
        writeMonitorReport;
};

enum CliExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// vdk330q-cli: the program's core without windows. `args` excludes the program
// name. Results go to `out`, one clear line per refusal to `err`. Output that
// cannot be written makes a successful run exit 1.
int RunCli(const QStringList& args, const CliEnvironment& env, QTextStream& out, QTextStream& err);

} // namespace vdk
