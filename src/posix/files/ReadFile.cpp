#include "posix/files/ReadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // Read straight into the result, whose size is known; a file that grew meanwhile is read on
    // in chunks, so that the result is never reallocated for nothing.
    bytes->resize(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    while (filled < bytes->size()) {
        const ssize_t got = read(fd, bytes->data() + filled, bytes->size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return LastError();
        if (got == 0) {
            bytes->resize(filled);
            return {};
        }
        filled += static_cast<std::size_t>(got);
    }
    char chunk[65536];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return LastError();
        if (got == 0)
            return {};
        bytes->append(chunk, static_cast<std::size_t>(got));
        if (static_cast<std::int64_t>(bytes->size()) > maxSize)
            return std::make_error_code(std::errc::file_too_large);
    }
}

}  // namespace tessel
