#include "cookies/CookieDateParser.h"

#include <array>
#include <chrono>
#include <vector>

#include "cookies/CookieDate.h"
#include "text/TextCase.h"

namespace tessel {
namespace {

bool IsDelimiter(unsigned char c) {
    return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) ||
           (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads minDigits to maxDigits digits from the front of token; the count read goes to used.
std::optional<int> ReadNumber(std::string_view token, std::size_t minDigits, std::size_t maxDigits,
                              std::size_t* used) {
    std::size_t count = 0;
    int value = 0;
    while (count < token.size() && IsDigit(token[count])) {
        if (count == maxDigits)
            return std::nullopt;  // one digit too many
        value = value * 10 + (token[count] - '0');
        ++count;
    }
    if (count < minDigits)
        return std::nullopt;
    *used = count;
    return value;
}

// A whole token "1*2DIGIT ( non-digit *OCTET )" (or 2*4 for years).
std::optional<int> ReadLeadingNumber(std::string_view token, std::size_t minDigits,
                                     std::size_t maxDigits) {
    std::size_t used = 0;
    return ReadNumber(token, minDigits, maxDigits, &used);
}

bool ReadTime(std::string_view token, int* hour, int* minute, int* second) {
    int* fields[] = {hour, minute, second};
    for (std::size_t i = 0; i < 3; ++i) {
        std::size_t used = 0;
        const std::optional<int> value = ReadNumber(token, 1, 2, &used);
        if (!value)
            return false;
        *fields[i] = *value;
        token.remove_prefix(used);
        if (i < 2) {
            if (token.empty() || token.front() != ':')
                return false;
            token.remove_prefix(1);
        }
    }
    return true;
}

std::optional<int> ReadMonth(std::string_view token) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (token.size() < 3)
        return std::nullopt;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (EqualsIgnoreCase(token.substr(0, 3), kMonths[i]))
            return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> ParseCookieDate(std::string_view text) {
    std::optional<int> day, month, year;
    int hour = 0, minute = 0, second = 0;
    bool foundTime = false;

    std::size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && IsDelimiter(static_cast<unsigned char>(text[position])))
            ++position;
        const std::size_t start = position;
        while (position < text.size() && !IsDelimiter(static_cast<unsigned char>(text[position])))
            ++position;
        const std::string_view token = text.substr(start, position - start);
        if (token.empty())
            break;

        // Each token fills the first still-missing part it fits, in this order.
        if (!foundTime && ReadTime(token, &hour, &minute, &second)) {
            foundTime = true;
            continue;
        }
        if (!day && (day = ReadLeadingNumber(token, 1, 2)))
            continue;
        if (!month && (month = ReadMonth(token)))
            continue;
        if (!year)
            year = ReadLeadingNumber(token, 2, 4);
    }
    if (!foundTime || !day || !month || !year)
        return std::nullopt;

    if (*year >= 70 && *year <= 99)
        *year += 1900;
    if (*year >= 0 && *year <= 69)
        *year += 2000;
    if (*year < 1601 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{*year},
                                           std::chrono::month{static_cast<unsigned>(*month)},
                                           std::chrono::day{static_cast<unsigned>(*day)}};
    if (!date.ok())
        return std::nullopt;

    return ToUnixSeconds(SystemTime{*year, *month, *day, hour, minute, second, 0});
}

}  // namespace tessel
