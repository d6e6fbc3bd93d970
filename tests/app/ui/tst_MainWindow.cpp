// The main window: what exists only there (enabling, routing of the file
// commands through the dialogs, the title, closing rules).
#include "DataFixture.h"
#include "ScriptedPort.h"
#include "SimLine.h"
#include "app/AppSession.h"
#include "app/StartupSelection.h"
#include "app/ui/MainWindow.h"
#include "app/ui/StartupDialog.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/FrameCodec.h"
#include "editor/ui/ParameterWindow.h"
#include "options/EnvironmentOptions.h"
#include "settings/IniFile.h"
#include "transfer/Snapshots.h"
#include "transfer/ui/ReportWindow.h"
#include "transfer/ui/ReviewWindow.h"
#include "transfer/ui/SnapshotListDialog.h"
#include "transfer/ui/TransferDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace vdk;
using C = MainWindow::Command;
using T = ParameterWindow::Command;

namespace {

struct Main {
    Main() {
        f.paths.SelectLanguage("English");
        f.paths.SelectInverter("AB", "1", "-1K");
        session.ReadRememberedFolders();
        session.LoadSelection();
    }
    MainWindow& Make() {
        window = std::make_unique<MainWindow>(MainWindow::Parts{
            session,
            f.paths,
            settings,
            link,
            clock,
            flags,
            options,
            [this] { return ++newSelections, session.LoadSelection(); },
            [this] { ++setups; },
            {},
            [this] { return flags.MainteFlag = true; },
            {},
            [this](const auto& undo, const auto&) { undoShown = int(undo.size()); },
            [this] { ++keyPads; },
            {}});
        return *window;
    }
    DataFixture f;
    IniFile settings{f.tree.Path("VDK330Q.ini")};
    ProgramFlags flags;
    EnvironmentOptions options;
    AppSession session{f.paths, settings, f.dialogs, flags, options};
    VirtualClock clock;
    ScriptedPort port{clock};
    CommLink link{port, clock, session.messenger, flags};
    int newSelections = 0;
    int undoShown = -1;
    int setups = 0;
    int keyPads = 0;
    std::unique_ptr<MainWindow> window;
};

// The main window on the simulated fixture inverter (0000 holds 123).
struct OnTheLine {
    // Before the line: the simulated inverter is built from the loaded table.
    bool Select() {
        f.paths.SelectLanguage("English");
        f.paths.SelectInverter("AB", "1", "-1K");
        return session.LoadSelection();
    }
    DataFixture f;
    IniFile settings{f.tree.Path("VDK330Q.ini")};
    ProgramFlags flags;
    EnvironmentOptions options;
    AppSession session{f.paths, settings, f.dialogs, flags, options};
    bool selected = Select();
    SimLine line{session.table, session.messenger, Protocol::Inverter, f.tree.Path("sim.txt"),
                 "0000=123\n"};
    MainWindow window{MainWindow::Parts{session,
                                        f.paths,
                                        settings,
                                        line.link,
                                        line.clock,
                                        flags,
                                        options,
                                        {},
                                        {},
                                        {},
                                        {},
                                        {},
                                        {},
                                        {},
                                        {}}};
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startState();
    void saveAsThroughTheDialog();
    void openThroughTheDialog();
    void dropAsksAboutUnsavedEdits();
    void newRunsTheSelection();
    void failedCheckOffersTheSetup();
    void lampFollowsEveryExchange();
    void closing();
    void tableActivationChecksTheLink();
    void maintenanceLoginShowsTheMaintenanceRows();
    void startupWindowFollowsTheLists();
    void editCommandsMirrorTheTable();
    void importThroughTheDialog();
    void exportReviewedAndRestored();
    void unwrittenEditsKeepTheirMarks();
    void openedSnapshotWritesEveryHeldValue();
    void inverterInformationInTheReport();
};

void TestMainWindow::startState() {
    Main m;
    MainWindow& w = m.Make();
    QCOMPARE(w.windowTitle(), QStringLiteral("VDK330Q AB-1K (CPU Ver.1)[*]"));
    QVERIFY(!w.isWindowModified());
    QVERIFY(!w.ActionFor(C::Save)->isEnabled());
    QVERIFY(w.Table()->ActionFor(T::Quick)->isVisible()); // the fixture declares two quick rows
    QVERIFY(!w.ActionFor(C::Import)->isEnabled());        // until the link answers
    QVERIFY(!w.ActionFor(C::InverterInfo)->isEnabled());  // until the link answers
    QCOMPARE(w.ActionFor(C::New)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(w.Table()->Grid()->model()->rowCount(), 6);
    for (C c : {C::Options, C::Maintenance})
        QVERIFY(w.ActionFor(c)->isEnabled());
    for (T t : {T::Hex, T::Dec, T::Shipment, T::Copy, T::Find})
        QVERIFY(w.Table()->ActionFor(t)->isEnabled());
    QVERIFY(!w.Table()->ActionFor(T::Undo)->isEnabled());
}

void TestMainWindow::saveAsThroughTheDialog() {
    Main m;
    MainWindow& w = m.Make();
    m.f.dialogs.files.enqueue(m.f.tree.Path("out/set"));
    w.Run(C::SaveAs);
    QVERIFY(QFile::exists(m.f.tree.Path("out/set.vdk")));
    QVERIFY(w.ActionFor(C::Save)->isEnabled());
    QVERIFY(w.windowTitle().endsWith("M2set.vdk[*]"));
    QCOMPARE(m.f.dialogs.fileRequests.first().filterIndex, 1);
}

void TestMainWindow::openThroughTheDialog() {
    Main m;
    MainWindow& w = m.Make();
    m.f.dialogs.files.enqueue(
        m.f.tree.Write("in.vdk", "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nx\r\n0\r\n0\r\nF004,9\r\n"));
    w.Run(C::Open);
    QVERIFY(w.windowTitle().contains("M2in.vdk (AB-1K)"));
    QCOMPARE(w.Table()->Grid()->model()->index(4, 3).data().toString().trimmed(),
             QStringLiteral("9"));

    // The file is first in Recent Files; chosen there once it is gone, it
    // leaves the list.
    QMenu* files = w.menuBar()->actions().first()->menu();
    Q_EMIT files->aboutToShow();
    QMenu* recent = nullptr;
    for (QAction* a : files->actions())
        if (a->menu() && a->text().contains("Recent"))
            recent = a->menu();
    QVERIFY(recent);
    QCOMPARE(recent->actions().size(), 1);
    QVERIFY(recent->actions().first()->text().endsWith(m.f.tree.Path("in.vdk")));
    QVERIFY(QFile::remove(m.f.tree.Path("in.vdk")));
    recent->actions().first()->trigger();
    Q_EMIT files->aboutToShow();
    QVERIFY(recent->actions().isEmpty());
    QVERIFY(!recent->isEnabled());
}

// A file dropped on the table asks about unsaved edits as Open does.
void TestMainWindow::dropAsksAboutUnsavedEdits() {
    Main m;
    MainWindow& w = m.Make();
    const QString file =
        m.f.tree.Write("in.vdk", "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nx\r\n0\r\n0\r\nF004,9\r\n");
    QTableView* grid = w.Table()->Grid();
    grid->setCurrentIndex(grid->model()->index(4, 3));
    QTest::keyClicks(grid, "12");
    QTest::keyClick(grid, Qt::Key_Return);
    QVERIFY(w.isWindowModified()); // the "*" of unsaved edits
    const auto status = [&w] {
        QStringList texts;
        for (const QLabel* field : w.statusBar()->findChildren<QLabel*>())
            texts.append(field->text());
        return texts.join('|');
    };
    QVERIFY2(status().contains("Changed: 1|Not written: 1"), qPrintable(status()));
    m.f.dialogs.answers.enqueue(Answer::Cancel);
    w.Table()->DropFiles({file});
    QCOMPARE(m.f.dialogs.Numbers(), QList<int>{89});
    QVERIFY(!w.windowTitle().contains("in.vdk"));
    QCOMPARE(m.session.values.At(4, UPara::Value), "12");
    m.f.dialogs.answers.enqueue(Answer::No);
    w.Table()->DropFiles({file});
    QVERIFY(w.windowTitle().contains("in.vdk"));
    QCOMPARE(m.session.values.At(4, UPara::Value), "9");
    QVERIFY(!w.isWindowModified());
}

void TestMainWindow::newRunsTheSelection() {
    Main m;
    MainWindow& w = m.Make();
    m.session.values.At(4, UPara::Value) = "77"; // an edit nobody saved
    m.f.dialogs.answers.enqueue(Answer::Cancel);
    w.Run(C::New);
    QCOMPARE(m.newSelections, 0);
    const QRect place(40, 300, 700, 420);
    w.Table()->setGeometry(place);
    m.f.dialogs.answers.enqueue(Answer::No);
    w.Run(C::New);
    QCOMPARE(m.newSelections, 1);
    QCOMPARE(m.f.dialogs.Numbers(), (QList<int>{89, 89}));
    QCOMPARE(w.Table()->Grid()->model()->index(4, 3).data().toString().trimmed(),
             QStringLiteral("5"));
    QCOMPARE(w.Table()->geometry(), place); // the new table stays where the user had it
}

void TestMainWindow::failedCheckOffersTheSetup() {
    Main m;
    MainWindow& w = m.Make();
    w.Run(C::CommunicationCheck); // the scripted port stays silent
    QCOMPARE(m.setups, 1);
}

// The lamp shows every exchange, not only the checks, and turns from amber
// to green even when its timer fires before the 300 ms are up.
void TestMainWindow::lampFollowsEveryExchange() {
    Main m;
    MainWindow& w = m.Make();
    const auto lamp = [&w] {
        return QColor(w.Indicator()->icon().pixmap(24, 24).toImage().pixel(12, 12));
    };
    const auto green = [](const QColor& c) { return c.green() > c.red() + 40; };
    const auto red = [](const QColor& c) { return c.red() > c.green() + 100; };
    QVERIFY(red(lamp()));
    QByteArray reply = QByteArray::fromHex("2F5200000258");
    reply.append(char(ByteSum(reply.constData(), reply.size())));
    QCOMPARE(m.link.OpenPort(), 0);
    m.port.replies.enqueue({reply, 5});
    m.link.Transact(0, QString(), u"R"); // as a selected read or the login does
    const QColor busy = lamp();
    QVERIFY(!red(busy) && !green(busy));
    m.clock.now += 100; // the timer fires, the indicator is not due yet
    QTest::qWait(400);
    QCOMPARE(lamp(), busy);
    m.clock.now += 300;
    QTRY_VERIFY_WITH_TIMEOUT(green(lamp()), 1000);
    m.link.Transact(0, QString(), u"R"); // silence
    QVERIFY(red(lamp()));
}

void TestMainWindow::closing() {
    Main m;
    MainWindow& w = m.Make();
    w.show();
    m.flags.MonitorBusy = true;
    QVERIFY(!w.close());
    m.flags.MonitorBusy = false;
    m.session.values.LoadDir = "/remembered";
    QVERIFY(w.close());
    QCOMPARE(m.settings.ReadString("File", "LoadPath", ""), QStringLiteral("/remembered"));
}

void TestMainWindow::tableActivationChecksTheLink() {
    Main m;
    MainWindow& w = m.Make();
    QEvent activate(QEvent::WindowActivate);
    const int opens = m.port.opens;
    QApplication::sendEvent(w.Table(), &activate);
    QCOMPARE(m.port.opens, opens + 1);
    QApplication::sendEvent(w.Table(), &activate); // the return from the check's own box
    QCOMPARE(m.port.opens, opens + 1);
    m.clock.Advance(1000);
    QApplication::sendEvent(w.Table(), &activate);
    QCOMPARE(m.port.opens, opens + 2);
    // Without a port, the failure is said once, not at every activation.
    m.port.failOpen = true;
    for (int i = 0; i < 3; ++i) {
        m.clock.Advance(1000);
        QApplication::sendEvent(w.Table(), &activate);
    }
    QCOMPARE(m.f.dialogs.Numbers().count(3), 1);
    m.port.failOpen = false;
    m.clock.Advance(1000);
    QApplication::sendEvent(w.Table(), &activate); // the port is back
    m.port.failOpen = true;
    m.clock.Advance(1000);
    QApplication::sendEvent(w.Table(), &activate);
    QCOMPARE(m.f.dialogs.Numbers().count(3), 2);
}

void TestMainWindow::maintenanceLoginShowsTheMaintenanceRows() {
    Main m;
    MainWindow& w = m.Make();
    QCOMPARE(w.Table()->Grid()->model()->rowCount(), 6);
    w.Run(C::Maintenance);
    QCOMPARE(w.Table()->Grid()->model()->rowCount(), 7); // FB91 now shows
}

void TestMainWindow::startupWindowFollowsTheLists() {
    TempTree t;
    t.CopyTree(QStringLiteral(VDK_SHARE_DIR "/dat"), "dat");
    AppPaths paths(t.Path(), t.Path("VDK330Q.ini"));
    IniFile settings(paths.SettingsFile);
    t.Write("VDK330Q.ini", "[Language]\r\nJapanese=0\r\nEnglish=0\r\n");
    StartupSelection selection(paths, settings);
    ScriptedDialogs dialogs;
    selection.Open(true, nullptr, {}, dialogs, "Confirmation", "none");
    StartupDialog window(selection, true);
    const QList<QComboBox*> boxes = window.findChildren<QComboBox*>();
    QCOMPARE(boxes.size(), 4);
    QVERIFY(!boxes[0]->isEnabled()); // the language stays for New
    boxes[1]->setCurrentIndex(1);    // QM60
    QCOMPARE(selection.type, 1);
    QCOMPARE(boxes[2]->currentText(), QStringLiteral("-4007"));
    QCOMPARE(boxes[3]->currentText(), QStringLiteral("1.00"));
    boxes[2]->setCurrentIndex(3);
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape); // not an OK
    QVERIFY(window.isVisible());
    QVERIFY(selection.Commit());
    QCOMPARE(paths.Identity().Capacity, QStringLiteral("-4040"));
}

// The main menu holds the table window's own actions: Undo and Redo follow
// the table's stores and act on it, and stay so after a new table window;
// the transfers act only while the table is the active window.
void TestMainWindow::editCommandsMirrorTheTable() {
    Main m;
    MainWindow& w = m.Make();
    w.Reload();
    QList<QAction*> menuItems;
    for (QAction* menu : w.menuBar()->actions())
        if (menu->menu())
            menuItems += menu->menu()->actions();
    for (T t : {T::Undo, T::Redo, T::Copy, T::SelectedImport, T::Find})
        QVERIFY(menuItems.contains(w.Table()->ActionFor(t)));
    // A closed table takes no commands, and shows again with its own states.
    w.Run(C::ParameterTable);
    w.Table()->close();
    QVERIFY(!w.Table()->ActionFor(T::Hex)->isEnabled());
    QVERIFY(!w.Table()->ActionFor(T::Copy)->isEnabled());
    w.Run(C::ParameterTable);
    QVERIFY(w.Table()->ActionFor(T::Hex)->isEnabled());
    QVERIFY(!w.Table()->ActionFor(T::AllParameters)->isEnabled()); // its own state
    QTableView* grid = w.Table()->Grid();
    grid->setCurrentIndex(grid->model()->index(0, 3));
    QTest::keyClicks(grid, "12");
    QTest::keyClick(grid, Qt::Key_Return);
    QAction* undo = w.Table()->ActionFor(T::Undo);
    QVERIFY(undo->isEnabled());
    QCOMPARE(m.undoShown, 1); // the buffer window's undo table follows
    undo->trigger();
    QCOMPARE(m.undoShown, 0);
    QCOMPARE(m.session.values.At(0, UPara::Value), "99");
    QVERIFY(!undo->isEnabled());
    QVERIFY(w.Table()->ActionFor(T::Redo)->isEnabled());
    // The table was never activated: nothing happens (without the link the
    // transfer would have said so).
    QAction* selectedImport = w.Table()->ActionFor(T::SelectedImport);
    selectedImport->setEnabled(true);
    selectedImport->trigger();
    QVERIFY(m.f.dialogs.messages.isEmpty());
}

// The whole road of an import from the main window: the link check enables
// the command, the dialog runs it on Start, the table shows the values.
void TestMainWindow::importThroughTheDialog() {
    OnTheLine m;
    m.options.Result = false;       // no report window after the import
    m.options.ReviewExport = false; // the export writes without asking
    MainWindow& w = m.window;
    AppSession& session = m.session;
    SimLine& line = m.line;
    QVERIFY(!w.ActionFor(C::Import)->isEnabled());
    QVERIFY(!w.ActionFor(C::KeyPad)->isEnabled());
    w.Run(C::CommunicationCheck);
    QVERIFY(w.ActionFor(C::Import)->isEnabled());
    QVERIFY(w.ActionFor(C::KeyPad)->isEnabled()); // the key pad follows the link
    // Runs a transfer command and presses Start in its dialog.
    const auto transfer = [&w](C command) {
        bool started = false;
        QTimer::singleShot(0, [&started] {
            if (auto* bar = qobject_cast<TransferDialog*>(QApplication::activeModalWidget())) {
                started = true;
                bar->Start();
            }
        });
        w.Run(command);
        return started;
    };
    QVERIFY(transfer(C::Import));
    QCOMPARE(session.values.At(0, UPara::Value), "123");
    QCOMPARE(w.Table()->Grid()->model()->index(0, 3).data().toString().trimmed(), "12.3");
    QVERIFY(session.HasUnsavedEdits());
    // An export writes the inverter, not the file: the edits still ask to be saved.
    session.values.At(0, UPara::Value) = "200";
    QVERIFY(transfer(C::Export));
    QCOMPARE(line.Ram("0000"), 200);
    QVERIFY(session.HasUnsavedEdits());
    // The inverter's value before the export was kept.
    const QList<SnapshotInfo> kept =
        SnapshotStore(SnapshotFolder(m.f.paths.AppDir, QString())).List(nullptr);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].comment, "Before the export of the table (not saved)");
}

// Answers the modal windows as they come: Start in the transfer dialog, the
// review's and the snapshot list's default button; a report's lines are kept.
struct ModalDriver {
    ModalDriver() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            // Start runs the transfer and its nested windows: queued, so that
            // this timer fires again inside it.
            if (auto* bar = qobject_cast<TransferDialog*>(modal); bar && bar != started) {
                started = bar;
                QMetaObject::invokeMethod(bar, &TransferDialog::Start, Qt::QueuedConnection);
            } else if (auto* review = qobject_cast<ReviewWindow*>(modal)) {
                reviewed = review->List()->topLevelItemCount();
                written = review->List()->headerItem()->text(3);
                if (cancelReview)
                    review->reject();
                else
                    review->accept();
            } else if (auto* list = qobject_cast<SnapshotListDialog*>(modal)) {
                listed = list->List()->topLevelItemCount();
                list->accept();
            } else if (auto* report = qobject_cast<ReportWindow*>(modal)) {
                reports.append(report->Lines());
                report->close();
            }
        });
        timer.start(5);
    }
    QTimer timer;
    TransferDialog* started = nullptr;
    bool cancelReview = false;
    int reviewed = -1;
    QString written; // the heading of the values to be written
    int listed = -1;
    QList<QStringList> reports;
};

// The export shows what it will change and keeps a snapshot; restoring the
// snapshot puts the inverter back and leaves the table alone; the table
// compares with a file and with the shipment values.
void TestMainWindow::exportReviewedAndRestored() {
    OnTheLine m;
    m.window.Run(C::CommunicationCheck);
    UPara& values = m.session.values;
    values.At(0, UPara::Value) = "200";
    MarkChanged(m.session.table, values, 0, "200", m.session.messenger);
    {
        ModalDriver driver;
        m.window.Run(C::Export);
        QCOMPARE(driver.reviewed, 1);
        QCOMPARE(driver.written, "VDK330Q");
        QCOMPARE(m.line.Ram("0000"), 200);
        QVERIFY(driver.reports.value(0).contains("* Written Parameters"));
    }
    {
        ModalDriver driver;
        m.window.Run(C::RestoreSnapshot);
        QCOMPARE(driver.listed, 1);
        QCOMPARE(driver.reviewed, 1);
        QCOMPARE(driver.written, "Snapshot");
        QCOMPARE(m.line.Ram("0000"), 123);
        QCOMPARE(values.At(0, UPara::Value), "200");
    }
    {
        ModalDriver driver;
        m.window.Run(C::CompareWithDefaults);
        const QStringList lines = driver.reports.value(0);
        QCOMPARE(lines.value(0), "Comparison of the table (not saved) with the shipment values");
        QVERIFY(lines.value(4).startsWith(" F00:"));

        m.f.dialogs.files.enqueue(m.f.tree.Write("other.vdk",
                                                 "###\r\nQQ\r\n-1K\r\n1\r\n"
                                                 "English\r\nNo Comments.\r\n0\r\n0\r\n"));
        m.window.Run(C::CompareWithFile);
        QCOMPARE(m.f.dialogs.Numbers().last(), 10); // another type-form: nothing compared
        QCOMPARE(driver.reports.size(), 1);
    }
    // On a broadcast line the export asks first: No writes nothing, Yes
    // holds for the rest of the run.
    m.line.link.settings.douhou = true;
    values.At(0, UPara::Value) = "300";
    m.f.dialogs.answers.enqueue(Answer::No);
    const qsizetype asked = m.f.dialogs.messages.size();
    m.window.Run(C::Export);
    QCOMPARE(m.f.dialogs.messages.size(), asked + 1);
    QVERIFY(m.f.dialogs.messages.last().text.contains("every inverter on the line"));
    QCOMPARE(m.line.Ram("0000"), 123);
    {
        ModalDriver driver;
        m.window.Run(C::Export);
        QCOMPARE(driver.reviewed, 1);
    }
    QCOMPARE(m.f.dialogs.messages.size(), asked + 2);
}

// An edit keeps its "not written" mark until an echo confirms it: a cancelled
// review leaves it; an import over it asks first, as Open does.
void TestMainWindow::unwrittenEditsKeepTheirMarks() {
    OnTheLine m;
    m.window.Run(C::CommunicationCheck);
    UPara& values = m.session.values;
    QTableView* grid = m.window.Table()->Grid();
    grid->setCurrentIndex(grid->model()->index(0, 3));
    QTest::keyClicks(grid, "15");
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(values.At(0, UPara::Value), "150");
    QVERIFY(values.Marked(0, UPara::WriteIndex));
    {
        ModalDriver driver;
        driver.cancelReview = true;
        m.window.Run(C::Export);
        QCOMPARE(driver.reviewed, 1);
    }
    QCOMPARE(m.line.Ram("0000"), 123);
    QVERIFY(values.Marked(0, UPara::WriteIndex));

    m.f.dialogs.answers.enqueue(Answer::Cancel); // unsaved: message 89
    m.window.Run(C::Import);
    m.session.MarkSaved();
    m.f.dialogs.answers.enqueue(Answer::No); // saved, not written: message 100
    m.window.Run(C::Import);
    QCOMPARE(m.f.dialogs.Numbers().mid(m.f.dialogs.Numbers().size() - 2), (QList<int>{89, 100}));
    QCOMPARE(values.At(0, UPara::Value), "150");

    {
        ModalDriver driver;
        m.window.Run(C::Export);
        QCOMPARE(driver.reviewed, 1);
    }
    QCOMPARE(m.line.Ram("0000"), 150);
    QVERIFY(!values.Marked(0, UPara::WriteIndex)); // confirmed by the echo
}

// A snapshot opened as a table goes back as Restore Snapshot puts it: every
// value it holds is written, a shipment value too.
void TestMainWindow::openedSnapshotWritesEveryHeldValue() {
    OnTheLine m;
    m.window.Run(C::CommunicationCheck);
    QString error;
    const auto path = SnapshotStore(m.f.tree.Path("kept"))
                          .Save(m.session.table, m.session.values, m.f.paths.Identity(), "one",
                                "before", QDateTime::currentDateTime(), 5, &error);
    QVERIFY2(path, qPrintable(error));
    QCOMPARE(m.session.values.At(0, UPara::Value), "99"); // the shipment value; the inverter: 123
    m.f.dialogs.files.enqueue(*path);
    m.window.Run(C::Open);
    ModalDriver driver;
    m.window.Run(C::Export);
    QCOMPARE(m.line.Ram("0000"), 99);
}

// The report shows the language file's list as read; without a list,
// message 9 says there is nothing to show.
void TestMainWindow::inverterInformationInTheReport() {
    OnTheLine m;
    m.window.Run(C::CommunicationCheck);
    QVERIFY(m.window.ActionFor(C::InverterInfo)->isEnabled());
    m.window.Run(C::InverterInfo);
    QCOMPARE(m.f.dialogs.Numbers(), QList<int>{9});

    m.f.tree.Write("lng/English.ini", DataFixture::General() +
                                          "[InverterInfo]\r\nTitle=Info\r\nTripTitle=Trip\r\n"
                                          "Max :=0000\r\nNone :=0FFF\r\n");
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* form = qobject_cast<ReportWindow*>(QApplication::activeModalWidget())) {
            shown = form->Lines();
            form->close();
        }
    });
    m.window.Run(C::InverterInfo);
    QCOMPARE(shown, (QStringList{"Info", "Max :12.3", "None :-"}));
    QCOMPARE(m.line.Ram("FB91"), 463);
}

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
