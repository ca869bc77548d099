#include "posix/browsers/BrowserProfiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "cookies/FirefoxProfilesIni.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

// A whole file's text; a missing file has none.
std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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

void AddFirefoxRoot(const fs::path& root, std::vector<BrowserProfile>& found) {
    const std::size_t first = found.size();
    bool anyDefault = false;
    for (const FirefoxProfileEntry& entry :
         ParseFirefoxProfiles(ReadText(root / "profiles.ini"), ReadText(root / "installs.ini"))) {
        const fs::path folder = entry.isRelative ? root / entry.path : fs::path(entry.path);
        BrowserProfile profile;
        profile.location.kind = CookieStoreLocation::Kind::kFirefox;
        profile.location.path = folder.lexically_normal().string();
        profile.name = entry.name;
        profile.isDefault = entry.isDefault;
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
