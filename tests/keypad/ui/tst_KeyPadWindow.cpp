// The key pad window: what reaches the session from the mouse and the
// keyboard, the start timer, and the picture of the panel. With
// VDK_SCREENSHOTS=DIR it saves pictures of the panel.
#include "../KeyPadFixture.h"
#include "keypad/ui/KeyPadWindow.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <QTimer>

using Key = KeyPadSession::Key;

namespace {

// A window over the fixture's session; the loop stops at `cycles` turns.
struct Window {
    explicit Window(int cycles) : pad(cycles) {
        pad.link->OpenPort();
        window = std::make_unique<KeyPadWindow>(*pad.session, pad.f.texts,
                                                KeyPadWindow::Context{true, [] { return 260; }});
        window->resize(260, 340);
    }
    QPoint Centre(Key key) const { return window->KeyRect(key).center().toPoint(); }
    Pad pad;
    std::unique_ptr<KeyPadWindow> window;
};

} // namespace

class TestKeyPadWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clicksAndHeldKeysReachTheSession();
    void deactivationLetsAHeldKeyGo();
    void fcModeFromTheDisplay();
    void panelScalesWithTheWindow();
    void pictures();
};

// The loop starts by itself after the window is shown; a click on RUN is one
// press, UP goes down with the button and up with it.
void TestKeyPadWindow::clicksAndHeldKeysReachTheSession() {
    Window w(6);
    w.pad.onPump = [&](int turn) {
        if (turn == 1)
            QTest::mouseClick(w.window.get(), Qt::LeftButton, {}, w.Centre(Key::Run));
        if (turn == 2)
            QTest::mousePress(w.window.get(), Qt::LeftButton, {}, w.Centre(Key::Up));
        if (turn == 4)
            QTest::mouseRelease(w.window.get(), Qt::LeftButton, {}, w.Centre(Key::Up));
        if (turn == 6)
            w.window->reject();
    };
    QTimer::singleShot(0, [&] { w.window->show(); });
    QTRY_VERIFY_WITH_TIMEOUT(w.pad.turn >= 6, 3000);
    const QStringList loop = w.pad.Loop();
    QVERIFY(loop.contains(P("FA11", 1))); // RUN in the first cycle: its base counts 0 ms
    QVERIFY(loop.contains(P("FA11", w.pad.Base(2) + 4))); // UP, held
    QVERIFY(loop.contains(P("FA11", 260)));
    QVERIFY(w.pad.sim->Drive().Running());
    QVERIFY(!w.window->isVisible());
}

void TestKeyPadWindow::deactivationLetsAHeldKeyGo() {
    Window w(4);
    w.pad.onPump = [&](int turn) {
        if (turn == 1)
            QTest::mousePress(w.window.get(), Qt::LeftButton, {}, w.Centre(Key::Down));
        if (turn == 2) {
            QEvent out(QEvent::WindowDeactivate);
            QApplication::sendEvent(w.window.get(), &out);
        }
    };
    w.window->show();
    QVERIFY(w.pad.session->RunLoop());
    const QStringList loop = w.pad.Loop();
    QCOMPARE(loop.count(P("FA11", 264)), 1);
    // The release went out in the cycle after the deactivation, not at the end.
    QVERIFY(loop.indexOf(P("FA11", 264)) < loop.lastIndexOf("R FC10"));
}

// A double click on the display enters FC mode; digits and Enter write the
// frequency command; the menu item shows the mode.
void TestKeyPadWindow::fcModeFromTheDisplay() {
    Window w(100);
    w.window->show();
    QTest::mouseDClick(w.window.get(), Qt::LeftButton, {},
                       w.window->DisplayRect().center().toPoint());
    QVERIFY(w.pad.session->FcMode());
    QVERIFY(w.window->FcAction()->isChecked());
    QTest::keyClicks(w.window.get(), "12,5");
    QCOMPARE(w.pad.session->Display(), QStringLiteral("1+5 "));
    QTest::keyClick(w.window.get(), Qt::Key_Return);
    QCOMPARE(*w.pad.sim->RamValue(u"FA01"), 1250);
    QVERIFY(!w.pad.session->FcMode());
    QVERIFY(!w.window->FcAction()->isChecked());
}

void TestKeyPadWindow::panelScalesWithTheWindow() {
    Window w(1);
    const QRectF small = w.window->KeyRect(Key::Stop);
    w.window->resize(520, 680);
    const QRectF large = w.window->KeyRect(Key::Stop);
    QCOMPARE(large.width(), 2 * small.width());
    QVERIFY(QRectF(w.window->rect()).contains(large));
    QVERIFY(QRectF(w.window->rect()).contains(w.window->CloseRect()));
}

void TestKeyPadWindow::pictures() {
    const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set VDK_SCREENSHOTS=DIR to save pictures of the key pad");
    Window w(3);
    QVERIFY(w.pad.link->Transact(w.pad.table.FindRow(u"FA01"), "5000", u"P").ok());
    w.pad.onPump = [&](int turn) {
        if (turn == 1)
            w.pad.session->Press(Key::Run);
        w.pad.clock.Advance(800);
        if (turn == 3)
            w.window->grab().save(QDir(dir).filePath("keypad-panel-running.png"));
    };
    w.window->show();
    w.pad.session->RunLoop();
    w.pad.session->ToggleFcMode();
    for (const QChar c : QStringLiteral("45"))
        w.pad.session->FcDigit(c);
    w.pad.session->FcPoint();
    w.pad.session->FcDigit('5');
    w.window->grab().save(QDir(dir).filePath("keypad-panel-fc.png"));
}

QTEST_MAIN(TestKeyPadWindow)
#include "tst_KeyPadWindow.moc"
