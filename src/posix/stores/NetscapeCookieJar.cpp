#include "posix/stores/NetscapeCookieJar.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

#include "posix/charset/CharsetCookieCodec.h"
#include "posix/files/AtomicFile.h"
#include "posix/files/PrivateDirectory.h"
#include "posix/files/ReadFile.h"

namespace tessel {
namespace {

// Jars of other tools can be large, but not this large.
constexpr std::int64_t kMaxJarSize = std::int64_t{1} << 30;

}  // namespace

NetscapeCookieJar::NetscapeCookieJar(std::string path, Clock& clock, CookieCharset charset)
    : CookieJarStore(std::move(path), clock, std::make_unique<CharsetCookieCodec>(charset)) {}

bool NetscapeCookieJar::RefuseDescriptorPath() {
    ForgetDocument();
    return Fail(CookieProblem::kDescriptorPath, CookieDetails().Path(Path()));
}

bool NetscapeCookieJar::Load() {
    if (NamesThroughDescriptor(Path()))
        return RefuseDescriptorPath();
    return LoadFile();
}

bool NetscapeCookieJar::LoadFile() {
    struct stat status {};
    if (stat(Path().c_str(), &status) != 0) {
        if (errno != ENOENT) {
            ForgetDocument();
            return Fail(CookieProblem::kJarUnreadable,
                        CookieDetails().Path(Path()).Error({errno, std::generic_category()}));
        }
        if (!HasDocument() || stamp_) {
            TakeFileBytes({});  // a new jar
            stamp_.reset();
        }
        return true;
    }
    if (HasDocument() && stamp_ && *stamp_ == FileStamp::Of(status))
        return true;

    ForgetDocument();
    if (S_ISDIR(status.st_mode)) {
        return Fail(CookieProblem::kJarIsFolder, CookieDetails().Path(Path()));
    }
    FileStamp stamp;
    std::string bytes;
    if (const std::error_code error = ReadWholeFile(Path(), kMaxJarSize, &bytes, &stamp)) {
        return Fail(CookieProblem::kJarUnreadable, CookieDetails().Path(Path()).Error(error));
    }
    if (!TakeFileBytes(std::move(bytes)))
        return false;
    stamp_ = stamp;
    return true;
}

bool NetscapeCookieJar::LockAndLoad() {
    std::string target;
    if (const std::error_code error = ResolveWriteTarget(Path(), &target)) {
        if (error == std::errc::bad_file_descriptor)
            return RefuseDescriptorPath();
        return Fail(CookieProblem::kJarUnopenable, CookieDetails().Path(Path()).Error(error));
    }
    const std::filesystem::path targetPath(target);
    const std::string directory =
        targetPath.has_parent_path() ? targetPath.parent_path().string() : std::string(".");
    if (const std::error_code error = MakePrivateDirectories(directory)) {
        return Fail(CookieProblem::kJarFolderUncreatable,
                    CookieDetails().Path(directory).Error(error));
    }
    if (const std::error_code error = lock_.Acquire(directory, lockWait_, lockNotice_)) {
        if (error == std::errc::resource_unavailable_try_again) {
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(lockWait_);
            return Fail(CookieProblem::kJarBusy,
                        CookieDetails().Path(Path()).Number(seconds.count()));
        }
        return Fail(CookieProblem::kJarFolderUnopenable,
                    CookieDetails().Path(directory).Error(error));
    }
    if (LoadFile())  // the path was looked through above
        return true;
    lock_.Release();
    return false;
}

// The jar holds passwords: it is private to its owner, whatever mode it had.
bool NetscapeCookieJar::Write(std::string bytes) {
    if (const std::error_code error = WriteLockedPrivateFileAtomically(Path(), bytes)) {
        ForgetDocument();  // holds changes the file does not
        stamp_.reset();
        return Fail(CookieProblem::kJarUnwritable, CookieDetails().Path(Path()).Error(error));
    }
    Written();
    return true;
}

void NetscapeCookieJar::StageAhead(std::string_view bytes) {
    try {
        ahead_ = std::jthread([this, bytes] { staged_.StageAheadLockedPrivate(Path(), bytes); });
    } catch (const std::system_error&) {
        // No thread to spare: the batch stages its bytes whole, as a small one does.
    }
}

void NetscapeCookieJar::FinishStagingAhead() {
    if (ahead_.joinable())
        ahead_.join();
    staged_.DiscardAhead();
}

bool NetscapeCookieJar::Stage(std::span<const std::string_view> pieces) {
    if (ahead_.joinable())
        ahead_.join();
    if (const std::error_code error = staged_.StageLockedPrivate(Path(), pieces))
        return Fail(CookieProblem::kJarUnwritable, CookieDetails().Path(Path()).Error(error));
    return true;
}

bool NetscapeCookieJar::Publish() {
    if (const std::error_code error = staged_.Publish()) {
        ForgetDocument();
        stamp_.reset();
        return Fail(CookieProblem::kJarUnwritable, CookieDetails().Path(Path()).Error(error));
    }
    Written();
    return true;
}

void NetscapeCookieJar::Written() {
    struct stat status {};
    if (stat(Path().c_str(), &status) == 0) {
        KeepWrittenDocument();
        stamp_ = FileStamp::Of(status);
    } else {
        ForgetDocument();
        stamp_.reset();
    }
}

}  // namespace tessel
