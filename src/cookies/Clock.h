#pragma once

#include <cstdint>

namespace tessel {

// A moment in Coordinated Universal Time, as the system clock reports it.
struct SystemTime {
    std::int32_t year = 1970;
    std::int32_t month = 1;  // 1 to 12
    std::int32_t day = 1;    // 1 to 31
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::int32_t milliseconds = 0;

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// The source of the current time; injected so that cookie expiry can be tested at fixed moments.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual SystemTime GetSystemTime() = 0;
};

}  // namespace tessel
