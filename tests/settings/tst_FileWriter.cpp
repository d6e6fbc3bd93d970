// The one writer of every file the program replaces: a failure on the way
// leaves the old file byte for byte and says why.
#include "FullDisk.h"
#include "TempTree.h"
#include "settings/FileWriter.h"

#include <QTest>

using namespace vdk;

class TestFileWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replacesTheFileWhole();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
};

void TestFileWriter::replacesTheFileWhole() {
    TempTree tree;
    const QString path = tree.Write("a.vdk", "old\r\n");
    QString error;
    QVERIFY(WriteFileAtomically(path, "new\r\n", &error));
    QCOMPARE(tree.Read("a.vdk"), QByteArray("new\r\n"));
    QCOMPARE(tree.Files(), QStringList{"a.vdk"});
}

void TestFileWriter::fullDiskKeepsTheOldFile_data() {
    QTest::addColumn<int>("size");
    // Small writes sit in a buffer until the file is closed; large ones fail
    // on the way.
    QTest::newRow("small text") << 600;
    QTest::newRow("large text") << 200000;
}

void TestFileWriter::fullDiskKeepsTheOldFile() {
    QFETCH(int, size);
    TempTree tree;
    const QByteArray old = "###\r\nQM40\r\n-2004\r\n";
    const QString path = tree.Write("pump3.vdk", old);
    QString error;
    bool written = true;
    {
        FullDisk disk(64);
        written = WriteFileAtomically(path, QByteArray(size, 'x'), &error);
    }
    QVERIFY(!written);
    QCOMPARE(tree.Read("pump3.vdk"), old);
    QCOMPARE(tree.Files(), QStringList{"pump3.vdk"});                // no temporary file left
    QVERIFY2(error.contains(FullDisk::Reason()), qPrintable(error)); // the system's reason
}

QTEST_GUILESS_MAIN(TestFileWriter)
#include "tst_FileWriter.moc"
