#pragma once

#include <sys/types.h>
#include <sys/uio.h>

#include <chrono>

namespace tessel {

// The system calls an atomic file write makes, gathered so that a test can make any one of them
// fail (a full disk is a write failing with ENOSPC) and see that nothing is lost. Outside tests
// they are the system's own.
struct FileWriteCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*writev)(int fd, const iovec* pieces, int count);
    int (*fchmod)(int fd, mode_t mode);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    // A temporary file older than this is taken to be left by a writer that was killed.
    std::chrono::seconds staleAge;
};

// The system's calls, with a stale age far above what any write takes.
FileWriteCalls SystemFileWriteCalls();

// The calls atomic writes use from now on; returns those used until now.
FileWriteCalls SetFileWriteCalls(const FileWriteCalls& calls);

}  // namespace tessel
