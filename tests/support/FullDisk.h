#pragma once

#include <QString>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

// While alive, no file of this process may grow beyond `bytes`: a write past
// that fails as it would on a disk that has filled up (EFBIG instead of
// ENOSPC, through the same checks), without root or a mounted file system.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes) {
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    FullDisk(const FullDisk&) = delete;
    // The system's reason for a write it refuses, in the user's language.
    static QString Reason() { return QString::fromLocal8Bit(std::strerror(EFBIG)); }
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit previous_{};
    void (*previousSignal_)(int) = nullptr;
};
