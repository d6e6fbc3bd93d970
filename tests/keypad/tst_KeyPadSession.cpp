// The key pad's poll loop on the simulated inverter and the virtual clock:
// every frame it sends, in order, for clicks and held keys, the panel it
// shows, FC Direct Input, and what happens when a key does not get through.
#include "DataFixture.h"
#include "VirtualClock.h"
#include "base/EventPump.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "keypad/KeyPadSession.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"

#include <QTest>

using namespace vdk;
using Key = KeyPadSession::Key;

namespace {

ParaDat KeyPadTable() {
    ParaDat table;
    table.Load({"0000,0,10,Max freq,F00,Hz,2,0,0,400,0,0,#.#,10,-,0,1",
                "FA01,0,0,Frequency command,Fb08,Hz,2,0,0,40000,0,0,#.##,100,RAM,0,0",
                "FA10,0,0,Key mode,Fb09,,2,0,0,1,0,0,,,RAM,1,0",
                "FA11,0,0,Key data,Fb10,,2,0,0,65535,0,0,,,RAM,1,0",
                "FC10,0,0,Panel display data 1,Fb15,,2,0,0,65535,0,0,,,,1,0"},
               QStringLiteral("0*"));
    return table;
}

// The port of the link: passes frames to the simulated inverter and notes
// each as text ("R FC10", "P FA11 257") with the time it left; while `mute`
// nothing reaches the inverter.
class RecordingPort final : public SerialPort {
public:
    RecordingPort(SerialPort& inner, VirtualClock& clock) : inner_(inner), clock_(clock) {}
    int OpenPort(const PortSettings& s) override { return inner_.OpenPort(s); }
    void ClosePort() override { inner_.ClosePort(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    void SendFrame(const QByteArray& f) override {
        QString text = QChar::fromLatin1(f[1]) + QLatin1Char(' ') +
                       QString::fromLatin1(f.mid(2, 2).toHex().toUpper());
        if (f[1] != 'R')
            text += QLatin1Char(' ') + QString::number(quint8(f[4]) << 8 | quint8(f[5]));
        frames.append(text);
        times.append(clock_.now);
        if (!mute)
            inner_.SendFrame(f);
    }
    int WaitingCount() override { return inner_.WaitingCount(); }
    QByteArray ReadWaiting() override { return inner_.ReadWaiting(); }
    void ReleaseLine() override { inner_.ReleaseLine(); }
    int WaitForBytes(int count, qint64 deadline) override {
        return inner_.WaitForBytes(count, deadline);
    }

    QStringList frames;
    QList<qint64> times;
    bool mute = false;

private:
    SerialPort& inner_;
    VirtualClock& clock_;
};

// A key pad on the simulated inverter. `onPump` runs at each turn of the
// user interface, with the turn's number from 1; it stops the loop after
// `cycles` turns.
struct Pad {
    explicit Pad(int cycles = 3) : cycles(cycles) {
        SimOptions o;
        o.latencyMs = 2;
        sim = std::make_unique<InverterSim>(table, o, "FA01");
        port = std::make_unique<SimulatedPort>(*sim, clock);
        recorder = std::make_unique<RecordingPort>(*port, clock);
        link = std::make_unique<CommLink>(*recorder, clock, f.messenger, flags);
        link->SetTable(&table);
        values.Resize(table.Count());
        KeyPadSession::Config config;
        config.freqCommNo = "FA01";
        config.eeprom = [this] { return eeprom; };
        session = std::make_unique<KeyPadSession>(*link, clock, pump, f.messenger, values, config);
        session->SetObserver({{}, {}, [this] { closed = true; }, [this] { ++restarts; }});
    }
    // The frames from the first panel read on, without the checks.
    QStringList Loop() const {
        QStringList frames = recorder->frames;
        while (!frames.isEmpty() && frames.first() != "R FC10")
            frames.removeFirst();
        while (!frames.isEmpty() && frames.last() == "R 0000")
            frames.removeLast();
        return frames;
    }
    // The key word of a cycle starting at the read at `readIndex` of the
    // recorded frames: the previous cycle's length / 4 in the high byte.
    int Base(int read) const {
        QList<qint64> reads;
        for (int i = 0; i < recorder->frames.size(); ++i)
            if (recorder->frames[i] == "R FC10")
                reads.append(recorder->times[i]);
        return int((reads[read] - reads[read - 1]) / 4) * 256;
    }

    DataFixture f;
    ParaDat table = KeyPadTable();
    UPara values;
    VirtualClock clock;
    ProgramFlags flags;
    std::unique_ptr<InverterSim> sim;
    std::unique_ptr<SimulatedPort> port;
    std::unique_ptr<RecordingPort> recorder;
    std::unique_ptr<CommLink> link;
    int cycles;
    int turn = 0;
    std::function<void(int)> onPump;
    FunctionPump pump{[this] {
        ++turn;
        clock.Advance(40); // the user interface's turn takes its time
        if (onPump)
            onPump(turn);
        if (turn >= cycles)
            session->StopPolling();
    }};
    bool eeprom = true;
    bool closed = false;
    int restarts = 0;
    std::unique_ptr<KeyPadSession> session;
};

QString P(const char* number, int value) {
    return QStringLiteral("P %1 %2").arg(QLatin1String(number)).arg(value);
}

} // namespace

class TestKeyPadSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runClickGoesOutInItsCycle();
    void upHeldThreeCyclesThenReleased();
    void twoKeysInOneCycleShareTheBase();
    void endingTheLoopReleasesAHeldKey();
    void longCycleKeepsTheKeyByte();
    void panelFollowsTheInverter();
    void failedStopIsNeverSilent();
    void noLinkClosesTheWindow();
    void fcEntry_data();
    void fcEntry();
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
    session.FcEnter();
    const QStringList writes = pad.recorder->frames.filter("FA01");
    QCOMPARE(writes, written.isEmpty() ? QStringList() : QStringList{written});
    QCOMPARE(pad.f.dialogs.Numbers(), message ? QList<int>{message} : QList<int>{});
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
