#pragma once

#include "comm/CommSettings.h"

#include <QString>
#include <QStringList>
#include <array>

namespace vdk {

// The RS-232C setup dialog without its widgets: the texts and choices of the
// controls, the rules between them and the field checks. The window renders
// this state after each change it forwards.
class SerialSetup {
public:
    enum Field { IdField, PortField, DelayField, BaudField, ParityField, FieldCount };

    // A field that failed its check: message 68 (not a number, not an item)
    // or 42 (out of range; the field now holds the nearest limit).
    struct Problem {
        int message = 0;
        Field field = IdField;
        explicit operator bool() const { return message != 0; }
    };

    static const QStringList& BaudItems();

    explicit SerialSetup(QStringList parityItems);

    // Shows `settings`. The port list is the system's devices, with the
    // remembered device added when the system does not list it (now).
    // Clears the validation flag.
    void Load(const CommSettings& settings, const QStringList& systemPorts);
    // The settings the controls hold; a field that does not pass its check
    // keeps the loaded value.
    CommSettings Settings() const;

    Protocol CurrentProtocol() const { return protocol_; }
    void SetProtocol(Protocol protocol) { protocol_ = protocol; }
    // "Set number" and "Broadcast" are never both on; the number field is
    // in use with "Set number" only.
    bool AppendNo() const { return appendNo_; }
    bool Douhou() const { return douhou_; }
    void SetAppendNo(bool on);
    void SetDouhou(bool on);
    bool NumberEnabled() const { return appendNo_; }

    const QString& Text(Field field) const { return texts_[field]; }
    void SetText(Field field, const QString& text) { texts_[field] = text; }
    // Items of a list field; empty for the number fields.
    QStringList Items(Field field) const;
    // The item the text of a list field names exactly, or -1.
    int Index(Field field) const { return Items(field).indexOf(texts_[field]); }
    void Select(Field field, int index) { texts_[field] = Items(field).value(index); }

    // The up-down of a number field: the inverter number wraps around within
    // 0..63, the time-out stops at 30 and 5000. A text that is not a number
    // counts as the lowest value.
    void Step(Field field, int steps);

    // One field, when it is left or Enter is pressed in it. A number is
    // truncated, an out-of-range one set to its nearest limit; a list text
    // is replaced by the item it names. The port also takes the path of any
    // existing device typed in. A failure sets the validation flag.
    Problem Check(Field field);

    // Before the dialog closes: every field in use, top to bottom, stopping
    // at the first failure. Closing is allowed only when nothing fails now and
    // nothing failed since the last attempt; the attempt clears the flag, so
    // a clamped value is taken when the user closes again.
    struct Verdict {
        bool mayClose = false;
        Problem problem;
    };
    Verdict TryClose();

private:
    struct Range {
        int low, high;
        bool wraps;
    };
    static Range RangeOf(Field field);
    int NumberOr(Field field, int fallback) const;
    int IndexOr(Field field, int fallback) const;

    QStringList parityItems_;
    QStringList systemPorts_;
    QStringList ports_;
    CommSettings loaded_;
    Protocol protocol_ = Protocol::Inverter;
    bool appendNo_ = false;
    bool douhou_ = false;
    std::array<QString, FieldCount> texts_;
    bool failed_ = false; // the validation flag
};

} // namespace vdk
