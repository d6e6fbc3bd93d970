#pragma once

#include "keypad/PanelDisplay.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace vdk {

class Clock;
class CommLink;
class EventPump;
class Messenger;
class ParaDat;
class UPara;

// A frequency typed for "FC Direct Input", as it would be written: the row of
// the frequency command and its raw value, or the message that refuses it
// (41 no frequency command, 42 out of range, 68 not a number, 4 a limit that
// could not be read).
struct FrequencyCommand {
    int message = 0;
    int row = -1;
    QString raw;
    double limit = 0;   // with 42: the raw limit the value went beyond
    QString unreadable; // with 4: the parameter a limit links to
};
// `freqCommNo` is the catalogue's [Freq Comm No] entry ("-" for none). The
// value times the scale is rounded to the nearest whole raw value. A limit
// linked to another parameter (the maximum frequency) is that parameter's
// value in the inverter, read first: the table may hold another inverter's,
// or the shipment value.
FrequencyCommand PrepareFrequency(CommLink& link, const UPara& values, const QString& freqCommNo,
                                  const QString& text, bool decimalComma);

// The remote key pad without its window: the poll loop that reads the panel
// display and sends key words, the keys' pending and held state, and
// "FC Direct Input" with its entry. Everything goes through the link; the
// loop lets the user interface in once per cycle through the pump.
class KeyPadSession {
public:
    enum Key { Run, Stop, Up, Down, Mon, Ent, KeyCount };
    static constexpr quint16 kCodes[KeyCount] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20};
    static constexpr quint16 kUpRelease = 260, kDownRelease = 264;
    static const char* KeyName(Key key);
    static std::optional<Key> KeyNamed(const QString& name);

    struct Config {
        QString freqCommNo = QStringLiteral("-");
        bool decimalComma = false;
        // Read each time they are used: the options may change meanwhile.
        std::function<int()> ledMs = [] { return 260; };
        std::function<bool()> eeprom = [] { return true; };
    };
    // What the window does when the session says so.
    struct Observer {
        std::function<void()> changed;        // display, lamps or keys changed
        std::function<void(bool)> phaseTimer; // start or stop the display phase timer
        std::function<void()> close;          // the link failed at the start
        std::function<void()> startLoopLater; // FC mode ended: start the loop again
    };

    KeyPadSession(CommLink& link, Clock& clock, EventPump& pump, Messenger& messenger,
                  UPara& values, Config config);
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // The poll loop: checks the link (message 4 and close when it fails),
    // then reads and sends until polling is switched off. Does nothing while
    // it runs already or FC mode is on. False when it did not run.
    bool RunLoop();
    // One cycle of the loop: the panel read, the user interface's turn, the
    // pending keys on this cycle's base. The first cycle after BeginCycles
    // has a base of 0 ms.
    void BeginCycles();
    void Cycle();
    // The last panel read, or nothing when it failed.
    const std::optional<QByteArray>& Block() const { return block_; }
    // Polling off: the loop ends after the current cycle.
    void StopPolling() { polling_ = false; }
    // Closing: polling and FC mode off.
    void Close();

    // A click (RUN, STOP, MON, ENT) or mouse-down (UP, DOWN).
    void Press(Key key);
    // Mouse-up of UP or DOWN; focus loss and deactivation count as one.
    void Release(Key key);
    void TogglePhase();

    // FC Direct Input.
    void ToggleFcMode();
    void FcDigit(QChar digit);
    void FcPoint();
    void FcBackspace();
    void FcDelete();
    void FcEscape();
    void FcEnter();

    QString Display() const { return display_; }
    quint8 Lamps() const { return lamps_; }
    bool Polling() const { return polling_; }
    bool Looping() const { return looping_; }
    bool FcMode() const { return fcMode_; }
    bool KeysVisible() const { return keysVisible_; }
    // Keys whose words did not all reach the inverter, in order.
    const QList<Key>& FailedKeys() const { return failedKeys_; }

private:
    bool Write(const QString& number, int value);
    void SendKey(Key key, int base);
    void KeyFailed(Key key);
    void ReleaseHeldKeys();
    void ShowPanel();
    void ShowEntry();
    void LeaveFcMode();
    void Changed();

    CommLink& link_;
    Clock& clock_;
    EventPump& pump_;
    Messenger& messenger_;
    UPara& values_;
    Config config_;
    Observer observer_;

    bool polling_ = false;
    bool looping_ = false;
    bool keysVisible_ = false;
    bool fcMode_ = false;
    bool keyModeOn_ = false; // FA10 was last written 1
    Key lastKey_ = Run;      // the key that last wrote it
    PanelPhase phase_ = PanelPhase::A;
    std::optional<QByteArray> block_; // the last panel read, or none when it failed
    std::array<bool, KeyCount> pending_{};
    std::array<bool, KeyCount> held_{};
    qint64 cycleStart_ = 0;
    QString display_ = QStringLiteral("    ");
    quint8 lamps_ = 0;
    QString entry_;
    bool pointSet_ = false;
    QList<Key> failedKeys_;
};

} // namespace vdk
