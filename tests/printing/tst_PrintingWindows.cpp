// The page setup dialog and the preview window: a field out of range is
// corrected and keeps the dialog open, a valid set-up is taken on closing;
// the preview shows the report's pages and, without a printer, prints them
// to a PDF file.
#include "DataFixture.h"
#include "printing/ui/PageSetupDialog.h"
#include "printing/ui/ParameterReport.h"
#include "printing/ui/PrintPreviewWindow.h"

#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>

using namespace vdk;

class TestPrintingWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pageSetupClosesOnlyWhenValid();
    void previewShowsAndPrintsThePages();
};

void TestPrintingWindows::pageSetupClosesOnlyWhenValid() {
    DataFixture f;
    PageSetup setup;
    PageSetupDialog dialog(setup, f.messenger);
    dialog.show();
    dialog.MarginField(1)->setText("-1");
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(f.dialogs.Numbers(), QList<int>{42});
    QCOMPARE(dialog.MarginField(1)->text(), QStringLiteral("0"));
    QCOMPARE(setup.bottom, QStringLiteral("10")); // nothing taken yet

    dialog.MarginField(0)->setText("12.5");
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(setup.top, QStringLiteral("12.5"));
    QCOMPARE(setup.bottom, QStringLiteral("0"));
}

void TestPrintingWindows::previewShowsAndPrintsThePages() {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        QSKIP("a printer is installed: Print would open the print dialog");
    DataFixture f;
    QList<ReportLine> lines;
    for (int i = 0; i < 100; ++i)
        lines.append({"f", QString::number(i), "Function", "1", "2", "0", "9", "Hz", ""});
    const ParameterReport report(lines, PageSetup(), {});
    PrintPreviewWindow preview(report, f.messenger, f.tree.Path());
    preview.show();
    QTRY_COMPARE(preview.Preview()->pageCount(), report.PageCount());
    QCOMPARE(report.PageCount(), 3);

    f.dialogs.files.enqueue(f.tree.Path("table"));
    preview.PrintButton()->click();
    QCOMPARE(f.dialogs.fileRequests.last().directory, f.tree.Path());
    QFile pdf(f.tree.Path("table.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
}

QTEST_MAIN(TestPrintingWindows)
#include "tst_PrintingWindows.moc"
