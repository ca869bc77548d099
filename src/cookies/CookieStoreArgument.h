#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// Where the cookies go, as named on the command line: "jar[:PATH]" for a Netscape cookies.txt
// jar, "firefox[:PROFILE_DIR]" for a Firefox profile, "chromium[:USER_DATA_DIR]" for a Chromium
// one (a profile folder inside it, such as "Profile 1", also serves), "chrome", "edge" and
// "brave" likewise for theirs, "wininet" for the store of Windows itself. Without a path: the
// default jar, or the reader's default profile of the browser. Each platform opens the kinds it
// has.
struct CookieStoreLocation {
    enum class Kind { kJar, kFirefox, kChromium, kChrome, kEdge, kBrave, kWinInet };
    Kind kind = Kind::kJar;
    std::string path;  // empty for the default

    friend bool operator==(const CookieStoreLocation&, const CookieStoreLocation&) = default;
};

// The text that names location on the command line, which ParseCookieStoreArgument reads back.
std::string FormatCookieStoreArgument(const CookieStoreLocation& location);

struct CookieStoreChoice {
    std::optional<CookieStoreLocation> location;
    std::string error;  // set when location is empty
};

CookieStoreChoice ParseCookieStoreArgument(std::string_view text);

}  // namespace tessel
