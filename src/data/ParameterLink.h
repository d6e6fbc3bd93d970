#pragma once

#include <QString>

namespace vdk {

// One parameter at a time to and from the inverter, for the table editor's
// selected transfers: the editor walks the rows and keeps the typed entry and
// the undo store; the link does the exchange and leaves in the value table
// what a transfer leaves there.
class ParameterLink {
public:
    virtual ~ParameterLink() = default;
    // Whether the inverter answers the communication check.
    virtual bool Ready() = 0;
    // Whether writes may go out now (a broadcast line asks once first).
    virtual bool MayWrite() { return true; }
    // Reads parameter `param` into the value table; false when the read
    // failed, and then the table keeps its value.
    virtual bool Read(int param) = 0;
    // Writes the raw value `rawText` to parameter `param`, to EEPROM or to
    // RAM; the value the table is to hold: the inverter's echo, or the value
    // it holds when the write failed.
    virtual QString Write(int param, const QString& rawText, bool eeprom) = 0;
};

} // namespace vdk
