#pragma once

#include "TempTree.h"
#include "cli/CliCommands.h"

#include <QTest>

struct CliResult {
    int code;
    QString out;
    QString err;
    QString Value(const QString& key) const {
        for (const QString& line : out.split('\n'))
            if (line.startsWith(key + '='))
                return line.mid(key.size() + 1);
        return QStringLiteral("<missing>");
    }
};

// Runs vdk330q-cli in process on a copy of the shipped data in a temporary
// AppDir, so tests may damage it.
struct CliAppDir {
    CliAppDir() {
        tree.CopyTree(QStringLiteral(VDK_SHARE_DIR "/dat"), "app/dat");
        tree.CopyTree(QStringLiteral(VDK_SHARE_DIR "/lng"), "app/lng");
    }
    // Results go to `output` instead of CliResult::out when it is given.
    CliResult Run(QStringList args, QIODevice* output = nullptr) const {
        QString out, err;
        QTextStream o(&out), e(&err);
        if (output)
            o.setDevice(output);
        const vdk::CliEnvironment env{tree.Path("cwd"), tree.Path("exe"), tree.Path("inst"),
                                      tree.Path("cfg"), terminal,         locale,
                                      lockWaitMs,       writeReport,      writeMonitorReport};
        args.prepend(tree.Path("app"));
        args.prepend("--appdir");
        const int code = vdk::RunCli(args, env, o, e);
        return {code, out, err};
    }
    // A refusal: exit 2, nothing on stdout, one line on stderr naming `error`,
    // and no file written or removed.
    void ExpectRefusal(const QStringList& args, const QString& error) const {
        const QStringList before = tree.Files();
        const CliResult r = Run(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QCOMPARE(tree.Files(), before);
    }

    TempTree tree;
    QString locale;        // the user's locale; none ("C") unless a test sets one
    bool terminal = false; // whether stderr is a terminal (the progress bar)
    int lockWaitMs = vdk::kFileLockWaitMs;
    // Printing, when a test gives it.
    decltype(vdk::CliEnvironment::writeParameterReport) writeReport;
    decltype(vdk::CliEnvironment::writeMonitorReport) writeMonitorReport;
};
