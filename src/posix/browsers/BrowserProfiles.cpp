#include "posix/browsers/BrowserProfiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>

#include "text/TextCase.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

using Keys = std::vector<std::pair<std::string, std::string>>;
using Sections = std::vector<std::pair<std::string, Keys>>;

// The sections of a Mozilla INI file; a missing file has none.
Sections ReadIni(const fs::path& path) {
    Sections sections;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            sections.emplace_back(line.substr(1, line.size() - 2), Keys{});
        } else if (const std::size_t equals = line.find('=');
                   equals != std::string::npos && !sections.empty()) {
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

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string ConfigHome(const Environment& environment) {
    const char* config = environment("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return config;
    const char* home = environment("HOME");
    return home != nullptr && home[0] != '\0' ? std::string(home) + "/.config" : std::string();
}

std::vector<fs::path> FirefoxRoots(const Environment& environment) {
    std::vector<fs::path> roots;
    const char* home = environment("HOME");
    if (home != nullptr && home[0] != '\0')
        roots.push_back(fs::path(home) / ".mozilla/firefox");
    const std::string config = ConfigHome(environment);
    if (!config.empty())
        roots.push_back(fs::path(config) / "mozilla/firefox");
    return roots;
}

// The Default= of the first installation section, as a relative or absolute profile path.
std::string InstallDefault(const fs::path& root, const Sections& profiles) {
    for (const auto& [name, keys] : ReadIni(root / "installs.ini")) {
        if (const std::string value = Value(keys, "Default"); !value.empty())
            return value;
    }
    for (const auto& [name, keys] : profiles) {
        if (StartsWith(name, "Install") && !Value(keys, "Default").empty())
            return Value(keys, "Default");
    }
    return {};
}

void AddFirefoxRoot(const fs::path& root, std::vector<BrowserProfile>& found) {
    const Sections sections = ReadIni(root / "profiles.ini");
    const std::string installed = InstallDefault(root, sections);
    const std::size_t first = found.size();
    bool anyDefault = false;
    for (const auto& [name, keys] : sections) {
        const std::string path = Value(keys, "Path");
        if (!StartsWith(name, "Profile") || path.empty())
            continue;
        const fs::path folder = Value(keys, "IsRelative") == "1" ? root / path : fs::path(path);
        BrowserProfile profile;
        profile.location.kind = CookieStoreLocation::Kind::kFirefox;
        profile.location.path = folder.lexically_normal().string();
        profile.name = Value(keys, "Name");
        profile.isDefault = installed.empty() ? Value(keys, "Default") == "1" : path == installed;
        anyDefault = anyDefault || profile.isDefault;
        found.push_back(std::move(profile));
    }
    // A second root's default does not displace the first's.
    if (anyDefault && std::any_of(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(first),
                                  [](const BrowserProfile& p) { return p.isDefault; })) {
        for (std::size_t i = first; i < found.size(); ++i)
            found[i].isDefault = false;
    }
}

std::string ChromiumUserData(const Environment& environment) {
    const std::string config = ConfigHome(environment);
    return config.empty() ? std::string() : config + "/chromium";
}

bool IsFile(const fs::path& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

}  // namespace

std::vector<BrowserProfile> FindFirefoxProfiles(const Environment& environment) {
    std::vector<BrowserProfile> found;
    for (const fs::path& root : FirefoxRoots(environment))
        AddFirefoxRoot(root, found);
    return found;
}

std::vector<BrowserProfile> FindChromiumProfiles(const Environment& environment) {
    std::vector<BrowserProfile> found;
    const std::string userData = ChromiumUserData(environment);
    std::error_code error;
    if (userData.empty() || !fs::is_directory(userData, error))
        return found;
    for (const fs::directory_entry& entry : fs::directory_iterator(userData, error)) {
        if (!IsFile(entry.path() / "Cookies"))
            continue;
        BrowserProfile& profile = found.emplace_back();
        profile.location.kind = CookieStoreLocation::Kind::kChromium;
        profile.location.path = entry.path().string();
        profile.name = entry.path().filename().string();
        profile.isDefault = profile.name == "Default";
    }
    std::sort(found.begin(), found.end(), [](const BrowserProfile& a, const BrowserProfile& b) {
        return a.isDefault != b.isDefault ? a.isDefault : a.name < b.name;
    });
    return found;
}

std::optional<BrowserPaths> ResolveBrowserPaths(const CookieStoreLocation& location,
                                                const Environment& environment,
                                                std::string& error) {
    const bool firefox = location.kind == CookieStoreLocation::Kind::kFirefox;
    fs::path folder = fs::path(location.path).lexically_normal();
    if (!folder.empty() && !folder.has_filename())
        folder = folder.parent_path();  // "dir/" names dir
    if (folder.empty() && firefox) {
        for (const BrowserProfile& profile : FindFirefoxProfiles(environment)) {
            if (profile.isDefault)
                folder = profile.location.path;
        }
        if (folder.empty()) {
            error = "no Firefox profile found: start Firefox once, or give firefox:PROFILE_DIR";
            return std::nullopt;
        }
    }
    if (firefox) {
        if (!IsFile(folder / "cookies.sqlite")) {
            error = "no cookies.sqlite in Firefox profile " + folder.string();
            return std::nullopt;
        }
        return BrowserPaths{(folder / "cookies.sqlite").string(), folder.string()};
    }
    if (folder.empty())
        folder = ChromiumUserData(environment);
    // A profile folder directly, or the user-data folder and its default profile.
    if (IsFile(folder / "Cookies"))
        return BrowserPaths{(folder / "Cookies").string(), folder.parent_path().string()};
    if (IsFile(folder / "Default/Cookies"))
        return BrowserPaths{(folder / "Default/Cookies").string(), folder.string()};
    error = "no Chromium Cookies database in " + folder.string();
    return std::nullopt;
}

}  // namespace tessel
