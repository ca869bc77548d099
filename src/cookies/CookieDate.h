#pragma once

#include <cstdint>
#include <string>

#include "cookies/Clock.h"

namespace tessel {

// The moment days whole days after time (negative days go back); the time of day stays and the
// calendar carries over months, years and leap days. Milliseconds are kept as they are.
SystemTime AddDays(const SystemTime& time, std::int32_t days);

// Seconds since 1970-01-01 00:00:00 UTC, and back; milliseconds are dropped.
std::int64_t ToUnixSeconds(const SystemTime& time);
SystemTime FromUnixSeconds(std::int64_t seconds);

// The cookie date form "Sun, 04-Apr-2027 09:07:03 GMT", always with English names.
std::string FormatCookieDate(const SystemTime& time);

}  // namespace tessel
