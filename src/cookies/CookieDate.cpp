#include "cookies/CookieDate.h"

#include <chrono>
#include <cstdio>

namespace tessel {
namespace {

namespace chrono = std::chrono;

// A day past the month's end counts on into the next month, as the calendar types define it.
chrono::sys_days Date(const SystemTime& time) {
    return chrono::year{time.year} / chrono::month{static_cast<unsigned>(time.month)} /
           chrono::day{static_cast<unsigned>(time.day)};
}

void SetDate(SystemTime& time, chrono::sys_days days) {
    const chrono::year_month_day date{days};
    time.year = static_cast<int>(date.year());
    time.month = static_cast<std::int32_t>(static_cast<unsigned>(date.month()));
    time.day = static_cast<std::int32_t>(static_cast<unsigned>(date.day()));
}

}  // namespace

SystemTime AddDays(const SystemTime& time, std::int32_t days) {
    SystemTime result = time;
    SetDate(result, Date(time) + chrono::days{days});
    return result;
}

std::int64_t ToUnixSeconds(const SystemTime& time) {
    const chrono::sys_seconds at = Date(time) + chrono::hours{time.hour} +
                                   chrono::minutes{time.minute} + chrono::seconds{time.second};
    return at.time_since_epoch().count();
}

SystemTime FromUnixSeconds(std::int64_t seconds) {
    const chrono::sys_seconds at{chrono::seconds{seconds}};
    const chrono::sys_days days = chrono::floor<chrono::days>(at);
    const chrono::hh_mm_ss clock{at - days};
    SystemTime time;
    SetDate(time, days);
    time.hour = static_cast<std::int32_t>(clock.hours().count());
    time.minute = static_cast<std::int32_t>(clock.minutes().count());
    time.second = static_cast<std::int32_t>(clock.seconds().count());
    return time;
}

std::string FormatCookieDate(const SystemTime& time) {
    static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const unsigned weekday = chrono::weekday{Date(time)}.c_encoding();
    const std::size_t month =
        static_cast<std::size_t>(time.month >= 1 && time.month <= 12 ? time.month - 1 : 0);
    const bool usual = time.day >= 0 && time.day <= 99 && time.year >= 0 && time.year <= 9999 &&
                       time.hour >= 0 && time.hour <= 99 && time.minute >= 0 && time.minute <= 99 &&
                       time.second >= 0 && time.second <= 99;
    if (!usual) {
        char text[64];
        std::snprintf(text, sizeof text, "%s, %02d-%s-%04d %02d:%02d:%02d GMT", kWeekdays[weekday],
                      time.day, kMonths[month], time.year, time.hour, time.minute, time.second);
        return text;
    }
    // Every board written in a batch formats its expiry: digits by hand cost a tenth of printf.
    std::string text = "Sun, 00-Jan-0000 00:00:00 GMT";
    const auto put = [&text](std::size_t at, int value, int digits) {
        for (std::size_t i = at + static_cast<std::size_t>(digits); i-- > at; value /= 10)
            text[i] = static_cast<char>('0' + value % 10);
    };
    text.replace(0, 3, kWeekdays[weekday]);
    put(5, time.day, 2);
    text.replace(8, 3, kMonths[month]);
    put(12, time.year, 4);
    put(17, time.hour, 2);
    put(20, time.minute, 2);
    put(23, time.second, 2);
    return text;
}

}  // namespace tessel
