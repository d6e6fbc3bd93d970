#include "cli/CliCommands.h"
#include "monitor/ui/MonitorReport.h"
#include "printing/ui/ParameterReport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {
// The locale of messages, as the C library chooses it.
QString MessagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const QString value = qEnvironmentVariable(name); !value.isEmpty())
            return value;
    return QString();
}

// The arguments as given. File names are turned back into bytes with
// QFile::encodeName, which on Linux is UTF-8 whatever the locale: a name whose
// bytes are not UTF-8 cannot come back as the same bytes, and would be read or
// written under another name. Such an argument is refused instead.
std::optional<QStringList> Arguments(int argc, char** argv, QTextStream& err) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString arg = QFile::decodeName(bytes);
        if (QFile::encodeName(arg) == bytes) {
            args.append(arg);
            continue;
        }
        QString shown;
        for (const char c : bytes)
            shown += c > 0x20 && c < 0x7F
                         ? QString(QLatin1Char(c))
                         : QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
        err << "vdk330q-cli: argument " << i << " (" << shown
            << ") is not UTF-8; a file name in another encoding cannot be used as given"
            << Qt::endl;
        return std::nullopt;
    }
    return args;
}
} // namespace

int main(int argc, char** argv) {
    // Printing needs fonts, not a screen: it runs on the offscreen platform
    // unless another is given. The other commands need no GUI at all.
    const bool prints = std::any_of(argv + 1, argv + argc, [](const char* a) {
        return std::strcmp(a, "print") == 0 || std::strcmp(a, "print-monitor") == 0;
    });
    std::unique_ptr<QCoreApplication> app;
    if (prints) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Where Qt would put its runtime files anyway, made first so it does
        // not warn about the missing variable.
        if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
            const QString runtime =
                QDir::tempPath() + QStringLiteral("/runtime-") + QString::number(getuid());
            QDir().mkpath(runtime);
            QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("VDK330Q"));
    const QString exeDir = QCoreApplication::applicationDirPath();
    const vdk::CliEnvironment env{
        QDir::currentPath(),
        exeDir,
        QDir::cleanPath(exeDir + QStringLiteral("/../share/vdk330q")),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/VDK330Q"),
        isatty(fileno(stderr)) != 0,
        MessagesLocale(),
        vdk::kFileLockWaitMs,
        [](const QList<vdk::ReportLine>& lines, const vdk::PageSetup& page,
           const vdk::ReportHeading& heading, const QString& path, QString* error) {
            return vdk::ParameterReport(lines, page, heading).WritePdf(path, error);
        },
        [](const vdk::MonitorReportContent& content, const vdk::PageSetup& page,
           const QString& path,
           QString* error) { return vdk::MonitorReport(content, page).WritePdf(path, error); }};
    QTextStream out(stdout);
    QTextStream err(stderr);
    const std::optional<QStringList> args = Arguments(argc, argv, err);
    if (!args)
        return vdk::kExitUsage;
    return vdk::RunCli(*args, env, out, err);
}
