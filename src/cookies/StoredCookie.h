#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessel {

// One cookie as any store keeps it, reduced to what decides where it is sent.
struct StoredCookie {
    std::string name;
    std::string value;     // as the store keeps it; each store decodes its own
    std::string domain;    // lower case, without a leading dot
    bool hostOnly = true;  // sent to domain only, not to its subdomains
    std::string path;
    bool secure = false;
    bool httpOnly = false;
    std::optional<std::int64_t> expires;  // seconds since 1970; none until the browser closes
    std::int64_t creation = 0;            // any measure that grows with each new cookie
    bool readable = true;                 // false when the store could not decode the value
};

}  // namespace tessel
