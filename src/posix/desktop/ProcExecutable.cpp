#include "posix/desktop/ProcExecutable.h"

#include <filesystem>
#include <system_error>

#include "ProductIdentity.h"

namespace tessel {

std::string ProcExecutable::ExePath() {
    if (!exePath_.empty())
        return exePath_;
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        exePath_ = path.string();  // read once: the process keeps its executable
    return exePath_;
}

std::string ProcExecutable::Directory() {
    const std::filesystem::path exe(ExePath());
    const std::string directory = exe.parent_path().string();
    return directory.empty() ? "." : directory;
}

std::string ProcExecutable::BaseName() {
    const std::string stem = std::filesystem::path(ExePath()).stem().string();
    return stem.empty() ? TESSEL_PRODUCT_NAME : stem;
}

VersionResource ProcExecutable::Version() {
    return {TESSEL_PRODUCT_NAME, TESSEL_LEGAL_COPYRIGHT, TESSEL_VERSION_MAJOR, TESSEL_VERSION_MINOR,
            TESSEL_VERSION_REVISION};
}

}  // namespace tessel
