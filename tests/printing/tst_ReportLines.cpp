// The printed table's lines: the parameters of the table's view, the value
// in decimal also where the table shows hexadecimal, the shipment value
// through its reference, and the note of a changed parameter.
#include "DataFixture.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "printing/ReportLines.h"
#include "table/ParameterTable.h"

#include <QTest>

using namespace vdk;

class TestReportLines : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesOfTheView();
};

void TestReportLines::linesOfTheView() {
    DataFixture f;
    f.Load();
    ParameterTable view(f.table, f.values, f.messenger);
    view.ResetTable();
    f.values.At(0, UPara::Value) = "31";
    f.values.At(0, UPara::HexIndex) = "1";
    f.values.At(0, UPara::ChangeIndex) = "1";
    view.BuildTable();
    QList<ReportLine> lines = ReportLines(view, f.table, f.values, true, "changed");
    QCOMPARE(lines.size(), view.Rows().size());
    const ReportLine& first = lines.first();
    QCOMPARE(first.comNo, QStringLiteral("0000"));
    QCOMPARE(first.title, QStringLiteral("f00"));
    QCOMPARE(view.Rows().first().cells[ParameterTable::ValueCol].trimmed(), QStringLiteral("h1F"));
    QCOMPARE(first.value.trimmed(), QStringLiteral("3,1")); // decimal, in display units
    QCOMPARE(first.notes, QStringLiteral("changed"));
    // 0001 takes the default of 0000, which the capacity file sets to 99.
    QCOMPARE(lines[1].shipment.trimmed(), QStringLiteral("9,9"));
    QCOMPARE(lines[1].notes, QStringLiteral("      "));

    const qsizetype all = lines.size();
    view.ToggleQuick();
    lines = ReportLines(view, f.table, f.values, false, "changed");
    QVERIFY(lines.size() < all);
    for (qsizetype i = 0; i < lines.size(); ++i)
        QCOMPARE(lines[i].comNo, view.Rows()[i].cells[ParameterTable::ComNoCol]);
}

QTEST_GUILESS_MAIN(TestReportLines)
#include "tst_ReportLines.moc"
