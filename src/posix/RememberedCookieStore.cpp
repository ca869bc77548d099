#include "posix/RememberedCookieStore.h"

#include <filesystem>
#include <fstream>

#include "ProductIdentity.h"
#include "posix/AtomicFile.h"
#include "posix/PrivateDirectory.h"

namespace tessel {

std::string RememberedCookieStorePath(const Environment& environment) {
    constexpr std::string_view kTail = "/" TESSEL_PRODUCT_NAME "/cookie-store";
    const char* config = environment("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return config + std::string(kTail);
    const char* home = environment("HOME");
    if (home != nullptr && home[0] != '\0')
        return home + ("/.config" + std::string(kTail));
    return {};
}

std::optional<CookieStoreLocation> LoadRememberedCookieStore(const Environment& environment) {
    const std::string path = RememberedCookieStorePath(environment);
    std::ifstream file(path);
    std::string line;
    if (path.empty() || !std::getline(file, line))
        return std::nullopt;
    return ParseCookieStoreArgument(line).location;
}

bool RememberCookieStore(const CookieStoreLocation& location, const Environment& environment) {
    const std::string path = RememberedCookieStorePath(environment);
    return !path.empty() &&
           !MakePrivateDirectories(std::filesystem::path(path).parent_path().string()) &&
           !WriteFileAtomically(path, FormatCookieStoreArgument(location) + "\n", 0600);
}

}  // namespace tessel
