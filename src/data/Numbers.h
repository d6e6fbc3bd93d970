#pragma once

#include <QStringView>
#include <optional>

namespace vdk {

// A whole decimal number with an optional sign, white space around it allowed
// ("+07", " -12 "); nothing for any other text or beyond 64 bits. Much faster
// than QString::toLongLong, which goes through the locale machinery; the
// tables are full of such numbers.
std::optional<qint64> ParseWholeNumber(QStringView text);

} // namespace vdk
