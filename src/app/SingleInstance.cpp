#include "app/SingleInstance.h"

#include <QDir>

namespace vdk {

SingleInstance::SingleInstance(const QString& folder)
    : lock_(std::make_unique<QLockFile>(QDir(folder).filePath(QStringLiteral("VDK330Q")))) {
    // A lock is stale only when its process is gone, never by age.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::Acquire() {
    if (lock_->tryLock(0))
        return true;
    // tryLock takes over a lock whose owner died; a second look covers a
    // lock file that was half written when its owner was killed.
    return lock_->removeStaleLockFile() && lock_->tryLock(0);
}

} // namespace vdk
