#include "posix/browsers/BrowserProfileLocks.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tessel {
namespace {

// The process holding a lock on the file at path that a write lock would meet, or 0 when none
// does.
pid_t LockHolder(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool held = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return held ? (probe.l_pid > 0 ? probe.l_pid : 1) : 0;
}

std::string HostName() {
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

bool Alive(pid_t pid) {
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The flatpak application whose home holds folder ("org.chromium.Chromium"), or empty.
std::string FlatpakApp(const std::string& folder) {
    constexpr std::string_view kApps = "/.var/app/";
    const std::size_t at = folder.find(kApps);
    if (at == std::string::npos)
        return {};
    const std::size_t begin = at + kApps.size();
    return folder.substr(begin, folder.find('/', begin) - begin);
}

}  // namespace

FirefoxProfileLock::FirefoxProfileLock(std::string profileDirectory)
    : lockPath_(std::move(profileDirectory) + "/.parentlock") {}

CookieFailure FirefoxProfileLock::InUseReason() {
    const pid_t holder = LockHolder(lockPath_);
    if (holder == 0)
        return {};
    return MakeFailure(CookieProblem::kFirefoxRunning, CookieDetails().Number(holder));
}

ChromiumProfileLock::ChromiumProfileLock(std::string userDataDirectory, std::string browser,
                                         std::string runtimeDirectory)
    : userData_(std::move(userDataDirectory)),
      browser_(std::move(browser)),
      runtimeDirectory_(std::move(runtimeDirectory)) {}

CookieFailure ChromiumProfileLock::InUseReason() {
    char target[512] = {};
    const std::string link = userData_ + "/SingletonLock";
    const ssize_t size = readlink(link.c_str(), target, sizeof target - 1);
    if (size <= 0)
        return {};
    const std::string_view text(target, static_cast<std::size_t>(size));
    const std::size_t dash = text.rfind('-');
    const std::string_view host = text.substr(0, dash == std::string_view::npos ? 0 : dash);
    pid_t pid = 0;
    if (dash != std::string_view::npos)
        std::from_chars(text.data() + dash + 1, text.data() + text.size(), pid);
    if (host != HostName())
        return MakeFailure(CookieProblem::kChromiumElsewhere,
                           CookieDetails().Name(std::string(host)));
    if (const std::string app = FlatpakApp(userData_); !app.empty())
        return FlatpakReason(app, pid);
    if (!Alive(pid))
        return {};
    return MakeFailure(CookieProblem::kChromiumRunning, CookieDetails().Number(pid).Name(browser_));
}

CookieFailure ChromiumProfileLock::FlatpakReason(const std::string& appId, pid_t pid) {
    namespace fs = std::filesystem;
    const CookieFailure doubt =
        MakeFailure(CookieProblem::kFlatpakUnsure, CookieDetails().Name(browser_).Number(pid));
    if (runtimeDirectory_.empty())
        return doubt;
    const fs::path instances = fs::path(runtimeDirectory_) / ".flatpak";
    std::error_code error;
    if (!fs::exists(instances, error))
        return error ? doubt : CookieFailure();  // no flatpak has run in this session
    fs::directory_iterator entries(instances, error);
    if (error)
        return doubt;
    for (const fs::directory_entry& instance : entries) {
        if (ReadAll(instance.path() / "info").find("\nname=" + appId + "\n") == std::string::npos)
            continue;
        // flatpak holds a lock on an instance's ".ref" while the instance lives.
        pid_t running = LockHolder((instance.path() / ".ref").string());
        if (running == 0) {
            const std::string info = ReadAll(instance.path() / "bwrapinfo.json");
            const std::size_t key = info.find("\"child-pid\"");
            const std::size_t digits = info.find_first_of("0123456789", key);
            pid_t child = 0;
            if (key != std::string::npos && digits != std::string::npos)
                std::from_chars(info.data() + digits, info.data() + info.size(), child);
            running = Alive(child) ? child : 0;
        }
        if (running != 0) {
            return MakeFailure(CookieProblem::kFlatpakRunning,
                               CookieDetails().Name(browser_).Number(running));
        }
    }
    return {};
}

}  // namespace tessel
