// The selected-parameter transfers (F3 read, F2 write) of the table editor
// against the simulated inverter, where no failed exchange may change a
// stored value.
#include "../editor/EditorFixture.h"
#include "SimLine.h"
#include "data/ParameterValue.h"
#include "transfer/SelectedTransfer.h"

#include <QTest>

using namespace vdk;

namespace {

// The simulated inverter on the line, linked to the editor.
struct Line : SimLine {
    Line(Editor& e, vdk::Protocol protocol, const QByteArray& state,
         const QStringList& unknown = {}, double faultRate = 0)
        : SimLine(e.f.table, e.f.messenger, protocol, e.f.tree.Path("sim.txt"), state, unknown,
                  faultRate),
          transfer(e.f.table, e.f.values, link) {
        e.editor.SetLink(&transfer);
    }
    SelectedTransfer transfer;
};

// Whether the last command stopped at the communication check (message 4).
bool CheckFailed(Editor& e) {
    const bool failed = e.Messages().contains(4);
    e.f.dialogs.messages.clear();
    return failed;
}

} // namespace

class TestSelectedTransfer : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

void TestSelectedTransfer::selectedImport_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::newRow("inverter") << Protocol::Inverter;
    QTest::newRow("modbus") << Protocol::Modbus;
}

// The words come back by width and sign: FFFF is -1 with a negative low
// limit and 65535 without; 4-byte values only in the inverter protocol.
void TestSelectedTransfer::selectedImport() {
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
    // The import is one undo step over the values it changed.
    QCOMPARE(e.editor.UndoStore().size(), 4);
    e.editor.Undo();
    QCOMPARE(e.Value(0), "1");
    QCOMPARE(e.Value(3), "0");
    QCOMPARE(e.Value(6), "-5");
    QVERIFY(!e.editor.CanUndo());
}

// A failed read keeps the value and the cell and marks the row.
void TestSelectedTransfer::failedImportKeepsTheValues() {
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
    QCOMPARE(e.Mark(1, UPara::WriteIndex), "1"); // 35 was typed, never written
    QCOMPARE(e.grid.StyleOf(1, PT::ValueCol).text, CellStyle::Silver);
    QCOMPARE(e.Value(4), "9"); // the next marked row still comes in
    QCOMPARE(e.Mark(4, UPara::CommErrIndex), "0");
    QCOMPARE(e.Mark(4, UPara::WriteIndex), "0");
    QCOMPARE(e.editor.UndoStore().size(), 2); // the typed 35, and 0004 read
}

void TestSelectedTransfer::markedExport() {
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
    e.options.eepromWrite = false;
    e.f.dialogs.messages.clear();
    e.grid.SelectClear();
    e.Value(1) = "310";
    e.editor.currentRow = 1;
    e.editor.SelectedExport(Editor::Rows(1, 1));
    QVERIFY(e.Messages().isEmpty());
    QCOMPARE(line.Ram("0001"), 310);
    QCOMPARE(line.Eeprom("0001"), 300);
}

void TestSelectedTransfer::typedExport() {
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
void TestSelectedTransfer::failedTypedExportKeepsTheValue() {
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
void TestSelectedTransfer::unsentValues() {
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

void TestSelectedTransfer::noLink() {
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

void TestSelectedTransfer::faultyLineNeverStoresAWrongValue_data() {
    selectedImport_data();
}

// Dropped, late and corrupted replies at 5 % each: every row holds either the
// inverter's value or, marked as failed, the one it had.
void TestSelectedTransfer::faultyLineNeverStoresAWrongValue() {
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

QTEST_GUILESS_MAIN(TestSelectedTransfer)
#include "tst_SelectedTransfer.moc"
