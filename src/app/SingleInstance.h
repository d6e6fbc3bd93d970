#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace vdk {

// The one running copy of the program: a lock file named "VDK330Q" in the
// temporary folder. A lock left by a copy that was killed is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& folder);
    // False when another copy holds the lock.
    bool Acquire();

private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace vdk
