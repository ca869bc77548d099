#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/ProfileFile.h"

namespace tessel::testing {

// An in-memory profile file set that keeps the buffer and result rules of the real operations
// (a too-small buffer gives size - 2), counts calls and can be told to fail writes.
class FakeProfileFile : public ProfileFile {
  public:
    struct Section {
        std::string name;
        std::vector<std::string> lines;  // as the read operation delivers them
    };

    // Replaces a file's content; sections keep the given order and may repeat a name.
    void SetFile(const std::string& fileName, std::vector<Section> sections);
    const std::vector<Section>* File(const std::string& fileName) const;

    // The write of this section (any letter case) fails, leaving the file as it was.
    void FailWritesOf(const std::string& section) { failingSection_ = section; }

    std::uint32_t GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                const std::string& fileName) override;
    std::uint32_t GetPrivateProfileSection(const std::string& section, char* buffer,
                                           std::uint32_t size,
                                           const std::string& fileName) override;
    bool WritePrivateProfileSection(const std::string& section, const std::string& block,
                                    const std::string& fileName) override;

    int nameCalls = 0;
    int sectionCalls = 0;
    std::vector<std::string> writes;  // section names written, in order
    std::vector<std::string> blocks;  // the blocks written, in order

  private:
    std::map<std::string, std::vector<Section>> files_;
    std::optional<std::string> failingSection_;
};

}  // namespace tessel::testing
