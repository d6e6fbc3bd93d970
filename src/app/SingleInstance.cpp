#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace vdk {

namespace {
const QString kLockName = QStringLiteral("VDK330Q");
} // namespace

QString SingleInstance::LockFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
    // No usable runtime folder (another user owns the one it would be): the
    // lock stays in a folder of the user's own all the same.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/VDK330Q");
    QDir().mkpath(config);
    return config;
}

SingleInstance::SingleInstance(const QString& folder)
    : lock_(std::make_unique<QLockFile>(QDir(folder).filePath(kLockName))) {
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
