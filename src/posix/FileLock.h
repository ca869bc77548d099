#pragma once

#include <string>
#include <system_error>

namespace tessel {

// An exclusive advisory lock (flock) on a lock file, held until Release or destruction. Processes
// that take the same lock file before a read-modify-write of a shared file cannot lose each
// other's changes. The lock file is created with mode 0600 and left in place: removing it would
// let a late process lock a file that no one else sees any more.
class FileLock {
  public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits for the lock. An error when the lock file cannot be opened or created.
    std::error_code Acquire(const std::string& lockPath);
    void Release();
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace tessel
