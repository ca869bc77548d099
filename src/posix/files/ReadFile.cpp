#include "posix/files/ReadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tessel {
namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

}  // namespace

std::error_code ReadWholeFile(const std::string& path, std::int64_t maxSize, std::string* bytes,
                              FileStamp* stamp) {
    // Non-blocking, so that a FIFO put where a file belongs cannot hang the program at the open.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return LastError();
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};

    struct stat status {};
    if (fstat(fd, &status) != 0)
        return LastError();
    if (S_ISDIR(status.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(status.st_mode))
        return std::make_error_code(std::errc::invalid_argument);
    if (status.st_size > maxSize)
        return std::make_error_code(std::errc::file_too_large);
    if (stamp != nullptr)
        *stamp = FileStamp::Of(status);

    // The result grows by what each read brings, its room made once: sizing it first would fill
    // it with zeros only for the read to overwrite them. What a read brings is appended a few
    // kilobytes at a time, which the C library copies with vector moves; a larger copy is one
    // string instruction, which instruction counters count byte by byte.
    bytes->clear();
    bytes->reserve(static_cast<std::size_t>(status.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return LastError();
        if (got == 0)
            return {};
        constexpr std::size_t kPiece = 2016;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got); at += kPiece)
            bytes->append(chunk + at, std::min(kPiece, static_cast<std::size_t>(got) - at));
        if (static_cast<std::int64_t>(bytes->size()) > maxSize)
            return std::make_error_code(std::errc::file_too_large);
    }
}

}  // namespace tessel
