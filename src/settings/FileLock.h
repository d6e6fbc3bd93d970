#pragma once

#include <QLockFile>
#include <QString>

namespace vdk {

// How long a read-modify-write waits for another one on the same file.
constexpr int kFileLockWaitMs = 10000;

// An advisory lock for reading, changing and writing back one file: the lock
// file beside it (path + ".lock"). Two runs that both take it work in turn
// instead of one writing over the other's edit. The lock file is separate
// because the writers replace the file itself by a rename; a lock left by a
// process that has died is taken over. Released when the object goes.
class FileLock {
public:
    explicit FileLock(const QString& path);

    // Waits up to `waitMs` for the lock. False when another run keeps it or
    // the lock file cannot be made; `error` then says so in plain words.
    bool Acquire(int waitMs, QString* error);

private:
    QString path_;
    QLockFile lock_;
};

} // namespace vdk
