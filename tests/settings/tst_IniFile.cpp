// The settings store: reads with defaults, key order as data, in-place writes
// that keep everything else of the file, and files that are never lost.
#include "TempTree.h"
#include "settings/IniFile.h"
#include "settings/TextCodec.h"

#include <QTest>
#include <sys/stat.h>
#include <thread>

using vdk::IniFile;

class TestIniFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reads_data();
    void reads();
    void sectionOrderIsFileOrder();
    void writesReplaceInPlaceAndKeepTheRest();
    void writeCreatesSectionAndFile();
    void eraseSectionKeepsOthers();
    void valueWithLineBreakStaysOneKey();
    void failedWriteIsReported();
    void encodings_data();
    void encodings();
    void damagedFilesDoNotCrash_data();
    void damagedFilesDoNotCrash();
    void concurrentWritersKeepEveryKey();
    void specialFilesAreNeitherReadNorReplaced_data();
    void specialFilesAreNeitherReadNorReplaced();
};

static const QByteArray kSample = "; kept comment\r\n"
                                  "[Comms]\r\n"
                                  "Baudrate=4\r\n"
                                  "Parity = 2 \r\n"
                                  "Name=\"quoted value\"\r\n"
                                  "Empty=\r\n"
                                  "Bad=12abc\r\n"
                                  "Hex=0x1F\r\n"
                                  "baudrate=9\r\n"
                                  "\r\n"
                                  "[Other]\r\n"
                                  "Zeta=1\r\n"
                                  "Alpha=2\r\n"
                                  "[comms]\r\n"
                                  "Late=1\r\n";

void TestIniFile::reads_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("integer");
    QTest::newRow("plain") << "Comms"
                           << "Baudrate"
                           << "4" << 4;
    QTest::newRow("spaces around = are trimmed") << "Comms"
                                                 << "Parity"
                                                 << "2" << 2;
    QTest::newRow("names ignore letter case") << "COMMS"
                                              << "BAUDRATE"
                                              << "4" << 4;
    QTest::newRow("first of two equal keys wins") << "Comms"
                                                  << "baudrate"
                                                  << "4" << 4;
    QTest::newRow("quotes are stripped") << "Comms"
                                         << "Name"
                                         << "quoted value" << -7;
    QTest::newRow("empty value is not missing") << "Comms"
                                                << "Empty"
                                                << "" << -7;
    QTest::newRow("non-number gives default") << "Comms"
                                              << "Bad"
                                              << "12abc" << -7;
    QTest::newRow("hexadecimal integer") << "Comms"
                                         << "Hex"
                                         << "0x1F" << 31;
    QTest::newRow("missing key") << "Comms"
                                 << "Nope"
                                 << "dflt" << -7;
    QTest::newRow("missing section") << "Nope"
                                     << "Baudrate"
                                     << "dflt" << -7;
    QTest::newRow("second equal section is not read") << "Comms"
                                                      << "Late"
                                                      << "dflt" << -7;
}

void TestIniFile::reads() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(int, integer);
    TempTree tree;
    const IniFile ini(tree.Write("a.ini", kSample));
    QCOMPARE(ini.ReadString(section, key, "dflt"), text);
    QCOMPARE(ini.ReadInteger(section, key, -7), integer);
    QCOMPARE(ini.ReadBool(section, key, false), integer != -7 && integer != 0);
}

void TestIniFile::sectionOrderIsFileOrder() {
    TempTree tree;
    const IniFile ini(tree.Write("a.ini", kSample));
    QCOMPARE(ini.ReadSection("Other"), (QStringList{"Zeta", "Alpha"}));
    QCOMPARE(ini.ReadSectionValues("Other"), (QStringList{"1", "2"}));
    QCOMPARE(ini.ReadSection("Comms").size(), 6); // the repeated key counts once
    QVERIFY(ini.ReadSection("Missing").isEmpty());
    QVERIFY(IniFile(tree.Path("none.ini")).ReadSection("Comms").isEmpty());
    QCOMPARE(ini.ReadIntegerClamped("Comms", "Baudrate", 3, 0, 2), 2);
}

void TestIniFile::writesReplaceInPlaceAndKeepTheRest() {
    TempTree tree;
    IniFile ini(tree.Write("a.ini", kSample));
    QVERIFY(ini.WriteInteger("comms", "BAUDRATE", 5));
    QVERIFY(ini.WriteString("Other", "Beta", "new"));
    QByteArray expected = kSample;
    expected.replace("Baudrate=4", "Baudrate=5");
    expected.replace("Alpha=2\r\n", "Alpha=2\r\nBeta=new\r\n");
    QCOMPARE(tree.Read("a.ini"), expected);
    QCOMPARE(IniFile(ini.Path()).ReadInteger("Comms", "Baudrate", 0), 5);
}

void TestIniFile::writeCreatesSectionAndFile() {
    TempTree tree;
    IniFile ini(tree.Path("sub/new.ini"));
    QVERIFY(ini.WriteString("Language", "Japanese", "0"));
    QVERIFY(ini.WriteBool("Language", "English", false));
    QVERIFY(ini.WriteInteger("Default", "LangNo", 1));
    QCOMPARE(tree.Read("sub/new.ini"),
             QByteArray("[Language]\r\nJapanese=0\r\nEnglish=0\r\n[Default]\r\nLangNo=1\r\n"));
}

void TestIniFile::eraseSectionKeepsOthers() {
    TempTree tree;
    IniFile ini(tree.Write("a.ini", "[A]\r\nx=1\r\n; note\r\n[B]\r\ny=2\r\n"));
    QVERIFY(ini.EraseSection("a"));
    QCOMPARE(tree.Read("a.ini"), QByteArray("[B]\r\ny=2\r\n"));
    QVERIFY(ini.EraseSection("Missing"));
    QVERIFY(ini.DeleteKey("b", "Y"));
    QCOMPARE(tree.Read("a.ini"), QByteArray("[B]\r\n"));
    QVERIFY(ini.DeleteKey("B", "missing"));
}

void TestIniFile::valueWithLineBreakStaysOneKey() {
    TempTree tree;
    IniFile ini(tree.Path("a.ini"));
    QVERIFY(ini.WriteString("S", "k", "one\r\n[Evil]\nx=1"));
    QCOMPARE(ini.ReadSection("S"), QStringList{"k"});
    QVERIFY(!ini.SectionExists("Evil"));
}

void TestIniFile::failedWriteIsReported() {
    TempTree tree;
    tree.Write("plain", "not a folder");
    IniFile ini(tree.Path("plain/a.ini"));
    QVERIFY(!ini.WriteString("A", "x", "2"));
    QVERIFY(!ini.ErrorString().isEmpty());
    QCOMPARE(tree.Read("plain"), QByteArray("not a folder"));
    QCOMPARE(QDir(tree.Path()).entryList(QDir::Files), QStringList{"plain"});
}

void TestIniFile::encodings_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("fallback");
    QTest::addColumn<QString>("value");
    const QString jp = QString::fromUtf8("確認");
    QTest::newRow("utf-8") << ("[G]\nm=" + jp.toUtf8() + "\n") << QByteArray("windows-31j") << jp;
    QTest::newRow("utf-8 with bom")
        << ("\xEF\xBB\xBF[G]\r\nm=" + jp.toUtf8()) << QByteArray("windows-1252") << jp;
    QTest::newRow("shift-jis") << QByteArray("[G]\r\nm=\x8A\x6D\x94\x46\r\n")
                               << QByteArray("windows-31j") << jp;
    QTest::newRow("windows-1252") << QByteArray("[G]\rm=caf\xE9\r") << QByteArray("windows-1252")
                                  << QString::fromUtf8("café");
}

void TestIniFile::encodings() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, fallback);
    QFETCH(QString, value);
    TempTree tree;
    IniFile ini(tree.Write("a.ini", bytes), fallback);
    QCOMPARE(ini.ReadString("G", "m", "-"), value);
    QVERIFY(ini.WriteString("G", "n", "x"));
    const QByteArray written = tree.Read("a.ini");
    QVERIFY(!written.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(vdk::DecodeText(written, "latin1"),
             QStringLiteral("[G]\r\nm=%1\r\nn=x\r\n").arg(value));
}

void TestIniFile::damagedFilesDoNotCrash_data() {
    QTest::addColumn<QByteArray>("bytes");
    QByteArray garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += char((i * 7919) % 256);
    QTest::newRow("binary") << garbage;
    QTest::newRow("long line") << ("[S]\nk=" + QByteArray(200000, 'x'));
    QTest::newRow("unclosed section") << QByteArray("[S\nk=1\n[\n=\n==\n[]\n");
    QByteArray many = "[S]\n";
    for (int i = 0; i < 3000; ++i)
        many += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
    QTest::newRow("3000 keys") << many;
}

void TestIniFile::damagedFilesDoNotCrash() {
    QFETCH(QByteArray, bytes);
    TempTree tree;
    IniFile ini(tree.Write("a.ini", bytes));
    ini.ReadSection("S");
    ini.ReadString("S", "k", "-");
    QVERIFY(ini.WriteString("S", "k2", "v"));
    QCOMPARE(ini.ReadString("S", "k2", "-"), QStringLiteral("v"));
}

// Two programs writing keys at once: each write reads the file, changes it and
// writes it back, so without a lock one program's key is lost now and then.
void TestIniFile::concurrentWritersKeepEveryKey() {
    TempTree tree;
    const QString path = tree.Write("a.ini", "[S]\r\n");
    constexpr int kKeys = 8;
    const auto writer = [&](const QString& prefix) {
        IniFile ini(path);
        for (int i = 0; i < kKeys; ++i)
            QVERIFY(ini.WriteString("S", prefix + QString::number(i), "v"));
    };
    std::thread a(writer, QStringLiteral("a")), b(writer, QStringLiteral("b"));
    a.join();
    b.join();
    QCOMPARE(IniFile(path).ReadSection("S").size(), 2 * kKeys);
    QCOMPARE(tree.Files(), QStringList{"a.ini"}); // no lock file left behind
}

// A FIFO as the settings file would block every read until a writer came; a
// folder is no file either. Reads give the defaults, writes fail and leave it.
void TestIniFile::specialFilesAreNeitherReadNorReplaced_data() {
    QTest::addColumn<bool>("fifo");
    QTest::newRow("FIFO") << true;
    QTest::newRow("folder") << false;
}

void TestIniFile::specialFilesAreNeitherReadNorReplaced() {
    QFETCH(bool, fifo);
    TempTree tree;
    const QString path = tree.Path("a.ini");
    if (fifo)
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkpath(path));
    IniFile ini(path);
    QCOMPARE(ini.ReadString("S", "k", "-"), QStringLiteral("-"));
    QVERIFY(!ini.WriteString("S", "k", "v"));
    QVERIFY(!ini.ErrorString().isEmpty());
    const QFileInfo after(path);
    QVERIFY(after.exists() && !after.isFile());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_IniFile.moc"
