#pragma once

// The table editor on a small inverter, driven by key sequences.
#include "DataFixture.h"
#include "base/ProgramFlags.h"
#include "editor/TableEditor.h"

using namespace vdk;
using PT = ParameterTable;

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
        editor.ReadOptionsFrom([this] { return options; });
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
    TableEditor::Options options;
    TableEditor editor{grid, f.table, f.values, f.messenger, flags};
};
