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

std::string FirefoxProfileLock::InUseReason() {
    const pid_t holder = LockHolder(lockPath_);
    if (holder == 0)
        return {};
    return "Firefox が起動中です（プロセス " + std::to_string(holder) +
           "）。Firefox を終了してからやり直してください";
}

ChromiumProfileLock::ChromiumProfileLock(std::string userDataDirectory, std::string browser,
                                         std::string runtimeDirectory)
    : userData_(std::move(userDataDirectory)),
      browser_(std::move(browser)),
      runtimeDirectory_(std::move(runtimeDirectory)) {}

std::string ChromiumProfileLock::InUseReason() {
    char target[512] = {};
    const std::string link = userData_ + "/SingletonLock";
    const ssize_t size = readlink(link.c_str(), target, sizeof target - 1);
    if (size <= 0)
        return {};
    const std::string_view text(target, static_cast<std::size_t>(size));
    const std::size_t dash = text.rfind('-');
    const std::string_view host = text.substr(0, dash == std::string_view::npos ? 0 : dash);
    const std::string pidText(dash == std::string_view::npos ? "" : text.substr(dash + 1));
    const std::string quit = browser_ + " を終了してからやり直してください";
    if (host != HostName())
        return browser_ + " が別のコンピューター（" + std::string(host) + "）で起動中です。" + quit;
    if (const std::string app = FlatpakApp(userData_); !app.empty())
        return FlatpakReason(app, pidText);
    pid_t pid = 0;
    std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid);
    if (!Alive(pid))
        return {};
    return browser_ + " が起動中です（プロセス " + std::to_string(pid) + "）。" + quit;
}

std::string ChromiumProfileLock::FlatpakReason(const std::string& appId, const std::string& pid) {
    namespace fs = std::filesystem;
    const std::string quit = browser_ + " を終了してからやり直してください";
    const std::string doubt = browser_ + " の SingletonLock は flatpak の中のプロセス（" + pid +
                              "）を指していて、起動中かどうか確かめられません。" + quit +
                              "（終了しているなら SingletonLock を消してください）";
    if (runtimeDirectory_.empty())
        return doubt;
    const fs::path instances = fs::path(runtimeDirectory_) / ".flatpak";
    std::error_code error;
    if (!fs::exists(instances, error))
        return error ? doubt : std::string();  // no flatpak has run in this session
    fs::directory_iterator entries(instances, error);
    if (error)
        return doubt;
    for (const fs::directory_entry& instance : entries) {
        if (ReadAll(instance.path() / "info").find("\nname=" + appId + "\n") == std::string::npos)
            continue;
        // flatpak holds a lock on an instance's ".ref" while the instance lives.
        if (LockHolder((instance.path() / ".ref").string()) != 0)
            return browser_ + " が flatpak で起動中です。" + quit;
        const std::string info = ReadAll(instance.path() / "bwrapinfo.json");
        const std::size_t key = info.find("\"child-pid\"");
        pid_t child = 0;
        if (const std::size_t digits = info.find_first_of("0123456789", key);
            key != std::string::npos && digits != std::string::npos)
            std::from_chars(info.data() + digits, info.data() + info.size(), child);
        if (Alive(child))
            return browser_ + " が flatpak で起動中です（プロセス " + std::to_string(child) +
                   "）。" + quit;
    }
    return {};
}

}  // namespace tessel
