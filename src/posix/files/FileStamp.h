#pragma once

#include <sys/stat.h>

#include <cstdint>

namespace tessel {

// What tells one version of a file from another without reading it: a rewrite changes the size or
// the modification time, a replacement by rename changes the inode.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;

    static FileStamp Of(const struct stat& status) {
        FileStamp stamp;
        stamp.device = status.st_dev;
        stamp.inode = status.st_ino;
        stamp.size = status.st_size;
        stamp.mtimeSeconds = status.st_mtim.tv_sec;
        stamp.mtimeNanoseconds = status.st_mtim.tv_nsec;
        return stamp;
    }

    bool operator==(const FileStamp&) const = default;
};

}  // namespace tessel
