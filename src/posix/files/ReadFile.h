#pragma once

#include <cstdint>
#include <string>
#include <system_error>

#include "posix/files/FileStamp.h"

namespace tessel {

// Reads a whole regular file into bytes, with the stamp of the version read (stamp may be null).
// Fails for a directory or other non-regular file, and for a file larger than maxSize bytes, which
// would only cost memory.
std::error_code ReadWholeFile(const std::string& path, std::int64_t maxSize, std::string* bytes,
                              FileStamp* stamp);

}  // namespace tessel
