#include "settings/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vdk {

QByteArray FallbackEncodingFor(const QString& langCode) {
    return langCode.compare(QLatin1String("Jap"), Qt::CaseInsensitive) == 0
               ? QByteArrayLiteral("windows-31j")
               : QByteArrayLiteral("windows-1252");
}

QString DecodeText(const QByteArray& bytes, const QByteArray& fallbackEncoding) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder fallback(fallbackEncoding.constData(), QStringDecoder::Flag::Stateless);
    if (fallback.isValid())
        return fallback.decode(bytes);
    return QString::fromLatin1(bytes);
}

namespace {

// Lines at CR LF, LF or a lone CR, of text or of bytes alike.
template <typename List, typename Text> List SplitAtLineEnds(const Text& text) {
    List lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

} // namespace

QStringList SplitLines(const QString& text) {
    return SplitAtLineEnds<QStringList>(text);
}

QByteArrayList SplitByteLines(const QByteArray& bytes) {
    return SplitAtLineEnds<QByteArrayList>(bytes);
}

FileReadError ReadFileBytes(const QString& path, QByteArray& bytes, qint64 maxBytes) {
    bytes.clear();
    if (path.isEmpty())
        return FileReadError::CannotOpen;
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without waiting for a FIFO's writer, and checked on the opened
    // file itself, so nothing can be swapped in between the check and the read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FileReadError::CannotOpen;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return FileReadError::NotRegularFile;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileReadError::CannotOpen;
    }
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return FileReadError::NotRegularFile;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileReadError::CannotOpen;
#endif
    // Read in pieces up to one byte past the cap: a file that grows while it
    // is read cannot make this run on.
    constexpr qint64 kPiece = 64 * 1024;
    while (bytes.size() <= maxBytes) {
        const QByteArray piece = file.read(std::min(kPiece, maxBytes + 1 - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (bytes.size() > maxBytes) {
        bytes.clear();
        return FileReadError::TooLarge;
    }
    return file.error() == QFileDevice::NoError ? FileReadError::None : FileReadError::CannotOpen;
}

bool ReadTextLines(const QString& path, const QByteArray& fallbackEncoding, QStringList& lines,
                   FileReadError* error) {
    QByteArray bytes;
    const FileReadError problem = ReadFileBytes(path, bytes);
    if (error)
        *error = problem;
    if (problem != FileReadError::None)
        return false;
    lines = SplitLines(DecodeText(bytes, fallbackEncoding));
    return true;
}

QByteArray EncodeLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    return out;
}

} // namespace vdk
