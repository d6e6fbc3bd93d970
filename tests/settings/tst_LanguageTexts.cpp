// Language texts: the message list is positional, a missing language file is
// offered to be picked by hand, and a fresh settings file gets two languages.
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"

#include <QTest>

using namespace vdk;

class TestLanguageTexts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messageListIsPositional();
    void textsFallBackToDefaults();
    void missingLanguageFile_data();
    void missingLanguageFile();
    void firstStartWritesTwoLanguages();
    void decimalCommaFromSettings();
};

void TestLanguageTexts::messageListIsPositional() {
    TempTree t;
    LanguageTexts texts;
    // Keys out of numeric order, an empty value, and a gap: position counts.
    texts.SetLangFile(t.Write("lng/X.ini", "[General]\r\nMessage2=Second\r\nMessage1=First\r\n"
                                           "Message3=\r\nMessage5=Fifth\r\n[Main]\r\nA=b\r\n"),
                      "windows-1252");
    QVERIFY(texts.LoadMessageList());
    QCOMPARE(texts.MessageList(), (QStringList{"Second", "First", "", "Fifth"}));
    QCOMPARE(texts.LangMessage(2), QStringLiteral("First"));
    QCOMPARE(texts.LangMessage(4), QStringLiteral("Fifth"));
    QCOMPARE(texts.LangMessage(5), QString());
    QCOMPARE(texts.LangMessage(0), QString());
    const Message m = texts.MakeMessage(4, MsgIcon::Stop, MsgButtons::YesNo);
    QCOMPARE(m.caption, QStringLiteral("Second"));
    QCOMPARE(m.text, QStringLiteral("Fifth"));
    QCOMPARE(m.number, 4);
}

void TestLanguageTexts::textsFallBackToDefaults() {
    TempTree t;
    LanguageTexts texts;
    texts.SetLangFile(t.Write("X.ini", "[Main]\r\nFile=&Datei\r\n"), "windows-1252");
    QCOMPARE(texts.LangText("Main", "File", "&File"), QStringLiteral("&Datei"));
    QCOMPARE(texts.LangText("Main", "Edit", "&Edit"), QStringLiteral("&Edit"));
    texts.SetLangFile(t.Path("missing.ini"), "windows-1252");
    QCOMPARE(texts.LangText("Main", "File", "&File"), QStringLiteral("&File"));
}

void TestLanguageTexts::missingLanguageFile_data() {
    QTest::addColumn<QString>("picked"); // "" = cancel
    QTest::addColumn<bool>("started");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("cancel closes")
        << "" << false << QStringList{"Not found Language data file.", "VDK330Q is closed."};
    QTest::newRow("picked file is used")
        << "other/Mine.ini" << true << QStringList{"Not found Language data file."};
    QTest::newRow("picked file without messages closes")
        << "other/Empty.ini" << false
        << QStringList{"Not found Language data file.",
                       "Selected Language data file is not valid.\nVDK330Q is closed."};
}

void TestLanguageTexts::missingLanguageFile() {
    QFETCH(QString, picked);
    QFETCH(bool, started);
    QFETCH(QStringList, texts);
    TempTree t;
    t.Write("other/Mine.ini", "[General]\r\nMessage1=Caption\r\n");
    t.Write("other/Empty.ini", "[Main]\r\nA=b\r\n");
    AppPaths paths(t.Path(), t.Path("VDK330Q.ini"));
    paths.SelectLanguage("English");
    ScriptedDialogs dialogs;
    if (!picked.isEmpty())
        dialogs.files.enqueue(t.Path(picked));
    LanguageTexts lang;
    QCOMPARE(BuildMessageList(paths, lang, dialogs), started);
    QStringList shown;
    for (const Message& m : dialogs.messages) {
        shown.append(m.text);
        QCOMPARE(m.caption, QStringLiteral("Confirmation"));
    }
    QCOMPARE(shown, texts);
    QCOMPARE(dialogs.messages.first().icon, MsgIcon::Exclamation);
    QCOMPARE(dialogs.fileRequests.size(), 1);
    QCOMPARE(dialogs.fileRequests.first().directory, t.Path("lng"));
    QCOMPARE(dialogs.fileRequests.first().filter,
             QStringLiteral("Language Data (*.ini)|*.ini|All Files (*.*)|*.*"));
    if (started) {
        QCOMPARE(paths.LangDir, t.Path("other"));
        QCOMPARE(lang.LangMessage(1), QStringLiteral("Caption"));
        QVERIFY(!QFile::exists(t.Path("VDK330Q.ini"))); // the settings are not changed
    }
}

void TestLanguageTexts::firstStartWritesTwoLanguages() {
    TempTree t;
    IniFile settings(t.Path("VDK330Q.ini"));
    QVERIFY(EnsureFirstStartKeys(settings));
    QCOMPARE(settings.ReadSection("Language"), (QStringList{"Japanese", "English"}));
    QVERIFY(settings.WriteInteger("Language", "English", 1));
    QVERIFY(EnsureFirstStartKeys(settings)); // a second start changes nothing
    QCOMPARE(settings.ReadInteger("Language", "English", 0), 1);
    // A fresh file assumes the documented line settings.
    QCOMPARE(settings.ReadInteger("Comms", "Baudrate", 3), 3);
}

void TestLanguageTexts::decimalCommaFromSettings() {
    TempTree t;
    const IniFile settings(t.Write("VDK330Q.ini", "[Language]\r\nDeutsch=1\r\nEnglish=0\r\n"));
    QVERIFY(DecimalCommaOf(settings, "Deutsch"));
    QVERIFY(!DecimalCommaOf(settings, "English"));
    QVERIFY(!DecimalCommaOf(settings, "Missing"));
}

QTEST_GUILESS_MAIN(TestLanguageTexts)
#include "tst_LanguageTexts.moc"
