#include "cookies/jar/CookieJarLine.h"

#include <array>
#include <charconv>
#include <cstring>
#include <iterator>
#include <limits>

#include "text/TextCase.h"

namespace tessel {
namespace {

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

std::optional<bool> ReadFlag(std::string_view field) {
    if (EqualsIgnoreCase(field, "TRUE"))
        return true;
    if (EqualsIgnoreCase(field, "FALSE"))
        return false;
    return std::nullopt;
}

// Saturates rather than fails on huge values: they are far-future dates, not damage.
std::optional<std::int64_t> ReadExpiry(std::string_view field) {
    const bool negative = !field.empty() && field.front() == '-';
    if (negative)
        field.remove_prefix(1);
    if (field.empty())
        return std::nullopt;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace

std::optional<CookieJarEntry> ParseCookieJarLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos)
        return std::nullopt;

    CookieJarEntry entry;
    if (line.substr(0, kHttpOnlyPrefix.size()) == kHttpOnlyPrefix) {
        entry.httpOnly = true;
        line.remove_prefix(kHttpOnlyPrefix.size());
    } else if (line.empty() || line.front() == '#') {
        return std::nullopt;
    }

    std::array<std::string_view, 7> fields;
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        const std::size_t tab = line.find('\t', start);
        if (count == fields.size())
            return std::nullopt;  // an eighth field
        fields[count] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if (++count < 6)
        return std::nullopt;

    entry.domain = fields[0];
    const std::optional<bool> subdomains = ReadFlag(fields[1]);
    const std::optional<bool> secure = ReadFlag(fields[3]);
    const std::optional<std::int64_t> expires = ReadExpiry(fields[4]);
    if (!subdomains || !secure || !expires)
        return std::nullopt;
    entry.includeSubdomains = *subdomains;
    if (!entry.domain.empty() && entry.domain.front() == '.') {
        entry.includeSubdomains = true;
        entry.domain.remove_prefix(1);
    }
    if (entry.domain.empty())
        return std::nullopt;
    entry.path = fields[2];
    entry.secure = *secure;
    entry.expires = *expires;
    entry.name = fields[5];
    entry.value = fields[6];  // empty when there were six fields
    return entry;
}

std::string FormatCookieJarLine(std::string_view host, std::string_view path, std::string_view name,
                                std::string_view value, std::int64_t expires) {
    std::string line;
    FormatCookieJarLine(line, host, path, name, value, expires);
    return line;
}

void FormatCookieJarLine(std::string& line, std::string_view host, std::string_view path,
                         std::string_view name, std::string_view value, std::int64_t expires) {
    char digits[24];
    const std::to_chars_result expiry =
        std::to_chars(std::begin(digits), std::end(digits), expires);
    const std::string_view expiryText(digits, expiry.ptr);
    constexpr std::string_view kFlag = "\tFALSE\t";
    // Written through a pointer into room made once: appending piece by piece checked the room
    // for each.
    line.resize(host.size() + path.size() + name.size() + value.size() + expiryText.size() +
                2 * kFlag.size() + 2);
    char* out = line.data();
    const auto put = [&out](std::string_view text) {
        if (!text.empty())
            std::memcpy(out, text.data(), text.size());
        out += text.size();
    };
    put(host);
    put(kFlag);
    put(path);
    put(kFlag);
    put(expiryText);
    *out++ = '\t';
    put(name);
    *out++ = '\t';
    put(value);
}

std::string WithCookieJarValue(std::string_view line, std::string_view value,
                               std::int64_t expires) {
    // domain, subdomains, path, secure | expires | name | value
    std::size_t tab = 0;
    for (int field = 0; field < 4; ++field)
        tab = line.find('\t', tab) + 1;
    const std::size_t nameStart = line.find('\t', tab) + 1;
    const std::size_t nameEnd = line.find('\t', nameStart);
    std::string result(line.substr(0, tab));
    result.append(std::to_string(expires)).append("\t");
    result.append(line.substr(nameStart, nameEnd - nameStart)).append("\t").append(value);
    return result;
}

}  // namespace tessel
