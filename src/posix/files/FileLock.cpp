#include "posix/files/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace tessel {

std::error_code FileLock::Acquire(const std::string& path, std::chrono::milliseconds timeout,
                                  const std::function<void()>& notice) {
    Release();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {errno, std::generic_category()};
    // Polled rather than blocking, so that a lock another program never gives back costs a
    // bounded wait instead of a hang.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool told = false;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            close(fd);
            return {error, std::generic_category()};
        }
        if (!told && notice)
            notice();
        told = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
