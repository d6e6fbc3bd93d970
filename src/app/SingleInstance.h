#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace vdk {

// The one running copy of the program for each user: a lock file named
// "VDK330Q" in the user's own runtime folder, where no other user can create
// it. A lock left by a copy that was killed is taken over.
class SingleInstance {
public:
    // The user's runtime folder (XDG_RUNTIME_DIR), or the user's
    // configuration folder when there is no usable one.
    static QString LockFolder();

    explicit SingleInstance(const QString& folder = LockFolder());
    // False when another copy holds the lock.
    bool Acquire();

private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace vdk
