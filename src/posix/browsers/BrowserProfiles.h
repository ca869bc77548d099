#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cookies/CookieStoreArgument.h"
#include "posix/desktop/PosixAppPlaces.h"

namespace tessel {

// A browser profile found on this computer.
struct BrowserProfile {
    CookieStoreLocation location;  // its folder, as --cookie-store names it
    std::string name;              // as the browser names it
    bool isDefault = false;        // the one the browser opens when started plainly
};

// Firefox's profiles, from "profiles.ini" under ~/.mozilla/firefox and then
// $XDG_CONFIG_HOME/mozilla/firefox. The default is the one an [Install...] section (of
// "installs.ini" or "profiles.ini") names with Default=, which is the profile Firefox actually
// opens; "Default=1" on a profile only counts when no installation names one.
std::vector<BrowserProfile> FindFirefoxProfiles(const Environment& environment);

// Chromium's profiles: the folders of the user-data folder ($XDG_CONFIG_HOME/chromium) that hold
// a Cookies database; "Default" is the default.
std::vector<BrowserProfile> FindChromiumProfiles(const Environment& environment);

// Where a browser location's database and lock are.
struct BrowserPaths {
    std::string database;       // cookies.sqlite or Cookies
    std::string lockDirectory;  // the profile folder (Firefox) or the user-data folder (Chromium)
};

// The paths for location (a kFirefox or kChromium one; an empty path is the default profile),
// or empty with error set when there is no such profile or it has no cookie database yet.
std::optional<BrowserPaths> ResolveBrowserPaths(const CookieStoreLocation& location,
                                                const Environment& environment, std::string& error);

}  // namespace tessel
