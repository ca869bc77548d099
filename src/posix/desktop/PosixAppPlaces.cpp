#include "posix/desktop/PosixAppPlaces.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "ProductIdentity.h"
#include "posix/files/ReadFile.h"

namespace tessel {
namespace {

// A sample is a few kilobytes; anything near this is not one.
constexpr std::int64_t kLargestSample = 1 << 20;

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::error_code WriteNewFile(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return LastError();
    std::error_code error;
    for (std::size_t done = 0; done < bytes.size() && !error;) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno != EINTR)
            error = LastError();
        else if (written > 0)
            done += static_cast<std::size_t>(written);
    }
    if (close(fd) != 0 && !error)
        error = LastError();
    if (error)
        unlink(path.c_str());  // half a list would load as a broken one
    return error;
}

}  // namespace

std::string PosixAppPlaces::Environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value == nullptr ? std::string() : std::string(value);
}

bool PosixAppPlaces::Exists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

std::string PosixAppPlaces::FirstThere(const std::string& relative, const std::string& absolute) {
    for (const std::string& path : {executableDirectory_ + "/" + relative, absolute}) {
        if (Exists(path))
            return path;
    }
    return {};
}

std::string PosixAppPlaces::SampleBoardList() {
    const std::string installed = FirstThere(TESSEL_SAMPLE_FROM_BINDIR "/TesselCustom.ini",
                                             TESSEL_SAMPLE_DIR "/TesselCustom.ini");
    const std::string own = executableDirectory_ + "/TesselCustom.ini";  // a portable copy's
    return installed.empty() && Exists(own) ? own : installed;
}

std::string PosixAppPlaces::InstalledHelp() {
    return FirstThere(TESSEL_HELP_FROM_BINDIR "/ReadMe.txt", TESSEL_HELP_DIR "/ReadMe.txt");
}

CookieFailure PosixAppPlaces::CopyToNewFile(const std::string& from, const std::string& to) {
    std::string bytes;
    if (const std::error_code error = ReadWholeFile(from, kLargestSample, &bytes, nullptr))
        return MakeFailure(CookieProblem::kFileFailed, CookieDetails().Path(from).Error(error));
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(to).parent_path(), error);
    if (!error)
        error = WriteNewFile(to, bytes);
    return error ? MakeFailure(CookieProblem::kFileFailed, CookieDetails().Error(error))
                 : CookieFailure{};
}

std::string XdgProgramPath(const Environment& environment, const char* variable,
                           std::string_view fallback, std::string_view file) {
    const std::string tail = "/" TESSEL_PRODUCT_NAME "/" + std::string(file);
    const char* base = environment(variable);
    if (base != nullptr && base[0] == '/')
        return base + tail;
    const char* home = environment("HOME");
    if (home != nullptr && home[0] != '\0')
        return home + ("/" + std::string(fallback) + tail);
    return {};
}

std::string DefaultCookieJarPath(const Environment& environment) {
    return XdgProgramPath(environment, "XDG_DATA_HOME", ".local/share", "cookies.txt");
}

std::string DefaultCookieJarPath() {
    return DefaultCookieJarPath([](const char* name) { return std::getenv(name); });
}

}  // namespace tessel
