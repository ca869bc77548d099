#include "cookies/CookieStoreArgument.h"

#include "text/TextCase.h"

namespace tessel {

namespace {

using Kind = CookieStoreLocation::Kind;

constexpr std::pair<std::string_view, Kind> kKinds[] = {
    {"jar", Kind::kJar},         {"firefox", Kind::kFirefox}, {"chromium", Kind::kChromium},
    {"chrome", Kind::kChrome},   {"brave", Kind::kBrave},     {"edge", Kind::kEdge},
    {"vivaldi", Kind::kVivaldi}, {"opera", Kind::kOpera},     {"wininet", Kind::kWinInet},
};

}  // namespace

bool IsChromiumFamily(Kind kind) {
    return kind != Kind::kJar && kind != Kind::kFirefox && kind != Kind::kWinInet;
}

std::string_view CookieStoreKindName(Kind kind) {
    for (const auto& [name, known] : kKinds) {
        if (known == kind)
            return name;
    }
    return {};
}

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
                              "\": use jar[:PATH], firefox[:PROFILE_DIR], chrome, chromium, "
                              "brave, edge, vivaldi or opera[:USER_DATA_DIR], or wininet"};
}

std::string FormatCookieStoreArgument(const CookieStoreLocation& location) {
    const std::string text(CookieStoreKindName(location.kind));
    return location.path.empty() ? text : text + ":" + location.path;
}

}  // namespace tessel
