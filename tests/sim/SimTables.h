#pragma once

#include "base/UserDialogs.h"
#include "data/DefinitionLoader.h"
#include "data/ParaDat.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QByteArray>

// A small inverter for the protocol rules: 0900 is a signed 4-byte parameter,
// 0901 an unsigned one, 0902 a signed 2-byte one; F900 is a maintenance
// setting, while FA01, FA10 and FB91 lie beyond the normal rows but are RAM.
inline vdk::ParaDat SmallTable() {
    const QStringList lines{
        "0000,0,10,Max freq,F00,Hz,2,0,0,400,0,0,#.#,10,-,0,1",
        "0900,0,-5,Offset,F05,,4,1,0,99999,0,-99999,#,1,-,0,0",
        "0901,0,70000,Count,F06,,4,0,0,99999,0,0,#,1,-,0,0",
        "0902,0,-1,Trim,F07,,2,1,0,100,0,-100,#,1,-,0,0",
        "F900,0,100,Standard time,Fb00,s,2,0,0,32000,0,1,#.#,10,,0,0",
        "FA01,0,0,Frequency command,Fb08,Hz,2,0,0,40000,0,0,#.##,100,RAM,0,0",
        "FA10,0,0,Key mode,Fb09,,2,0,0,1,0,0,,,RAM,1,0",
        "FB91,0,0,Access,Fb14,,2,0,0,999,0,0,,,RAM,1,0",
    };
    vdk::ParaDat table;
    table.Load(lines, QStringLiteral("0*"));
    return table;
}

// The definitions of one shipped selection, as the program loads them.
inline vdk::ParaDat ShippedTable(const QString& type, const QString& cpu, const QString& capacity) {
    vdk::AppPaths paths(QStringLiteral(VDK_SHARE_DIR), QString());
    paths.SelectLanguage(QStringLiteral("English"));
    paths.SelectInverter(type, cpu, capacity);
    vdk::LanguageTexts texts;
    vdk::SilentDialogs dialogs;
    vdk::Messenger messenger(texts, dialogs);
    vdk::DefinitionLoader loader(paths, messenger);
    vdk::ParaDat table;
    if (!loader.LoadDefinitions(table) || !loader.LoadCapacityDefaults(table))
        table.Clear();
    return table;
}

inline QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}
