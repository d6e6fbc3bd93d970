// The parameter table's rules without a window: linked limits,
// the display modes and their rows, select and blind marks, row mapping, the
// paint state of cells, column widths, drops, and the CSV table.
#include "DataFixture.h"
#include "table/CsvTable.h"
#include "table/ParameterTable.h"

#include <QTest>

using namespace vdk;
using PT = ParameterTable;

namespace {

// The fixture's rows: 0000 0001 0002 F003 F004 0900 (normal) and FB91
// (maintenance). 0000 and 0001 are quick rows.
struct Table {
    Table() {
        f.Load();
        table.ResetTable();
    }
    QStringList Numbers() const {
        QStringList numbers;
        for (const PT::Row& row : table.Rows())
            numbers.append(row.cells[PT::ComNoCol]);
        return numbers;
    }
    DataFixture f;
    ParameterTable table{f.table, f.values, f.messenger};
};

// A small RFC 4180 reader, to read the CSV the way a spreadsheet does.
QList<QStringList> ReadCsv(const QString& text, QChar separator) {
    QList<QStringList> rows{{}};
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                cell += c, ++i;
            else if (c == '"')
                quoted = false;
            else
                cell += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            rows.last().append(cell);
            cell.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.last().append(cell);
            cell.clear();
            rows.append(QStringList());
            ++i;
        } else {
            cell += c;
        }
    }
    rows.removeLast(); // the last line ends with CR LF
    return rows;
}

} // namespace

class TestParameterTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void columnWidths();
    void rowsOfTheAllView();
    void views_data();
    void views();
    void viewsCombineWithBlind();
    void modesThatCannotBeEntered_data();
    void modesThatCannotBeEntered();
    void linkedLimitsFollowTheirParameters();
    void selectMarks();
    void gridRowOfInAFilteredView();
    void resetKeepsChangedMarksOfHiddenRows();
    void cellStyles_data();
    void cellStyles();
    void drops_data();
    void drops();
    void csvReadsBackCellByCell_data();
    void csvReadsBackCellByCell();
};

void TestParameterTable::columnWidths() {
    QCOMPARE(PT::ColumnWidths(1000), (QList<int>{88, 97, 354, 88, 88, 88, 88, 94}));
}

void TestParameterTable::rowsOfTheAllView() {
    Table t;
    QCOMPARE(t.Numbers(), (QStringList{"0000", "0001", "0002", "F003", "F004", "0900"}));
    const PT::Row& row = t.table.Rows()[0];
    QCOMPARE(row.cells[PT::Title], QStringLiteral("F00"));
    QCOMPARE(row.cells[PT::Function], QStringLiteral("Maxfreq"));
    QCOMPARE(row.cells[PT::ValueCol], QStringLiteral("     9.9")); // 99 / 10
    QCOMPARE(row.cells[PT::HighCol], QStringLiteral("    40.0"));
    QCOMPARE(row.cells[PT::UnitCol], QStringLiteral("Hz"));
    QCOMPARE(row.cells[PT::Changed], QStringLiteral("      "));
    QCOMPARE(t.table.Header(), (QStringList{"M22", "M23", "M24", "M26", "M27", "M28", "M29", ""}));
    QCOMPARE(t.table.FindText().first(), QStringLiteral("0000,Maxfreq"));
    t.table.maintenance = true;
    t.table.BuildTable();
    QCOMPARE(t.table.Rows().size(), 7);
    // An empty value shows as 0 in its format.
    t.f.values.At(3, UPara::Value).clear();
    t.table.BuildTable();
    QCOMPARE(t.table.Rows()[3].cells[PT::ValueCol], QStringLiteral("    0.00"));
}

void TestParameterTable::views_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("changed only") << "changed" << QStringList{"0001", "F004"};
    QTest::newRow("quick") << "quick" << QStringList{"0000", "0001"};
    QTest::newRow("blind hides the selected") << "blind" << QStringList{"0000", "F003", "0900"};
    QTest::newRow("all parameters after blind")
        << "all" << QStringList{"0000", "0001", "0002", "F003", "F004", "0900"};
}

void TestParameterTable::views() {
    QFETCH(QString, mode);
    QFETCH(QStringList, rows);
    Table t;
    t.f.values.At(1, UPara::Value) = "50";
    t.f.values.At(4, UPara::Value) = "6";
    t.table.BuildTable();
    t.table.Select(1, 2, 3, 3); // 0001, 0002
    t.table.Select(4, 4, 0, 7); // F004
    if (mode == "changed") {
        QVERIFY(t.table.ToggleChanged());
        QVERIFY(!t.table.MenuState().quickEnabled && !t.table.MenuState().findEnabled);
        QVERIFY(t.table.MenuState().allEnabled);
    } else if (mode == "quick") {
        t.table.ToggleQuick();
        QVERIFY(!t.table.MenuState().selectEnabled && !t.table.MenuState().blindEnabled);
    } else {
        QVERIFY(t.table.Blind());
        QVERIFY(t.f.values.BlindMode);
        QCOMPARE(t.f.values.BlindCount, 3);
        QVERIFY(t.table.MenuState().blindChecked && !t.table.MenuState().changedEnabled);
        if (mode == "all") {
            t.table.AllParameters();
            QCOMPARE(t.f.values.CountMarked(UPara::BlindIndex), 0);
            QCOMPARE(t.f.values.BlindCount, 0);
            QVERIFY(!t.f.values.BlindMode && !t.table.MenuState().allEnabled);
        }
    }
    QCOMPARE(t.Numbers(), rows);
    if (mode == "blind" || mode == "all") // these views rebuild the find text
        QCOMPARE(t.table.FindText().size(), t.table.Rows().size());
}

// A set opened in blind mode: "'Changed' Only" and "Quick" filter within the
// rows blind mode shows, never bringing a hidden row back.
void TestParameterTable::viewsCombineWithBlind() {
    Table t;
    t.f.values.At(0, UPara::Value) = "50"; // 0000: quick, changed, hidden
    t.f.values.At(1, UPara::Value) = "50"; // 0001: quick, changed
    t.f.values.At(4, UPara::Value) = "6";  // F004: changed
    t.f.values.BlindMode = true;
    t.f.values.SetMark(0, UPara::BlindIndex, true);
    t.table.ResetTable();
    QCOMPARE(t.Numbers(), (QStringList{"0001", "0002", "F003", "F004", "0900"}));
    QVERIFY(t.table.ToggleChanged());
    QCOMPARE(t.Numbers(), (QStringList{"0001", "F004"}));
    QVERIFY(t.table.ToggleChanged());
    t.table.ToggleQuick();
    QCOMPARE(t.Numbers(), QStringList{"0001"});
}

void TestParameterTable::modesThatCannotBeEntered_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("message");
    QTest::newRow("changed with nothing changed") << "changed" << 44;
    QTest::newRow("blind with nothing selected") << "blind" << 45;
    QTest::newRow("blind with everything selected") << "all" << 48;
}

void TestParameterTable::modesThatCannotBeEntered() {
    QFETCH(QString, mode);
    QFETCH(int, message);
    Table t;
    if (mode == "all")
        t.table.Select(0, 5, 3, 3);
    const bool entered = mode == "changed" ? t.table.ToggleChanged() : t.table.Blind();
    QVERIFY(!entered);
    QCOMPARE(t.f.dialogs.Numbers(), QList<int>{message});
    QCOMPARE(t.f.dialogs.messages.first().icon, MsgIcon::Exclamation);
    QCOMPARE(t.f.values.CountMarked(UPara::BlindIndex), 0);
    QCOMPARE(t.table.CurrentMode(), PT::Mode::All);
    QCOMPARE(t.table.Rows().size(), 6);
}

void TestParameterTable::linkedLimitsFollowTheirParameters() {
    Table t;
    // 0001's high limit is 0000's value; 0002's low limit is 0000's value negated.
    QCOMPARE(t.f.values.At(1, UPara::HValue), QStringLiteral("99"));
    QCOMPARE(t.f.values.At(2, UPara::LValue), QStringLiteral("-99"));
    t.f.values.At(0, UPara::Value) = "50";
    t.table.ResolveLinkedLimits();
    QCOMPARE(t.f.values.At(1, UPara::HValue), QStringLiteral("50"));
    QCOMPARE(t.f.values.At(2, UPara::LValue), QStringLiteral("-50"));
    QCOMPARE(t.table.Rows()[2].cells[PT::LowCol], QStringLiteral("    -5.0"));
    QCOMPARE(t.table.Rows()[1].cells[PT::HighCol], QStringLiteral("     5.0"));
}

void TestParameterTable::selectMarks() {
    Table t;
    t.table.Select(0, 1, 4, 7); // does not take in the value column
    QCOMPARE(t.f.values.CountMarked(UPara::SelectIndex), 0);
    t.table.Select(0, 1, 2, 3);
    QCOMPARE(t.f.values.CountMarked(UPara::SelectIndex), 2);
    t.table.Select(1, 1, 3, 3); // a second Select takes the mark away
    QCOMPARE(t.f.values.At(1, UPara::SelectIndex), QStringLiteral("0"));
    t.table.SelectClear();
    QCOMPARE(t.f.values.CountMarked(UPara::SelectIndex), 0);
    t.table.MarkCurrentSelection(2, 3, 5);
    QCOMPARE(t.f.values.CountMarked(UPara::OneSelectIndex), 3);
}

void TestParameterTable::gridRowOfInAFilteredView() {
    Table t;
    t.table.ToggleQuick();
    t.table.RestartGridSearch();
    QCOMPARE(t.table.GridRowOf(1), 1);
    QCOMPARE(t.table.GridRowOf(0), 0); // the search goes on from the last answer: not found
    t.table.RestartGridSearch();
    QCOMPARE(t.table.GridRowOf(0), 0);
    QCOMPARE(t.table.GridRowOf(4), 4); // not shown: the parameter itself
}

void TestParameterTable::resetKeepsChangedMarksOfHiddenRows() {
    Table t;
    t.f.values.At(6, UPara::Value) = "12"; // FB91, a maintenance row the table does not show
    t.f.values.At(6, UPara::ChangeIndex) = "1";
    t.table.ResetTable();
    QCOMPARE(t.f.values.At(6, UPara::ChangeIndex), QStringLiteral("1"));
}

void TestParameterTable::cellStyles_data() {
    QTest::addColumn<QString>("mark"); // a UPara mark set on 0000
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("background");
    QTest::addColumn<int>("text");
    QTest::addColumn<bool>("bold");
    QTest::newRow("title column is fixed")
        << "" << 0 << int(CellStyle::Fixed) << int(CellStyle::Normal) << false;
    QTest::newRow("other columns")
        << "" << 2 << int(CellStyle::Other) << int(CellStyle::Normal) << false;
    QTest::newRow("value column") << "" << 3 << int(CellStyle::Value) << int(CellStyle::Normal)
                                  << false;
    QTest::newRow("selected value")
        << "select" << 3 << int(CellStyle::Selected) << int(CellStyle::White) << false;
    QTest::newRow("unwritten value is bold")
        << "write" << 3 << int(CellStyle::Value) << int(CellStyle::Normal) << true;
    QTest::newRow("failed transfer is silver")
        << "commerr" << 3 << int(CellStyle::Value) << int(CellStyle::Silver) << false;
    QTest::newRow("Flag 1 is red")
        << "flag1" << 5 << int(CellStyle::Other) << int(CellStyle::Red) << false;
    QTest::newRow("Flag 2 is silver")
        << "flag2" << 1 << int(CellStyle::Other) << int(CellStyle::Silver) << false;
}

void TestParameterTable::cellStyles() {
    QFETCH(QString, mark);
    QFETCH(int, column);
    QFETCH(int, background);
    QFETCH(int, text);
    QFETCH(bool, bold);
    Table t;
    if (mark == "select")
        t.f.values.At(0, UPara::SelectIndex) = "1";
    if (mark == "write")
        t.f.values.At(0, UPara::WriteIndex) = "1";
    if (mark == "commerr")
        t.f.values.At(0, UPara::CommErrIndex) = "1";
    if (mark.startsWith("flag"))
        t.f.table.At(0, Flag) = mark.right(1);
    const CellStyle s = t.table.StyleOf(0, column);
    QCOMPARE(int(s.background), background);
    QCOMPARE(int(s.text), text);
    QCOMPARE(s.bold, bold);
}

void TestParameterTable::drops_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("message");
    QTest::newRow(".vdk") << QStringList{"/x/a.vdk"} << 0;
    QTest::newRow(".VDK") << QStringList{"/x/A.VDK"} << 0;
    QTest::newRow(".dat") << QStringList{"/x/a.dat"} << 0;
    QTest::newRow(".txt") << QStringList{"/x/a.txt"} << 68;
    QTest::newRow("two files") << QStringList{"/x/a.vdk", "/x/b.vdk"} << 80;
}

void TestParameterTable::drops() {
    QFETCH(QStringList, files);
    QFETCH(int, message);
    const DropCheck check = CheckDrop(files);
    QCOMPARE(check.message, message);
    QCOMPARE(check.file, message ? QString() : files.first());
}

void TestParameterTable::csvReadsBackCellByCell_data() {
    QTest::addColumn<bool>("comma");
    QTest::newRow("comma separated") << false;
    QTest::newRow("semicolon with decimal comma") << true;
}

void TestParameterTable::csvReadsBackCellByCell() {
    QFETCH(bool, comma);
    Table t;
    t.table.decimalComma = comma;
    t.f.table.At(2, FName) = "Boost, \"manual\"; low";
    t.f.values.At(1, UPara::Value) = "55";
    t.table.ResetTable();
    QVERIFY(t.table.ToggleChanged());
    QString error;
    const QString path = t.f.tree.Path("view.csv");
    QVERIFY(WriteCsvTable(path, t.table, comma, &error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = ReadCsv(QString::fromUtf8(file.readAll()), comma ? ';' : ',');
    QCOMPARE(rows.size(), t.table.Rows().size() + 1);
    QCOMPARE(rows.first(), t.table.Header());
    for (int k = 0; k < t.table.Rows().size(); ++k) {
        const PT::Cells& cells = t.table.Rows()[k].cells;
        QCOMPARE(rows[k + 1], QStringList(cells.begin(), cells.end()));
    }
    QCOMPARE(CsvLine({"a", "b,c", "d\"e"}, ','), QStringLiteral("a,\"b,c\",\"d\"\"e\""));
}

QTEST_GUILESS_MAIN(TestParameterTable)
#include "tst_ParameterTable.moc"
