#include "posix/files/PosixJournalFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "posix/files/PrivateDirectory.h"
#include "posix/files/ReadFile.h"

namespace tessel {
namespace {

constexpr std::string_view kPrefix = "batch-";
constexpr std::string_view kForgottenPrefix = ".forgotten-";

std::error_code LastError() {
    return {errno, std::generic_category()};
}

// Makes a file's addition or removal in folder last through a crash.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

CookieFailure NoPlace() {
    return MakeFailure(CookieProblem::kNoJournalPlace, CookieDetails().Name("HOME"));
}

CookieFailure Failed(std::error_code error) {
    return MakeFailure(CookieProblem::kFileFailed, CookieDetails().Error(error));
}

// The batch's number from its file's name; nullopt for any other file (a temporary, say).
std::optional<std::uint64_t> NumberOf(std::string_view name) {
    if (name.substr(0, kPrefix.size()) != kPrefix || name.size() == kPrefix.size())
        return std::nullopt;
    std::uint64_t number = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data() + kPrefix.size(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

// Removes the batches set aside by Forget.
void ClearForgottenIn(const std::string& folder) {
    DIR* const listing = opendir(folder.c_str());
    if (listing == nullptr)
        return;
    while (const dirent* entry = readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, kForgottenPrefix.size()) == kForgottenPrefix)
            unlinkat(dirfd(listing), entry->d_name, 0);
    }
    closedir(listing);
}

}  // namespace

std::string UndoJournalPath(const Environment& environment) {
    return XdgProgramPath(environment, "XDG_STATE_HOME", ".local/state", "undo");
}

std::string PosixJournalFile::PathOf(std::uint64_t number) const {
    return path_ + '/' + std::string(kPrefix) + std::to_string(number);
}

bool PosixJournalFile::Prepare(CookieFailure& error) {
    std::error_code failed;
    if (path_.empty())
        error = NoPlace();
    else if ((failed = MakePrivateDirectories(path_)))
        error = Failed(failed);
    else if (faccessat(AT_FDCWD, path_.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        error = Failed(LastError());
    else
        return true;
    return false;
}

std::optional<std::vector<std::uint64_t>> PosixJournalFile::Numbers(CookieFailure& error) {
    if (path_.empty()) {
        error = NoPlace();
        return std::nullopt;
    }
    std::vector<std::uint64_t> numbers;
    DIR* folder = opendir(path_.c_str());
    if (folder == nullptr) {
        if (errno == ENOENT)
            return numbers;
        error = Failed(LastError());
        return std::nullopt;
    }
    while (const dirent* entry = readdir(folder)) {
        if (const std::optional<std::uint64_t> number = NumberOf(entry->d_name))
            numbers.push_back(*number);
    }
    closedir(folder);
    return numbers;
}

std::optional<std::string> PosixJournalFile::Read(std::uint64_t number, CookieFailure& error) {
    std::string bytes;
    // A batch of every board of a large list stays far below this.
    const std::error_code failed =
        ReadWholeFile(PathOf(number), std::int64_t{64} << 20, &bytes, nullptr);
    if (failed) {
        error = Failed(failed);
        return std::nullopt;
    }
    return bytes;
}

// The batch goes to a private temporary first and is then linked to its name, which fails when
// another writer took that number meanwhile: a batch is never written over.
bool PosixJournalFile::Add(std::uint64_t number, const std::string& text, CookieFailure& error) {
    std::string temporary = path_ + "/.adding-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0) {
        error = Failed(LastError());
        return false;
    }
    std::string_view rest = text;
    while (!rest.empty()) {
        const ssize_t put = write(fd, rest.data(), rest.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        rest.remove_prefix(static_cast<std::size_t>(put));
    }
    std::error_code failed;
    if (!rest.empty() || fsync(fd) != 0)
        failed = LastError();
    if (close(fd) != 0 && !failed)
        failed = LastError();
    if (!failed && link(temporary.c_str(), PathOf(number).c_str()) != 0)
        failed = LastError();
    unlink(temporary.c_str());
    if (failed) {
        error = Failed(failed);
        return false;
    }
    SyncFolder(path_);
    return true;
}

bool PosixJournalFile::Remove(std::uint64_t number, CookieFailure& error) {
    if (unlink(PathOf(number).c_str()) != 0 && errno != ENOENT) {
        error = Failed(LastError());
        return false;
    }
    // The removal lasts through a crash, so that an undone batch is never undone again.
    SyncFolder(path_);
    return true;
}

void PosixJournalFile::Forget(std::uint64_t number) {
    const std::string path = PathOf(number);
    const std::string aside = path_ + '/' + std::string(kForgottenPrefix) + std::to_string(number);
    if (rename(path.c_str(), aside.c_str()) != 0)
        unlink(path.c_str());
    cleared_ = false;
}

void PosixJournalFile::ClearForgotten() {
    if (cleared_ || path_.empty())
        return;
    cleared_ = true;
    try {
        clearing_ = std::jthread([folder = path_] { ClearForgottenIn(folder); });
    } catch (const std::system_error&) {
        ClearForgottenIn(path_);  // no thread to spare: cleared in turn
    }
}

}  // namespace tessel
