#include "posix/files/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <span>
#include <vector>

#include "posix/files/FileWriteCalls.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

int SystemOpen(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

FileWriteCalls& Calls() {
    static FileWriteCalls calls = SystemFileWriteCalls();
    return calls;
}

// The kernel's own limit on symbolic links followed while resolving one path.
constexpr int kMaxLinkDepth = 40;

// statfs's f_type for /proc.
constexpr decltype(statfs::f_type) kProcFileSystem = 0x9fa0;

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::error_code ReadLink(const std::string& path, std::string* target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0)
            return LastError();
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            *target = buffer;
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

FileWriteCalls SystemFileWriteCalls() {
    // A writer that has not finished within an hour is not coming back.
    return {SystemOpen, ::writev, ::fchmod, ::fsync, ::close, ::rename, std::chrono::hours(1)};
}

FileWriteCalls SetFileWriteCalls(const FileWriteCalls& calls) {
    const FileWriteCalls previous = Calls();
    Calls() = calls;
    return previous;
}

bool NamesThroughDescriptor(const std::string& path) {
    // The folder that really holds each name of the chain: /dev/fd and any link to a descriptor
    // folder resolve to /proc/<pid>/fd.
    std::string current = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code ignored;
        const fs::path folder = fs::absolute(fs::path(current), ignored).parent_path();
        // Only a folder of the proc file system can be one; one statfs spares resolving every
        // folder of the path.
        struct statfs system {};
        if (statfs(folder.c_str(), &system) == 0 && system.f_type == kProcFileSystem) {
            const fs::path real = fs::canonical(folder, ignored);
            const auto parts = std::vector<fs::path>(real.begin(), real.end());
            if (parts.size() >= 4 && parts[1] == "proc" &&
                (real.filename() == "fd" || real.filename() == "map_files"))
                return true;
        }
        struct stat status {};
        std::string link;
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode) ||
            ReadLink(current, &link))
            return false;
        current =
            fs::path(link).is_absolute() ? link : (fs::path(current).parent_path() / link).string();
    }
    return false;
}

std::error_code ResolveWriteTarget(const std::string& path, std::string* target) {
    if (NamesThroughDescriptor(path))
        return std::make_error_code(std::errc::bad_file_descriptor);
    std::string current = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat status {};
        if (lstat(current.c_str(), &status) != 0) {
            if (errno != ENOENT)
                return LastError();
            *target = current;
            return {};
        }
        if (!S_ISLNK(status.st_mode)) {
            *target = current;
            return {};
        }
        std::string link;
        if (std::error_code error = ReadLink(current, &link))
            return error;
        const fs::path linkPath(link);
        current =
            linkPath.is_absolute() ? link : (fs::path(current).parent_path() / linkPath).string();
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

namespace {

constexpr std::size_t kSuffixLength = 16;

std::string TemporaryPrefix(const std::string& targetName) {
    // Keeps the temporary name within the file-name length limit however long the target's is.
    return "." + targetName.substr(0, 200) + ".tmp-";
}

bool IsSuffix(std::string_view text) {
    return text.size() == kSuffixLength &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// Removes the temporaries of this target that a killed writer left: our own files of exactly the
// name a write of this target uses, untouched for longer than any live writer would take (any age
// when every writer of the target takes the lock the caller holds).
void RemoveStaleTemporaries(const fs::path& directory, const std::string& targetName,
                            bool targetLocked) {
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr)
        return;
    const std::string prefix = TemporaryPrefix(targetName);
    const std::time_t oldest = targetLocked ? std::numeric_limits<std::time_t>::max()
                                            : std::time(nullptr) - Calls().staleAge.count();
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix) || !IsSuffix(name.substr(prefix.size())))
            continue;
        struct stat status {};
        if (fstatat(dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && status.st_uid == geteuid() && status.st_mtime < oldest)
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

std::string RandomSuffix() {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::random_device random;
    std::string suffix;
    for (int i = 0; i < 2; ++i) {
        auto bits = random();
        for (int j = 0; j < 8; ++j, bits >>= 4)
            suffix += kDigits[bits & 0xF];
    }
    return suffix;
}

// Creates a new, empty temporary file in directory. Hidden and named after the target so that a
// file left by a crash is recognisable.
int CreateTemporary(const fs::path& directory, const std::string& targetName, mode_t mode,
                    std::string* temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temp = (directory / (TemporaryPrefix(targetName) + RandomSuffix())).string();
        const int fd = Calls().open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes the pieces in turn, as few at a time as the system takes in one call.
std::error_code WriteAll(int fd, std::span<const std::string_view> contents) {
    constexpr std::size_t kPiecesPerCall = 1024;  // IOV_MAX on Linux
    std::vector<iovec> pieces;
    pieces.reserve(std::min(contents.size(), kPiecesPerCall));
    std::size_t next = 0;  // the first piece not yet in pieces
    std::size_t done = 0;  // pieces written whole
    while (done < pieces.size() || next < contents.size()) {
        if (done == pieces.size()) {
            pieces.clear();
            done = 0;
            for (; next < contents.size() && pieces.size() < kPiecesPerCall; ++next) {
                if (!contents[next].empty())
                    pieces.push_back(
                        {const_cast<char*>(contents[next].data()), contents[next].size()});
            }
            if (pieces.empty())
                break;
        }
        const ssize_t written =
            Calls().writev(fd, pieces.data() + done, static_cast<int>(pieces.size() - done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        // A short write leaves the rest of a piece, and the pieces after it, for the next call.
        auto left = static_cast<std::size_t>(written);
        while (done < pieces.size() && left >= pieces[done].iov_len)
            left -= pieces[done++].iov_len;
        if (done < pieces.size()) {
            pieces[done].iov_base = static_cast<char*>(pieces[done].iov_base) + left;
            pieces[done].iov_len -= left;
        }
    }
    return {};
}

// The process's umask, read without changing it (umask() itself would race with other threads
// creating files).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 022;
}

// Makes the rename itself durable. Some file systems cannot sync a directory; the data is safe
// either way, so a failure here does not undo the write.
void SyncDirectory(const fs::path& directory) {
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// A temporary beside its target with the whole content written, not yet flushed or in place.
struct Temporary {
    int fd = -1;
    std::string path;
    std::string target;
    fs::path directory;
};

// Writes through a temporary that is private from the start and takes its final mode only once
// its content is complete: mode when forced, else the existing file's mode, else newFileMode.
std::error_code WriteTemporary(const std::string& path, std::span<const std::string_view> contents,
                               mode_t newFileMode, bool forceMode, bool targetLocked,
                               Temporary* written) {
    std::string target;
    if (std::error_code error = ResolveWriteTarget(path, &target))
        return error;

    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return LastError();
    if (exists) {
        if (S_ISDIR(existing.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
        if (!S_ISREG(existing.st_mode))
            return std::make_error_code(std::errc::invalid_argument);
        if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return LastError();
    }

    const fs::path targetPath(target);
    const fs::path directory =
        targetPath.has_parent_path() ? targetPath.parent_path() : fs::path(".");
    RemoveStaleTemporaries(directory, targetPath.filename().string(), targetLocked);
    std::string temp;
    // The copy starts private, so its content is never readable by more people than the file's.
    const int fd = CreateTemporary(directory, targetPath.filename().string(), 0600, &temp);
    if (fd < 0)
        return LastError();

    auto fail = [&](std::error_code error) {
        Calls().close(fd);
        unlink(temp.c_str());
        return error;
    };
    if (exists) {
        // Ownership is kept where we are allowed to keep it; only root may give a file away.
        if (existing.st_uid != geteuid() || existing.st_gid != getegid()) {
            [[maybe_unused]] const int ignored = fchown(fd, existing.st_uid, existing.st_gid);
        }
    }
    if (std::error_code error = WriteAll(fd, contents))
        return fail(error);
    mode_t mode = newFileMode;
    if (!forceMode && exists) {
        mode = existing.st_mode & 07777;
    } else if (!forceMode) {
        mode &= ~CurrentUmask();
    }
    if (mode != 0600 && Calls().fchmod(fd, mode) != 0)
        return fail(LastError());
    *written = {fd, std::move(temp), std::move(target), directory};
    return {};
}

// Closes a temporary that will not be put in place, and removes it.
void RemoveTemporary(Temporary& temporary) {
    if (temporary.fd >= 0)
        Calls().close(temporary.fd);
    temporary.fd = -1;
    unlink(temporary.path.c_str());
}

template <typename Pending>
void Drop(std::unique_ptr<Pending>& pending) {
    if (!pending)
        return;
    RemoveTemporary(*pending);
    pending.reset();
}

// Flushes the temporary and renames it over its target; on failure removes it.
std::error_code PutInPlace(Temporary& temporary) {
    auto fail = [&](std::error_code error) {
        RemoveTemporary(temporary);
        return error;
    };
    if (Calls().fsync(temporary.fd) != 0)
        return fail(LastError());
    const int closed = Calls().close(temporary.fd);
    temporary.fd = -1;
    if (closed != 0)
        return fail(LastError());
    if (Calls().rename(temporary.path.c_str(), temporary.target.c_str()) != 0)
        return fail(LastError());
    SyncDirectory(temporary.directory);
    return {};
}

std::error_code WriteAtomically(const std::string& path, std::string_view contents,
                                mode_t newFileMode, bool forceMode, bool targetLocked = false) {
    Temporary temporary;
    if (std::error_code error =
            WriteTemporary(path, {&contents, 1}, newFileMode, forceMode, targetLocked, &temporary))
        return error;
    return PutInPlace(temporary);
}

}  // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view contents) {
    return WriteAtomically(path, contents, 0644, false);
}

std::error_code WriteFileAtomically(const std::string& path, std::string_view contents,
                                    mode_t newFileMode) {
    return WriteAtomically(path, contents, newFileMode, false);
}

std::error_code WritePrivateFileAtomically(const std::string& path, std::string_view contents) {
    return WriteAtomically(path, contents, 0600, true);
}

std::error_code WriteLockedPrivateFileAtomically(const std::string& path,
                                                 std::string_view contents) {
    return WriteAtomically(path, contents, 0600, true, true);
}

struct StagedReplacement::Pending : Temporary {
    // Of one written ahead: what the file holds, and the path it was written for.
    std::string_view bytes;
    std::string writtenFor;
};

StagedReplacement::StagedReplacement() = default;

StagedReplacement::~StagedReplacement() {
    Discard();
    DiscardAhead();
}

std::error_code StagedReplacement::StageLockedPrivate(const std::string& path,
                                                      std::string_view contents) {
    return StageLockedPrivate(path, std::span<const std::string_view>(&contents, 1));
}

std::error_code StagedReplacement::StageLockedPrivate(const std::string& path,
                                                      std::span<const std::string_view> contents) {
    Discard();
    if (ahead_ && ahead_->writtenFor == path)
        return StageOverAhead(contents);
    DiscardAhead();
    Temporary temporary;
    if (std::error_code error = WriteTemporary(path, contents, 0600, true, true, &temporary))
        return error;
#ifdef __linux__
    // The disk can take the bytes while the caller makes its other writes durable: one flush of
    // the file system then carries both, and Publish's own flush finds little left to do.
    sync_file_range(temporary.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    staged_ = std::make_unique<Pending>(Pending{std::move(temporary), {}, {}});
    return {};
}

// The file written ahead keeps the bytes it shares with the contents' start, which are on disk
// already; the rest is written over it from there, and what it held beyond the contents is cut.
std::error_code StagedReplacement::StageOverAhead(std::span<const std::string_view> contents) {
    std::unique_ptr<Pending> staged = std::move(ahead_);
    std::size_t kept = 0;
    if (!contents.empty() && contents.front().data() == staged->bytes.data() &&
        contents.front().size() <= staged->bytes.size()) {
        kept = contents.front().size();
        contents = contents.subspan(1);
    }
    std::size_t size = kept;
    for (const std::string_view piece : contents)
        size += piece.size();
    auto fail = [&](std::error_code error) {
        RemoveTemporary(*staged);
        return error;
    };
    if (lseek(staged->fd, static_cast<off_t>(kept), SEEK_SET) < 0)
        return fail(LastError());
    if (std::error_code error = WriteAll(staged->fd, contents))
        return fail(error);
    if (size < staged->bytes.size() && ftruncate(staged->fd, static_cast<off_t>(size)) != 0)
        return fail(LastError());
#ifdef __linux__
    sync_file_range(staged->fd, static_cast<off_t>(kept), 0, SYNC_FILE_RANGE_WRITE);
#endif
    staged->bytes = {};
    staged_ = std::move(staged);
    return {};
}

void StagedReplacement::StageAheadLockedPrivate(const std::string& path, std::string_view bytes) {
    DiscardAhead();
    Temporary temporary;
    if (WriteTemporary(path, {&bytes, 1}, 0600, true, true, &temporary))
        return;
    // Flushed now, while the caller works: the stage's own flush then carries only what differs.
    if (fdatasync(temporary.fd) != 0) {
        RemoveTemporary(temporary);
        return;
    }
    ahead_ = std::make_unique<Pending>(Pending{std::move(temporary), bytes, path});
}

void StagedReplacement::DiscardAhead() {
    Drop(ahead_);
}

std::error_code StagedReplacement::Publish() {
    if (!staged_)
        return std::make_error_code(std::errc::invalid_argument);
    const std::unique_ptr<Pending> staged = std::move(staged_);
    return PutInPlace(*staged);
}

void StagedReplacement::Discard() {
    Drop(staged_);
}

}  // namespace tessel
