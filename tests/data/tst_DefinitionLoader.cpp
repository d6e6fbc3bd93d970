// Loading an inverter's definitions and capacity defaults from its data
// folder, including the paths where a file is missing and picked by hand.
#include "DataFixture.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"

#include <QTest>

using namespace vdk;

using Fixture = DataFixture;

class TestDefinitionLoader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadsDefinitionsAndCapacityDefaults();
    void tableEndsAtTheLimit();
    void reloadKeepsNothingOfTheEarlierTable();
    void missingDefinitionFile_data();
    void missingDefinitionFile();
    void missingCapacityFile_data();
    void missingCapacityFile();
    void damagedValuesAreRefused_data();
    void damagedValuesAreRefused();
    void defaultOfReportsBrokenReferences();
    void catalogueLists();
};

void TestDefinitionLoader::loadsDefinitionsAndCapacityDefaults() {
    Fixture f;
    QVERIFY(f.loader.LoadDefinitions(f.table));
    QCOMPARE(f.table.LastRow(), 6);       // the short line ends the table
    QCOMPARE(f.table.NormalLastRow(), 5); // 0900; F0 rows count too; FB91 is maintenance
    QCOMPARE(f.table.At(3, Default), QStringLiteral("5"));
    QVERIFY(f.loader.LoadCapacityDefaults(f.table));
    QCOMPARE(f.table.At(3, Default), QStringLiteral("42"));
    QCOMPARE(f.table.At(0, Default), QStringLiteral("99"));
    QCOMPARE(f.table.At(1, Default), QStringLiteral("0000")); // after the empty line: not read
    QCOMPARE(f.table.CapList, (QStringList{"F003", "0000"}));
    QCOMPARE(f.table.CapRefList, (QStringList{"0001", "0002"}));
    QCOMPARE(f.loader.QuickCount(), 2);
    QVERIFY(f.loader.HasParaHelp());
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(DefaultOf(f.table, u"0002", f.messenger), QStringLiteral("42"));
}

void TestDefinitionLoader::tableEndsAtTheLimit() {
    Fixture f;
    QByteArray lines;
    for (int i = 0; i < 2100; ++i)
        lines +=
            QByteArray::number(0x1000 + i, 16).toUpper() + ",0,1,Name,T,,2,0,0,9,0,0,#,1,-,0,0\n";
    f.tree.Write("dat/AB(1)/AB(Eng).inv", lines);
    QVERIFY(f.loader.LoadDefinitions(f.table));
    QCOMPARE(f.table.LastRow(), 1999);
    QCOMPARE(f.table.FindRow(u"17CF"), 1999);
    QCOMPARE(f.table.FindRow(u"17D0"), -1);
}

void TestDefinitionLoader::reloadKeepsNothingOfTheEarlierTable() {
    Fixture f;
    QVERIFY(f.loader.LoadDefinitions(f.table));
    QVERIFY(f.loader.LoadCapacityDefaults(f.table));
    f.tree.Write("dat/AB(1)/AB(Eng).inv", "0000,0,10,Short line\r\n");
    QVERIFY(f.loader.LoadDefinitions(f.table));
    QCOMPARE(f.table.LastRow(), 0);
    QCOMPARE(f.table.At(0, FTitle), QString());                 // not "F00" from the first load
    QCOMPARE(f.table.At(0, Flag), QStringLiteral("Shortline")); // spaces outside quotes drop
    QCOMPARE(f.table.At(0, TMul), QStringLiteral("#"));
    QVERIFY(f.table.CapList.isEmpty());
    QCOMPARE(f.table.FindRow(u"F003"), -1);
}

void TestDefinitionLoader::missingDefinitionFile_data() {
    QTest::addColumn<QString>("picked"); // "" = cancel, "<empty>" = empty name
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QList<int>>("messages");
    QTest::newRow("cancel") << "" << false << QList<int>{7, 86};
    QTest::newRow("empty name") << "<empty>" << false << QList<int>{7, 86};
    QTest::newRow("picked by hand") << "elsewhere/XY(Eng).inv" << true << QList<int>{7};
}

void TestDefinitionLoader::missingDefinitionFile() {
    QFETCH(QString, picked);
    QFETCH(bool, loaded);
    QFETCH(QList<int>, messages);
    Fixture f;
    QFile::remove(f.paths.DefFile);
    f.tree.Write("elsewhere/XY(Eng).inv", "0000,0,1,Only,F00,,2,0,0,9,0,0,#,1,-,0,0\r\n");
    f.tree.Write("elsewhere/Info.ini", "[Info]\r\nType=XY\r\nCpu=9\r\n");
    if (picked == "<empty>")
        f.dialogs.files.enqueue(QString());
    else if (!picked.isEmpty())
        f.dialogs.files.enqueue(f.tree.Path(picked));
    QCOMPARE(f.loader.LoadDefinitions(f.table), loaded);
    QCOMPARE(f.dialogs.Numbers(), messages);
    QCOMPARE(f.dialogs.fileRequests.first().directory, f.tree.Path("dat/AB(1)"));
    QCOMPARE(f.dialogs.fileRequests.first().filterIndex, 1);
    if (loaded) {
        QCOMPARE(f.table.LastRow(), 0);
        QCOMPARE(f.paths.Identity().TypeForm, QStringLiteral("XY"));
        QCOMPARE(f.paths.Identity().CpuVer, QStringLiteral("9"));
        QCOMPARE(f.paths.TypeDir, f.tree.Path("elsewhere"));
        QCOMPARE(f.paths.ParaHelpFile, f.tree.Path("elsewhere/XY(Eng).html"));
        QCOMPARE(f.table.Disp(), QStringLiteral("0*"));
        // The capacity file is still looked for where the selection put it.
        QCOMPARE(f.paths.CapFile, f.tree.Path("dat/AB(1)/AB-1K.cap"));
    }
}

void TestDefinitionLoader::missingCapacityFile_data() {
    QTest::addColumn<QString>("picked");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QList<int>>("messages");
    QTest::addColumn<QString>("capacity");
    QTest::newRow("cancel") << "" << false << QList<int>{8, 86} << "-1K";
    QTest::newRow("other type-form") << "dat/XY-1K.cap" << false << QList<int>{8, 10} << "-1K";
    QTest::newRow("picked by hand") << "dat/AB(1)/AB-2K.cap" << true << QList<int>{8} << "-2K";
}

void TestDefinitionLoader::missingCapacityFile() {
    QFETCH(QString, picked);
    QFETCH(bool, loaded);
    QFETCH(QList<int>, messages);
    QFETCH(QString, capacity);
    Fixture f;
    f.tree.Write("dat/XY-1K.cap", "F003,1\r\n");
    QVERIFY(f.loader.LoadDefinitions(f.table));
    QFile::remove(f.paths.CapFile);
    if (!picked.isEmpty())
        f.dialogs.files.enqueue(f.tree.Path(picked));
    QCOMPARE(f.loader.LoadCapacityDefaults(f.table), loaded);
    QCOMPARE(f.dialogs.Numbers(), messages);
    QCOMPARE(f.dialogs.fileRequests.first().filterIndex, 2);
    QCOMPARE(f.paths.Identity().Capacity, capacity);
    if (loaded)
        QCOMPARE(f.table.At(3, Default), QStringLiteral("84"));
}

// A value its column cannot hold would reach the value table and every file
// saved from it: the whole file is refused, naming it and the line, before
// any default changes. References, signs and short lines stay legitimate
// (the fixture's own data load cleanly above).
void TestDefinitionLoader::damagedValuesAreRefused_data() {
    QTest::addColumn<QString>("file"); // "inv" or "cap": the file replaced
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("problem");
    const QByteArray first = "0000,0,10,A,F00,,2,0,0,400,0,0,#,1,-,0,0\r\n";
    QTest::newRow("definition default")
        << "inv" << first + "0001,0,1O,B,F01,,2,0,0,9,0,0\r\n"
        << 2 << "Default of parameter 0001 is '1O', not a whole number";
    QTest::newRow("definition default reference")
        << "inv"
        << "0000,1,0999,A,F00,,2,0,0,400,0,0\r\n" + first << 1
        << "Default of parameter 0000 is '0999', not the number of a parameter";
    QTest::newRow("definition high limit")
        << "inv" << first + "0001,0,1,B,F01,,2,0,0,9.5,0,0\r\n"
        << 2 << "High of parameter 0001 is '9.5', not a whole number";
    QTest::newRow("definition negated low reference")
        << "inv" << first + "0001,0,1,B,F01,,2,0,0,9,-1,,\r\n"
        << 2 << "Low of parameter 0001 is '', not the number of a parameter";
    QTest::newRow("capacity default") << "cap" << QByteArray("F003,42\r\n0000,9x9\r\n") << 2
                                      << "Default of parameter 0000 is '9x9', not a whole number";
    QTest::newRow("capacity line without a value")
        << "cap" << QByteArray("F003\r\n") << 1 << "parameter F003 has no value";
    QTest::newRow("capacity reference") << "cap" << QByteArray("0001,0777\r\n") << 1
                                        << "Default of parameter 0001 is '0777', not the number "
                                           "of a parameter";
}

void TestDefinitionLoader::damagedValuesAreRefused() {
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, problem);
    Fixture f;
    const QString path = file == "inv" ? f.paths.DefFile : f.paths.CapFile;
    if (file == "cap")
        QVERIFY(f.loader.LoadDefinitions(f.table));
    f.tree.Write(QDir(f.tree.Path()).relativeFilePath(path), text);
    QVERIFY(!(file == "inv" ? f.loader.LoadDefinitions(f.table)
                            : f.loader.LoadCapacityDefaults(f.table)));
    QCOMPARE(f.dialogs.Numbers(), QList<int>{68});
    const Message& shown = f.dialogs.messages.first();
    QCOMPARE(shown.icon, MsgIcon::Stop);
    const QString bad = QString::fromUtf8(text).split("\r\n").value(line - 1);
    QCOMPARE(shown.text, QStringLiteral("M68\n%1 (%2)\n%3").arg(path).arg(line).arg(bad));
    QVERIFY(f.loader.Damage());
    QCOMPARE(f.loader.Damage()->Describe(),
             QStringLiteral("%1, line %2: %3").arg(path).arg(line).arg(problem));
    if (file == "cap") {
        QCOMPARE(f.table.At(3, Default), QStringLiteral("5")); // F003 kept its definition default
        QVERIFY(f.table.CapList.isEmpty());
    }
}

void TestDefinitionLoader::defaultOfReportsBrokenReferences() {
    Fixture f;
    QVERIFY(f.loader.LoadDefinitions(f.table));
    QCOMPARE(DefaultOf(f.table, u"0999", f.messenger), QStringLiteral("Error."));
    QCOMPARE(f.dialogs.Numbers(), QList<int>{33});
    QCOMPARE(f.dialogs.messages.first().icon, MsgIcon::Exclamation);
    QCOMPARE(f.dialogs.messages.first().caption, QStringLiteral("M1"));
}

void TestDefinitionLoader::catalogueLists() {
    Fixture f;
    f.tree.Write("dat/AB(1)/notes.txt", "x");
    const Catalogue c(f.paths);
    QCOMPARE(c.TypeForms(), (QStringList{"AB", "CD"}));
    QCOMPARE(c.TypeNumber("CD"), QStringLiteral("65"));
    QCOMPARE(c.TypeNumber("ZZ"), QStringLiteral("99"));
    QCOMPARE(c.CpuVersions("AB"), (QStringList{"1", "2"}));
    QCOMPARE(c.CpuCode("AB", "2"), QStringLiteral("20"));
    QCOMPARE(c.Capacities("AB", "1"), (QStringList{"-1K", "-2K"}));
    QCOMPARE(c.Capacities("AB", "2"), QStringList{"-1K"});
    QVERIFY(c.Capacities("AB", "3").isEmpty());
    QCOMPARE(c.CapacityCode("AB", "-2K"), QStringLiteral("2"));
    QCOMPARE(c.CapacityCode("AB", "-9K"), QStringLiteral("0"));
    QCOMPARE(c.FreqCommNo("AB"), QStringLiteral("FA01"));
    QCOMPARE(c.FreqCommNo("CD"), QStringLiteral("-"));
    QVERIFY(c.Knows("AB", "1", "-2K"));
    QVERIFY(!c.Knows("AB", "1", "/../../x"));
}

QTEST_GUILESS_MAIN(TestDefinitionLoader)
#include "tst_DefinitionLoader.moc"
