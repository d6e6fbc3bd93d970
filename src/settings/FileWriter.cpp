#include "settings/FileWriter.h"

#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace vdk {

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    QFileInfo info(path);
    if (!info.absoluteDir().exists() && !QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path);
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
#ifdef Q_OS_UNIX
    // Written and synced by hand, every step checked, so that the system's
    // own reason is kept: Qt buffers small writes and a failure that shows
    // only when they are flushed would still be renamed over the old file.
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::write(file.handle(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(QString::fromLocal8Bit(std::strerror(n < 0 ? errno : ENOSPC)));
        done += n;
    }
    // Space a file system only allocates at write-back fails here, not later.
    if (::fsync(file.handle()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
#else
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString());
#endif
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool MayWriteCompletedName(Messenger& messenger, const QString& chosen, const QString& completed) {
    if (completed == chosen || !QFileInfo::exists(completed))
        return true;
    return messenger.ShowText(kMsgReplace,
                              messenger.Text(kMsgReplace) + QLatin1Char('\n') + completed,
                              MsgIcon::Exclamation, MsgButtons::YesNo) == Answer::Yes;
}

} // namespace vdk
