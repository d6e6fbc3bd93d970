#pragma once

#include <QByteArray>
#include <QString>

namespace vdk {

class Messenger;

// Writes through a temporary file that replaces the target only when complete,
// so a failed write leaves the old file whole. On failure `error` holds the
// system's text.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// A save name the program completed after the save dialog asked about the
// name it showed (an extension added): true when it may be written, after
// asking message 17 when a file of that name exists.
bool MayWriteCompletedName(Messenger& messenger, const QString& chosen, const QString& completed);

} // namespace vdk
