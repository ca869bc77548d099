#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// One cookie of a Netscape cookies.txt jar, as views into its line: seven fields separated by
// tabs, "domain includeSubdomains path secure expires name value".
struct CookieJarEntry {
    std::string_view domain;  // without "#HttpOnly_" and leading dot, in the file's letter case
    bool httpOnly = false;
    bool includeSubdomains = false;  // "TRUE", or a leading dot on the domain
    std::string_view path;
    bool secure = false;
    std::int64_t expires = 0;  // seconds since 1970; 0 for a session cookie
    std::string_view name;
    std::string_view value;  // in the jar's own character set
};

// The cookie on one line (without its line feed; a carriage return before it is allowed).
// nullopt for comments, blank lines and lines that are damaged: a wrong number of fields, a flag
// other than TRUE or FALSE, an expiry that is not a number, or a NUL byte. Like curl, six fields
// are read as a cookie with an empty value.
std::optional<CookieJarEntry> ParseCookieJarLine(std::string_view line);

// The line, without its line feed, for a host-only cookie that is neither secure nor HttpOnly.
std::string FormatCookieJarLine(std::string_view host, std::string_view path, std::string_view name,
                                std::string_view value, std::int64_t expires);
// The same line written into line, whose room is kept from its last use.
void FormatCookieJarLine(std::string& line, std::string_view host, std::string_view path,
                         std::string_view name, std::string_view value, std::int64_t expires);

// The cookie line (without its line ending) with a new value and expiry, every other byte kept.
std::string WithCookieJarValue(std::string_view line, std::string_view value, std::int64_t expires);

}  // namespace tessel
