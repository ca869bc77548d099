#include "settings/ProfileFile.h"

#include <vector>

#include "settings/ProfileList.h"

namespace tessel {

void ProfileFile::ReadSections(
    const std::string& fileName, std::string_view names,
    const std::function<void(std::string_view, std::string_view)>& section) {
    std::vector<char> buffer;
    while (!names.empty()) {
        const std::size_t end = names.find('\0');
        const std::string name(names.substr(0, end));
        if (!name.empty()) {
            section(name, ReadProfileList(buffer, 4096, [&](char* data, std::uint32_t size) {
                        return GetPrivateProfileSection(name, data, size, fileName);
                    }));
        }
        if (end == std::string_view::npos)
            break;
        names.remove_prefix(end + 1);
    }
}

void ProfileFile::ReadLoadedSections(
    const std::string& fileName, std::string_view names,
    const std::function<void(const LoadedSection&, const std::shared_ptr<const void>&)>& section) {
    ReadSections(fileName, names, [&](std::string_view name, std::string_view lines) {
        LoadedSection loaded;
        loaded.name = name;
        loaded.lines = lines;
        section(loaded, nullptr);
    });
}

}  // namespace tessel
