#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/AppPlaces.h"

namespace tessel {

// Reads one environment variable; nullptr when it is not set.
using Environment = std::function<const char*(const char*)>;

// The path of file in the program's folder under an XDG base directory: $variable when it is
// absolute, else $HOME/fallback (".local/share", ".config", ...); empty when neither gives one.
std::string XdgProgramPath(const Environment& environment, const char* variable,
                           std::string_view fallback, std::string_view file);

// The jar used when none is named: $XDG_DATA_HOME/<product>/cookies.txt, or
// $HOME/.local/share/<product>/cookies.txt when XDG_DATA_HOME is unset, empty or relative (the
// XDG base directory rules ignore a relative one). Empty when HOME is not usable either.
std::string DefaultCookieJarPath(const Environment& environment);
std::string DefaultCookieJarPath();

// The application's places on Linux: the process environment, the file system, and the sample
// and help installed with the program (found relative to the executable first, so that a copy
// installed under any prefix or unpacked from a package finds its own).
class PosixAppPlaces : public AppPlaces {
  public:
    explicit PosixAppPlaces(std::string executableDirectory)
        : executableDirectory_(std::move(executableDirectory)) {}

    std::string Environment(const std::string& name) override;
    bool Exists(const std::string& path) override;
    std::string SampleBoardList() override;
    std::string InstalledHelp() override;
    CookieFailure CopyToNewFile(const std::string& from, const std::string& to) override;

  private:
    std::string FirstThere(const std::string& relative, const std::string& absolute);
    std::string executableDirectory_;
};

}  // namespace tessel
