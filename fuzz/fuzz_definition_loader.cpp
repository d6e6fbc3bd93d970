// A damaged inverter data folder: the definition file, the capacity file and
// the references between them.
#include "FuzzFiles.h"
#include "data/DefinitionLoader.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The input holds the definition file, then "\n\x01\n" and the capacity file.
    const qsizetype split = bytes.indexOf("\n\x01\n");
    const QByteArray definition = split < 0 ? bytes : bytes.left(split);
    const QByteArray capacity = split < 0 ? QByteArray() : bytes.mid(split + 3);

    QDir().mkpath(FuzzPath(QStringLiteral("dat/T(1)")));
    WriteFuzzFile(QStringLiteral("dat/T(1)/T(Eng).inv"), definition);
    WriteFuzzFile(QStringLiteral("dat/T(1)/T-1.cap"), capacity);
    WriteFuzzFile(QStringLiteral("dat/T(1)/Info.ini"), "[Setup]\r\nDisp=F0\r\n");

    vdk::AppPaths paths(FuzzPath(QString()), FuzzPath(QStringLiteral("VDK330Q.ini")));
    paths.SelectLanguage(QStringLiteral("English"));
    paths.SelectInverter(QStringLiteral("T"), QStringLiteral("1"), QStringLiteral("-1"));
    vdk::LanguageTexts texts;
    vdk::SilentDialogs dialogs;
    vdk::Messenger messenger(texts, dialogs);
    vdk::DefinitionLoader loader(paths, messenger);
    vdk::ParaDat table;
    if (loader.LoadDefinitions(table) && loader.LoadCapacityDefaults(table))
        for (int row = 0; row < table.Count(); ++row) {
            vdk::DefaultOf(table, table.At(row, vdk::ComNo), messenger);
            table.ResolveDefault(table.At(row, vdk::High));
            table.ResolveDefault(table.At(row, vdk::Low));
        }
    return 0;
}
