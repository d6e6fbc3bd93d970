// The parameter table window: what exists only in the widget (menu states,
// column widths on resize, file drops, the help window). With
// VDK_SCREENSHOTS=DIR it also saves pictures of each view in both languages.
#include "../../sim/SimTables.h"
#include "DataFixture.h"
#include "VirtualClock.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "editor/ui/FindDialog.h"
#include "editor/ui/ParameterWindow.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"
#include "transfer/SelectedTransfer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

using namespace vdk;
using Command = ParameterWindow::Command;

namespace {

struct Window {
    explicit Window(int quickCount = 2) {
        f.Load();
        context.typeForm = "AB";
        context.capacity = "-1K";
        context.cpuVer = "1";
        context.quickCount = quickCount;
        context.paraHelpFile = f.paths.ParaHelpFile;
        context.openFile = [this](const QString& file) {
            opened.append(file);
            return true;
        };
    }
    ParameterWindow& Make() {
        window = std::make_unique<ParameterWindow>(editor, f.messenger, f.texts, context);
        return *window;
    }
    DataFixture f;
    ParameterTable table{f.table, f.values, f.messenger};
    ProgramFlags flags;
    TableEditor editor{table, f.table, f.values, f.messenger, flags};
    ParameterWindow::Context context;
    QStringList opened;
    std::unique_ptr<ParameterWindow> window;
};

// `over` drawn in the middle of `base`, as a dialog stands over its window.
QPixmap Over(QPixmap base, const QPixmap& over) {
    QPainter p(&base);
    const QPoint at((base.width() - over.width()) / 2, (base.height() - over.height()) / 2);
    p.drawPixmap(at, over);
    p.setPen(QColor(90, 90, 90));
    p.drawRect(QRect(at, over.size()).adjusted(0, 0, -1, -1));
    return base;
}

// Pictures of the editor at work: an entry, a limited value with its message,
// hexadecimal rows, a find, and a row whose transfer failed.
void EditorPictures(ParameterWindow& window, TableEditor& editor, ParaDat& table, UPara& values,
                    Messenger& messenger, ScriptedDialogs& dialogs, const QString& dir) {
    QTableView* grid = window.Grid();
    const auto at = [grid](int row, int column) { return grid->model()->index(row, column); };
    const auto save = [&](const QPixmap& picture, const char* name) {
        picture.save(QStringLiteral("%1/%2.png").arg(dir, QLatin1String(name)));
    };
    grid->setCurrentIndex(at(4, 3));
    QTest::keyClicks(grid, "45.5");
    save(window.grab(), "edit-entry");
    QTest::keyClick(grid, Qt::Key_Escape);

    QTest::keyClicks(grid, "9999");
    QTest::keyClick(grid, Qt::Key_Return);
    const Message& m = dialogs.messages.last();
    QMessageBox box(QMessageBox::Warning, m.caption, m.text, QMessageBox::Ok, &window);
    box.show();
    QApplication::processEvents();
    save(Over(window.grab(), box.grab()), "edit-clamped");
    box.hide();

    grid->selectionModel()->select(QItemSelection(at(6, 3), at(9, 3)),
                                   QItemSelectionModel::ClearAndSelect);
    window.Run(ParameterWindow::Command::Hex);
    save(window.grab(), "edit-hex");

    grid->selectionModel()->select(at(7, 2), QItemSelectionModel::ClearAndSelect);
    window.Run(ParameterWindow::Command::Find);
    FindDialog* find = window.Finder();
    find->SetText("frequency");
    Q_EMIT find->FindNext();
    Q_EMIT find->FindNext();
    QApplication::processEvents();
    save(Over(window.grab(), find->grab()), "edit-find");
    find->hide();

    // 0008 is unknown to this inverter: its read fails and the row keeps its value.
    ParaDat known = table;
    known.At(8, ComNo) = "0FFF";
    SimOptions options;
    options.latencyMs = 2;
    InverterSim sim(known, options);
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    ProgramFlags flags;
    CommLink link(port, clock, messenger, flags);
    link.SetTable(&table);
    SelectedTransfer transfer(table, values, link);
    editor.SetLink(&transfer);
    grid->scrollToTop();
    grid->selectionModel()->select(QItemSelection(at(5, 3), at(9, 3)),
                                   QItemSelectionModel::ClearAndSelect);
    window.Run(ParameterWindow::Command::SelectedImport);
    grid->setCurrentIndex(at(12, 2));
    save(window.grab(), "edit-failed-read");
    editor.SetLink(nullptr);
}

} // namespace

class TestParameterWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuFollowsTheViews();
    void quickHiddenWithoutQuickCount();
    void resizeKeepsTheRatios();
    void drops_data();
    void drops();
    void helpOpensAtTheParameter();
    void keysReachTheEditor();
    void copyAndFind();
    void screenshots();
};

void TestParameterWindow::menuFollowsTheViews() {
    Window w;
    ParameterWindow& t = w.Make();
    QCOMPARE(t.windowTitle(), QStringLiteral("M21 AB-1K (CPU Ver.1)"));
    QCOMPARE(t.Grid()->model()->rowCount(), 6);
    QVERIFY(!t.ActionFor(Command::AllParameters)->isEnabled());
    QVERIFY(!t.ContextMenu()->actions().contains(t.ActionFor(Command::Undo)));
    w.f.values.At(1, UPara::Value) = "50";
    t.ResetTable();
    t.Run(Command::ChangedOnly);
    QVERIFY(t.ActionFor(Command::ChangedOnly)->isChecked());
    QVERIFY(!t.ActionFor(Command::Quick)->isEnabled());
    QVERIFY(!t.ActionFor(Command::Blind)->isEnabled());
    QVERIFY(t.ActionFor(Command::AllParameters)->isEnabled());
    QCOMPARE(t.Grid()->model()->rowCount(), 1);
    t.Run(Command::ChangedOnly);
    QVERIFY(t.ActionFor(Command::Quick)->isEnabled());
    QCOMPARE(t.Grid()->model()->rowCount(), 6);
    // Select acts on the grid's selection, then Blind hides it.
    t.Grid()->selectionModel()->select(
        QItemSelection(t.Grid()->model()->index(2, 0), t.Grid()->model()->index(3, 7)),
        QItemSelectionModel::Select);
    t.Run(Command::Select);
    t.Run(Command::Blind);
    QCOMPARE(t.Grid()->model()->rowCount(), 4);
    QVERIFY(t.ActionFor(Command::Blind)->isChecked());
}

void TestParameterWindow::quickHiddenWithoutQuickCount() {
    Window w(0);
    QVERIFY(!w.Make().ActionFor(Command::Quick)->isVisible());
}

void TestParameterWindow::resizeKeepsTheRatios() {
    Window w;
    ParameterWindow& t = w.Make();
    t.show();
    for (int width : {700, 1000, 1400}) {
        t.resize(width, 400);
        QApplication::processEvents();
        const QList<int> expected = ParameterTable::ColumnWidths(t.Grid()->viewport()->width());
        for (int c = 0; c < expected.size(); ++c)
            QCOMPARE(t.Grid()->columnWidth(c), expected[c]);
    }
}

void TestParameterWindow::drops_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("message");
    QTest::newRow("one parameter file") << QStringList{"/tmp/a.VDK"} << 0;
    QTest::newRow("two files") << QStringList{"/tmp/a.vdk", "/tmp/b.vdk"} << 80;
    QTest::newRow("wrong extension") << QStringList{"/tmp/a.txt"} << 68;
}

void TestParameterWindow::drops() {
    QFETCH(QStringList, files);
    QFETCH(int, message);
    Window w;
    w.Make().DropFiles(files);
    QCOMPARE(w.f.dialogs.Numbers(), message ? QList<int>{message} : QList<int>{});
    QCOMPARE(w.opened, message ? QStringList{} : files);
}

void TestParameterWindow::helpOpensAtTheParameter() {
    Window w;
    w.f.tree.Write(
        "dat/AB(1)/AB(Eng).html",
        "<html><head><title>AB help</title></head><body><h2 id=\"0002\">Boost</h2></body></html>");
    ParameterWindow& t = w.Make();
    t.Grid()->setCurrentIndex(t.Grid()->model()->index(2, 1));
    t.Run(Command::ParameterHelp);
    auto* browser = t.findChild<QTextBrowser*>("help");
    QVERIFY(browser);
    QCOMPARE(browser->source().fragment(), QStringLiteral("0002"));
    QVERIFY(browser->window()->isVisible());

    // Without the inverter's help the application's help opens.
    QFile::remove(w.f.paths.ParaHelpFile);
    w.context.helpFile = w.f.tree.Write("help/VDK330Q(Eng).html", "<html><body>Help</body></html>");
    ParameterWindow& other = w.Make();
    other.Run(Command::ParameterHelp);
    auto* appHelp = other.findChild<QTextBrowser*>("help");
    QVERIFY(appHelp);
    QCOMPARE(appHelp->source().toLocalFile(), w.context.helpFile);
}

// Typing, Enter, Escape, an arrow and Delete go to the editor; the hidden
// Undo item still answers Ctrl+Z.
void TestParameterWindow::keysReachTheEditor() {
    Window w;
    ParameterWindow& t = w.Make();
    t.show();
    QApplication::setActiveWindow(&t);
    QVERIFY(QTest::qWaitForWindowActive(&t));
    QTableView* grid = t.Grid();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 3));
    QTest::keyClicks(grid, "12x");
    QCOMPARE(grid->model()->index(0, 3).data().toString(), "12");
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(w.f.values.At(0, UPara::Value), "120");
    QCOMPARE(grid->currentIndex().row(), 1); // moved on
    QVERIFY(t.ActionFor(Command::Undo)->isEnabled());
    QTest::keyClicks(grid, "7");
    QTest::keyClick(grid, Qt::Key_Down); // ends the entry, then moves
    QCOMPARE(grid->model()->index(1, 3).data().toString().trimmed(), "9.9");
    QCOMPARE(grid->currentIndex().row(), 2);
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.f.values.At(0, UPara::Value), "99");
    QCOMPARE(grid->currentIndex().row(), 0);
    QVERIFY(t.ActionFor(Command::Redo)->isEnabled());
    QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier); // Redo, as elsewhere
    QCOMPARE(w.f.values.At(0, UPara::Value), "120");
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.f.values.At(0, UPara::Value), "99");
    w.f.values.At(4, UPara::Value) = "8";
    grid->setCurrentIndex(grid->model()->index(4, 3));
    QTest::keyClick(grid, Qt::Key_Delete); // Shipment
    QCOMPARE(w.f.values.At(4, UPara::Value), "5");
    // A click on the cell being typed into ends the entry as well.
    grid->setCurrentIndex(grid->model()->index(2, 3));
    const QString shown = grid->model()->index(2, 3).data().toString();
    QTest::keyClicks(grid, "44");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(2, 3)).center());
    QVERIFY(!w.editor.EditActive());
    QCOMPARE(grid->model()->index(2, 3).data().toString(), shown);
    // A view switch ends an entry; the new view's top row is current.
    QTest::keyClicks(grid, "3");
    t.Run(Command::Quick);
    QVERIFY(!w.editor.EditActive());
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(grid->model()->index(0, 3).data().toString().trimmed(), "9.9");
}

void TestParameterWindow::copyAndFind() {
    Window w;
    ParameterWindow& t = w.Make();
    QTableView* grid = t.Grid();
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(1, 1), grid->model()->index(2, 2)),
        QItemSelectionModel::ClearAndSelect);
    t.Run(Command::Copy);
    const QStringList lines = QGuiApplication::clipboard()->text().split("\r\n");
    QCOMPARE(lines.size(), 4); // header, two rows, and the end of the last line
    QCOMPARE(lines[1], "F01\t0001\tBasefreq");
    grid->selectionModel()->select(grid->model()->index(5, 1), QItemSelectionModel::ClearAndSelect);
    t.Run(Command::Find);
    QVERIFY(t.Finder()->isVisible());
    QCOMPARE(t.Finder()->Text(), "0900");
    Q_EMIT t.Finder()->FindNext();
    QCOMPARE(grid->currentIndex().row(), 5);
    QCOMPARE(grid->currentIndex().column(), 3);
}

void TestParameterWindow::screenshots() {
    const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set VDK_SCREENSHOTS=DIR to save pictures of the window");
    for (const char* name : {"English", "Japanese"}) {
        const QString language = QString::fromLatin1(name);
        AppPaths paths(QStringLiteral(VDK_SHARE_DIR), QString());
        paths.SelectLanguage(language);
        paths.SelectInverter("QM60", "1.00", "-4022");
        ScriptedDialogs dialogs;
        LanguageTexts texts;
        QVERIFY(BuildMessageList(paths, texts, dialogs));
        Messenger messenger(texts, dialogs);
        DefinitionLoader loader(paths, messenger);
        ParaDat table;
        UPara values;
        QVERIFY(loader.LoadDefinitions(table) && loader.LoadCapacityDefaults(table));
        QVERIFY(InitValues(table, values, messenger));
        for (int row : {2, 5, 9, 14})
            values.At(row, UPara::Value) =
                QString::number(values.At(row, UPara::Value).toInt() / 2 + 1);
        values.At(7, UPara::SelectIndex) = "1";
        values.At(3, UPara::WriteIndex) = "1";
        values.At(6, UPara::CommErrIndex) = "1";
        ParameterTable model(table, values, messenger);
        ProgramFlags flags;
        TableEditor editor(model, table, values, messenger, flags);
        ParameterWindow::Context context{
            "QM60",   "-4022",  "1.00", paths.ParaHelpFile, paths.HelpFile, loader.QuickCount(),
            16777215, 14745599, {}};
        ParameterWindow window(editor, messenger, texts, context);
        window.resize(900, 520);
        window.show();
        QApplication::processEvents();
        const QString code = paths.Identity().LangCode;
        window.grab().save(QStringLiteral("%1/table-all-%2.png").arg(dir, code));
        window.Run(Command::ChangedOnly);
        window.grab().save(QStringLiteral("%1/table-changed-%2.png").arg(dir, code));
        window.Run(Command::ChangedOnly);
        window.Run(Command::Quick);
        window.grab().save(QStringLiteral("%1/table-quick-%2.png").arg(dir, code));
        window.Run(Command::Quick);
        window.Grid()->setCurrentIndex(window.Grid()->model()->index(9, 1));
        window.Run(Command::ParameterHelp);
        QApplication::processEvents();
        if (auto* help = window.findChild<QTextBrowser*>("help"))
            help->window()->grab().save(QStringLiteral("%1/help-%2.png").arg(dir, code));
        window.Run(Command::Find);
        QApplication::processEvents();
        window.Finder()->grab().save(QStringLiteral("%1/find-%2.png").arg(dir, code));
        window.Finder()->hide();
        if (language == QLatin1String("English"))
            EditorPictures(window, editor, table, values, messenger, dialogs, dir);
    }
}

QTEST_MAIN(TestParameterWindow)
#include "tst_ParameterWindow.moc"
