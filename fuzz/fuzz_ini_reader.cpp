// Settings and language files: every read, and a write that must read back.
#include "FuzzFiles.h"
#include "settings/IniFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    vdk::IniFile ini(WriteFuzzFile(QStringLiteral("fuzz.ini"), bytes), "windows-31j");
    // Every read parses the whole file, so a few keys per section suffice.
    for (const QString& section : ini.ReadSections())
        for (const QString& key : ini.ReadSection(section).mid(0, 3))
            ini.ReadInteger(section, key, 0);
    ini.WriteString(QStringLiteral("General"), QStringLiteral("Fuzz"), QStringLiteral("v"));
    if (ini.ReadString(QStringLiteral("General"), QStringLiteral("Fuzz"), QString()) !=
        QLatin1String("v"))
        __builtin_trap(); // what was written must read back
    ini.EraseSection(QStringLiteral("General"));
    return 0;
}
