#pragma once

#include "settings/ProfileFile.h"

namespace tessel {

// The profile-file operations through kernel32's private-profile functions. Texts go to them in the
// ANSI code page and come back from it; a text the code page cannot carry is refused with the
// reason rather than written as "?".
class Win32ProfileFile : public ProfileFile {
  public:
    std::uint32_t GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                const std::string& fileName) override;
    std::uint32_t GetPrivateProfileSection(const std::string& section, char* buffer,
                                           std::uint32_t size,
                                           const std::string& fileName) override;
    bool WritePrivateProfileSection(const std::string& section, const std::string& block,
                                    const std::string& fileName) override;
};

}  // namespace tessel
