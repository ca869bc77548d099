#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cookies/Clock.h"
#include "cookies/CookieCharset.h"
#include "cookies/CookieFailure.h"
#include "posix/browsers/BrowserProfiles.h"

namespace tessel {

// A cookie store found on this computer and whether it could be written now.
struct FoundStore {
    CookieStoreLocation location;  // with its folder or file filled in
    std::string name;              // the profile's name; empty for the jar
    std::string path;              // the jar or the database
    bool isDefault = false;        // the browser's default profile
    bool writable = false;
    CookieFailure failure;  // why not writable
    std::string error;      // or why the store could not be opened at all
};

// The default jar, then each Firefox and each Chromium profile.
std::vector<FoundStore> FindCookieStores(Clock& clock, CookieCharset charset,
                                         const Environment& environment);

// Whether found is the store that chosen names (none: the default jar).
bool IsChosenStore(const FoundStore& found, const std::optional<CookieStoreLocation>& chosen);

}  // namespace tessel
