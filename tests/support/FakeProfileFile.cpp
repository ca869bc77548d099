#include "support/FakeProfileFile.h"

#include <algorithm>
#include <cstring>

#include "settings/ProfileList.h"
#include "text/TextCase.h"

namespace tessel::testing {

void FakeProfileFile::SetFile(const std::string& fileName, std::vector<Section> sections) {
    files_[fileName] = std::move(sections);
}

const std::vector<FakeProfileFile::Section>* FakeProfileFile::File(
    const std::string& fileName) const {
    auto it = files_.find(fileName);
    return it == files_.end() ? nullptr : &it->second;
}

std::uint32_t FakeProfileFile::GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                             const std::string& fileName) {
    ++nameCalls;
    std::string list;
    if (auto it = files_.find(fileName); it != files_.end()) {
        for (const Section& section : it->second) {
            list += section.name;
            list += '\0';
        }
    }
    return PlaceProfileList(list, buffer, size);
}

std::uint32_t FakeProfileFile::GetPrivateProfileSection(const std::string& section, char* buffer,
                                                        std::uint32_t size,
                                                        const std::string& fileName) {
    ++sectionCalls;
    std::string list;
    if (auto it = files_.find(fileName); it != files_.end()) {
        auto found = std::find_if(it->second.begin(), it->second.end(), [&](const Section& s) {
            return NamesEqualIgnoreCase(s.name, section);
        });
        if (found != it->second.end()) {
            for (const std::string& line : found->lines) {
                list += line;
                list += '\0';
            }
        }
    }
    return PlaceProfileList(list, buffer, size);
}

bool FakeProfileFile::WritePrivateProfileSection(const std::string& section,
                                                 const std::string& block,
                                                 const std::string& fileName) {
    writes.push_back(section);
    blocks.push_back(block);
    if (failingSection_ && NamesEqualIgnoreCase(*failingSection_, section))
        return false;

    std::vector<std::string> lines;
    for (std::size_t start = 0; start < block.size() && block[start] != '\0';) {
        const std::size_t end = block.find('\0', start);
        lines.push_back(block.substr(start, end - start));
        start = end + 1;
    }
    auto& sections = files_[fileName];
    auto found = std::find_if(sections.begin(), sections.end(), [&](const Section& s) {
        return NamesEqualIgnoreCase(s.name, section);
    });
    if (found == sections.end()) {
        sections.push_back({section, std::move(lines)});
    } else {
        found->lines = std::move(lines);
    }
    return true;
}

}  // namespace tessel::testing
