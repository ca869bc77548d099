#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <system_error>

namespace tessel {

// An exclusive advisory lock (flock) on an existing file or directory, held until Release or
// destruction. Writers of a shared file lock the directory that really holds it (after following
// symbolic links), so that every path to the file shares one lock, no lock file is left behind for
// another user to own, and a file whose name is near the length limit needs no longer name. The
// directory is opened read-only: taking the lock never needs write permission.
class FileLock {
  public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits at most timeout for the lock; notice (when given) is called once when the lock is
    // found held by someone else, so that a user can be told what the wait is for. Returns
    // errc::resource_unavailable_try_again when the time ran out, another error when path
    // cannot be opened.
    std::error_code Acquire(const std::string& path, std::chrono::milliseconds timeout,
                            const std::function<void()>& notice = {});
    void Release();
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace tessel
