// The page setup without its dialog: the [Page] keys with their defaults and
// their list indexes kept in range, the checks of the number fields, and the
// report's column lines.
#include "TempTree.h"
#include "printing/PageSetup.h"
#include "settings/IniFile.h"

#include <QTest>

using namespace vdk;

class TestPageSetup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultsAndRoundTrip();
    void fieldChecks_data();
    void fieldChecks();
    void columnLines();
};

// A first start: A4 portrait, 10 mm margins, rows of 15 points in 8-point
// type, date, type-form and page number printed. What is saved comes back;
// indexes beyond their lists fall back.
void TestPageSetup::defaultsAndRoundTrip() {
    TempTree tree;
    IniFile settings(tree.Path("VDK330Q.ini"));
    PageSetup page;
    page.Load(settings);
    QCOMPARE(PageSetup::kPapers.value(page.paper), QStringLiteral("A4"));
    QVERIFY(page.portrait && page.date && page.typeForm && page.pageNo);
    QVERIFY(!page.time && !page.comment && !page.shipment);
    QCOMPARE(page.top, QStringLiteral("10"));
    QCOMPARE(page.rowHeight, QStringLiteral("15"));
    QCOMPARE(page.fontSizeText, QStringLiteral("8"));
    QCOMPARE(page.font, PageSetup::kNoFont);

    page.portrait = false;
    page.shipment = true;
    page.paper = 3;
    page.left = QStringLiteral("12.5");
    page.fontSizeText = QStringLiteral("13"); // typed, not in the list
    page.valueColour = 0x0000FF;
    QVERIFY(page.Save(settings));
    PageSetup back;
    back.Load(settings);
    QVERIFY(!back.portrait && back.shipment);
    QCOMPARE(back.paper, 3);
    QCOMPARE(back.left, QStringLiteral("12.5"));
    QCOMPARE(back.valueColour, 0x0000FFu);
    QCOMPARE(back.fontSizeText, QString()); // must be entered again

    settings.WriteInteger("Page", "PSet3", 9);
    settings.WriteInteger("Page", "PSet5", 40);
    back.Load(settings);
    QCOMPARE(back.paper, 1);
    QCOMPARE(back.fontSizeText, QStringLiteral("8"));
    settings.WriteInteger("Page", "PSet5", -2); // neither in the list nor typed
    back.Load(settings);
    QCOMPARE(back.fontSize, 3);
    QCOMPARE(back.fontSizeText, QStringLiteral("8"));
}

void TestPageSetup::fieldChecks_data() {
    QTest::addColumn<int>("field"); // 0 margin, 1 row height, 2 font size
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("margin 12.5") << 0 << "12.5" << 0 << "12.5";
    QTest::newRow("margin -1") << 0 << "-1" << 42 << "0";
    QTest::newRow("margin 31") << 0 << "31" << 42 << "30";
    QTest::newRow("margin empty") << 0 << "" << 68 << "";
    QTest::newRow("margin not a number") << 0 << "ten" << 68 << "ten";
    QTest::newRow("row height 9") << 1 << "9" << 42 << "10";
    QTest::newRow("row height 31") << 1 << "31" << 42 << "30";
    QTest::newRow("row height 12.5") << 1 << "12.5" << 68 << "12.5";
    QTest::newRow("font size 4") << 2 << "4" << 42 << "5";
    QTest::newRow("font size 23") << 2 << "23" << 42 << "22";
    QTest::newRow("font size 13") << 2 << "13" << 0 << "13";
}

void TestPageSetup::fieldChecks() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(int, message);
    QFETCH(QString, shown);
    const PageFieldCheck check = field == 0   ? CheckMargin(text)
                                 : field == 1 ? CheckRowHeight(text)
                                              : CheckFontSize(text);
    QCOMPARE(check.message, message);
    QCOMPARE(check.shown, shown);
}

void TestPageSetup::columnLines() {
    QCOMPARE(ColumnLines(718), (QList<int>{56, 112, 355, 420, 484, 547, 612, 668}));
}

QTEST_GUILESS_MAIN(TestPageSetup)
#include "tst_PageSetup.moc"
