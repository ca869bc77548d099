#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// The data a cookie is set with: "value" or "value; expires=<date>".
struct SetCookieData {
    std::string value;
    std::optional<std::int64_t> expires;  // seconds since 1970; empty for a session cookie
};

// Splits data into its value (trimmed of surrounding blanks, as RFC 6265 §5.2 trims it) and its
// expiry. nullopt when the date cannot be read or another attribute is present: the store would
// drop such an attribute, and a cookie stored differently from what was asked is worse than none.
std::optional<SetCookieData> ParseSetCookieData(std::string_view data);

// The same, with the value left in data, for callers that only look at it.
struct SetCookieFields {
    std::string_view value;
    std::optional<std::int64_t> expires;
};
std::optional<SetCookieFields> ReadSetCookieData(std::string_view data);

}  // namespace tessel
