// Where the program finds its data and settings, and the paths derived from
// the selection.
#include "TempTree.h"
#include "settings/AppPaths.h"

#include <QTest>

using namespace vdk;

class TestAppPaths : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appDirPrecedence_data();
    void appDirPrecedence();
    void settingsFallBackWhenAppDirIsNotWritable();
    void pathsFollowTheSelection();
    void dataFilesAreFoundWhateverTheLetterCase();
};

void TestAppPaths::appDirPrecedence_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("fileArgument");
    QTest::addColumn<QString>("expected");
    QTest::newRow("--appdir wins") << "opt" << false << "opt";
    QTest::newRow("current folder holding the catalogue") << "" << false << "cwd";
    QTest::newRow("file argument: executable folder") << "" << true << "exe";
}

void TestAppPaths::appDirPrecedence() {
    QFETCH(QString, option);
    QFETCH(bool, fileArgument);
    QFETCH(QString, expected);
    TempTree t;
    t.Write("cwd/dat/Inverter.ini", "[Type]\r\n");
    t.Write("exe/dat/Inverter.ini", "[Type]\r\n");
    const AppDirSources s{option.isEmpty() ? QString() : t.Path(option), t.Path("cwd"),
                          t.Path("exe"), t.Path("inst"), fileArgument};
    QCOMPARE(ResolveAppDir(s), t.Path(expected));
}

void TestAppPaths::settingsFallBackWhenAppDirIsNotWritable() {
    TempTree t;
    QDir().mkpath(t.Path("app"));
    QCOMPARE(ResolveSettingsFile(t.Path("app"), t.Path("cfg")), t.Path("app/VDK330Q.ini"));
    QCOMPARE(ResolveSettingsFile(t.Path("missing"), t.Path("cfg")), t.Path("cfg/VDK330Q.ini"));
    // Nothing found anywhere: the installed data folder.
    QCOMPARE(ResolveAppDir(AppDirSources{{}, t.Path("app"), t.Path("app"), t.Path("inst"), false}),
             t.Path("inst"));
}

void TestAppPaths::pathsFollowTheSelection() {
    AppPaths p("/a", "/a/VDK330Q.ini");
    p.SelectLanguage("English");
    p.SelectInverter("QM40", "V1", "-2.2K");
    QCOMPARE(p.Identity().LangCode, QStringLiteral("Eng"));
    QCOMPARE(p.LangFile, QStringLiteral("/a/lng/English.ini"));
    QCOMPARE(p.HelpFile, QStringLiteral("/a/help/VDK330Q(Eng).html"));
    QCOMPARE(p.InverterIni, QStringLiteral("/a/dat/Inverter.ini"));
    QCOMPARE(p.TypeDir, QStringLiteral("/a/dat/QM40(V1)"));
    QCOMPARE(p.InfoIni, QStringLiteral("/a/dat/QM40(V1)/Info.ini"));
    QCOMPARE(p.DefFile, QStringLiteral("/a/dat/QM40(V1)/QM40(Eng).inv"));
    QCOMPARE(p.CapFile, QStringLiteral("/a/dat/QM40(V1)/QM40-2.2K.cap"));
    QCOMPARE(p.ParaHelpFile, QStringLiteral("/a/dat/QM40(V1)/QM40(Eng).html"));
    p.SelectLanguage("Japanese");
    QCOMPARE(p.DefFile, QStringLiteral("/a/dat/QM40(V1)/QM40(Jap).inv"));
    QCOMPARE(p.FallbackEncoding(), QByteArray("windows-31j"));
}

void TestAppPaths::dataFilesAreFoundWhateverTheLetterCase() {
    TempTree t;
    t.Write("DAT/qm40(v1)/QM40(ENG).INV", "x");
    AppPaths p(t.Path(), t.Path("VDK330Q.ini"));
    p.SelectLanguage("English");
    p.SelectInverter("QM40", "V1", "-1K");
    QCOMPARE(p.DefFile, t.Path("DAT/qm40(v1)/QM40(ENG).INV"));
    QCOMPARE(FindFileNoCase(t.Path("nothing/here")), t.Path("nothing/here"));
}

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_AppPaths.moc"
