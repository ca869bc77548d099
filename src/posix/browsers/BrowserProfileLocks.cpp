#include "posix/browsers/BrowserProfileLocks.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace tessel {
namespace {

// The process holding a write lock on the file at path, or 0 when none does.
pid_t WriteLockHolder(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool held = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return held ? probe.l_pid : 0;
}

std::string HostName() {
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

}  // namespace

FirefoxProfileLock::FirefoxProfileLock(std::string profileDirectory)
    : lockPath_(std::move(profileDirectory) + "/.parentlock") {}

CookieFailure FirefoxProfileLock::InUseReason() {
    const pid_t holder = WriteLockHolder(lockPath_);
    if (holder == 0)
        return {};
    return MakeFailure(CookieProblem::kFirefoxRunning, CookieDetails().Number(holder));
}

ChromiumProfileLock::ChromiumProfileLock(std::string userDataDirectory)
    : linkPath_(std::move(userDataDirectory) + "/SingletonLock") {}

CookieFailure ChromiumProfileLock::InUseReason() {
    char target[512] = {};
    const ssize_t size = readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (size <= 0)
        return {};
    const std::string_view text(target, static_cast<std::size_t>(size));
    const std::size_t dash = text.rfind('-');
    const std::string_view host = text.substr(0, dash == std::string_view::npos ? 0 : dash);
    pid_t pid = 0;
    if (dash != std::string_view::npos)
        std::from_chars(text.data() + dash + 1, text.data() + text.size(), pid);
    if (host != HostName()) {
        return MakeFailure(CookieProblem::kChromiumElsewhere,
                           CookieDetails().Name(std::string(host)));
    }
    if (pid <= 0 || (kill(pid, 0) != 0 && errno != EPERM))
        return {};
    return MakeFailure(CookieProblem::kChromiumRunning, CookieDetails().Number(pid));
}

}  // namespace tessel
