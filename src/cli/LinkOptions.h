#pragma once

#include "comm/CommSettings.h"

#include <QCommandLineOption>
#include <QList>
#include <optional>

class QCommandLineParser;
class QTextStream;

namespace vdk {

class LineLog;

// The command line's link options: --port --baud --parity --protocol --id
// --broadcast --timeout --trace, and --no-line-log (hidden: it exists to
// measure what the recording costs).
QList<QCommandLineOption> LinkOptionList();

// With --trace, each exchange's line goes to `err` as it happens; with
// --no-line-log nothing is recorded.
void ApplyLogOptions(const QCommandLineParser& parser, LineLog& log, QTextStream& err);

// The stored [Comms] settings with the options given on top. Empty, with
// `error` naming the bad option, when an option's value is not acceptable.
std::optional<CommSettings> LinkSettingsFrom(const QCommandLineParser& parser,
                                             CommSettings settings, QString& error);

} // namespace vdk
