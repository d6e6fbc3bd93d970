// vdk330q-cli info: the stored or first selection, every shipped selection,
// and one clear refusal for every kind of bad input, without writing a file.
#include "CliRunner.h"

#include <QTest>

using namespace vdk;

class TestCliInfo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstEntriesWithoutSettings();
    void storedSelection_data();
    void storedSelection();
    void everyShippedSelection();
    void refusals_data();
    void refusals();
    void help();
};

void TestCliInfo::firstEntriesWithoutSettings() {
    CliAppDir app;
    const CliResult r = app.Run({"info"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    const QStringList keys{"appdir",   "settings",           "type",   "cpu",
                           "capacity", "language",           "params", "normal_last_row",
                           "quick",    "capacity_dependent", "types"};
    QStringList printed;
    for (const QString& line : r.out.trimmed().split('\n'))
        printed.append(line.section('=', 0, 0));
    QCOMPARE(printed, keys);
    QCOMPARE(r.Value("appdir"), app.tree.Path("app"));
    QCOMPARE(r.Value("settings"), app.tree.Path("app/VDK330Q.ini"));
    QCOMPARE(r.Value("type"), QStringLiteral("QM40"));
    QCOMPARE(r.Value("cpu"), QStringLiteral("2.10"));
    QCOMPARE(r.Value("capacity"), QStringLiteral("-2004"));
    QCOMPARE(r.Value("language"), QStringLiteral("Japanese"));
    QCOMPARE(r.Value("params"), QStringLiteral("220"));
    QCOMPARE(r.Value("normal_last_row"), QStringLiteral("168"));
    QCOMPARE(r.Value("quick"), QStringLiteral("13"));
    QVERIFY(r.Value("capacity_dependent").toInt() > 10);
    QCOMPARE(r.Value("types"), QStringLiteral("QM40,QM60,QS20"));
    QVERIFY(!QFile::exists(app.tree.Path("app/VDK330Q.ini"))); // nothing written
}

void TestCliInfo::storedSelection_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected"); // type cpu capacity language
    const QByteArray langs = "[Language]\r\nJapanese=0\r\nEnglish=0\r\n";
    QTest::newRow("stored indexes")
        << langs + "[Default]\r\nLangNo=1\r\nInvType=0\r\nInvCpu=1\r\nInvForm=5\r\n"
        << QStringList{} << "QM40 3.05 -4037 English";
    QTest::newRow("indexes beyond the lists fall back to the first")
        << langs + "[Default]\r\nLangNo=7\r\nInvType=999\r\nInvCpu=-3\r\nInvForm=99\r\n"
        << QStringList{} << "QM40 2.10 -2004 Japanese";
    QTest::newRow("a named type drops the stored cpu and capacity")
        << langs + "[Default]\r\nInvType=0\r\nInvCpu=1\r\nInvForm=5\r\n"
        << QStringList{"--type", "qs20"} << "QS20 1.20 -2004 Japanese";
    QTest::newRow("named everything")
        << QByteArray() << QStringList{"--type",     "QM40",  "--cpu",  "3.05",
                                       "--capacity", "-4022", "--lang", "english"}
        << "QM40 3.05 -4022 English";
}

void TestCliInfo::storedSelection() {
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    CliAppDir app;
    if (!settings.isEmpty())
        app.tree.Write("app/VDK330Q.ini", settings);
    const CliResult r = app.Run(args << "info");
    QCOMPARE(r.code, 0);
    QCOMPARE(
        QStringList({r.Value("type"), r.Value("cpu"), r.Value("capacity"), r.Value("language")})
            .join(' '),
        expected);
}

void TestCliInfo::everyShippedSelection() {
    CliAppDir app;
    const QList<QStringList> selections{
        {"QM40", "2.10", "-2004", "-2007", "-2015", "-2022"},
        {"QM40", "3.05", "-2004", "-2007", "-2015", "-2022", "-4022", "-4037"},
        {"QM60", "1.00", "-4007", "-4015", "-4022", "-4040", "-4055", "-4075"},
        {"QS20", "1.20", "-2004", "-2007", "-S2002", "-S2004", "-S2007"}};
    for (const QStringList& s : selections)
        for (const QString& capacity : s.mid(2))
            for (const char* lang : {"English", "Japanese"}) {
                const CliResult r = app.Run({"--type", s[0], "--cpu", s[1], "--capacity", capacity,
                                             "--lang", QString::fromLatin1(lang), "info"});
                QVERIFY2(r.code == 0, qPrintable(r.err));
                QCOMPARE(r.Value("capacity"), capacity);
                QVERIFY(r.Value("params").toInt() >= 150);
            }
}

void TestCliInfo::refusals_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("damage"); // a file of the AppDir to remove or replace
    QTest::addColumn<QString>("error");  // words the one stderr line must hold
    QTest::newRow("no command") << QStringList{} << ""
                                << "no command";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << ""
                                     << "unknown command";
    QTest::newRow("unknown option") << QStringList{"--colour", "info"} << ""
                                    << "colour";
    QTest::newRow("option without value") << QStringList{"info", "--type"} << ""
                                          << "type";
    QTest::newRow("unknown type") << QStringList{"--type", "QX99", "info"} << ""
                                  << "unknown type-form 'QX99'";
    QTest::newRow("unknown cpu") << QStringList{"--type", "QM40", "--cpu", "9", "info"} << ""
                                 << "unknown CPU version";
    QTest::newRow("path in capacity") << QStringList{"--capacity", "/../../x", "info"} << ""
                                      << "unknown capacity";
    QTest::newRow("unknown language") << QStringList{"--lang", "Klingon", "info"} << ""
                                      << "unknown language";
    QTest::newRow("missing language file")
        << QStringList{"--lang", "English", "info"} << "lng/English.ini"
        << "language file not found";
    QTest::newRow("missing definition file")
        << QStringList{"--lang", "English", "info"} << "dat/QM40(2.10)/QM40(Eng).inv"
        << "definition file";
    QTest::newRow("empty definition file")
        << QStringList{"--lang", "English", "info"} << "dat/QM40(2.10)/QM40(Eng).inv="
        << "holds no parameter";
    QTest::newRow("missing catalogue") << QStringList{"info"} << "dat/Inverter.ini"
                                       << "catalogue not found";
}

void TestCliInfo::refusals() {
    QFETCH(QStringList, args);
    QFETCH(QString, damage);
    QFETCH(QString, error);
    CliAppDir app;
    if (damage.endsWith('='))
        app.tree.Write("app/" + damage.chopped(1), "");
    else if (!damage.isEmpty())
        QVERIFY(QFile::remove(app.tree.Path("app/" + damage)));
    app.ExpectRefusal(args, error);
}

void TestCliInfo::help() {
    CliAppDir app;
    const CliResult r = app.Run({"--help"});
    QCOMPARE(r.code, 0);
    for (const char* option : {"--appdir", "--type", "--cpu", "--capacity", "--lang", "info"})
        QVERIFY(r.out.contains(QLatin1String(option)));
}

QTEST_GUILESS_MAIN(TestCliInfo)
#include "tst_CliInfo.moc"
