// The table as an editor, driven by key sequences as data: typed entry and
// its conversion, range check and rejects; Hex., Dec. and Shipment; undo and
// redo; copy; find.
#include "EditorFixture.h"
#include "data/ParameterValue.h"

#include <QTest>

using namespace vdk;

class TestTableEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typedEntries_data();
    void typedEntries();
    void typingKeepsTwelveCharacters();
    void decimalCommaRecommits();
    void enterMovesDown();
    void rejectWithoutTypingKeepsTheCell();
    void hexFromTheStoredValue();
    void decShowsTheSixteenBitPattern();
    void shipment();
    void undoDepthAndOrder();
    void redoClearedByANewEdit();
    void undoRedoUndo();
    void undoOfAHiddenParameter();
    void noUndoWithDepthZero();
    void copy_data();
    void copy();
    void find();
};

void TestTableEditor::typedEntries_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("value"); // stored raw value
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QList<int>>("messages");
    const QList<int> none;
    QTest::newRow("display units") << 0 << "60⏎"
                                   << "600"
                                   << "    60.0" << none;
    QTest::newRow("clamped high") << 0 << "500⏎"
                                  << "4000"
                                  << "   400.0" << QList<int>{42};
    QTest::newRow("equal to a limit") << 0 << "400⏎"
                                      << "4000"
                                      << "   400.0" << none;
    QTest::newRow("hexadecimal raw") << 0 << "h1F4⏎"
                                     << "500"
                                     << "h1F4" << none;
    QTest::newRow("h only first") << 0 << "1h⏎"
                                  << "10"
                                  << "     1.0" << none;
    QTest::newRow("backspace") << 0 << "65⌫1⏎"
                               << "610"
                               << "    61.0" << none;
    QTest::newRow("rounded to whole raw") << 0 << "60.06⏎"
                                          << "601"
                                          << "    60.1" << none;
    QTest::newRow("negated linked low") << 2 << "-40⏎"
                                        << "-300"
                                        << "   -30.0" << QList<int>{42};
    QTest::newRow("linked high") << 7 << "40⏎"
                                 << "300"
                                 << "    30.0" << QList<int>{42};
    QTest::newRow("signed pattern") << 3 << "hFFFFFFFF⏎"
                                    << "-1"
                                    << "hFFFFFFFF" << none;
    QTest::newRow("unsigned pattern") << 4 << "hFFFF⏎"
                                      << "65535"
                                      << "hFFFF" << none;
    QTest::newRow("too many hex digits") << 6 << "h123456789⏎"
                                         << "-5"
                                         << "      -5" << QList<int>{43};
    QTest::newRow("empty") << 0 << "5⌫⏎"
                           << "600"
                           << "    60.0" << QList<int>{41};
    QTest::newRow("h alone") << 0 << "h⏎"
                             << "600"
                             << "    60.0" << QList<int>{41};
    QTest::newRow("two points") << 0 << "1.2.3⏎"
                                << "600"
                                << "    60.0" << QList<int>{43};
    QTest::newRow("two minus") << 0 << "--5⏎"
                               << "600"
                               << "    60.0" << QList<int>{43};
    QTest::newRow("hex without h") << 0 << "A1⏎"
                                   << "600"
                                   << "    60.0" << QList<int>{43};
    QTest::newRow("escape") << 0 << "55⎋"
                            << "600"
                            << "    60.0" << none;
    QTest::newRow("comma without decimal comma") << 0 << "6,5⏎"
                                                 << "600"
                                                 << "    60.0" << QList<int>{43};
}

void TestTableEditor::typedEntries() {
    QFETCH(int, row);
    QFETCH(QString, keys);
    QFETCH(QString, value);
    QFETCH(QString, cell);
    QFETCH(QList<int>, messages);
    Editor e;
    e.options.moveOnEnter = false;
    e.editor.currentRow = row;
    const QString initial = e.Value(row); // every value starts at its default
    e.Keys(keys);
    QCOMPARE(e.Value(row), value);
    QCOMPARE(e.Cell(row), cell);
    QCOMPARE(e.Messages(), messages);
    // "Out of range" names the limit the value was set to, with its unit.
    if (messages == QList<int>{42})
        QCOMPARE(e.f.dialogs.messages.first().text,
                 "M42\n" + cell.trimmed() + ' ' + e.f.table.At(row, Unit));
    QVERIFY(!e.editor.EditActive());
    QCOMPARE(e.editor.TypedCount(), 0);
    const bool changed = value != initial;
    QCOMPARE(e.Mark(row, UPara::WriteIndex), changed ? "1" : "0");
    QCOMPARE(e.Cell(row, PT::Changed), changed ? "M31" : "      ");
    QCOMPARE(e.Mark(row, UPara::ChangeIndex), changed ? "1" : "0");
}

void TestTableEditor::typingKeepsTwelveCharacters() {
    Editor e;
    e.editor.currentRow = 6;
    e.Keys(u"-1234567890123");
    QCOMPARE(e.Cell(6), "-12345678901");
    QCOMPARE(e.editor.TypedCount(), 12);
    e.Keys(u"⎋");
    QCOMPARE(e.Cell(6), "      -5");
}

// The program takes its own display back in a decimal-comma language.
void TestTableEditor::decimalCommaRecommits() {
    Editor e;
    e.grid.decimalComma = true;
    e.options.moveOnEnter = false;
    e.Keys(u"60,5⏎");
    QCOMPARE(e.Value(0), "605");
    QCOMPARE(e.Cell(0), "    60,5");
    e.Keys(u"⏎");
    QCOMPARE(e.Value(0), "605");
    e.Keys(u"61.5⏎");
    QCOMPARE(e.Value(0), "615");
    QVERIFY(e.Messages().isEmpty());
}

void TestTableEditor::enterMovesDown() {
    Editor e;
    e.Keys(u"61⏎62⏎");
    QCOMPARE(e.editor.currentRow, 2);
    QCOMPARE(e.editor.TakeScroll(), TableEditor::Scroll::Visible);
    QCOMPARE(e.Value(1), "620");
    e.editor.currentRow = 8; // the last row stays
    e.Keys(u"7⏎");
    QCOMPARE(e.editor.currentRow, 8);
    e.options.moveOnEnter = false;
    e.editor.currentRow = 0;
    e.Keys(u"⏎");
    QCOMPARE(e.editor.currentRow, 0);
}

// Enter without typing re-commits the shown value and leaves an undo record;
// a reject then must not paint a text saved by an earlier entry.
void TestTableEditor::rejectWithoutTypingKeepsTheCell() {
    Editor e;
    e.options.moveOnEnter = false;
    e.Keys(u"61⏎");
    e.Keys(u"⏎");
    QCOMPARE(e.editor.UndoStore().size(), 2);
    QCOMPARE(e.Value(0), "610");
    e.Keys(u"9⎋↓");
    e.grid.SetCell(1, PT::ValueCol, "x");
    e.Keys(u"⏎");
    QCOMPARE(e.Messages(), QList<int>{43});
    QCOMPARE(e.Cell(1), "x");
    QCOMPARE(e.Value(1), "300");
}

// 605 with scale 10 and no decimals shows "60": the hexadecimal form is made
// from the stored 605 (h25D), not from the rounded text (h258).
void TestTableEditor::hexFromTheStoredValue() {
    Editor e;
    QCOMPARE(e.Cell(8), "      60");
    e.f.values.At(0, UPara::SelectIndex) = "1";
    e.editor.currentRow = 8;
    e.editor.Hex(Editor::Rows(8, 8));
    QCOMPARE(e.Cell(8), "h25D");
    QCOMPARE(e.Cell(0), "h258");
    QCOMPARE(e.Mark(8, UPara::HexIndex), "1");
    QCOMPARE(e.Value(8), "605");
    QCOMPARE(e.f.values.CountMarked(UPara::OneSelectIndex), 0);
    e.editor.Dec(Editor::Rows(8, 8));
    QCOMPARE(e.Cell(8), "      60");
    QCOMPARE(e.Cell(0), "    60.0");
    QCOMPARE(e.Mark(0, UPara::HexIndex), "0");
}

void TestTableEditor::decShowsTheSixteenBitPattern() {
    Editor e;
    e.Value(3) = "65535";
    e.editor.currentRow = 3;
    e.editor.Hex(Editor::Rows(3, 3));
    QCOMPARE(e.Cell(3), "hFFFF");
    e.editor.Dec(Editor::Rows(3, 3));
    QCOMPARE(e.Cell(3), "   65535");
}

void TestTableEditor::shipment() {
    Editor e;
    e.options.moveOnEnter = false;
    e.Keys(u"h10⏎"); // row 0 holds 16 in hexadecimal
    e.f.values.At(0, UPara::WriteIndex) = "0";
    e.editor.Shipment(Editor::Rows(0, 1)); // row 1 holds its default
    QCOMPARE(e.Value(0), "600");
    QCOMPARE(e.Cell(0), "    60.0");
    QCOMPARE(e.Mark(0, UPara::HexIndex), "0");
    QCOMPARE(e.Mark(0, UPara::WriteIndex), "1");
    QCOMPARE(e.Mark(0, UPara::ChangeIndex), "0");
    QCOMPARE(e.Cell(0, PT::Changed), "      ");
    QCOMPARE(e.Mark(1, UPara::WriteIndex), "0");
    QCOMPARE(e.Mark(1, UPara::ChangeIndex), "0");
    // Shipment is one undo step, over every row it changed.
    e.editor.currentRow = 0;
    e.Keys(u"7⏎↓5⏎");
    const qsizetype before = e.editor.UndoStore().size();
    e.editor.Shipment(Editor::Rows(0, 1));
    QCOMPARE(e.Value(0), "600");
    QCOMPARE(e.Value(1), "300");
    QCOMPARE(e.editor.UndoStore().size(), before + 2);
    e.editor.Undo();
    QCOMPARE(e.Value(0), "70");
    QCOMPARE(e.Value(1), "50");
    QCOMPARE(e.Cell(1), "     5.0");
    QCOMPARE(e.editor.UndoStore().size(), before);
    e.editor.Redo();
    QCOMPARE(e.Value(0), "600");
    QCOMPARE(e.Value(1), "300");
    QVERIFY(!e.editor.CanRedo());
}

void TestTableEditor::undoDepthAndOrder() {
    Editor e;
    e.options.undoMax = 3;
    e.Keys(u"11⏎12⏎13⏎14⏎"); // rows 0..3
    QCOMPARE(e.editor.UndoStore().size(), 3);
    e.editor.Undo();
    QCOMPARE(e.Value(3), "0");
    QCOMPARE(e.editor.currentRow, 3);
    QCOMPARE(e.editor.TakeScroll(), TableEditor::Scroll::TopWhenHidden);
    e.editor.Undo();
    QCOMPARE(e.Value(2), "0");
    e.editor.Undo();
    QCOMPARE(e.Value(1), "300");
    QCOMPARE(e.Cell(1), "    30.0");
    QCOMPARE(e.Cell(1, PT::Changed), "      ");
    QCOMPARE(e.Value(0), "110"); // beyond the depth
    QVERIFY(!e.editor.CanUndo());
    QVERIFY(e.editor.CanRedo());
    QCOMPARE(e.editor.RedoStore().size(), 3);
}

void TestTableEditor::redoClearedByANewEdit() {
    Editor e;
    e.Keys(u"11⏎12⏎");
    e.editor.Undo();
    QVERIFY(e.editor.CanRedo());
    e.editor.currentRow = 4;
    e.Keys(u"9⏎");
    QVERIFY(!e.editor.CanRedo());
    QCOMPARE(e.editor.UndoStore().size(), 2);
}

void TestTableEditor::undoRedoUndo() {
    Editor e;
    e.Keys(u"11⏎12⏎");
    e.editor.Undo();
    e.editor.Undo();
    QCOMPARE(e.Value(0), "600");
    e.editor.Redo();
    QCOMPARE(e.Value(0), "110");
    QCOMPARE(e.Value(1), "300");
    e.editor.Undo();
    QCOMPARE(e.Value(0), "600");
    e.editor.Redo();
    QCOMPARE(e.Value(0), "110");
    QCOMPARE(e.Cell(0), "    11.0");
    QCOMPARE(e.Cell(0, PT::Changed), "M31");
    e.editor.Redo();
    QCOMPARE(e.Value(1), "120");
    QVERIFY(!e.editor.CanRedo());
}

// An undone parameter that the filtered view does not show changes in the
// tables only: no other row is painted, the current row stays.
void TestTableEditor::undoOfAHiddenParameter() {
    Editor e;
    e.options.moveOnEnter = false;
    e.editor.currentRow = 4;
    e.Keys(u"9⏎");
    QVERIFY(e.grid.ToggleChanged()); // 0004 is the only changed row
    e.editor.currentRow = 0;
    e.Keys(u"h5⏎⏎");
    QVERIFY(e.grid.ToggleChanged());
    e.grid.ToggleQuick(); // rows 0000, 0001
    e.editor.currentRow = 1;
    const PT::Cells before = e.grid.Rows()[1].cells;
    e.editor.Undo();
    e.editor.Undo();
    QCOMPARE(e.Value(4), "9");
    QCOMPARE(e.editor.currentRow, 1);
    QCOMPARE(e.grid.Rows()[1].cells, before);
    QCOMPARE(e.Mark(4, UPara::ChangeIndex), "1");
}

void TestTableEditor::noUndoWithDepthZero() {
    Editor e;
    e.options.undoMax = 0;
    e.Keys(u"11⏎");
    QVERIFY(!e.editor.CanUndo());
    e.editor.Undo();
    QCOMPARE(e.Value(0), "110");
}

void TestTableEditor::copy_data() {
    QTest::addColumn<bool>("quick");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all") << false
                         << "M22\tM23\tM24\tM26\r\nF01\t0001\tBasefreq\t    30.0\r\n"
                            "F02\t0002\tLower\t     0.0\r\n";
    QTest::newRow("quick") << true << "M22\tM23\tM24\tM26\r\nF01\t0001\tBasefreq\t    30.0\r\n";
}

void TestTableEditor::copy() {
    QFETCH(bool, quick);
    QFETCH(QString, expected);
    Editor e;
    if (quick)
        e.grid.ToggleQuick();
    QCOMPARE(e.editor.CopySelection({1, 2, 1, 3}), expected);
}

void TestTableEditor::find() {
    Editor e;
    QCOMPARE(e.editor.OpenFind({4, 4, 1, 1}), "0004");
    QVERIFY(e.editor.FindNext("0004", false, false));
    QCOMPARE(e.editor.currentRow, 4);
    QCOMPARE(e.editor.TakeScroll(), TableEditor::Scroll::Top);
    QVERIFY(!e.editor.FindNext("0004", false, false)); // no further occurrence
    QVERIFY(!e.editor.FindNext("0000", false, false)); // still behind it
    QCOMPARE(e.Messages(), (QList<int>{46, 46}));
    QCOMPARE(e.f.dialogs.messages.last().icon, MsgIcon::Stop);
    e.editor.OpenFind({});
    QVERIFY(e.editor.FindNext("freq", false, false));
    QCOMPARE(e.editor.currentRow, 0);
    QVERIFY(e.editor.FindNext("freq", false, false));
    QCOMPARE(e.editor.currentRow, 1);
    e.editor.OpenFind({});
    QVERIFY(!e.editor.FindNext("Freq", true, false));
    e.editor.OpenFind({});
    QVERIFY(!e.editor.FindNext("000", false, true)); // whole words only
    QVERIFY(e.editor.FindNext("Lower", true, true));
    QCOMPARE(e.editor.currentRow, 2);
}

QTEST_GUILESS_MAIN(TestTableEditor)
#include "tst_TableEditor.moc"
