#pragma once

#include "comm/CommLink.h"
#include "table/ParameterTable.h"

#include <QStringList>

namespace vdk {

struct CommSettings;
struct InverterIdentity;
class LanguageTexts;
class UPara;

// What the main window's status bar says: where the program is connected,
// to which inverter, in which view, and what is not saved or not written.
struct StatusLine {
    enum Field { Line, Address, Inverter, Link, View, Changed, Unwritten, FieldCount };

    // One text per Field, in the run's language.
    static QStringList Fields(const CommSettings& comms, const InverterIdentity& id,
                              CommIndicator::Image link, ParameterTable::Mode view,
                              const UPara& values, const LanguageTexts& texts);
};

} // namespace vdk
