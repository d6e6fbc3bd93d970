// Loading definitions: the full load of a generated 2000-row definition file
// plus its capacity file, against reading and splitting its lines alone; and
// the mean time of FindRow over every row. Also the largest shipped file.
//
//   build/bin/bench_definitions [--appdir DIR]
#include "BenchUtil.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "data/FieldSplitter.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"
#include "settings/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

using namespace vdk;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

struct Measure {
    double load;
    double split;
    double findRow;
    int rows;
};

Measure Run(AppPaths& paths) {
    SilentDialogs dialogs;
    LanguageTexts texts;
    Messenger messenger(texts, dialogs);
    DefinitionLoader loader(paths, messenger);
    ParaDat table;
    const int runs = 41;
    const double load = MedianMicros(runs, [&] {
        loader.LoadDefinitions(table);
        loader.LoadCapacityDefaults(table);
    });
    const double split = MedianMicros(runs, [&] {
        QStringList lines;
        ReadTextLines(paths.DefFile, paths.FallbackEncoding(), lines);
        for (const QString& line : lines)
            SplitFields(line);
    });
    int found = 0;
    const double all = MedianMicros(runs, [&] {
        for (int row = 0; row < table.Count(); ++row)
            found += table.FindRow(table.At(row, ComNo)) == row;
    });
    if (found != runs * table.Count())
        qFatal("FindRow gave a wrong row");
    return {load, split, all / table.Count(), table.Count()};
}

void Print(QTextStream& out, const QString& what, const Measure& m) {
    out << what << ": " << m.rows << " rows\n"
        << QStringLiteral("  load + capacity defaults  %1 ms\n").arg(m.load / 1000.0, 0, 'f', 3)
        << QStringLiteral("  read + split lines alone  %1 ms\n").arg(m.split / 1000.0, 0, 'f', 3)
        << QStringLiteral("  ratio                     %1 (target <= 1.5)\n")
               .arg(m.load / m.split, 0, 'f', 2)
        << QStringLiteral("  FindRow mean              %1 ns\n").arg(m.findRow * 1000.0, 0, 'f', 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    QTemporaryDir dir;
    QByteArray definition, capacity;
    for (int i = 0; i < ParaDat::kMaxParameters; ++i) {
        const QByteArray number = QByteArray::number(0x1000 + i, 16).toUpper();
        const bool ref = i % 10 == 5;
        definition += number +
                      (ref ? ",1," + QByteArray::number(0x1000 + i - 5, 16).toUpper() : ",0,100") +
                      ",\"Parameter " + QByteArray::number(i) + ", generated\",F" +
                      QByteArray::number(i) + ",Hz,2,0,0,4000,0,0,#.#,10,-,0,0\r\n";
        if (i % 20 == 0)
            capacity += number + "," + QByteArray::number(i) + "\r\n";
    }
    Write(dir.filePath("dat/GEN(1)/GEN(Eng).inv"), definition);
    Write(dir.filePath("dat/GEN(1)/GEN-1.cap"), capacity);
    Write(dir.filePath("dat/GEN(1)/Info.ini"), "[Setup]\r\nDisp=0*\r\n");
    AppPaths generated(dir.path(), QString());
    generated.SelectLanguage(QStringLiteral("English"));
    generated.SelectInverter(QStringLiteral("GEN"), QStringLiteral("1"), QStringLiteral("-1"));
    Print(out, QStringLiteral("generated 2000-row definition"), Run(generated));

    const QString appDir = argc > 2 && QByteArray(argv[1]) == "--appdir"
                               ? QString::fromLocal8Bit(argv[2])
                               : QCoreApplication::applicationDirPath();
    AppPaths shipped(appDir, QString());
    shipped.SelectLanguage(QStringLiteral("Japanese"));
    const Catalogue catalogue(shipped);
    QString largest;
    qint64 size = -1;
    for (const QString& type : catalogue.TypeForms())
        for (const QString& cpu : catalogue.CpuVersions(type)) {
            const QStringList capacities = catalogue.Capacities(type, cpu);
            shipped.SelectInverter(type, cpu, capacities.value(0));
            if (QFileInfo(shipped.DefFile).size() > size) {
                size = QFileInfo(shipped.DefFile).size();
                largest = type + QLatin1Char('|') + cpu + QLatin1Char('|') + capacities.value(0);
            }
        }
    if (size < 0)
        return 0;
    const QStringList pick = largest.split(QLatin1Char('|'));
    shipped.SelectInverter(pick[0], pick[1], pick[2]);
    Print(
        out,
        QStringLiteral("largest shipped definition %1").arg(QFileInfo(shipped.DefFile).fileName()),
        Run(shipped));
    return 0;
}
