#pragma once

#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "data/DefinitionLoader.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

// A small AppDir with one inverter: type-form AB, CPU versions 1 and 2, two
// capacities. F003 is capacity-dependent, 0001 and 0002 refer to capacity
// parameters, 0002 has a negated linked low limit, 0900 is a 4-byte signed one.
struct DataFixture {
    DataFixture() {
        tree.Write("dat/Inverter.ini", "[Type]\r\nAB=3\r\nCD=65\r\n[AB CPU Ver]\r\n1=10\r\n2=20\r\n"
                                       "[AB]\r\n-1K=1\r\n-2K=2\r\n[Freq Comm No]\r\nAB=FA01\r\n");
        tree.Write("dat/AB(1)/Info.ini", "[Setup]\r\nDisp=F0\r\nQuick=2\r\n");
        tree.Write("dat/AB(1)/AB(Eng).inv",
                   "0000,0,10,Max freq,F00,Hz,2,0,0,400,0,0,#.#,10,-,0,1\r\n"
                   "0001,1,0000,Base freq,F01,Hz,2,0,1,0000,0,0,#.#,10,-,0,1\r\n"
                   "0002,1,F003,Boost,F02,%,2,0,0,200,-1,0000,#.#,10,-,0,0\r\n"
                   "F003,0,5,Motor A,F03,A,2,0,0,999,0,0,#.##,100,-,0,0\r\n"
                   "F004,0,5,Odd,F04,,2,0,0,999,0,0,#,1,-,0,0\r\n"
                   "0900,0,-5,Offset,F05,,4,1,0,99999,0,-99999,#,1,-,0,0\r\n"
                   "FB91,0,0,Access,M01,,2,0,0,999,0,0,#,1,RAM,1,0\r\n"
                   "short\r\n"
                   "0009,0,1,After the end,X,,2,0,0,9,0,0,#,1,-,0,0\r\n");
        tree.Write("dat/AB(1)/AB-1K.cap", "F003,42\r\n0777,9\r\n0000,99\r\n\r\n0001,1\r\n");
        tree.Write("dat/AB(1)/AB-2K.cap", "F003,84\r\n");
        tree.Write("dat/AB(1)/AB(Eng).html", "<html></html>");
        tree.Write("dat/AB(2)/AB-1K.cap", "F003,42\r\n");
        tree.Write("lng/English.ini", General());
        paths.SelectLanguage("English");
        paths.SelectInverter("AB", "1", "-1K");
        texts.SetLangFile(paths.LangFile, paths.FallbackEncoding());
        texts.LoadMessageList();
    }

    // Message n of the fixture's language file is "M<n>", and "M<n> %1" for
    // a message that takes a value.
    static QByteArray General() {
        QByteArray general = "[General]\r\n";
        for (int n = 1; n <= 97; ++n)
            general += "Message" + QByteArray::number(n) + "=M" + QByteArray::number(n) +
                       (n == 96 ? " %1" : "") + "\r\n";
        return general;
    }

    // Definitions, capacity defaults and initial values, as after a selection.
    void Load() {
        QVERIFY(loader.LoadDefinitions(table));
        QVERIFY(loader.LoadCapacityDefaults(table));
        QVERIFY(vdk::InitValues(table, values, messenger));
    }

    TempTree tree;
    vdk::AppPaths paths{tree.Path(), tree.Path("VDK330Q.ini")};
    vdk::LanguageTexts texts;
    ScriptedDialogs dialogs;
    vdk::Messenger messenger{texts, dialogs};
    vdk::DefinitionLoader loader{paths, messenger};
    vdk::ParaDat table;
    vdk::UPara values;
};
