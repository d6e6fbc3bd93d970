#pragma once

#include "comm/FrameCodec.h"
#include "comm/SerialPort.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

class IniFile;

// The [Comms] settings: protocol, line, addressing and time-out.
struct CommSettings {
    static constexpr int kMinDelay = 30;
    static constexpr int kMaxDelay = 5000;
    static constexpr int kMaxId = 63;

    Protocol protocol = Protocol::Inverter;
    PortSettings port;
    int id = 0;
    bool appendNo = false; // "Set number"
    bool douhou = false;   // "Broadcast"
    int delay = 200;       // response time-out, ms

    Addressing Address() const;
    bool operator==(const CommSettings&) const = default;
};

// Reads [Comms]; values outside their ranges are clamped (ID, Delay) or take
// their defaults (list indexes), and "Set number" with "Broadcast" both on
// keeps only "Broadcast".
CommSettings LoadCommSettings(const IniFile& settings);
bool SaveCommSettings(IniFile& settings, const CommSettings& comms);

// Checks of the setup dialog's fields.
struct FieldCheck {
    enum Result { Ok, NotANumber, OutOfRange };
    Result result = Ok;
    int value = 0; // the number, truncated, and clamped when out of range
    int Message() const { return result == NotANumber ? 68 : result == OutOfRange ? 42 : 0; }
};

// A number field: empty or not a number is refused (message 68); a number is
// truncated to an integer and, outside [low, high], set to the nearest limit
// (message 42).
FieldCheck CheckNumberField(const QString& text, int low, int high);

// A list field: the index of the item the text names (letter case and
// surrounding spaces do not matter), or nothing (message 68).
std::optional<int> CheckListField(const QString& text, const QStringList& items);

} // namespace vdk
