#include "board/CookieDate.h"

#include <cstdio>

namespace tessel {
namespace {

// Days since 1970-01-01 in the proleptic Gregorian calendar, and back (the civil-calendar
// algorithms of H. Hinnant's "chrono-Compatible Low-Level Date Algorithms").
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int32_t& year, std::int32_t& month, std::int32_t& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<std::int32_t>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<std::int32_t>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<std::int32_t>(yoe + era * 400 + (month <= 2));
}

}  // namespace

SystemTime AddDays(const SystemTime& time, std::int32_t days) {
    SystemTime result = time;
    CivilFromDays(DaysFromCivil(time.year, time.month, time.day) + days, result.year, result.month,
                  result.day);
    return result;
}

std::int64_t ToUnixSeconds(const SystemTime& time) {
    return DaysFromCivil(time.year, time.month, time.day) * 86400 + time.hour * 3600 +
           time.minute * 60 + time.second;
}

SystemTime FromUnixSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    SystemTime time;
    CivilFromDays(days, time.year, time.month, time.day);
    time.hour = static_cast<std::int32_t>(rest / 3600);
    time.minute = static_cast<std::int32_t>(rest % 3600 / 60);
    time.second = static_cast<std::int32_t>(rest % 60);
    return time;
}

std::string FormatCookieDate(const SystemTime& time) {
    static constexpr const char* kWeekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::int64_t days = DaysFromCivil(time.year, time.month, time.day);
    const auto weekday =
        static_cast<std::size_t>(((days % 7) + 7) % 7);  // 1970-01-01 was a Thursday
    const std::size_t month =
        static_cast<std::size_t>(time.month >= 1 && time.month <= 12 ? time.month - 1 : 0);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d-%s-%04d %02d:%02d:%02d GMT", kWeekdays[weekday],
                  time.day, kMonths[month], time.year, time.hour, time.minute, time.second);
    return text;
}

}  // namespace tessel
