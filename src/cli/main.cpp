#include "cli/CliCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VDK330Q"));
    const QString exeDir = QCoreApplication::applicationDirPath();
    const vdk::CliEnvironment env{
        QDir::currentPath(), exeDir, QDir::cleanPath(exeDir + QStringLiteral("/../share/vdk330q")),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/VDK330Q"),
        isatty(fileno(stderr)) != 0};
    QTextStream out(stdout);
    QTextStream err(stderr);
    return vdk::RunCli(QCoreApplication::arguments().mid(1), env, out, err);
}
