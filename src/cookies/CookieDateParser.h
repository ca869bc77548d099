#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessel {

// Reads a cookie's expires date the way RFC 6265 §5.1.1 tells user agents to, which accepts the
// forms servers actually send ("Sun, 04-Apr-2027 09:07:03 GMT", "Sun Nov  6 08:49:37 1994", two-
// digit years). Seconds since 1970-01-01 UTC; nullopt when the text holds no valid date.
std::optional<std::int64_t> ParseCookieDate(std::string_view text);

}  // namespace tessel
