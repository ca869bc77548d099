#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// Where the cookies go, as named on the command line: "jar[:PATH]" for a Netscape cookies.txt
// jar, "firefox[:PROFILE_DIR]" for a Firefox profile, and for the browsers built on Chromium
// ("chrome", "chromium", "brave", "edge", "vivaldi", "opera") "KIND[:DIR]", DIR being the
// browser's user-data folder or one of its profile folders, such as "Profile 1"; "wininet" for
// the store of Windows itself. Without a path: the default jar, or the reader's default profile
// of the browser. Each platform opens the kinds it has.
struct CookieStoreLocation {
    enum class Kind {
        kJar,
        kFirefox,
        kChromium,
        kChrome,
        kBrave,
        kEdge,
        kVivaldi,
        kOpera,
        kWinInet
    };
    Kind kind = Kind::kJar;
    std::string path;  // empty for the default

    friend bool operator==(const CookieStoreLocation&, const CookieStoreLocation&) = default;
};

// Whether kind keeps its cookies as Chromium does (one database format, one encryption).
bool IsChromiumFamily(CookieStoreLocation::Kind kind);

// The word that names kind on the command line ("chrome").
std::string_view CookieStoreKindName(CookieStoreLocation::Kind kind);

// The text that names location on the command line, which ParseCookieStoreArgument reads back.
std::string FormatCookieStoreArgument(const CookieStoreLocation& location);

struct CookieStoreChoice {
    std::optional<CookieStoreLocation> location;
    std::string error;  // set when location is empty
};

CookieStoreChoice ParseCookieStoreArgument(std::string_view text);

}  // namespace tessel
