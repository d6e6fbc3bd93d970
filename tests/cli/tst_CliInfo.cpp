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
    void languageFollowsTheLocale_data();
    void languageFollowsTheLocale();
    void refusals_data();
    void refusals();
    void help();
    void unwritableOutputFails_data();
    void unwritableOutputFails();
};

namespace {
// Every write fails, as on a full disk.
class FullDevice final : public QIODevice {
public:
    FullDevice() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};
} // namespace

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
    QCOMPARE(r.Value("language"), QStringLiteral("English")); // no locale set
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
        << QStringList{"--type", "qs20"} << "QS20 1.20 -2004 English";
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

// The language of a run: --lang, else the stored choice, else the locale.
void TestCliInfo::languageFollowsTheLocale_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("language");
    const QByteArray langs = "[Language]\r\nJapanese=0\r\nEnglish=0\r\n";
    QTest::newRow("no settings, Japanese locale")
        << QByteArray() << "ja_JP.UTF-8" << QStringList{} << "Japanese";
    QTest::newRow("no settings, English locale")
        << QByteArray() << "en_GB.UTF-8" << QStringList{} << "English";
    QTest::newRow("no settings, C locale") << QByteArray() << "C" << QStringList{} << "English";
    QTest::newRow("first-start keys only, Japanese locale")
        << langs << "ja" << QStringList{} << "Japanese";
    QTest::newRow("first-start keys only, no locale") << langs << "" << QStringList{} << "English";
    QTest::newRow("stored Japanese beats the locale")
        << langs + "[Default]\r\nLangNo=0\r\n"
        << "en_US.UTF-8" << QStringList{} << "Japanese";
    QTest::newRow("stored English beats the locale") << langs + "[Default]\r\nLangNo=1\r\n"
                                                     << "ja_JP.UTF-8" << QStringList{} << "English";
    QTest::newRow("--lang beats the locale")
        << QByteArray() << "ja_JP.UTF-8" << QStringList{"--lang", "English"} << "English";
    QTest::newRow("locale language not offered: the first entry")
        << QByteArray("[Language]\r\nEnglishComma=1\r\nEnglish=0\r\n") << "ja_JP.UTF-8"
        << QStringList{} << "EnglishComma";
}

void TestCliInfo::languageFollowsTheLocale() {
    QFETCH(QByteArray, settings);
    QFETCH(QString, locale);
    QFETCH(QStringList, args);
    QFETCH(QString, language);
    CliAppDir app;
    QFile::copy(app.tree.Path("app/lng/English.ini"), app.tree.Path("app/lng/EnglishComma.ini"));
    if (!settings.isEmpty())
        app.tree.Write("app/VDK330Q.ini", settings);
    app.locale = locale;
    const CliResult r = app.Run(args << "info");
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.Value("language"), language);
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
    QTest::newRow("damaged capacity default")
        << QStringList{"--lang", "English", "info"}
        << "dat/QM40(2.10)/QM40-2004.cap=0004,200\r\n000A,6O\r\n"
        << "QM40-2004.cap, line 2: Default of parameter 000A is '6O', not a whole number";
    QTest::newRow("damaged definition limit")
        << QStringList{"--lang", "English", "info"}
        << "dat/QM40(2.10)/QM40(Eng).inv=0000,0,1,A,F000,,2,0,0,2,0,0,,,,0,1\r\n"
           "0001,0,1,B,F001,,2,0,1,0999,0,0,,,,0,1\r\n"
        << "QM40(Eng).inv, line 2: High of parameter 0001 is '0999', not the number of a "
           "parameter";
    QTest::newRow("empty port") << QStringList{"--port", "", "read", "0001"} << ""
                                << "--port needs a device path";
    QTest::newRow("blank port for detection") << QStringList{"--port", " ", "detect"} << ""
                                              << "--port needs a device path";
}

void TestCliInfo::refusals() {
    QFETCH(QStringList, args);
    QFETCH(QString, damage);
    QFETCH(QString, error);
    CliAppDir app;
    if (damage.contains('=')) // a file given new content
        app.tree.Write("app/" + damage.section('=', 0, 0), damage.section('=', 1).toUtf8());
    else if (!damage.isEmpty())
        QVERIFY(QFile::remove(app.tree.Path("app/" + damage)));
    app.ExpectRefusal(args, error);
}

void TestCliInfo::help() {
    CliAppDir app;
    const CliResult r = app.Run({"--help"});
    QCOMPARE(r.code, 0);
    for (const char* option : {"--appdir", "--type", "--cpu", "--capacity", "--lang", "--port"})
        QVERIFY(r.out.contains(QLatin1String(option)));
    // Every command the tool runs has its line.
    for (const char* command :
         {"info", "check", "csv", "read", "write", "detect", "set", "import", "export", "compare"})
        QVERIFY2(r.out.contains(QStringLiteral("\n  %1 ").arg(command)) ||
                     r.out.contains(QStringLiteral("\n  %1\n").arg(command)),
                 command);
}

// A result that cannot be written (a full disk) fails a run that went well,
// and leaves a refusal as it was.
void TestCliInfo::unwritableOutputFails_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("info") << QStringList{"--lang", "English", "info"} << 1;
    QTest::newRow("help") << QStringList{"--help"} << 1;
    QTest::newRow("refusal") << QStringList{"--type", "QX99", "info"} << 2;
}

void TestCliInfo::unwritableOutputFails() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    CliAppDir app;
    FullDevice full;
    const CliResult r = app.Run(args, &full);
    QCOMPARE(r.code, code);
    QCOMPARE(r.err.contains("cannot write the output"), code == 1);
}

QTEST_GUILESS_MAIN(TestCliInfo)
#include "tst_CliInfo.moc"
