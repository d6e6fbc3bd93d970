#include "keypad/KeyPadSession.h"

#include "base/Clock.h"
#include "base/EventPump.h"
#include "comm/CommLink.h"
#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <algorithm>
#include <utility>

namespace vdk {

namespace {
const QString kKeyWord = QStringLiteral("FA11");
const QString kKeyMode = QStringLiteral("FA10");
const QString kBlank = QStringLiteral("    ");
const QString kFc = QStringLiteral("fc  ");
const QString kComError = QStringLiteral("coMe");
constexpr int kMaxDigits = 4;
constexpr int kBlinks = 3;

// `values` with the parameters that the limits of `row` link to as the
// inverter holds them; false, with `unreadable` named, when a read failed.
bool ReadLinkedLimits(CommLink& link, int row, UPara& values, QString& unreadable) {
    const ParaDat& table = *link.Table();
    for (const auto& [index, text] : {std::pair{HIndex, High}, std::pair{LIndex, Low}}) {
        if (table.At(row, index) == QLatin1String("0"))
            continue;
        const int linked = table.FindRow(table.At(row, text));
        if (linked < 0 || linked >= values.Count())
            continue; // no limit
        const TransactResult read = link.Transact(linked, QString(), u"R");
        if (!read.ok()) {
            unreadable = table.At(linked, ComNo);
            return false;
        }
        values.At(linked, UPara::Value) = RawText(double(link.RawOf(linked, read.value, values)));
    }
    return true;
}

} // namespace

FrequencyCommand PrepareFrequency(CommLink& link, const UPara& values, const QString& freqCommNo,
                                  const QString& text, bool decimalComma) {
    FrequencyCommand command;
    const ParaDat* table = link.Table();
    command.row = !table || freqCommNo == QLatin1String("-") ? -1 : table->FindRow(freqCommNo);
    if (command.row < 0) {
        command.message = kMsgEmptyEntry;
        return command;
    }
    const Entry entry = ConvertEntry(*table, values, command.row, text, decimalComma);
    if (entry.status != Entry::Ok || entry.hex) {
        command.message = kMsgDataError;
        return command;
    }
    UPara inverter = values;
    if (!ReadLinkedLimits(link, command.row, inverter, command.unreadable)) {
        command.message = kMsgNoLink;
        return command;
    }
    const RangeCheck range = CheckRange(*table, inverter, command.row, entry.raw);
    if (range.clamped || range.unreadable) {
        command.message = kMsgClamped;
        command.limit = range.value;
    } else {
        command.raw = RawText(range.value);
    }
    return command;
}

const char* KeyPadSession::KeyName(Key key) {
    static const char* const kNames[KeyCount] = {"RUN", "STOP", "UP", "DOWN", "MON", "ENT"};
    return kNames[key];
}

std::optional<KeyPadSession::Key> KeyPadSession::KeyNamed(const QString& name) {
    for (int k = 0; k < KeyCount; ++k)
        if (name.compare(QLatin1String(KeyName(Key(k))), Qt::CaseInsensitive) == 0)
            return Key(k);
    return std::nullopt;
}

KeyPadSession::KeyPadSession(CommLink& link, Clock& clock, EventPump& pump, Messenger& messenger,
                             UPara& values, Config config)
    : link_(link), clock_(clock), pump_(pump), messenger_(messenger), values_(values),
      config_(std::move(config)) {}

void KeyPadSession::Changed() {
    if (observer_.changed)
        observer_.changed();
}

bool KeyPadSession::RunLoop() {
    // One loop at a time, and none under FC mode.
    if (looping_ || polling_ || fcMode_)
        return false;
    if (!link_.CommunicationCheck()) {
        messenger_.Show(kMsgNoLink, MsgIcon::Exclamation);
        if (observer_.close)
            observer_.close();
        return false;
    }
    looping_ = polling_ = keysVisible_ = true;
    if (observer_.phaseTimer)
        observer_.phaseTimer(true);
    Changed();
    BeginCycles();
    while (polling_)
        Cycle();
    // A key still down, or the key mode still on, would leave the inverter
    // in the middle of a key press.
    ReleaseHeldKeys();
    lamps_ = 0;
    display_ = fcMode_ ? kFc : kBlank;
    if (observer_.phaseTimer)
        observer_.phaseTimer(false);
    keysVisible_ = false;
    looping_ = false;
    Changed();
    link_.CommunicationCheck();
    return true;
}

void KeyPadSession::BeginCycles() {
    cycleStart_ = clock_.Milliseconds();
}

void KeyPadSession::Cycle() {
    const qint64 now = clock_.Milliseconds();
    // The previous cycle's length in 4 ms units, at most what its byte holds.
    const int base = int(std::clamp<qint64>((now - cycleStart_) / 4, 0, 255)) * 256 + 1;
    cycleStart_ = now;
    block_ = link_.ReadPanel();
    ShowPanel();
    pump_.ProcessEvents();
    // Keys clicked meanwhile go out on this cycle's base, even when the
    // click also ended the polling (a STOP before closing must be sent).
    for (int k = 0; k < KeyCount; ++k)
        SendKey(Key(k), base);
}

void KeyPadSession::SendKey(Key key, int base) {
    int word = base - 1 + kCodes[key];
    if (key == Up || key == Down) {
        // A cycle of 4 to 7 ms would make a held key's word its release word.
        if (word == kUpRelease || word == kDownRelease)
            word += 256;
        if (pending_[key]) {
            if (!Write(kKeyWord, word))
                KeyFailed(key);
        } else if (held_[key]) {
            held_[key] = false;
            const bool sent = Write(kKeyWord, key == Up ? kUpRelease : kDownRelease);
            if (!(Write(kKeyMode, 0) && sent))
                KeyFailed(key);
        }
        return;
    }
    if (!pending_[key])
        return;
    pending_[key] = false;
    if (link_.SendKeyWord(word))
        return;
    keyModeOn_ = true; // the key mode may still be on: the loop's end writes it off again
    KeyFailed(key);
}

bool KeyPadSession::Write(const QString& number, int value) {
    const bool ok = link_.WriteRam(number, value);
    if (number == kKeyMode && ok)
        keyModeOn_ = value == 1;
    return ok;
}

// A key that did not reach the inverter is never lost silently: the panel
// shows "coMe" until a read succeeds again, and the user is told which key.
void KeyPadSession::KeyFailed(Key key) {
    failedKeys_.append(key);
    block_.reset();
    ShowPanel();
    messenger_.ShowText(kMsgKeyNotSent,
                        messenger_.Text(kMsgKeyNotSent) + QLatin1Char(' ') +
                            QLatin1String(KeyName(key)),
                        MsgIcon::Exclamation);
}

void KeyPadSession::ReleaseHeldKeys() {
    for (Key key : {Up, Down}) {
        pending_[key] = false;
        if (held_[key])
            SendKey(key, 1);
    }
    // A key whose failure was told already is not told again.
    if (keyModeOn_ && !Write(kKeyMode, 0) &&
        (failedKeys_.isEmpty() || failedKeys_.back() != lastKey_))
        KeyFailed(lastKey_);
}

void KeyPadSession::Press(Key key) {
    if (!link_.MayWrite())
        return;
    lastKey_ = key;
    Write(kKeyWord, 0);
    pending_[key] = true;
    if (key == Up || key == Down) {
        held_[key] = true;
        Write(kKeyMode, 1);
    }
}

void KeyPadSession::Release(Key key) {
    if (key == Up || key == Down)
        pending_[key] = false;
}

void KeyPadSession::TogglePhase() {
    phase_ = phase_ == PanelPhase::A ? PanelPhase::B : PanelPhase::A;
    if (polling_)
        ShowPanel();
}

void KeyPadSession::ShowPanel() {
    if (!block_) {
        display_ = phase_ == PanelPhase::A ? kComError : kBlank;
        lamps_ = 0;
    } else {
        const PanelFrame frame = FrameOf(*block_, phase_);
        display_ = frame.text;
        lamps_ = frame.lamps;
    }
    Changed();
}

void KeyPadSession::Close() {
    polling_ = false;
    fcMode_ = false;
    entry_.clear();
    pointSet_ = false;
    display_ = kBlank;
    lamps_ = 0;
    Changed();
}

void KeyPadSession::ToggleFcMode() {
    if (fcMode_) {
        FcEscape();
        return;
    }
    polling_ = false;
    fcMode_ = true;
    entry_.clear();
    pointSet_ = false;
    lamps_ = 0;
    ShowEntry();
}

void KeyPadSession::LeaveFcMode() {
    fcMode_ = false;
    entry_.clear();
    pointSet_ = false;
    display_ = kBlank;
    Changed();
    if (observer_.startLoopLater)
        observer_.startLoopLater();
}

void KeyPadSession::ShowEntry() {
    display_ = entry_.isEmpty() ? kFc : entry_.leftJustified(kMaxDigits);
    Changed();
}

void KeyPadSession::FcDigit(QChar digit) {
    if (!fcMode_ || !digit.isDigit() || entry_.size() >= kMaxDigits)
        return;
    entry_.append(digit);
    ShowEntry();
}

void KeyPadSession::FcPoint() {
    if (!fcMode_ || pointSet_)
        return;
    if (entry_.isEmpty() || !entry_.back().isDigit()) {
        messenger_.Show(kMsgDataError, MsgIcon::Exclamation);
        return;
    }
    entry_.back() = WithPoint(entry_.back());
    pointSet_ = true;
    ShowEntry();
}

void KeyPadSession::FcBackspace() {
    if (!fcMode_ || entry_.isEmpty())
        return;
    if (const QChar digit = WithoutPoint(entry_.back()); !digit.isNull()) {
        entry_.back() = digit;
        pointSet_ = false;
    } else {
        entry_.chop(1);
    }
    if (entry_.isEmpty())
        pointSet_ = false;
    ShowEntry();
}

void KeyPadSession::FcDelete() {
    if (!fcMode_)
        return;
    entry_.clear();
    pointSet_ = false;
    ShowEntry();
}

void KeyPadSession::FcEscape() {
    if (fcMode_)
        LeaveFcMode();
}

void KeyPadSession::FcEnter() {
    if (!fcMode_ || entry_.isEmpty() || !link_.MayWrite())
        return;
    QString text;
    for (const QChar c : std::as_const(entry_)) {
        const QChar digit = WithoutPoint(c);
        text += digit.isNull() ? QString(c)
                               : QString(digit) + QLatin1Char(config_.decimalComma ? ',' : '.');
    }
    const FrequencyCommand command =
        PrepareFrequency(link_, values_, config_.freqCommNo, text, config_.decimalComma);
    if (command.message != 0) {
        messenger_.Show(command.message, MsgIcon::Exclamation);
        return;
    }
    if (!link_.Transact(command.row, command.raw, config_.eeprom() ? u"W" : u"P").ok()) {
        messenger_.Show(kMsgNoLink, MsgIcon::Exclamation); // the entry stays for another try
        return;
    }
    // The entry and "fc  " take turns three times to confirm the write.
    const QString shown = entry_.leftJustified(kMaxDigits);
    for (int i = 0; i < kBlinks; ++i) {
        for (const QString& state : {shown, kFc}) {
            display_ = state;
            Changed();
            WaitPumping(clock_, pump_, clock_.Milliseconds() + config_.ledMs());
        }
    }
    if (fcMode_) // Escape may have ended it meanwhile
        LeaveFcMode();
}

} // namespace vdk
