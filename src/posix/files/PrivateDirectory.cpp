#include "posix/files/PrivateDirectory.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace tessel {

std::error_code MakePrivateDirectories(const std::string& directory) {
    if (directory.empty())
        return {};
    struct stat status {};
    if (stat(directory.c_str(), &status) == 0) {
        return S_ISDIR(status.st_mode) ? std::error_code()
                                       : std::make_error_code(std::errc::not_a_directory);
    }
    if (errno != ENOENT)
        return {errno, std::generic_category()};

    const std::filesystem::path path(directory);
    const std::filesystem::path parent = path.parent_path();
    if (!parent.empty() && parent != path) {
        if (std::error_code error = MakePrivateDirectories(parent.string()))
            return error;
    }
    if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        return {errno, std::generic_category()};
    }
    return {};
}

}  // namespace tessel
