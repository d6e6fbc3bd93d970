// The about box: the memory figures read from the system's text, the "For"
// list built from the catalogue with the current inverter selected, and the
// figures shown and read again on the timer. With VDK_SCREENSHOTS=DIR it also
// saves a picture of the box.
#include "DataFixture.h"
#include "app/ui/AboutBox.h"
#include "data/Catalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

using namespace vdk;

class TestAboutBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void memInfo_data();
    void memInfo();
    void targets_data();
    void targets();
    void figuresFollowTheTimer();
    void screenshot();
};

void TestAboutBox::memInfo_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("free");
    QTest::addColumn<int>("load");
    QTest::newRow("available memory") << QByteArray("MemTotal:       16000000 kB\n"
                                                    "MemFree:         1000000 kB\n"
                                                    "MemAvailable:    4000000 kB\n"
                                                    "Buffers:          300000 kB\n")
                                      << qint64(16000000) << qint64(4000000) << 75;
    QTest::newRow("old kernel without MemAvailable")
        << QByteArray("MemTotal: 2000 kB\nMemFree: 500 kB\n") << qint64(2000) << qint64(500) << 75;
    QTest::newRow("a key that only begins alike")
        << QByteArray("MemTotalX: 9 kB\nMemTotal: 1000 kB\nMemAvailable: 1000 kB\n") << qint64(1000)
        << qint64(1000) << 0;
    QTest::newRow("no total") << QByteArray("MemFree: 500 kB\n") << qint64(0) << qint64(0) << 0;
    QTest::newRow("damaged total")
        << QByteArray("MemTotal: lots\nMemFree: 500 kB\n") << qint64(0) << qint64(0) << 0;
}

void TestAboutBox::memInfo() {
    QFETCH(QByteArray, text);
    QFETCH(qint64, total);
    QFETCH(qint64, free);
    QFETCH(int, load);
    const MemoryStatus m = ParseMemInfo(text);
    QCOMPARE(m.totalKb, total);
    QCOMPARE(m.freeKb, free);
    QCOMPARE(m.loadPercent, load);
}

void TestAboutBox::targets_data() {
    QTest::addColumn<QString>("cpu");
    QTest::addColumn<int>("selected");
    QTest::newRow("current inverter") << "2" << 1;
    QTest::newRow("not listed takes the first") << "9" << 0;
}

void TestAboutBox::targets() {
    QFETCH(QString, cpu);
    QFETCH(int, selected);
    DataFixture f;
    f.tree.Write("dat/Inverter.ini", "[Type]\r\nAB=3\r\nCD=65\r\nEF=7\r\n[EF CPU Ver]\r\n0.5=5\r\n"
                                     "[AB CPU Ver]\r\n1=10\r\n2=20\r\n");
    const Catalogue catalogue(f.paths);
    AboutBox box(catalogue, "AB", cpu, f.texts, nullptr, [] { return MemoryStatus(); });
    QStringList shown;
    for (int i = 0; i < box.TargetList()->count(); ++i)
        shown.append(box.TargetList()->itemText(i));
    QCOMPARE(shown, (QStringList{"AB:1", "AB:2", "EF:0.5"}));
    QCOMPARE(box.TargetList()->currentIndex(), selected);
    QCOMPARE(box.windowTitle(), QStringLiteral("Version"));
}

void TestAboutBox::figuresFollowTheTimer() {
    DataFixture f;
    const Catalogue catalogue(f.paths);
    QList<MemoryStatus> readings{{8000, 2000, 75}, {8000, 6000, 25}};
    int reads = 0;
    AboutBox box(catalogue, "AB", "1", f.texts, nullptr, [&] { return readings.value(reads++); });
    QCOMPARE(box.TotalLabel()->text(), QStringLiteral("8000 KB Total"));
    QCOMPARE(box.FreeLabel()->text(), QStringLiteral("2000 KB Free"));
    QCOMPARE(box.LoadBar()->value(), 75);
    QCOMPARE(box.UsedBar()->value(), 75);
    const QTimer* timer = box.findChild<QTimer*>();
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), AboutBox::kRefreshMs);
    box.Refresh();
    QCOMPARE(box.FreeLabel()->text(), QStringLiteral("6000 KB Free"));
    QCOMPARE(box.LoadBar()->value(), 25);
    QCOMPARE(reads, 2);
}

void TestAboutBox::screenshot() {
    const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set VDK_SCREENSHOTS=DIR to save a picture of the box");
    QApplication::setWindowIcon(QIcon(QStringLiteral(VDK_SHARE_DIR "/icons/vdk330q.svg")));
    for (const char* name : {"English", "Japanese"}) {
        AppPaths paths(QStringLiteral(VDK_SHARE_DIR), QString());
        paths.SelectLanguage(QString::fromLatin1(name));
        LanguageTexts texts;
        texts.SetLangFile(paths.LangFile, paths.FallbackEncoding());
        const Catalogue catalogue(paths);
        AboutBox box(catalogue, "QM40", "3.05", texts, nullptr, [] {
            return MemoryStatus{16314720, 9843112, 39};
        });
        box.show();
        QApplication::processEvents();
        box.grab().save(QStringLiteral("%1/about-%2.png").arg(dir, paths.Identity().LangCode));
    }
}

QTEST_MAIN(TestAboutBox)
#include "tst_AboutBox.moc"
