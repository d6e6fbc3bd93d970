// The printed parameter table: pages from the paper, the margins and the row
// height; every line on the page the layout gives it; the heading items and
// the shipment column as the page setup asks; and the PDF's text read back.
#include "TempTree.h"
#include "printing/ui/ParameterReport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace vdk;

namespace {

QList<ReportLine> Lines(int n) {
    QList<ReportLine> lines;
    for (int i = 0; i < n; ++i) {
        const QString number = QStringLiteral("%1").arg(i, 4, 16, QLatin1Char('0')).toUpper();
        lines.append({QStringLiteral("f%1").arg(i), number, QStringLiteral("Function %1").arg(i),
                      QStringLiteral("1.00"), QStringLiteral("%1.50").arg(i),
                      QStringLiteral("0.00"), QStringLiteral("400.00"), QStringLiteral("Hz"),
                      i % 3 == 0 ? QStringLiteral("*") : QStringLiteral("      ")});
    }
    return lines;
}

ReportHeading Heading() {
    return {{"Title", "Comm. No.", "Function", "Default", "Set Val.", "Low limit.", "Up limit.",
             "Unit", "Notes"},
            "QM40-2004",
            QDateTime(QDate(2026, 12, 11), QTime(9, 30))};
}

// The text of page `page` (from 1) of a PDF.
QString PdfText(const QString& path, int page) {
    QProcess p;
    p.start("pdftotext",
            {"-raw", "-f", QString::number(page), "-l", QString::number(page), path, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestParameterReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pagesFollowThePaper_data();
    void pagesFollowThePaper();
    void pdfHoldsEveryLine();
    void pictures();
};

void TestParameterReport::pagesFollowThePaper_data() {
    QTest::addColumn<int>("paper");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<QString>("rowHeight");
    QTest::addColumn<int>("rows");
    // A4 portrait: 297 - 20 mm = 785 points; three rows of 15 and 3 for the
    // heading, footer and columns: (785.2 - 48) / 15 = 49.
    QTest::newRow("A4 portrait, 15") << 1 << true << "15" << 49;
    QTest::newRow("A4 landscape, 15") << 1 << false << "15" << 32;
    QTest::newRow("A4 portrait, 30") << 1 << true << "30" << 23;
    QTest::newRow("B5 (JIS) portrait, 15") << 4 << true << "15" << 41;
}

void TestParameterReport::pagesFollowThePaper() {
    QFETCH(int, paper);
    QFETCH(bool, portrait);
    QFETCH(QString, rowHeight);
    QFETCH(int, rows);
    PageSetup setup;
    setup.paper = paper;
    setup.portrait = portrait;
    setup.rowHeight = rowHeight;
    const ParameterReport report(Lines(120), setup, Heading());
    QCOMPARE(report.RowsPerPage(), rows);
    QCOMPARE(report.PageCount(), (120 + rows - 1) / rows);
    const auto [first, count] = report.LinesOn(report.PageCount() - 1);
    QCOMPARE(first + count, 120);
}

void TestParameterReport::pdfHoldsEveryLine() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    TempTree tree;
    PageSetup setup;
    setup.time = true;
    setup.comment = true;
    setup.commentText = QStringLiteral("Pump 3, after service");
    const ParameterReport report(Lines(120), setup, Heading());
    const QString pdf = tree.Path("table.pdf");
    QString error;
    QVERIFY2(report.WritePdf(pdf, &error), qPrintable(error));
    for (int page = 0; page < report.PageCount(); ++page) {
        const QString text = PdfText(pdf, page + 1);
        QVERIFY2(text.contains("QM40-2004") && text.contains("Pump 3, after service") &&
                     text.contains("2026/12/11 09:30") && text.contains("Set Val."),
                 qPrintable(text.left(400)));
        QVERIFY(!text.contains("Default")); // no shipment column
        const auto [first, count] = report.LinesOn(page);
        for (int i = first; i < first + count; ++i)
            QVERIFY2(text.contains(QStringLiteral("Function %1 ").arg(i)) &&
                         text.contains(QStringLiteral("%1.50").arg(i)),
                     qPrintable(QStringLiteral("line %1 not on page %2").arg(i).arg(page + 1)));
        QVERIFY(!text.contains(QStringLiteral("Function %1 ").arg(first + count)));
    }
    QVERIFY(PdfText(pdf, report.PageCount() + 1).isEmpty());

    setup.shipment = true;
    QVERIFY(ParameterReport(Lines(3), setup, Heading()).WritePdf(pdf, &error));
    QVERIFY(PdfText(pdf, 1).contains("Default"));
}

void TestParameterReport::pictures() {
    const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set VDK_SCREENSHOTS=DIR to leave a printed table there as parameter-report.pdf");
    PageSetup setup;
    setup.shipment = true;
    setup.valueColour = 0x0000C0;
    QVERIFY(ParameterReport(Lines(60), setup, Heading())
                .WritePdf(QDir(dir).filePath("parameter-report.pdf"), nullptr));
}

QTEST_MAIN(TestParameterReport)
#include "tst_ParameterReport.moc"
