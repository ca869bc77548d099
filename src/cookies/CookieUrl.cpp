#include "cookies/CookieUrl.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "text/TextCase.h"

namespace tessel {
namespace {

// Addresses are read as browsers read them (the WHATWG URL rules for http and https), so that a
// cookie is kept for exactly the host a browser would send it to:
// - "\" separates path segments just as "/" does, so it also ends the host;
// - user information (up to the last "@") is not part of the host;
// - a bracketed host is an IPv6 address and nothing else, and only a port may follow it;
// - a host whose last label is a number is an IPv4 address, in any of the forms browsers accept
//   ("127.1", "0x7f.0.0.1"), kept in its dotted decimal form;
// - "." and ".." path segments are resolved before the path is used.

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

// Where the first character of text that meets test stands, npos for none. Addresses are read
// for every board a batch writes; the library's find_first_of makes a call per character.
template <typename Test>
std::size_t FindIf(std::string_view text, Test test) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (test(text[i]))
            return i;
    }
    return std::string_view::npos;
}

bool IsSlash(char c) {
    return c == '/' || c == '\\';
}

bool AllDigits(std::string_view text) {
    return FindIf(text, [](char c) { return !IsDigit(c); }) == std::string_view::npos;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// One part of an IPv4 address: decimal, "0x" hexadecimal or "0" octal, as browsers read it.
std::optional<std::uint64_t> Ipv4Number(std::string_view part) {
    int base = 10;
    if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
        base = 16;
        part.remove_prefix(2);
    } else if (part.size() >= 2 && part[0] == '0') {
        base = 8;
        part.remove_prefix(1);
    }
    std::uint64_t value = 0;
    for (char c : part) {
        const bool valid = base == 16 ? IsHexDigit(c) : (IsDigit(c) && c - '0' < base);
        if (!valid || value > (std::uint64_t{1} << 40))
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(HexValue(c));
    }
    return value;
}

bool EndsInNumber(std::string_view host) {
    // The last label, a trailing dot aside.
    std::string_view last = host;
    if (last.size() > 1 && last.back() == '.')
        last.remove_suffix(1);
    if (const std::size_t dot = last.rfind('.'); dot != std::string_view::npos)
        last.remove_prefix(dot + 1);
    if (!last.empty() && AllDigits(last))
        return true;
    return last.size() >= 2 && last[0] == '0' && (last[1] == 'x' || last[1] == 'X') &&
           FindIf(last.substr(2), [](char c) { return !IsHexDigit(c); }) == std::string_view::npos;
}

std::optional<std::string> ParseIpv4(std::string_view host) {
    std::vector<std::string_view> parts = Split(host, '.');
    if (parts.size() > 1 && parts.back().empty())
        parts.pop_back();
    if (parts.size() > 4)
        return std::nullopt;
    std::vector<std::uint64_t> numbers;
    for (std::string_view part : parts) {
        const std::optional<std::uint64_t> number = part.empty() ? std::nullopt : Ipv4Number(part);
        if (!number)
            return std::nullopt;
        numbers.push_back(*number);
    }
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i) {
        if (numbers[i] > 255)
            return std::nullopt;
    }
    const std::size_t lastWidth = 8 * (5 - numbers.size());
    if (numbers.back() >= (std::uint64_t{1} << lastWidth))
        return std::nullopt;
    std::uint64_t address = numbers.back();
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i)
        address += numbers[i] << (8 * (3 - i));
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!text.empty())
            text += '.';
        text += std::to_string((address >> shift) & 0xFF);
    }
    return text;
}

// An IPv6 address in its canonical form (lower case, the longest run of zero pieces as "::").
std::optional<std::string> ParseIpv6(std::string_view text) {
    std::array<std::uint32_t, 8> pieces{};
    std::size_t index = 0;
    std::optional<std::size_t> compress;
    std::size_t i = 0;
    if (text.substr(0, 2) == "::") {
        i = 2;
        compress = index;
    } else if (!text.empty() && text[0] == ':') {
        return std::nullopt;
    }
    while (i < text.size()) {
        if (index == 8)
            return std::nullopt;
        if (text[i] == ':') {
            if (compress)
                return std::nullopt;
            ++i;
            compress = index;
            continue;
        }
        std::uint32_t value = 0;
        std::size_t length = 0;
        while (length < 4 && i < text.size() && IsHexDigit(text[i])) {
            value = value * 16 + static_cast<std::uint32_t>(HexValue(text[i]));
            ++i;
            ++length;
        }
        if (i < text.size() && text[i] == '.') {
            // An IPv4 address in the last two pieces: four decimal parts, no leading zeros.
            if (length == 0 || index > 6)
                return std::nullopt;
            const std::vector<std::string_view> parts = Split(text.substr(i - length), '.');
            if (parts.size() != 4)
                return std::nullopt;
            std::uint32_t address = 0;
            for (std::string_view part : parts) {
                if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0') ||
                    part.find_first_not_of("0123456789") != std::string_view::npos) {
                    return std::nullopt;
                }
                const auto octet = static_cast<std::uint32_t>(std::stoul(std::string(part)));
                if (octet > 255)
                    return std::nullopt;
                address = address * 256 + octet;
            }
            pieces[index++] = address >> 16;
            pieces[index++] = address & 0xFFFF;
            i = text.size();
            break;
        }
        if (length == 0)
            return std::nullopt;
        pieces[index++] = value;
        if (i < text.size()) {
            if (text[i] != ':' || i + 1 == text.size())
                return std::nullopt;
            ++i;
        }
    }
    if (compress) {
        std::size_t swaps = index - *compress;
        index = 7;
        while (index != 0 && swaps > 0) {
            std::swap(pieces[index], pieces[*compress + swaps - 1]);
            --index;
            --swaps;
        }
    } else if (index != 8) {
        return std::nullopt;
    }

    // The first longest run of two or more zero pieces is written as "::".
    std::size_t runStart = 8, runLength = 1;
    for (std::size_t start = 0; start < 8;) {
        std::size_t end = start;
        while (end < 8 && pieces[end] == 0)
            ++end;
        if (end - start > runLength) {
            runStart = start;
            runLength = end - start;
        }
        start = end == start ? start + 1 : end;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t p = 0; p < 8; ++p) {
        if (p == runStart) {
            out += p == 0 ? "::" : ":";
            p += runLength - 1;
            continue;
        }
        std::string piece;
        for (std::uint32_t v = pieces[p]; v != 0 || piece.empty(); v /= 16)
            piece.insert(piece.begin(), kDigits[v % 16]);
        out += piece;
        if (p != 7)
            out += ':';
    }
    return out;
}

// What each byte may be in an address, for the loops that read every character of one.
enum : std::uint8_t {
    kHostByte = 1,      // a letter, digit, "-", "_" or "." of a host name
    kAuthorityEnd = 2,  // "/", "\\", "?" or "#": the host and port end here
    kPathMark = 4,      // what a plain path looks at: "?", "#", "\\", ".", "%", space, control, DEL
    kLabelByte = 8,     // a host byte other than "." or a capital letter
};

constexpr std::array<std::uint8_t, 256> MakeByteClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (letterOrDigit || c == '-' || c == '_' || c == '.')
            classes[static_cast<std::size_t>(c)] |= kHostByte;
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            classes[static_cast<std::size_t>(c)] |= kLabelByte;
        if (c == '/' || c == '\\' || c == '?' || c == '#')
            classes[static_cast<std::size_t>(c)] |= kAuthorityEnd;
        if (c == '?' || c == '#' || c == '\\' || c == '.' || c == '%' || c <= 0x20 || c == 0x7F)
            classes[static_cast<std::size_t>(c)] |= kPathMark;
    }
    return classes;
}

constexpr std::array<std::uint8_t, 256> kByteClasses = MakeByteClasses();

std::uint8_t ClassAt(std::string_view text, std::size_t at) {
    return kByteClasses[static_cast<unsigned char>(text[at])];
}

bool IsClass(char c, std::uint8_t byteClass) {
    return (kByteClasses[static_cast<unsigned char>(c)] & byteClass) != 0;
}

// Whether text has a space, a control character or DEL, eight bytes at a time: a byte below
// 0x21 or equal to 0x7F sets its top bit in one of the two masks.
bool HasSpaceOrControl(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        const std::uint64_t below = (word - kOnes * 0x21) & ~word;
        const std::uint64_t del = word ^ (kOnes * 0x7F);
        if (((below | ((del - kOnes) & ~del)) & kHighs) != 0)
            return true;
    }
    for (; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte <= 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

// A host name a cookie can be kept for: dot-separated labels of letters, digits, "-" and "_",
// none empty (a leading dot would make it read as a domain cookie). Written to folded in lower
// case when it is one.
bool FoldHostName(std::string_view host, std::string& folded) {
    if (host.empty() || host.front() == '.' || host.back() == '.')
        return false;
    // Every byte's class is looked at without a branch; a host that passes is ASCII, whose
    // capital letters are folded eight at a time.
    std::uint8_t classes = kHostByte;
    for (const char c : host)
        classes &= kByteClasses[static_cast<unsigned char>(c)];
    if ((classes & kHostByte) == 0 || host.find("..") != std::string_view::npos)
        return false;
    folded.resize(host.size());
    char* out = folded.data();
    std::size_t at = 0;
    for (; at + 8 <= host.size(); at += 8) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        std::uint64_t word;
        std::memcpy(&word, host.data() + at, sizeof word);
        // Bytes below 0x80 only: adding cannot carry into the next byte.
        const std::uint64_t fromA = word + kOnes * (0x80 - 'A');
        const std::uint64_t pastZ = word + kOnes * (0x7F - 'Z');
        word |= ((fromA & ~pastZ) & kOnes * 0x80) >> 2;
        std::memcpy(out + at, &word, sizeof word);
    }
    for (; at < host.size(); ++at)
        out[at] = FoldChar(host[at]);
    return true;
}

bool IsPort(std::string_view port) {
    if (port.size() > 5 || !AllDigits(port))
        return false;
    return port.empty() || std::stoul(std::string(port)) <= 65535;
}

bool IsDotSegment(std::string_view segment, int dots) {
    // Most segments are names: "." and "%2e" are the only ways a dot segment can start.
    if (segment.empty() || segment.size() > 6 || (segment[0] != '.' && segment[0] != '%'))
        return false;
    std::string folded = FoldCase(segment);
    for (std::size_t at; (at = folded.find("%2e")) != std::string::npos;)
        folded.replace(at, 3, ".");
    return folded == (dots == 1 ? "." : "..");
}

// The path with "\" read as "/" and dot segments resolved, as a browser requests it.
void NormalizePath(std::string_view path, std::string& result) {
    // Most paths have nothing to resolve: no "\\" and no segment that starts as a dot segment.
    bool plain = path.starts_with('/') && path.find('\\') == std::string_view::npos;
    for (std::size_t slash = 0; plain && slash + 1 < path.size();
         slash = std::min(path.find('/', slash + 1), path.size())) {
        plain = path[slash + 1] != '.' && path[slash + 1] != '%';
    }
    if (plain) {
        result.assign(path);
        return;
    }
    std::string slashes(path);
    for (char& c : slashes) {
        if (c == '\\')
            c = '/';
    }
    if (slashes.empty() || slashes[0] != '/')
        slashes.insert(slashes.begin(), '/');
    const std::vector<std::string_view> segments = Split(std::string_view(slashes).substr(1), '/');
    std::vector<std::string_view> kept;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const bool last = i + 1 == segments.size();
        if (IsDotSegment(segments[i], 2)) {
            if (!kept.empty())
                kept.pop_back();
            if (last)
                kept.emplace_back();
        } else if (IsDotSegment(segments[i], 1)) {
            if (last)
                kept.emplace_back();
        } else {
            kept.push_back(segments[i]);
        }
    }
    result.clear();
    for (std::string_view segment : kept) {
        result += '/';
        result += segment;
    }
    if (result.empty())
        result = "/";
}

// The address most boards have, read in one pass: "http://" or "https://", a host name in lower
// case whose last label starts with a letter, and a path with no "\\", no segment that may be a
// dot segment and no space or control character, nor any in the query or fragment. false for
// anything else, which the general reading below answers; for these both give the same result.
// Kept out of line, so that the general reading's frame is not set up for it.
__attribute__((noinline)) bool ReadPlainUrl(std::string_view url, CookieUrl& result) {
    std::size_t at;
    if (url.starts_with("http://"))
        at = 7;
    else if (url.starts_with("https://"))
        at = 8;
    else
        return false;
    // Labels in lower case joined by single dots, the last not starting with a digit (it may be
    // an IPv4 address).
    const std::size_t hostStart = at;
    std::size_t lastLabel;
    for (;;) {
        lastLabel = at;
        while (at < url.size() && (ClassAt(url, at) & kLabelByte) != 0)
            ++at;
        if (at == lastLabel)
            return false;
        if (at == url.size() || url[at] != '.')
            break;
        ++at;
    }
    if (IsDigit(url[lastLabel]))
        return false;
    const std::size_t hostEnd = at;
    if (at < url.size() && (url[at] == '\\' || !IsClass(url[at], kAuthorityEnd)))
        return false;  // a port, user information or a byte no host name has
    // The path: a "." or "%" right after a "/" may start a dot segment.
    for (;; ++at) {
        for (; at + 4 <= url.size(); at += 4) {
            if (((ClassAt(url, at) | ClassAt(url, at + 1) | ClassAt(url, at + 2) |
                  ClassAt(url, at + 3)) &
                 kPathMark) != 0)
                break;
        }
        while (at < url.size() && (ClassAt(url, at) & kPathMark) == 0)
            ++at;
        if (at == url.size() || url[at] == '?' || url[at] == '#')
            break;
        if ((url[at] != '.' && url[at] != '%') || url[at - 1] == '/')
            return false;
    }
    if (at < url.size() && HasSpaceOrControl(url.substr(at)))
        return false;
    result.secure = hostStart == 8;
    // Appended to emptied strings: an assignment checks for overlaps and room the kept strings
    // do not need.
    result.host.clear();
    result.host.append(url.data() + hostStart, hostEnd - hostStart);
    result.path.clear();
    if (at == hostEnd)
        result.path.push_back('/');
    else
        result.path.append(url.data() + hostEnd, at - hostEnd);
    return true;
}

// The address read afresh into result, whose strings keep their room from the last one; false
// when it is not one a cookie goes with.
bool ReadCookieUrl(std::string_view url, CookieUrl& result) {
    if (HasSpaceOrControl(url))
        return false;  // browsers strip or drop these; the jar's lines cannot hold them
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view scheme = url.substr(0, colon);
    result.secure = EqualsLetterWord(scheme, "https");
    if (!result.secure && !EqualsLetterWord(scheme, "http"))
        return false;

    url.remove_prefix(colon + 1);
    const std::size_t hostStart = FindIf(url, [](char c) { return !IsSlash(c); });
    // Browsers skip any number of slashes here; an address that does not have exactly two is
    // refused, as the host it goes to is not the one it seems to name.
    if (hostStart != 2)
        return false;
    url.remove_prefix(hostStart);
    const std::size_t authorityEnd = FindIf(url, [](char c) { return IsClass(c, kAuthorityEnd); });
    std::string_view authority = url.substr(0, authorityEnd);
    const std::string_view rest =
        authorityEnd == std::string_view::npos ? std::string_view() : url.substr(authorityEnd);
    // Few addresses have user information: a forward search says so before a backward one.
    if (authority.find('@') != std::string_view::npos)
        authority.remove_prefix(authority.rfind('@') + 1);

    std::string_view host, port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return false;
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty() && after.front() != ':')
            return false;
        port = after.empty() ? after : after.substr(1);
        std::optional<std::string> address = ParseIpv6(authority.substr(1, close - 1));
        if (!address)
            return false;
        result.host = std::move(*address);
    } else {
        const std::size_t portColon = authority.find(':');
        host = authority.substr(0, portColon);
        port = portColon == std::string_view::npos ? std::string_view()
                                                   : authority.substr(portColon + 1);
        if (!host.empty() && EndsInNumber(host)) {
            std::optional<std::string> address = ParseIpv4(host);
            if (!address)
                return false;
            result.host = std::move(*address);
        } else if (!FoldHostName(host, result.host)) {
            return false;
        }
    }
    if (!IsPort(port))
        return false;

    // The path ends at the query or the fragment, whichever comes first.
    NormalizePath(rest.substr(0, std::min(rest.find('?'), rest.find('#'))), result.path);
    return true;
}

}  // namespace

const std::optional<CookieUrl>& LastCookieUrl(std::string_view url) {
    // A write reads each board's address several times in a row (read, record, write, record
    // again): the last address read is kept, for each thread.
    // The address is read into the kept one's strings, so that a new address needs no
    // allocation once the strings have grown to the addresses' size.
    thread_local std::string lastUrl;
    thread_local std::optional<CookieUrl> last;
    thread_local bool any = false;
    if (!any || url != lastUrl) {
        if (!last)
            last.emplace();
        if (!ReadPlainUrl(url, *last) && !ReadCookieUrl(url, *last))
            last.reset();
        lastUrl.assign(url);
        any = true;
    }
    return last;
}

std::optional<CookieUrl> ParseCookieUrl(std::string_view url) {
    return LastCookieUrl(url);
}

std::string DefaultCookiePath(std::string_view requestPath) {
    return std::string(DefaultCookiePathView(requestPath));
}

std::string_view DefaultCookiePathView(std::string_view requestPath) {
    if (requestPath.empty() || requestPath.front() != '/')
        return "/";
    return requestPath.substr(0, requestPath.rfind('/') + 1);
}

bool IsIpAddress(std::string_view host) {
    return host.find(':') != std::string_view::npos || (!host.empty() && EndsInNumber(host));
}

bool DomainMatches(std::string_view host, std::string_view domain) {
    if (host == domain)
        return true;
    if (domain.empty() || host.size() <= domain.size() + 1)
        return false;
    const std::size_t start = host.size() - domain.size();
    return host.substr(start) == domain && host[start - 1] == '.' && !IsIpAddress(host);
}

bool PathMatches(std::string_view requestPath, std::string_view cookiePath) {
    if (requestPath.substr(0, cookiePath.size()) != cookiePath)
        return false;
    return requestPath.size() == cookiePath.size() ||
           (!cookiePath.empty() && cookiePath.back() == '/') ||
           requestPath[cookiePath.size()] == '/';
}

}  // namespace tessel
