// The key pad's poll loop on the simulated inverter and the virtual clock:
// every frame it sends, in order, for clicks and held keys, the panel it
// shows, FC Direct Input, and what happens when a key does not get through.
#include "KeyPadFixture.h"

#include <QTest>

using namespace vdk;
using Key = KeyPadSession::Key;

namespace {

// Types into FC Direct Input: digits, "." the point, "<" backspace, "~" delete.
void Type(KeyPadSession& session, const QString& typed) {
    for (const QChar c : typed) {
        if (c == '.')
            session.FcPoint();
        else if (c == '<')
            session.FcBackspace();
        else if (c == '~')
            session.FcDelete();
        else
            session.FcDigit(c);
    }
}

} // namespace

class TestKeyPadSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runClickGoesOutInItsCycle();
    void upHeldThreeCyclesThenReleased();
    void twoKeysInOneCycleShareTheBase();
    void heldWordNeverLooksLikeItsRelease();
    void endingTheLoopReleasesAHeldKey();
    void longCycleKeepsTheKeyByte();
    void panelFollowsTheInverter();
    void failedStopIsNeverSilent();
    void noLinkClosesTheWindow();
    void fcEntry_data();
    void fcEntry();
    void fcLimitIsTheInverters_data();
    void fcLimitIsTheInverters();
    void fcWriteConfirmsAndRestarts();
    void fcWriteThatFailsKeepsTheEntry();
    void loopWaitsForFcModeToEnd();
};

// A RUN click: FA11 0 at once, then in the same cycle FA10 1, the key word on
// the cycle's base, FA10 0.
void TestKeyPadSession::runClickGoesOutInItsCycle() {
    Pad pad(3);
    pad.onPump = [&](int turn) {
        if (turn == 2)
            pad.session->Press(Key::Run);
    };
    QVERIFY(pad.session->RunLoop());
    const int base = pad.Base(1);
    QCOMPARE(pad.Loop(), (QStringList{"R FC10", "R FC10", P("FA11", 0), P("FA10", 1),
                                      P("FA11", base + 1), P("FA10", 0), "R FC10"}));
    QVERIFY(pad.sim->Drive().Running());
    QVERIFY(pad.session->FailedKeys().isEmpty());
}

void TestKeyPadSession::upHeldThreeCyclesThenReleased() {
    Pad pad(5);
    pad.onPump = [&](int turn) {
        if (turn == 1)
            pad.session->Press(Key::Up);
        if (turn == 4)
            pad.session->Release(Key::Up);
    };
    QVERIFY(pad.session->RunLoop());
    // The first cycle's base counts from the loop's start: 0 ms.
    QCOMPARE(pad.Loop(),
             (QStringList{"R FC10", P("FA11", 0), P("FA10", 1), P("FA11", 4), "R FC10",
                          P("FA11", pad.Base(1) + 4), "R FC10", P("FA11", pad.Base(2) + 4),
                          "R FC10", P("FA11", 260), P("FA10", 0), "R FC10"}));
    QVERIFY(pad.sim->Drive().Command() > 0); // the command went up while held
}

void TestKeyPadSession::twoKeysInOneCycleShareTheBase() {
    Pad pad(2);
    pad.onPump = [&](int turn) {
        if (turn == 2) {
            pad.session->Press(Key::Ent); // sent in the order RUN STOP UP DOWN MON ENT
            pad.session->Press(Key::Mon);
        }
    };
    QVERIFY(pad.session->RunLoop());
    const int base = pad.Base(1);
    QCOMPARE(pad.Loop(), (QStringList{"R FC10", "R FC10", P("FA11", 0), P("FA11", 0), P("FA10", 1),
                                      P("FA11", base + 0x10), P("FA10", 0), P("FA10", 1),
                                      P("FA11", base + 0x20), P("FA10", 0)}));
}

// On a fast line a cycle of 4 to 7 ms would turn UP's word into 260, which
// the inverter takes for the release.
void TestKeyPadSession::heldWordNeverLooksLikeItsRelease() {
    Pad pad(4);
    pad.pumpMs = 1;
    pad.onPump = [&](int turn) {
        if (turn == 1)
            pad.session->Press(Key::Up);
        if (turn == 4)
            pad.session->Release(Key::Up);
    };
    QVERIFY(pad.session->RunLoop());
    QVERIFY(pad.Base(2) == 256 || pad.Base(3) == 256); // a cycle the rule is about
    const QStringList loop = pad.Loop();
    QCOMPARE(loop.count(P("FA11", 260)), 1); // the release only
    QVERIFY(loop.contains(P("FA11", 512 + 4)));
}

// Closing (or FC mode) with UP still down: the release word and FA10 0 go
// out before the loop ends, so the inverter is not left mid-press.
void TestKeyPadSession::endingTheLoopReleasesAHeldKey() {
    Pad pad(2);
    pad.onPump = [&](int turn) {
        if (turn == 2)
            pad.session->Press(Key::Down);
    };
    QVERIFY(pad.session->RunLoop());
    const QStringList loop = pad.Loop();
    QCOMPARE(loop.mid(loop.size() - 3),
             (QStringList{P("FA11", pad.Base(1) + 8), P("FA11", 264), P("FA10", 0)}));
    QCOMPARE(*pad.sim->RamValue(u"FA10"), 0);
}

// A cycle longer than 1020 ms still carries the key in the low byte.
void TestKeyPadSession::longCycleKeepsTheKeyByte() {
    Pad pad(2);
    pad.onPump = [&](int turn) {
        if (turn == 1)
            pad.clock.Advance(5000);
        if (turn == 2)
            pad.session->Press(Key::Stop);
    };
    QVERIFY(pad.session->RunLoop());
    QVERIFY(pad.Loop().contains(P("FA11", 255 * 256 + 2)));
}

// Frame A and B take turns with the phase; a failed read blinks "coMe".
void TestKeyPadSession::panelFollowsTheInverter() {
    Pad pad(4);
    QStringList shown;
    pad.onPump = [&](int turn) {
        shown.append(pad.session->Display());
        if (turn == 1)
            pad.session->Press(Key::Run);
        if (turn == 2)
            pad.session->TogglePhase();
        if (turn == 3) {
            pad.recorder->mute = true;
            pad.session->TogglePhase();
        }
    };
    pad.session->Press(Key::Run); // nothing is sent outside the loop's keys
    QVERIFY(pad.session->RunLoop());
    QCOMPARE(shown.first(), QStringLiteral(" =00"));          // 0.00 Hz before the run
    QCOMPARE(pad.session->Display(), QStringLiteral("    ")); // the loop has ended
    QCOMPARE(shown[3], QStringLiteral("coMe"));
    pad.session->TogglePhase();
    QCOMPARE(pad.session->Lamps(), quint8(0));
}

// A STOP that does not reach the inverter is told at once, by name, and the
// panel shows "coMe".
void TestKeyPadSession::failedStopIsNeverSilent() {
    Pad pad(2);
    pad.onPump = [&](int turn) {
        if (turn == 2) {
            pad.recorder->mute = true;
            pad.session->Press(Key::Stop);
        }
    };
    QVERIFY(pad.session->RunLoop());
    QCOMPARE(pad.session->FailedKeys(), QList<Key>{Key::Stop});
    QCOMPARE(pad.f.dialogs.Numbers(), QList<int>{97});
    QCOMPARE(pad.f.dialogs.messages.first().text, QStringLiteral("M97 STOP"));
    QCOMPARE(pad.f.dialogs.messages.first().icon, MsgIcon::Exclamation);
}

void TestKeyPadSession::noLinkClosesTheWindow() {
    Pad pad;
    pad.recorder->mute = true;
    QVERIFY(!pad.session->RunLoop());
    QVERIFY(pad.closed);
    QCOMPARE(pad.f.dialogs.Numbers(), QList<int>{4});
    QVERIFY(!pad.session->KeysVisible());
}

// What FC Direct Input writes for what is typed ("." a point, "<" backspace,
// "~" delete), or the message that refuses it.
void TestKeyPadSession::fcEntry_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("freqCommNo");
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("message");
    QTest::newRow("5 0 . Enter, scale 100") << "50."
                                            << "FA01" << true << "W FA01 5000" << 0;
    QTest::newRow("RAM without the EEPROM option") << "50."
                                                   << "FA01" << false << "P FA01 5000" << 0;
    QTest::newRow("rounded, not truncated") << "8.2"
                                            << "FA01" << true << "W FA01 820" << 0;
    QTest::newRow("a fifth digit is ignored") << "2.5005"
                                              << "FA01" << true << "W FA01 250" << 0;
    QTest::newRow("a second point is ignored") << "1.2.5"
                                               << "FA01" << true << "W FA01 125" << 0;
    QTest::newRow("backspace takes the point, then the digit")
        << "12.<<3"
        << "FA01" << true << "W FA01 1300" << 0;
    QTest::newRow("delete clears the entry") << "99~7"
                                             << "FA01" << true << "W FA01 700" << 0;
    QTest::newRow("out of range") << "999"
                                  << "FA01" << true << "" << 42;
    QTest::newRow("a point first") << ".5"
                                   << "FA01" << true << "W FA01 500" << 68;
    QTest::newRow("no frequency command") << "50"
                                          << "-" << true << "" << 41;
    QTest::newRow("a number the table lacks") << "50"
                                              << "FA02" << true << "" << 41;
}

void TestKeyPadSession::fcEntry() {
    QFETCH(QString, typed);
    QFETCH(QString, freqCommNo);
    QFETCH(bool, eeprom);
    QFETCH(QString, written);
    QFETCH(int, message);
    Pad pad;
    pad.eeprom = eeprom;
    KeyPadSession::Config config;
    config.freqCommNo = freqCommNo;
    config.eeprom = [&] { return eeprom; };
    KeyPadSession session(*pad.link, pad.clock, pad.pump, pad.f.messenger, pad.values, config);
    pad.link->OpenPort();
    session.ToggleFcMode();
    QCOMPARE(session.Display(), QStringLiteral("fc  "));
    Type(session, typed);
    session.FcEnter();
    const QStringList writes = pad.recorder->frames.filter("FA01");
    QCOMPARE(writes, written.isEmpty() ? QStringList() : QStringList{written});
    QCOMPARE(pad.f.dialogs.Numbers(), message ? QList<int>{message} : QList<int>{});
}

void TestKeyPadSession::fcLimitIsTheInverters_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("message");
    QTest::newRow("above the inverter's maximum") << "40" << true << "" << 42;
    QTest::newRow("below it") << "30" << true << "W FA01 3000" << 0;
    QTest::newRow("at it") << "35.16" << true << "W FA01 3516" << 0;
    QTest::newRow("the maximum cannot be read") << "30" << false << "" << 4;
}

// The frequency command's upper limit is the maximum frequency (0002): the
// inverter's own, 35.16 Hz, not the 80 Hz the table holds.
void TestKeyPadSession::fcLimitIsTheInverters() {
    QFETCH(QString, typed);
    QFETCH(bool, answers);
    QFETCH(QString, written);
    QFETCH(int, message);
    ParaDat table;
    table.Load({"0002,0,8000,Max frequency,F02,Hz,2,0,0,40000,0,3000,#.##,100,,0,0",
                "FA01,0,0,Frequency command,Fb08,Hz,2,0,1,0002,0,0,#.##,100,RAM,0,0"},
               QStringLiteral("0*"));
    RecordedInverter inverter(table);
    const int maximum = inverter.table.FindRow(u"0002");
    inverter.values.At(maximum, UPara::Value) = QStringLiteral("8000");
    inverter.link->OpenPort();
    QVERIFY(inverter.link->Transact(maximum, QStringLiteral("3516"), u"P").ok());
    inverter.recorder->frames.clear();
    inverter.recorder->mute = !answers;
    FunctionPump pump({});
    KeyPadSession::Config config;
    config.freqCommNo = "FA01";
    KeyPadSession session(*inverter.link, inverter.clock, pump, inverter.f.messenger,
                          inverter.values, config);
    session.ToggleFcMode();
    Type(session, typed);
    session.FcEnter();
    QCOMPARE(inverter.recorder->frames.filter("FA01"),
             written.isEmpty() ? QStringList() : QStringList{written});
    QCOMPARE(inverter.recorder->frames.first(), QStringLiteral("R 0002"));
    QCOMPARE(inverter.f.dialogs.Numbers(), message ? QList<int>{message} : QList<int>{});
    QCOMPARE(inverter.values.At(maximum, UPara::Value), QStringLiteral("8000"));
}

// After a write the entry and "fc  " take turns three times, then the loop
// is asked to start again.
void TestKeyPadSession::fcWriteConfirmsAndRestarts() {
    Pad pad;
    QStringList shown;
    pad.session->SetObserver(
        {[&] { shown.append(pad.session->Display()); }, {}, {}, [&] { ++pad.restarts; }});
    pad.link->OpenPort();
    pad.session->ToggleFcMode();
    for (const QChar c : QStringLiteral("30"))
        pad.session->FcDigit(c);
    shown.clear();
    const qint64 start = pad.clock.now;
    pad.session->FcEnter();
    QCOMPARE(shown, (QStringList{"30  ", "fc  ", "30  ", "fc  ", "30  ", "fc  ", "    "}));
    QVERIFY(pad.clock.now - start >= 6 * 260);
    QCOMPARE(pad.restarts, 1);
    QVERIFY(!pad.session->FcMode());
    QCOMPARE(*pad.sim->RamValue(u"FA01"), 3000);
}

void TestKeyPadSession::fcWriteThatFailsKeepsTheEntry() {
    Pad pad;
    pad.link->OpenPort();
    pad.session->ToggleFcMode();
    pad.session->FcDigit('7');
    pad.recorder->mute = true;
    pad.session->FcEnter();
    QCOMPARE(pad.f.dialogs.Numbers(), QList<int>{4});
    QVERIFY(pad.session->FcMode());
    QCOMPARE(pad.session->Display(), QStringLiteral("7   "));
    QCOMPARE(pad.restarts, 0);
}

// FC mode entered from the loop ends the loop; the start timer does not
// start another one under FC mode, and Escape asks for it again.
void TestKeyPadSession::loopWaitsForFcModeToEnd() {
    Pad pad(10);
    pad.onPump = [&](int turn) {
        if (turn == 2)
            pad.session->ToggleFcMode();
    };
    QVERIFY(pad.session->RunLoop());
    QCOMPARE(pad.turn, 2);
    QCOMPARE(pad.session->Display(), QStringLiteral("fc  "));
    QVERIFY(!pad.session->RunLoop());
    pad.session->FcEscape();
    QCOMPARE(pad.restarts, 1);
    QVERIFY(pad.session->RunLoop());
}

QTEST_GUILESS_MAIN(TestKeyPadSession)
#include "tst_KeyPadSession.moc"
