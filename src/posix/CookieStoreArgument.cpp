#include "posix/CookieStoreArgument.h"

#include <cstdlib>

#include "ProductIdentity.h"
#include "settings/TextCase.h"

namespace tessel {

CookieStoreChoice ParseCookieStoreArgument(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return {std::nullopt,
                "cookie store \"" + std::string(text) + "\" has no kind: write it as jar:PATH"};
    }
    const std::string_view kind = text.substr(0, colon);
    const std::string_view rest = text.substr(colon + 1);
    if (!EqualsIgnoreCase(kind, "jar")) {
        return {std::nullopt, "cookie store kind \"" + std::string(kind) +
                                  "\" is not supported yet: use jar:PATH"};
    }
    if (rest.empty())
        return {std::nullopt, "cookie store jar: needs a file path, as jar:PATH"};
    return {CookieStoreLocation{CookieStoreLocation::Kind::kJar, std::string(rest)}, {}};
}

std::string DefaultCookieJarPath(const Environment& environment) {
    constexpr std::string_view kTail = "/" TESSEL_PRODUCT_NAME "/cookies.txt";
    const char* dataHome = environment("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/')
        return dataHome + std::string(kTail);
    const char* home = environment("HOME");
    if (home != nullptr && home[0] != '\0')
        return home + ("/.local/share" + std::string(kTail));
    return {};
}

std::string DefaultCookieJarPath() {
    return DefaultCookieJarPath([](const char* name) { return std::getenv(name); });
}

}  // namespace tessel
