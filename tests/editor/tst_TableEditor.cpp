// The table as an editor, driven by key sequences as data: typed entry and
// its conversion, range check and rejects; Hex., Dec. and Shipment; undo and
// redo; copy; find; and the single-parameter transfers against the simulated
// inverter, where no failed exchange may change a stored value.
#include "DataFixture.h"
#include "SimLine.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "data/ParameterValue.h"
#include "editor/TableEditor.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"

#include <QTest>

using namespace vdk;
using PT = ParameterTable;

namespace {

// Rows 0..8, all normal. 0002's low limit is minus 0001's value; 0007's high
// limit is 0001's value; 0005 must not be written; 0006 is a signed 4-byte one.
const char* const kDefinitions = "0000,0,600,Maxfreq,F00,Hz,2,0,0,4000,0,0,#.#,10,-,0,1\r\n"
                                 "0001,0,300,Basefreq,F01,Hz,2,0,0,4000,0,0,#.#,10,-,0,1\r\n"
                                 "0002,0,0,Lower,F02,Hz,2,0,0,1000,-1,0001,#.#,10,-,0,0\r\n"
                                 "0003,0,0,Signed,F03,,2,1,0,32767,0,-32768,#,1,-,0,0\r\n"
                                 "0004,0,0,Unsigned,F04,,2,0,0,65535,0,0,#,1,-,0,0\r\n"
                                 "0005,0,7,Locked,F05,,2,0,0,99,0,0,#,1,-,1,0\r\n"
                                 "0006,0,-5,Wide,F06,,4,1,0,99999,0,-99999,#,1,-,0,0\r\n"
                                 "0007,0,5,Limited,F07,Hz,2,0,1,0001,0,0,#.#,10,-,0,0\r\n"
                                 "0008,0,605,Coarse,F08,,2,0,0,9999,0,0,#,10,-,0,0\r\n";

struct Editor {
    Editor() {
        f.tree.Write("dat/AB(1)/AB(Eng).inv", kDefinitions);
        f.tree.Write("dat/AB(1)/AB-1K.cap", "0006,-5\r\n");
        f.Load();
        editor.ResetTable();
    }
    // Characters are typed; ⏎ Enter, ⌫ Backspace, ⎋ Escape, ↓ the next row.
    void Keys(QStringView keys) {
        for (QChar c : keys) {
            if (c == u'⏎')
                editor.Enter();
            else if (c == u'⌫')
                editor.Backspace();
            else if (c == u'⎋')
                editor.EndEntry();
            else if (c == u'↓') {
                editor.EndEntry();
                ++editor.currentRow;
            } else
                editor.Type(c);
        }
    }
    QString Cell(int row, int column = PT::ValueCol) const {
        return grid.Rows()[row].cells[column];
    }
    QString& Value(int row) { return f.values.At(row, UPara::Value); }
    QString Mark(int row, UPara::Col col) const { return f.values.At(row, col); }
    QList<int> Messages() const { return f.dialogs.Numbers(); }
    static TableEditor::Selection Rows(int top, int bottom) {
        return {top, bottom, PT::ValueCol, PT::ValueCol};
    }

    DataFixture f;
    ParameterTable grid{f.table, f.values, f.messenger};
    ProgramFlags flags;
    TableEditor editor{grid, f.table, f.values, f.messenger, flags};
};

// The simulated inverter on the line, linked to the editor.
struct Line : SimLine {
    Line(Editor& e, vdk::Protocol protocol, const QByteArray& state,
         const QStringList& unknown = {}, double faultRate = 0)
        : SimLine(e.f.table, e.f.messenger, protocol, e.f.tree.Path("sim.txt"), state, unknown,
                  faultRate) {
        e.editor.SetLink(&link);
    }
};

// Whether the last command stopped at the communication check (message 4).
bool CheckFailed(Editor& e) {
    const bool failed = e.Messages().contains(4);
    e.f.dialogs.messages.clear();
    return failed;
}

} // namespace

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
    void selectedImport_data();
    void selectedImport();
    void failedImportKeepsTheValues();
    void markedExport();
    void typedExport();
    void failedTypedExportKeepsTheValue();
    void unsentValues();
    void noLink();
    void faultyLineNeverStoresAWrongValue_data();
    void faultyLineNeverStoresAWrongValue();
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
    e.editor.options.moveOnEnter = false;
    e.editor.currentRow = row;
    const QString initial = e.Value(row); // every value starts at its default
    e.Keys(keys);
    QCOMPARE(e.Value(row), value);
    QCOMPARE(e.Cell(row), cell);
    QCOMPARE(e.Messages(), messages);
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
    e.editor.options.moveOnEnter = false;
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
    e.editor.options.moveOnEnter = false;
    e.editor.currentRow = 0;
    e.Keys(u"⏎");
    QCOMPARE(e.editor.currentRow, 0);
}

// Enter without typing re-commits the shown value and leaves an undo record;
// a reject then must not paint a text saved by an earlier entry.
void TestTableEditor::rejectWithoutTypingKeepsTheCell() {
    Editor e;
    e.editor.options.moveOnEnter = false;
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
    e.editor.options.moveOnEnter = false;
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
    QCOMPARE(e.editor.UndoStore().size(), 1); // shipment leaves no record
}

void TestTableEditor::undoDepthAndOrder() {
    Editor e;
    e.editor.options.undoMax = 3;
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
    e.editor.options.moveOnEnter = false;
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
    e.editor.options.undoMax = 0;
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

void TestTableEditor::selectedImport_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::newRow("inverter") << Protocol::Inverter;
    QTest::newRow("modbus") << Protocol::Modbus;
}

// The words come back by width and sign: FFFF is -1 with a negative low
// limit and 65535 without; 4-byte values only in the inverter protocol.
void TestTableEditor::selectedImport() {
    QFETCH(Protocol, protocol);
    Editor e;
    Line line(e, protocol, "0000=700\n0003=-1\n0004=65535\n0006=-70000\n0007=250\n");
    e.f.values.At(6, UPara::SelectIndex) = "1";
    e.Value(0) = "1";
    e.f.values.At(0, UPara::WriteIndex) = "1";
    e.f.table.At(3, Flag) = "2";
    e.editor.currentRow = 0;
    e.editor.SelectedImport(Editor::Rows(0, 4));
    QVERIFY(e.Messages().isEmpty());
    QCOMPARE(e.Value(0), "700");
    QCOMPARE(e.Cell(0), "    70.0");
    QCOMPARE(e.Cell(0, PT::Changed), "M31");
    QCOMPARE(e.Mark(0, UPara::WriteIndex), "0");
    QCOMPARE(e.Value(3), "-1");
    QCOMPARE(e.f.table.At(3, Flag), "0"); // a successful transfer clears the mark
    QCOMPARE(e.Value(4), "65535");
    QCOMPARE(e.Value(6), protocol == Protocol::Inverter ? "-70000" : "-4464");
    QCOMPARE(e.Value(7), "5"); // not marked
    QCOMPARE(e.f.values.CountMarked(UPara::CommErrIndex), 0);
    QCOMPARE(e.f.values.CountMarked(UPara::OneSelectIndex), 0);
    QCOMPARE(e.editor.UndoStore().size(), 0);
}

// A failed read keeps the value and the cell and marks the row.
void TestTableEditor::failedImportKeepsTheValues() {
    Editor e;
    Line line(e, Protocol::Inverter, "0001=250\n0004=9\n", {"0001"});
    e.editor.currentRow = 1;
    e.Keys(u"35⏎");
    e.f.values.At(4, UPara::SelectIndex) = "1";
    e.editor.SelectedImport(Editor::Rows(1, 1));
    QVERIFY(e.Messages().isEmpty());
    QCOMPARE(e.Value(1), "350");
    QCOMPARE(e.Cell(1), "    35.0");
    QCOMPARE(e.Cell(1, PT::Changed), "M31");
    QCOMPARE(e.Mark(1, UPara::CommErrIndex), "1");
    QCOMPARE(e.grid.StyleOf(1, PT::ValueCol).text, CellStyle::Silver);
    QCOMPARE(e.Value(4), "9"); // the next marked row still comes in
    QCOMPARE(e.Mark(4, UPara::CommErrIndex), "0");
    QCOMPARE(e.editor.UndoStore().size(), 1);
}

void TestTableEditor::markedExport() {
    Editor e;
    Line line(e, Protocol::Inverter, "");
    e.Value(0) = "700";
    e.Value(4) = "65535";
    for (int row : {0, 4, 5})
        e.f.values.At(row, UPara::SelectIndex) = "1";
    e.f.values.At(0, UPara::WriteIndex) = "1";
    e.editor.SelectedExport(Editor::Rows(0, 0));
    QCOMPARE(e.Messages(), QList<int>{47});
    QCOMPARE(e.f.dialogs.messages.first().icon, MsgIcon::Stop);
    QCOMPARE(line.Ram("0000"), 700);
    QCOMPARE(line.Eeprom("0000"), 700);
    QCOMPARE(line.Ram("0004"), 65535);
    QCOMPARE(line.Ram("0005"), 7); // write-protected: never sent
    QCOMPARE(e.Mark(0, UPara::WriteIndex), "0");
    QCOMPARE(e.Cell(0), "    70.0");
    QCOMPARE(e.f.values.CountMarked(UPara::OneSelectIndex), 0);
    QCOMPARE(e.editor.UndoStore().size(), 0);

    // Without "Export to EEPROM" the value goes to RAM only.
    e.editor.options.eepromWrite = false;
    e.f.dialogs.messages.clear();
    e.grid.SelectClear();
    e.Value(1) = "310";
    e.editor.currentRow = 1;
    e.editor.SelectedExport(Editor::Rows(1, 1));
    QVERIFY(e.Messages().isEmpty());
    QCOMPARE(line.Ram("0001"), 310);
    QCOMPARE(line.Eeprom("0001"), 300);
}

void TestTableEditor::typedExport() {
    Editor e;
    Line line(e, Protocol::Modbus, "");
    e.Keys(u"65");
    e.editor.SelectedExport(Editor::Rows(0, 0));
    QVERIFY(e.Messages().isEmpty());
    QCOMPARE(line.Eeprom("0000"), 650);
    QCOMPARE(e.Value(0), "650");
    QCOMPARE(e.Cell(0), "    65.0");
    QCOMPARE(e.Cell(0, PT::Changed), "M31");
    QCOMPARE(e.Mark(0, UPara::WriteIndex), "0");
    QCOMPARE(e.editor.TypedCount(), 0);
    QCOMPARE(e.editor.UndoStore().size(), 1);
    QCOMPARE(e.editor.currentRow, 0); // an export does not move on

    e.Keys(u"500"); // beyond the limit: nothing is sent, the entry goes on
    e.editor.SelectedExport(Editor::Rows(0, 0));
    QCOMPARE(e.Messages(), QList<int>{42});
    QCOMPARE(line.Ram("0000"), 650);
    QCOMPARE(e.editor.TypedCount(), 3);
    QCOMPARE(e.Cell(0), "500");
    e.Keys(u"⎋");

    e.editor.currentRow = 5;
    e.Keys(u"8");
    e.editor.SelectedExport(Editor::Rows(5, 5));
    QCOMPARE(e.Messages(), (QList<int>{42, 47}));
    QCOMPARE(line.Ram("0005"), 7);
}

// A failed write keeps the stored value; the marks describe that value.
void TestTableEditor::failedTypedExportKeepsTheValue() {
    Editor e;
    Line line(e, Protocol::Inverter, "", {"0001"});
    e.editor.currentRow = 1;
    e.Keys(u"35");
    e.editor.SelectedExport(Editor::Rows(1, 1));
    QVERIFY(e.Messages().isEmpty());
    QCOMPARE(e.Value(1), "300");
    QCOMPARE(e.Cell(1), "    30.0");
    QCOMPARE(e.Cell(1, PT::Changed), "      ");
    QCOMPARE(e.Mark(1, UPara::ChangeIndex), "0");
    QCOMPARE(e.Mark(1, UPara::WriteIndex), "1");
    QCOMPARE(e.Mark(1, UPara::CommErrIndex), "1");
    QVERIFY(!e.editor.EditActive());
}

// Values the parameter cannot hold whole are never sent: the row fails.
void TestTableEditor::unsentValues() {
    Editor e;
    Line line(e, Protocol::Modbus, "");
    e.Value(6) = "70000"; // a 4-byte value on a 16-bit register
    e.Value(4) = "12.5";
    e.f.values.At(4, UPara::SelectIndex) = "1";
    e.f.values.At(6, UPara::SelectIndex) = "1";
    e.editor.currentRow = 6;
    const int before = line.port.RequestsSeen();
    e.editor.SelectedExport(Editor::Rows(6, 6));
    QCOMPARE(line.port.RequestsSeen(), before + 1); // the communication check only
    QCOMPARE(line.Ram("0006"), -5);
    QCOMPARE(e.Value(6), "70000");
    QCOMPARE(e.Mark(6, UPara::CommErrIndex), "1");
    QCOMPARE(e.Mark(4, UPara::CommErrIndex), "1");
    QCOMPARE(e.Mark(4, UPara::WriteIndex), "1");
}

void TestTableEditor::noLink() {
    Editor e;
    e.editor.SelectedImport(Editor::Rows(0, 0));
    e.editor.SelectedExport(Editor::Rows(0, 0));
    e.Keys(u"5");
    e.editor.SelectedExport(Editor::Rows(0, 0));
    QCOMPARE(e.Messages(), (QList<int>{4, 4, 4}));
    QCOMPARE(e.Cell(0), "5"); // the entry goes on
    QCOMPARE(e.f.values.CountMarked(UPara::CommErrIndex), 0);
    e.flags.MonitorBusy = true;
    e.editor.SelectedExport(Editor::Rows(0, 0)); // typed export waits for the monitor
    e.Keys(u"⎋");
    e.editor.SelectedImport(Editor::Rows(0, 0));
    QCOMPARE(e.Messages().size(), 3);
}

void TestTableEditor::faultyLineNeverStoresAWrongValue_data() {
    selectedImport_data();
}

// Dropped, late and corrupted replies at 5 % each: every row holds either the
// inverter's value or, marked as failed, the one it had.
void TestTableEditor::faultyLineNeverStoresAWrongValue() {
    QFETCH(Protocol, protocol);
    Editor e;
    Line line(e, protocol,
              "0000=700\n0001=310\n0002=-100\n0003=-2\n0004=40000\n0006=-70000\n0007=200\n"
              "0008=1234\n",
              {}, 0.05);
    const QStringList inverter{"700",
                               "310",
                               "-100",
                               "-2",
                               "40000",
                               "7",
                               protocol == Protocol::Inverter ? "-70000" : "-4464",
                               "200",
                               "1234"};
    int failures = 0;
    for (int round = 0; round < 12; ++round) {
        QStringList before;
        for (int row = 0; row < 9; ++row)
            before.append(e.Value(row));
        e.editor.SelectedImport(TableEditor::Selection{0, 8, 1, 7});
        if (CheckFailed(e))
            continue; // nothing was read
        for (int row = 0; row < 9; ++row) {
            const bool failed = e.Mark(row, UPara::CommErrIndex) == "1";
            failures += failed;
            QCOMPARE(e.Value(row), failed ? before[row] : inverter[row]);
        }
    }
    for (int row = 0; row < 9; ++row)
        e.Value(row) = QString::number(row + 20);
    for (int round = 0; round < 6; ++round) {
        e.editor.SelectedExport(TableEditor::Selection{0, 8, 1, 7});
        if (CheckFailed(e))
            continue;
        for (int row = 0; row < 9; ++row) {
            if (row == 5)
                continue; // write-protected
            const bool failed = e.Mark(row, UPara::CommErrIndex) == "1";
            failures += failed;
            QCOMPARE(e.Value(row), QString::number(row + 20));
            QCOMPARE(e.Mark(row, UPara::WriteIndex), failed ? "1" : "0");
            if (!failed)
                QCOMPARE(line.Eeprom(qPrintable(e.f.table.At(row, ComNo))), row + 20);
        }
    }
    QVERIFY(failures > 0);
}

QTEST_GUILESS_MAIN(TestTableEditor)
#include "tst_TableEditor.moc"
