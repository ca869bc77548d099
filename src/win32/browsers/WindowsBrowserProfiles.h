#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cookies/CookieStoreArgument.h"

namespace tessel {

// The user's folders the browsers keep their profiles in (%APPDATA%, %LOCALAPPDATA%), UTF-8.
struct UserFolders {
    std::string roaming;
    std::string local;
};
UserFolders CurrentUserFolders();

// A browser profile found on this computer.
struct BrowserProfile {
    CookieStoreLocation location;  // its folder, as --cookie-store names it
    std::string name;              // as the browser names it
    bool isDefault = false;        // the one the browser opens when started plainly
};

// Firefox's profiles, from profiles.ini under %APPDATA%\Mozilla\Firefox, then under the
// Microsoft Store build's folder; the first default found is the default.
std::vector<BrowserProfile> FindFirefoxProfiles(const UserFolders& folders);

// The profiles of a Chromium-family browser (kChromium, kChrome, kEdge, kBrave): the folders of
// its "User Data" that hold a cookie database; "Default" first.
std::vector<BrowserProfile> FindChromiumProfiles(CookieStoreLocation::Kind kind,
                                                 const UserFolders& folders);

// Where a browser location's files are.
struct BrowserPaths {
    std::string database;  // cookies.sqlite, or a profile's Network\Cookies (older: Cookies)
    std::string userData;  // Chromium family: the folder of "Local State"
};

// The paths for location (an empty path is the browser's default profile; for the Chromium
// family a user-data folder or one of its profiles), or empty with error set when there is no
// such profile or it has no cookie database yet.
std::optional<BrowserPaths> ResolveBrowserPaths(const CookieStoreLocation& location,
                                                const UserFolders& folders, std::string& error);

// The browser's name as the reader knows it ("Firefox", "Google Chrome", ...).
std::string BrowserTitle(CookieStoreLocation::Kind kind);

}  // namespace tessel
