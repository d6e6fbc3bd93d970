// Parameter files: writing and reading back a 2000-parameter set, against a
// plain QFile of the same bytes.
//
//   build/bin/bench_parameter_file [DIR]     (DIR: where the files go; default /tmp)
//
// Baselines: "write" is QFile::write of the same bytes followed by fsync, as
// the program's write also makes sure the file is on disk before it replaces
// the old one; "read" is QFile::readAll, UTF-8 decoding and the split into
// lines, the least any text reader does.
#include "BenchUtil.h"
#include "data/ParaDat.h"
#include "data/ParameterFile.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"
#include "settings/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <unistd.h>

using namespace vdk;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/benchXXXXXX")
                               : QDir::tempPath() + QStringLiteral("/benchXXXXXX"));

    QStringList lines;
    for (int i = 0; i < ParaDat::kMaxParameters; ++i) {
        const QString number = QString::number(0x1000 + i, 16).toUpper();
        const QString ref = QString::number(0x1000 + i - 1, 16).toUpper();
        lines.append(number +
                     (i % 10 == 5 ? QStringLiteral(",1,") + ref : QStringLiteral(",0,100")) +
                     QStringLiteral(",Name,F,Hz,2,0,0,60000,0,0,#.#,10,-,0,0"));
    }
    BenchSet set(lines);
    ParaDat& table = set.table;
    Messenger& messenger = set.messenger;
    UPara& values = set.values;
    for (int i = 0; i < values.Count(); i += 3)
        values.At(i, UPara::Value) = QString::number(i * 7);
    values.Comment = QStringLiteral("Benchmark set");
    const InverterIdentity id{QStringLiteral("GEN"), QStringLiteral("-1"), QStringLiteral("1"),
                              QStringLiteral("English"), QStringLiteral("Eng")};

    const QString path = dir.filePath(QStringLiteral("set.vdk"));
    const QString plain = dir.filePath(QStringLiteral("plain.vdk"));
    QString error;
    WriteParameterFile(path, table, values, id, false, &error);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    f.close();

    const int runs = 41;
    const double write =
        MedianMicros(runs, [&] { WriteParameterFile(path, table, values, id, false, &error); });
    const double plainWrite = MedianMicros(runs, [&] {
        QFile p(plain);
        p.open(QIODevice::WriteOnly | QIODevice::Truncate);
        p.write(bytes);
        p.flush();
        ::fsync(p.handle());
    });
    UPara target = values;
    const double read = MedianMicros(
        runs, [&] { ReadParameterFile(path, table, target, id, "windows-1252", messenger); });
    const double plainRead = MedianMicros(runs, [&] {
        QStringList lines;
        ReadTextLines(plain, "windows-1252", lines);
    });

    out << QStringLiteral("2000-parameter file, %1 bytes, in %2\n")
               .arg(bytes.size())
               .arg(dir.path())
        << QStringLiteral(
               "  write  %1 ms   plain QFile write + fsync %2 ms   ratio %3 (target <= 3)\n")
               .arg(write / 1000, 0, 'f', 3)
               .arg(plainWrite / 1000, 0, 'f', 3)
               .arg(write / plainWrite, 0, 'f', 2)
        << QStringLiteral(
               "  read   %1 ms   plain QFile read + lines  %2 ms   ratio %3 (target <= 3)\n")
               .arg(read / 1000, 0, 'f', 3)
               .arg(plainRead / 1000, 0, 'f', 3)
               .arg(read / plainRead, 0, 'f', 2);
    return 0;
}
