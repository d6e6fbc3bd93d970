#include "settings/FileLock.h"

#include <QDir>
#include <QFileInfo>

namespace vdk {

FileLock::FileLock(const QString& path) : path_(path), lock_(path + QStringLiteral(".lock")) {}

bool FileLock::Acquire(int waitMs, QString* error) {
    // The writers make a missing folder; the lock beside the file needs it first.
    QDir().mkpath(QFileInfo(path_).absolutePath());
    if (lock_.tryLock(waitMs))
        return true;
    if (error)
        *error = lock_.error() == QLockFile::LockFailedError
                     ? QStringLiteral("%1 is in use by another program (still locked after %2 s)")
                           .arg(path_)
                           .arg(waitMs / 1000.0)
                     : QStringLiteral("cannot make the lock file %1.lock").arg(path_);
    return false;
}

} // namespace vdk
