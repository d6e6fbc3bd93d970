#pragma once

#include "comm/CommSettings.h"

#include <QCommandLineOption>
#include <QList>
#include <optional>

class QCommandLineParser;

namespace vdk {

// The command line's link options: --port --baud --parity --protocol --id
// --broadcast --timeout.
QList<QCommandLineOption> LinkOptionList();

// The stored [Comms] settings with the options given on top. Empty, with
// `error` naming the bad option, when an option's value is not acceptable.
std::optional<CommSettings> LinkSettingsFrom(const QCommandLineParser& parser,
                                             CommSettings settings, QString& error);

} // namespace vdk
