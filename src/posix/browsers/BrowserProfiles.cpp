#include "posix/browsers/BrowserProfiles.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>

#include "cookies/FirefoxProfilesIni.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using Kind = CookieStoreLocation::Kind;

// Where an installation keeps its profiles: under the configuration folder or the home folder.
enum class Base { kConfig, kHome };

struct Installation {
    Kind kind;
    Base base;
    const char* folder;
    const char* browser;
};

// Each browser's installations, in the order their profiles are listed. Snap packages keep a home
// of their own under ~/snap, flatpaks under ~/.var/app.
constexpr Installation kInstallations[] = {
    {Kind::kFirefox, Base::kHome, ".mozilla/firefox", "Firefox"},
    {Kind::kFirefox, Base::kConfig, "mozilla/firefox", "Firefox"},
    {Kind::kFirefox, Base::kHome, "snap/firefox/common/.mozilla/firefox", "Firefox (snap)"},
    {Kind::kFirefox, Base::kHome, ".var/app/org.mozilla.firefox/.mozilla/firefox",
     "Firefox (flatpak)"},
    {Kind::kFirefox, Base::kHome, ".var/app/org.mozilla.firefox/config/mozilla/firefox",
     "Firefox (flatpak)"},
    {Kind::kChromium, Base::kConfig, "chromium", "Chromium"},
    {Kind::kChromium, Base::kHome, "snap/chromium/common/chromium", "Chromium (snap)"},
    {Kind::kChromium, Base::kHome, ".var/app/org.chromium.Chromium/config/chromium",
     "Chromium (flatpak)"},
    {Kind::kChrome, Base::kConfig, "google-chrome", "Google Chrome"},
    {Kind::kChrome, Base::kConfig, "google-chrome-beta", "Google Chrome Beta"},
    {Kind::kChrome, Base::kConfig, "google-chrome-unstable", "Google Chrome Dev"},
    {Kind::kChrome, Base::kHome, ".var/app/com.google.Chrome/config/google-chrome",
     "Google Chrome (flatpak)"},
    {Kind::kBrave, Base::kConfig, "BraveSoftware/Brave-Browser", "Brave"},
    {Kind::kBrave, Base::kConfig, "BraveSoftware/Brave-Browser-Beta", "Brave Beta"},
    {Kind::kBrave, Base::kConfig, "BraveSoftware/Brave-Browser-Nightly", "Brave Nightly"},
    {Kind::kBrave, Base::kHome, "snap/brave/current/.config/BraveSoftware/Brave-Browser",
     "Brave (snap)"},
    {Kind::kBrave, Base::kHome, ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser",
     "Brave (flatpak)"},
    {Kind::kEdge, Base::kConfig, "microsoft-edge", "Microsoft Edge"},
    {Kind::kEdge, Base::kConfig, "microsoft-edge-beta", "Microsoft Edge Beta"},
    {Kind::kEdge, Base::kConfig, "microsoft-edge-dev", "Microsoft Edge Dev"},
    {Kind::kEdge, Base::kHome, ".var/app/com.microsoft.Edge/config/microsoft-edge",
     "Microsoft Edge (flatpak)"},
    {Kind::kVivaldi, Base::kConfig, "vivaldi", "Vivaldi"},
    {Kind::kVivaldi, Base::kConfig, "vivaldi-snapshot", "Vivaldi Snapshot"},
    {Kind::kVivaldi, Base::kHome, "snap/vivaldi/current/.config/vivaldi", "Vivaldi (snap)"},
    {Kind::kVivaldi, Base::kHome, ".var/app/com.vivaldi.Vivaldi/config/vivaldi",
     "Vivaldi (flatpak)"},
    {Kind::kOpera, Base::kConfig, "opera", "Opera"},
    {Kind::kOpera, Base::kConfig, "opera-beta", "Opera Beta"},
    {Kind::kOpera, Base::kConfig, "opera-developer", "Opera Developer"},
    {Kind::kOpera, Base::kHome, "snap/opera/current/.config/opera", "Opera (snap)"},
    {Kind::kOpera, Base::kHome, ".var/app/com.opera.Opera/config/opera", "Opera (flatpak)"},
};

constexpr std::pair<Kind, const char*> kBrowserNames[] = {
    {Kind::kFirefox, "Firefox"}, {Kind::kChromium, "Chromium"},   {Kind::kChrome, "Google Chrome"},
    {Kind::kBrave, "Brave"},     {Kind::kEdge, "Microsoft Edge"}, {Kind::kVivaldi, "Vivaldi"},
    {Kind::kOpera, "Opera"},
};

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

// The installation's folder here, or empty when the environment names no home.
fs::path Folder(const Installation& installation, const Environment& environment) {
    if (installation.base == Base::kConfig) {
        const std::string config = ConfigHome(environment);
        return config.empty() ? fs::path() : fs::path(config) / installation.folder;
    }
    const char* home = environment("HOME");
    return home != nullptr && home[0] != '\0' ? fs::path(home) / installation.folder : fs::path();
}

bool IsFile(const fs::path& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

// When the file was last changed, in seconds since 1970; 0 when it is not there.
std::int64_t ModifiedAt(const fs::path& path) {
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (error)
        return 0;
    const auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

// The installation's part of a profile found in it.
BrowserProfile Found(Kind kind, const fs::path& folder, const Installation& installation) {
    BrowserProfile profile;
    profile.location = {kind, folder.lexically_normal().string()};
    profile.browser = installation.browser;
    return profile;
}

void AddFirefoxRoot(const fs::path& root, const Installation& installation,
                    std::vector<BrowserProfile>& found) {
    for (const FirefoxProfileEntry& entry :
         ParseFirefoxProfiles(ReadText(root / "profiles.ini"), ReadText(root / "installs.ini"))) {
        const fs::path folder = entry.isRelative ? root / entry.path : fs::path(entry.path);
        BrowserProfile profile = Found(Kind::kFirefox, folder, installation);
        profile.name = entry.name;
        profile.isDefault = entry.isDefault;
        // Firefox rewrites its preferences as it runs and when it quits; nothing else does.
        profile.lastUsed = ModifiedAt(folder / "prefs.js");
        found.push_back(std::move(profile));
    }
}

// "Local State" of a user-data folder: the profiles' names and the one last used; null when it is
// missing or unreadable.
nlohmann::json ProfileState(const fs::path& userData) {
    std::ifstream file(userData / "Local State");
    if (!file)
        return nullptr;
    nlohmann::json state = nlohmann::json::parse(file, nullptr, false);
    if (state.is_discarded() || !state.is_object() || !state.contains("profile") ||
        !state["profile"].is_object())
        return nullptr;
    return state["profile"];
}

std::string Text(const nlohmann::json& object, const char* key) {
    if (!object.is_object() || !object.contains(key) || !object[key].is_string())
        return {};
    return object[key].get<std::string>();
}

// The profile folder the browser opens when started plainly: the one last used, else "Default".
std::string DefaultProfileFolder(const nlohmann::json& state) {
    const std::string lastUsed = Text(state, "last_used");
    return lastUsed.empty() || lastUsed.find('/') != std::string::npos ? "Default" : lastUsed;
}

void AddChromiumRoot(Kind kind, const fs::path& userData, const Installation& installation,
                     std::vector<BrowserProfile>& found) {
    std::error_code error;
    if (!fs::is_directory(userData, error))
        return;
    const nlohmann::json state = ProfileState(userData);
    const nlohmann::json cache =
        state.is_object() && state.contains("info_cache") ? state["info_cache"] : nlohmann::json();
    const std::string defaultFolder = DefaultProfileFolder(state);
    const std::size_t first = found.size();
    const auto add = [&](const fs::path& folder, const std::string& key) {
        BrowserProfile& profile = found.emplace_back(Found(kind, folder, installation));
        const nlohmann::json entry =
            cache.is_object() && cache.contains(key) ? cache[key] : nlohmann::json();
        profile.name = Text(entry, "name");
        if (profile.name.empty())
            profile.name = key;
        profile.isDefault = key == defaultFolder;
        if (entry.is_object() && entry.contains("active_time") && entry["active_time"].is_number())
            profile.lastUsed = static_cast<std::int64_t>(entry["active_time"].get<double>());
        if (profile.lastUsed == 0)
            profile.lastUsed = ModifiedAt(folder / "Preferences");
    };
    if (IsFile(userData / "Cookies")) {
        add(userData, "Default");  // a browser without profile folders
        found.back().isDefault = true;
        return;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(userData, error)) {
        if (IsFile(entry.path() / "Cookies"))
            add(entry.path(), entry.path().filename().string());
    }
    // The default first, then in the order of the folders' names.
    const auto begin = found.begin() + static_cast<std::ptrdiff_t>(first);
    std::sort(begin, found.end(), [](const BrowserProfile& a, const BrowserProfile& b) {
        return a.isDefault != b.isDefault ? a.isDefault : a.location.path < b.location.path;
    });
}

// The profile folder of a user-data folder that the browser opens when started plainly.
fs::path DefaultProfileOf(const fs::path& userData) {
    if (IsFile(userData / "Cookies"))
        return userData;
    return userData / DefaultProfileFolder(ProfileState(userData));
}

}  // namespace

std::string BrowserDisplayName(Kind kind) {
    for (const auto& [known, name] : kBrowserNames) {
        if (known == kind)
            return name;
    }
    return {};
}

std::vector<BrowserProfile> FindBrowserProfiles(const Environment& environment) {
    std::vector<BrowserProfile> found;
    for (const auto& [kind, name] : kBrowserNames) {
        std::vector<BrowserProfile> ofKind = FindBrowserProfiles(kind, environment);
        std::move(ofKind.begin(), ofKind.end(), std::back_inserter(found));
    }
    return found;
}

std::vector<BrowserProfile> FindBrowserProfiles(Kind kind, const Environment& environment) {
    std::vector<BrowserProfile> found;
    for (const Installation& installation : kInstallations) {
        const fs::path folder = Folder(installation, environment);
        if (installation.kind != kind || folder.empty())
            continue;
        const std::size_t first = found.size();
        if (kind == Kind::kFirefox)
            AddFirefoxRoot(folder, installation, found);
        else
            AddChromiumRoot(kind, folder, installation, found);
        // A later installation's default does not displace an earlier one's.
        const auto begin = found.begin() + static_cast<std::ptrdiff_t>(first);
        if (std::any_of(found.begin(), begin,
                        [](const BrowserProfile& p) { return p.isDefault; })) {
            for (auto profile = begin; profile != found.end(); ++profile)
                profile->isDefault = false;
        }
    }
    return found;
}

std::optional<BrowserPaths> ResolveBrowserPaths(const CookieStoreLocation& location,
                                                const Environment& environment,
                                                CookieFailure& error) {
    const bool firefox = location.kind == Kind::kFirefox;
    const std::string browser = BrowserDisplayName(location.kind);
    fs::path folder = fs::path(location.path).lexically_normal();
    if (!folder.empty() && !folder.has_filename())
        folder = folder.parent_path();  // "dir/" names dir
    if (folder.empty()) {
        for (const BrowserProfile& profile : FindBrowserProfiles(location.kind, environment)) {
            if (profile.isDefault)
                folder = profile.location.path;
        }
        if (folder.empty()) {
            error = MakeFailure(
                CookieProblem::kNoBrowserProfile,
                CookieDetails().Name(browser).Item(std::string(CookieStoreKindName(location.kind)) +
                                                   (firefox ? ":PROFILE_DIR" : ":USER_DATA_DIR")));
            return std::nullopt;
        }
    }
    if (firefox) {
        if (!IsFile(folder / "cookies.sqlite")) {
            error = MakeFailure(
                CookieProblem::kNoCookieDatabase,
                CookieDetails().Name(browser).Item("cookies.sqlite").Path(folder.string()));
            return std::nullopt;
        }
        return BrowserPaths{(folder / "cookies.sqlite").string(), folder.string()};
    }
    // A profile folder, or a user-data folder and the profile the browser opens. The lock is in
    // the user-data folder, the one with "Local State".
    if (!IsFile(folder / "Cookies"))
        folder = DefaultProfileOf(folder);
    if (!IsFile(folder / "Cookies")) {
        error = MakeFailure(
            CookieProblem::kNoCookieDatabase,
            CookieDetails().Name(browser).Item("Cookies").Path(fs::path(location.path).string()));
        return std::nullopt;
    }
    const bool userData = IsFile(folder / "Local State");
    return BrowserPaths{(folder / "Cookies").string(),
                        (userData ? folder : folder.parent_path()).string()};
}

}  // namespace tessel
