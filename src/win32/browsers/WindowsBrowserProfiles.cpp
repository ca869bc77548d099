#include "win32/browsers/WindowsBrowserProfiles.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cookies/FirefoxProfilesIni.h"
#include "win32/WideText.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using Kind = CookieStoreLocation::Kind;

fs::path PathOf(std::string_view utf8) {
    return fs::path(win32::Widen(utf8));
}

std::string Utf8(const fs::path& path) {
    return win32::Narrow(path.wstring());
}

std::string Variable(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2];
    const DWORD size = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    return size > 0 && size < MAX_PATH * 2 ? win32::Narrow(value) : std::string();
}

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool IsFile(const fs::path& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

// The Firefox folders with a profiles.ini: the installer's, then the Microsoft Store build's.
std::vector<fs::path> FirefoxRoots(const UserFolders& folders) {
    std::vector<fs::path> roots;
    if (!folders.roaming.empty())
        roots.push_back(PathOf(folders.roaming) / L"Mozilla" / L"Firefox");
    if (!folders.local.empty()) {
        roots.push_back(PathOf(folders.local) / L"Packages" / L"Mozilla.Firefox_n80bbvh6b1yt2" /
                        L"LocalCache" / L"Roaming" / L"Mozilla" / L"Firefox");
    }
    return roots;
}

fs::path ChromiumUserData(Kind kind, const UserFolders& folders) {
    if (folders.local.empty())
        return {};
    const fs::path local = PathOf(folders.local);
    switch (kind) {
        case Kind::kChrome:
            return local / L"Google" / L"Chrome" / L"User Data";
        case Kind::kEdge:
            return local / L"Microsoft" / L"Edge" / L"User Data";
        case Kind::kBrave:
            return local / L"BraveSoftware" / L"Brave-Browser" / L"User Data";
        default:
            return local / L"Chromium" / L"User Data";
    }
}

// A profile folder's cookie database: Network\Cookies, where builds since 96 keep it, else
// Cookies; empty when neither is there.
fs::path ChromiumDatabase(const fs::path& profile) {
    for (const fs::path& database : {profile / L"Network" / L"Cookies", profile / L"Cookies"}) {
        if (IsFile(database))
            return database;
    }
    return {};
}

}  // namespace

UserFolders CurrentUserFolders() {
    return {Variable(L"APPDATA"), Variable(L"LOCALAPPDATA")};
}

std::string BrowserTitle(Kind kind) {
    switch (kind) {
        case Kind::kFirefox:
            return "Firefox";
        case Kind::kChrome:
            return "Google Chrome";
        case Kind::kEdge:
            return "Microsoft Edge";
        case Kind::kBrave:
            return "Brave";
        case Kind::kChromium:
            return "Chromium";
        case Kind::kVivaldi:
            return "Vivaldi";
        case Kind::kOpera:
            return "Opera";
        case Kind::kJar:
            return "cookies.txt";
        case Kind::kWinInet:
            return "WinINet";
    }
    return {};
}

std::vector<BrowserProfile> FindFirefoxProfiles(const UserFolders& folders) {
    std::vector<BrowserProfile> found;
    bool defaultFound = false;
    for (const fs::path& root : FirefoxRoots(folders)) {
        for (const FirefoxProfileEntry& entry : ParseFirefoxProfiles(
                 ReadText(root / L"profiles.ini"), ReadText(root / L"installs.ini"))) {
            const fs::path folder =
                entry.isRelative ? root / PathOf(entry.path) : PathOf(entry.path);
            BrowserProfile& profile = found.emplace_back();
            profile.location = {Kind::kFirefox, Utf8(folder.lexically_normal())};
            profile.name = entry.name;
            profile.isDefault = entry.isDefault && !defaultFound;
            defaultFound = defaultFound || profile.isDefault;
        }
    }
    return found;
}

std::vector<BrowserProfile> FindChromiumProfiles(Kind kind, const UserFolders& folders) {
    std::vector<BrowserProfile> found;
    const fs::path userData = ChromiumUserData(kind, folders);
    std::error_code error;
    if (userData.empty() || !fs::is_directory(userData, error))
        return found;
    for (const fs::directory_entry& entry : fs::directory_iterator(userData, error)) {
        if (ChromiumDatabase(entry.path()).empty())
            continue;
        BrowserProfile& profile = found.emplace_back();
        profile.location = {kind, Utf8(entry.path())};
        profile.name = Utf8(entry.path().filename());
        profile.isDefault = profile.name == "Default";
    }
    std::sort(found.begin(), found.end(), [](const BrowserProfile& a, const BrowserProfile& b) {
        return a.isDefault != b.isDefault ? a.isDefault : a.name < b.name;
    });
    return found;
}

std::optional<BrowserPaths> ResolveBrowserPaths(const CookieStoreLocation& location,
                                                const UserFolders& folders, std::string& error) {
    fs::path folder = PathOf(location.path).lexically_normal();
    if (!folder.empty() && !folder.has_filename())
        folder = folder.parent_path();  // "dir\" names dir
    if (location.kind == Kind::kFirefox) {
        if (folder.empty()) {
            for (const BrowserProfile& profile : FindFirefoxProfiles(folders)) {
                if (profile.isDefault)
                    folder = PathOf(profile.location.path);
            }
        }
        if (folder.empty()) {
            error = "no Firefox profile found: start Firefox once, or give firefox:PROFILE_DIR";
            return std::nullopt;
        }
        if (!IsFile(folder / L"cookies.sqlite")) {
            error = "no cookies.sqlite in Firefox profile " + Utf8(folder);
            return std::nullopt;
        }
        return BrowserPaths{Utf8(folder / L"cookies.sqlite"), {}};
    }
    if (folder.empty())
        folder = ChromiumUserData(location.kind, folders);
    // A profile folder directly, or the user-data folder and its default profile.
    if (const fs::path database = ChromiumDatabase(folder); !database.empty())
        return BrowserPaths{Utf8(database), Utf8(folder.parent_path())};
    if (const fs::path database = ChromiumDatabase(folder / L"Default"); !database.empty())
        return BrowserPaths{Utf8(database), Utf8(folder)};
    error = "no " + BrowserTitle(location.kind) + " cookie database in " + Utf8(folder);
    return std::nullopt;
}

}  // namespace tessel
