// The parameter table on 2000 rows: BuildTable and ResolveLinkedLimits in each
// view, a view switch as the window does it, and a scroll through the whole
// table in the window (offscreen).
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_table
#include "BenchUtil.h"
#include "base/ProgramFlags.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "editor/ui/ParameterWindow.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"
#include "table/ParameterTable.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <QTextStream>

using namespace vdk;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);

    QStringList lines;
    for (int i = 0; i < ParaDat::kMaxParameters; ++i) {
        const QString number = QString::number(i, 16).toUpper().rightJustified(4, QLatin1Char('0'));
        const QString previous =
            QString::number(std::max(0, i - 1), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        // Every fifth parameter's limits follow the one before it; every tenth is quick.
        const bool linked = i % 5 == 1;
        lines.append(number + QStringLiteral(",0,100,\"Parameter %1\",F%1,Hz,2,0,").arg(i) +
                     (linked ? QStringLiteral("1,") + previous : QStringLiteral("0,4000")) +
                     (linked ? QStringLiteral(",-1,") + previous : QStringLiteral(",0,0")) +
                     QStringLiteral(",#.#,10,-,0,") +
                     (i % 10 == 0 ? QStringLiteral("1") : QStringLiteral("0")));
    }
    BenchSet set(lines);
    ParaDat& table = set.table;
    LanguageTexts& texts = set.texts;
    Messenger& messenger = set.messenger;
    UPara& values = set.values;
    for (int i = 0; i < values.Count(); i += 3)
        values.At(i, UPara::Value) = QStringLiteral("123");
    ParameterTable model(table, values, messenger);
    model.ResetTable();
    for (int i = 0; i < values.Count(); i += 7)
        values.At(i, UPara::SelectIndex) = QStringLiteral("1");
    const int runs = 21;
    const auto report = [&](const QString& view) {
        const double build = MedianMicros(runs, [&] { model.BuildTable(); });
        const double limits = MedianMicros(runs, [&] { model.ResolveLinkedLimits(); });
        out << QStringLiteral("  %1 %2 rows: BuildTable %3 ms, ResolveLinkedLimits %4 ms\n")
                   .arg(view, -8)
                   .arg(model.Rows().size(), 4)
                   .arg(build / 1000, 0, 'f', 2)
                   .arg(limits / 1000, 0, 'f', 2);
    };
    out << "2000 parameters\n";
    report(QStringLiteral("all"));
    model.ToggleChanged();
    report(QStringLiteral("changed"));
    model.ToggleChanged();
    model.ToggleQuick();
    report(QStringLiteral("quick"));
    model.ToggleQuick();
    model.Blind();
    report(QStringLiteral("blind"));
    model.AllParameters();

    ParameterWindow::Context context{QStringLiteral("GEN"),
                                     QStringLiteral("-1"),
                                     QStringLiteral("1"),
                                     QString(),
                                     QString(),
                                     200,
                                     16777215,
                                     14745599,
                                     {}};
    ProgramFlags flags;
    TableEditor editor(model, table, values, messenger, flags);
    ParameterWindow window(editor, messenger, texts, context);
    window.resize(900, 600);
    window.show();
    QApplication::processEvents();
    const double toggle = MedianMicros(runs, [&] {
        window.Run(ParameterWindow::Command::ChangedOnly);
        window.Grid()->viewport()->repaint();
    });
    out << QStringLiteral("  view switch in the window, repaint included: %1 ms (target < 16)\n")
               .arg(toggle / 1000, 0, 'f', 2);
    if (model.CurrentMode() != ParameterTable::Mode::All)
        window.Run(ParameterWindow::Command::ChangedOnly);

    QScrollBar* bar = window.Grid()->verticalScrollBar();
    int pages = 0;
    QElapsedTimer t;
    t.start();
    for (int v = 0; v <= bar->maximum(); v += bar->pageStep(), ++pages) {
        bar->setValue(v);
        window.Grid()->viewport()->repaint();
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    out << QStringLiteral("  scroll through %1 rows: %2 pages in %3 ms, %4 ms a page\n")
               .arg(window.Grid()->model()->rowCount())
               .arg(pages)
               .arg(ms, 0, 'f', 1)
               .arg(ms / std::max(1, pages), 0, 'f', 2);
    return 0;
}
