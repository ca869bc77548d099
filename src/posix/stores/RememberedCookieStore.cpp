#include "posix/stores/RememberedCookieStore.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "posix/files/AtomicFile.h"
#include "posix/files/PrivateDirectory.h"

namespace tessel {

std::string RememberedCookieStorePath(const Environment& environment) {
    return XdgProgramPath(environment, "XDG_CONFIG_HOME", ".config", "cookie-store");
}

namespace {

// The remembered file's lines; empty when there is none.
std::vector<std::string> RememberedLines(const Environment& environment) {
    const std::string path = RememberedCookieStorePath(environment);
    std::vector<std::string> lines;
    if (path.empty())
        return lines;
    std::ifstream file(path);
    for (std::string line; lines.size() < 2 && std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

std::optional<CookieStoreLocation> LoadRememberedCookieStore(const Environment& environment) {
    const std::vector<std::string> lines = RememberedLines(environment);
    if (lines.empty())
        return std::nullopt;
    return ParseCookieStoreArgument(lines[0]).location;
}

std::optional<CookieCharset> LoadRememberedCookieCharset(const Environment& environment) {
    const std::vector<std::string> lines = RememberedLines(environment);
    if (lines.size() < 2)
        return std::nullopt;
    return ParseCookieCharset(lines[1]).charset;
}

bool RememberCookieStore(const CookieStoreLocation& location, const Environment& environment,
                         std::optional<CookieCharset> charset) {
    const std::string path = RememberedCookieStorePath(environment);
    std::string text = FormatCookieStoreArgument(location) + "\n";
    if (charset)
        text += *charset == CookieCharset::kUtf8 ? "utf-8\n" : "cp932\n";
    return !path.empty() &&
           !MakePrivateDirectories(std::filesystem::path(path).parent_path().string()) &&
           !WriteFileAtomically(path, text, 0600);
}

}  // namespace tessel
