#pragma once

#include <cstdint>
#include <string>

namespace tessel {

// What the running executable carries about itself: its version resource.
struct VersionResource {
    std::string productName;
    std::string legalCopyright;
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t revision = 0;
};

// Where the running executable is and who it is. Read at each call: nothing is cached.
class ExecutableInfo {
  public:
    virtual ~ExecutableInfo() = default;

    // The directory holding the executable, without a trailing separator except at a root.
    virtual std::string Directory() = 0;
    // The executable's file name without its extension.
    virtual std::string BaseName() = 0;
    // The separator between a directory and a file name on this platform.
    virtual char PathSeparator() = 0;
    virtual VersionResource Version() = 0;
};

}  // namespace tessel
