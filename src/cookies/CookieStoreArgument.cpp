#include "cookies/CookieStoreArgument.h"

#include "text/TextCase.h"

namespace tessel {

namespace {

constexpr std::pair<std::string_view, CookieStoreLocation::Kind> kKinds[] = {
    {"jar", CookieStoreLocation::Kind::kJar},
    {"firefox", CookieStoreLocation::Kind::kFirefox},
    {"chromium", CookieStoreLocation::Kind::kChromium},
    {"chrome", CookieStoreLocation::Kind::kChrome},
    {"edge", CookieStoreLocation::Kind::kEdge},
    {"brave", CookieStoreLocation::Kind::kBrave},
    {"wininet", CookieStoreLocation::Kind::kWinInet},
};

}  // namespace

CookieStoreChoice ParseCookieStoreArgument(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    for (const auto& [name, known] : kKinds) {
        if (!EqualsIgnoreCase(kind, name))
            continue;
        if (colon != std::string_view::npos && colon + 1 == text.size()) {
            return {std::nullopt, "cookie store " + std::string(text) +
                                      " needs a path after the colon, or none at all"};
        }
        const std::string path =
            colon == std::string_view::npos ? std::string() : std::string(text.substr(colon + 1));
        return {CookieStoreLocation{known, path}, {}};
    }
    return {std::nullopt, "unknown cookie store \"" + std::string(text) +
                              "\": use jar[:PATH], firefox[:PROFILE_DIR], "
                              "chromium|chrome|edge|brave[:USER_DATA_DIR] or wininet"};
}

std::string FormatCookieStoreArgument(const CookieStoreLocation& location) {
    std::string text;
    for (const auto& [name, known] : kKinds) {
        if (known == location.kind)
            text = name;
    }
    return location.path.empty() ? text : text + ":" + location.path;
}

}  // namespace tessel
