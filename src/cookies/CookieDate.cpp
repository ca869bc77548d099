#include "cookies/CookieDate.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace tessel {
namespace {

namespace chrono = std::chrono;

// A day past the month's end counts on into the next month, as the calendar types define it.
chrono::sys_days Date(const SystemTime& time) {
    return chrono::year{time.year} / chrono::month{static_cast<unsigned>(time.month)} /
           chrono::day{static_cast<unsigned>(time.day)};
}

// Writes value's last digits, as many as there are places, zeros first.
void PutDigits(char* places, std::int32_t value, int count) {
    for (int i = count - 1; i >= 0; --i, value /= 10)
        places[i] = static_cast<char>('0' + value % 10);
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
    const auto within = [](std::int32_t value, std::int32_t most) {
        return value >= 0 && value <= most;
    };
    if (within(time.day, 99) && within(time.year, 9999) && within(time.hour, 99) &&
        within(time.minute, 99) && within(time.second, 99)) {
        // Filled in place: every cookie written has its date, and printf costs more than the rest
        // of the cookie's text.
        std::string text = "Www, 00-Mmm-0000 00:00:00 GMT";
        std::memcpy(&text[0], kWeekdays[weekday], 3);
        std::memcpy(&text[8], kMonths[month], 3);
        PutDigits(&text[5], time.day, 2);
        PutDigits(&text[12], time.year, 4);
        PutDigits(&text[17], time.hour, 2);
        PutDigits(&text[20], time.minute, 2);
        PutDigits(&text[23], time.second, 2);
        return text;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d-%s-%04d %02d:%02d:%02d GMT", kWeekdays[weekday],
                  time.day, kMonths[month], time.year, time.hour, time.minute, time.second);
    return text;
}

}  // namespace tessel
