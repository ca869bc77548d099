#include "posix/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace tessel {

std::error_code FileLock::Acquire(const std::string& lockPath) {
    Release();
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return {errno, std::generic_category()};
    while (flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR)
            continue;
        const std::error_code error(errno, std::generic_category());
        close(fd);
        return error;
    }
    fd_ = fd;
    return {};
}

void FileLock::Release() {
    if (fd_ < 0)
        return;
    close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
}

}  // namespace tessel
