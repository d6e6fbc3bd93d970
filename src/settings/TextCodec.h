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

// The bytes of each line, split where SplitLines splits the decoded text: CR
// and LF never occur inside a character of the code pages read.
QByteArrayList SplitByteLines(const QByteArray& bytes);

// Why a file was not read.
enum class FileReadError { None, CannotOpen, NotRegularFile, TooLarge };

// The files the program reads are small; the cap keeps an endless or huge file
// from being read into memory.
constexpr qint64 kMaxTextFileBytes = 16 * 1024 * 1024;

// Reads a whole regular file of at most `maxBytes`. Anything else (a FIFO,
// which would block until a writer comes, a device such as /dev/zero, which
// never ends, a directory) is refused without being read.
FileReadError ReadFileBytes(const QString& path, QByteArray& bytes,
                            qint64 maxBytes = kMaxTextFileBytes);

// Reads a whole text file by the rules of ReadFileBytes; false when it was not
// read, and then `error` (when given) says why.
bool ReadTextLines(const QString& path, const QByteArray& fallbackEncoding, QStringList& lines,
                   FileReadError* error = nullptr);

// Files we write: UTF-8, CR LF after every line, no byte-order mark.
QByteArray EncodeLines(const QStringList& lines);

} // namespace vdk
