#include "cookies/FirefoxProfilesIni.h"

#include <utility>

#include "text/TextCase.h"

namespace tessel {
namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;
using Sections = std::vector<std::pair<std::string, Keys>>;

// The sections of a Mozilla INI text.
Sections ReadIni(std::string_view text) {
    Sections sections;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            sections.emplace_back(line.substr(1, line.size() - 2), Keys{});
        } else if (const std::size_t equals = line.find('=');
                   equals != std::string_view::npos && !sections.empty()) {
            sections.back().second.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        }
    }
    return sections;
}

std::string Value(const Keys& keys, std::string_view name) {
    for (const auto& [key, value] : keys) {
        if (EqualsIgnoreCase(key, name))
            return value;
    }
    return {};
}

// The Default= of the first installation section, as a relative or absolute profile path.
std::string InstallDefault(std::string_view installsIni, const Sections& profiles) {
    for (const auto& [name, keys] : ReadIni(installsIni)) {
        if (const std::string value = Value(keys, "Default"); !value.empty())
            return value;
    }
    for (const auto& [name, keys] : profiles) {
        if (name.starts_with("Install") && !Value(keys, "Default").empty())
            return Value(keys, "Default");
    }
    return {};
}

}  // namespace

std::vector<FirefoxProfileEntry> ParseFirefoxProfiles(std::string_view profilesIni,
                                                      std::string_view installsIni) {
    const Sections sections = ReadIni(profilesIni);
    const std::string installed = InstallDefault(installsIni, sections);
    std::vector<FirefoxProfileEntry> profiles;
    for (const auto& [name, keys] : sections) {
        const std::string path = Value(keys, "Path");
        if (!name.starts_with("Profile") || path.empty())
            continue;
        profiles.push_back({path, Value(keys, "IsRelative") == "1", Value(keys, "Name"),
                            installed.empty() ? Value(keys, "Default") == "1" : path == installed});
    }
    return profiles;
}

}  // namespace tessel
