// Alt-letters for menus whose texts come from the language files.
#include "base/Mnemonics.h"

#include <QTest>

using namespace vdk;

class TestMnemonics : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void marks_data();
    void marks();
};

void TestMnemonics::marks_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("marked");
    QTest::newRow("first letters") << QStringList{"Files", "Parameter", "Tools", "Help"}
                                   << QStringList{"&Files", "&Parameter", "&Tools", "&Help"};
    QTest::newRow("a taken letter moves to the next word")
        << QStringList{"Save", "Save As...", "Setup"}
        << QStringList{"&Save", "Save &As...", "S&etup"};
    QTest::newRow("a mark already there is kept and reserved")
        << QStringList{"E&xit", "Export", "Ex"} << QStringList{"E&xit", "&Export", "Ex"};
    QTest::newRow("Japanese stays") << QStringList{"ファイル", "ヘルプ(&H)", "Help"}
                                    << QStringList{"ファイル", "ヘルプ(&H)", "H&elp"};
    QTest::newRow("signs are not letters")
        << QStringList{"RS-232C...", "? Info"} << QStringList{"&RS-232C...", "? &Info"};
}

void TestMnemonics::marks() {
    QFETCH(QStringList, texts);
    QFETCH(QStringList, marked);
    QCOMPARE(WithMnemonics(texts), marked);
}

QTEST_GUILESS_MAIN(TestMnemonics)
#include "tst_Mnemonics.moc"
