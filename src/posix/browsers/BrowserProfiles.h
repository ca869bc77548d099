#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cookies/CookieFailure.h"
#include "cookies/CookieStoreArgument.h"
#include "posix/desktop/PosixAppPlaces.h"

namespace tessel {

// A browser profile found on this computer.
struct BrowserProfile {
    CookieStoreLocation location;  // its folder, as --cookie-store names it
    std::string browser;           // the browser as its maker names it, and how it is installed
                                   // when not as a package of the system ("Chromium (snap)")
    std::string name;              // the profile, as the browser shows it
    bool isDefault = false;        // the one the browser opens when started plainly: one for
                                   // each kind of store, in its first installation found
    std::int64_t lastUsed = 0;     // when the browser last used it, in seconds since 1970;
                                   // 0 when unknown
};

// The browser's name as its maker writes it ("Google Chrome"), for a kind other than the jar.
std::string BrowserDisplayName(CookieStoreLocation::Kind kind);

// Every browser profile found, Firefox first, then the browsers built on Chromium in the order
// of CookieStoreLocation::Kind; each browser's installations in a fixed order (its own package,
// its other channels, snap, flatpak) and each installation's default profile first.
//
// Firefox keeps "profiles.ini" under ~/.mozilla/firefox, $XDG_CONFIG_HOME/mozilla/firefox, and
// the same places inside its snap and flatpak homes. Its default is the profile an [Install...]
// section (of "installs.ini" or "profiles.ini") names with Default=, which is the one Firefox
// actually opens; "Default=1" on a profile only counts when no installation names one. The
// Chromium family's profiles are the folders of a user-data folder that hold a Cookies database
// (Opera's user-data folder is its only profile); "Local State" gives their names and the one
// last used, which the browser opens next.
std::vector<BrowserProfile> FindBrowserProfiles(const Environment& environment);

// The profiles FindBrowserProfiles finds of one kind of store.
std::vector<BrowserProfile> FindBrowserProfiles(CookieStoreLocation::Kind kind,
                                                const Environment& environment);

// Where a browser location's database and lock are.
struct BrowserPaths {
    std::string database;       // cookies.sqlite or Cookies
    std::string lockDirectory;  // the profile folder (Firefox) or the user-data folder (Chromium)
};

// The paths for location (an empty path is the default profile), or empty with error set when
// there is no such profile or it has no cookie database yet.
std::optional<BrowserPaths> ResolveBrowserPaths(const CookieStoreLocation& location,
                                                const Environment& environment,
                                                CookieFailure& error);

}  // namespace tessel
