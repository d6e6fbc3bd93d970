#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vdk {

// Code page for files that are not valid UTF-8: data written on Windows in the
// user's language (CP932 for Japanese, Windows-1252 otherwise).
QByteArray FallbackEncodingFor(const QString& langCode);

// UTF-8 when the bytes are valid UTF-8 (a byte-order mark is dropped),
// otherwise the fallback code page; Latin-1 when that code page is unknown.
QString DecodeText(const QByteArray& bytes, const QByteArray& fallbackEncoding);

// Text lines split at CR LF, LF or a lone CR; a final line ending adds no empty line.
QStringList SplitLines(const QString& text);

// Reads a whole text file; false when it cannot be opened.
bool ReadTextLines(const QString& path, const QByteArray& fallbackEncoding, QStringList& lines);

// Files we write: UTF-8, CR LF after every line, no byte-order mark.
QByteArray EncodeLines(const QStringList& lines);

// Writes through a temporary file that replaces the target only when complete,
// so a failed write leaves the old file whole. On failure `error` holds the
// system's text.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace vdk
