// The start from a parameter file given on the command line: what is refused
// (with which caption) before anything is loaded, and what a good file sets.
#include "DataFixture.h"
#include "data/Catalogue.h"
#include "data/StartFile.h"
#include "settings/IniFile.h"

#include <QTest>

using namespace vdk;

namespace {
QByteArray StartText(const QByteArray& type = "AB", const QByteArray& cpu = "1",
                     const QByteArray& capacity = "-2K", const QByteArray& language = "English") {
    return "###\r\n" + type + "\r\n" + capacity + "\r\n" + cpu + "\r\n" + language +
           "\r\nPump\r\n1\r\n2\r\nF004,9,1,1\r\n0777,3\r\n0000,1\r\n";
}

struct Start {
    DataFixture f;
    IniFile settings{f.tree.Path("VDK330Q.ini")};
    LanguageTexts texts; // built by the start, not by the fixture
    StartContext context{f.paths, settings, texts, f.dialogs, f.table, f.values};
};
} // namespace

class TestStartFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusals_data();
    void refusals();
    void goodFileFixesTheSelection();
};

// Each refusal names the file and says what is wrong with it.
void TestStartFile::refusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("reason");
    QTest::newRow("extension") << "set.txt" << StartText() << "Confirmation (File-type error)"
                               << "It is not a .vdk parameter file.";
    QTest::newRow("older form") << "set.vdk" << QByteArray("##\r\nAB\r\n-1K\r\nx\r\n0\r\n0\r\n")
                                << "Confirmation (Data error)"
                                << "The first line is not \"###\".";
    QTest::newRow("value not a number") << "set.vdk" << StartText() + "F003,x\r\n"
                                        << "Confirmation (Data error)"
                                        << "Line 12 cannot be read";
    QTest::newRow("header cut short")
        << "set.vdk" << QByteArray("###\r\nAB\r\n-2K\r\n1\r\nEnglish\r\n")
        << "Confirmation (Data error)"
        << "Line 6 cannot be read";
    QTest::newRow("language not installed")
        << "set.vdk" << StartText("AB", "1", "-2K", "Klingon") << "Confirmation (Language error)"
        << "The language \"Klingon\" is not installed.";
    QTest::newRow("type-form outside the catalogue")
        << "set.vdk" << StartText("..\\..\\x") << "Confirmation (Data error)"
        << "is not in the catalogue.";
    QTest::newRow("capacity naming another folder")
        << "set.vdk" << StartText("AB", "1", "/../../../etc/passwd") << "Confirmation (Data error)"
        << "is not in the catalogue.";
    QTest::newRow("unknown cpu") << "set.vdk" << StartText("AB", "9") << "Confirmation (Data error)"
                                 << "is not in the catalogue.";
}

void TestStartFile::refusals() {
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(QString, caption);
    QFETCH(QString, reason);
    Start s;
    const QString path = s.f.tree.Write(name, text);
    QVERIFY(!ReadStartFile(path, s.context));
    QCOMPARE(s.f.dialogs.messages.size(), 1);
    const Message& m = s.f.dialogs.messages.first();
    const QStringList lines = m.text.split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("Data is incorrect."));
    QCOMPARE(lines[1], path);
    QVERIFY2(lines[2].contains(reason), qPrintable(lines[2]));
    QCOMPARE(m.caption, caption);
    QCOMPARE(m.icon, MsgIcon::Exclamation);
    QCOMPARE(s.f.table.Count(), 0);
    QCOMPARE(s.settings.ReadInteger("Default", "LangNo", -1), -1);
}

void TestStartFile::goodFileFixesTheSelection() {
    Start s;
    // A fresh installation: no settings file yet, so no [Language] section.
    QVERIFY(!QFile::exists(s.settings.Path()));
    ReadResult read;
    QVERIFY(ReadStartFile(s.f.tree.Write("dir/set.VDK", StartText()), s.context, &read));
    QCOMPARE(s.f.paths.Identity().Capacity, QStringLiteral("-2K"));
    QCOMPARE(s.f.paths.CapFile, s.f.tree.Path("dat/AB(1)/AB-2K.cap"));
    QCOMPARE(s.settings.ReadSection("Language"), (QStringList{"Japanese", "English"}));
    QCOMPARE(s.settings.ReadInteger("Default", "LangNo", -1), 1);
    QCOMPARE(s.texts.LangMessage(1), QStringLiteral("M1"));
    QCOMPARE(s.f.values.Comment, QStringLiteral("Pump"));
    QVERIFY(s.f.values.BlindMode);
    QCOMPARE(s.f.values.BlindCount, 2);
    QCOMPARE(s.f.values.At(4, UPara::Value), QStringLiteral("9"));
    QCOMPARE(s.f.values.At(4, UPara::BlindIndex), QStringLiteral("1"));
    QCOMPARE(s.f.values.At(4, UPara::ChangeIndex), QStringLiteral("1"));
    QCOMPARE(s.f.values.At(3, UPara::Value), QStringLiteral("84")); // capacity -2K's default
    // The unknown number ends the reading: 0000 after it keeps its default.
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{68});
    QCOMPARE(s.f.values.At(0, UPara::Value), QStringLiteral("10"));
    QCOMPARE(read.applied, 1);
    QCOMPARE(read.skipped, QStringList{"0777"});
    QCOMPARE(read.passedOver, QList<int>{11}); // 0000, after the unknown number
    QCOMPARE(s.f.values.LoadName, QStringLiteral("set.VDK"));
}

QTEST_GUILESS_MAIN(TestStartFile)
#include "tst_StartFile.moc"
