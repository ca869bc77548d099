#include "posix/CookieUrl.h"

#include <arpa/inet.h>

#include "board/CookieText.h"
#include "settings/TextCase.h"

namespace tessel {
namespace {

bool IsIpAddress(const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
           inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// A host name a cookie can be kept for: dot-separated labels of letters, digits, "-" and "_",
// none empty (a leading dot would make it read as a domain cookie), or an IPv6 address.
bool IsHostName(std::string_view host, bool bracketed) {
    if (bracketed)
        return host.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
    if (host.front() == '.' || host.back() == '.' || host.find("..") != std::string_view::npos)
        return false;
    for (char c : host) {
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '-' && c != '_' && c != '.')
            return false;
    }
    return true;
}

}  // namespace

std::string LowerAscii(std::string_view text) {
    return FoldCase(text);
}

std::optional<CookieUrl> ParseCookieUrl(std::string_view url) {
    CookieUrl result;
    const std::size_t colon = url.find("://");
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string scheme = LowerAscii(url.substr(0, colon));
    if (scheme != "http" && scheme != "https")
        return std::nullopt;
    result.secure = scheme == "https";

    url.remove_prefix(colon + 3);
    const std::size_t authorityEnd = url.find_first_of("/?#");
    std::string_view authority = url.substr(0, authorityEnd);
    const std::string_view rest =
        authorityEnd == std::string_view::npos ? std::string_view() : url.substr(authorityEnd);

    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::string_view host;
    const bool bracketed = !authority.empty() && authority.front() == '[';
    if (bracketed) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(1, close - 1);
    } else {
        host = authority.substr(0, authority.find(':'));
    }
    if (host.empty() || !IsHostName(host, bracketed))
        return std::nullopt;
    result.host = LowerAscii(host);

    const std::string_view path = rest.substr(0, rest.find_first_of("?#"));
    if (HasControlCharacter(path))
        return std::nullopt;  // it would break the jar's line
    result.path = path.empty() ? "/" : std::string(path);
    return result;
}

std::string DefaultCookiePath(std::string_view requestPath) {
    if (requestPath.empty() || requestPath.front() != '/')
        return "/";
    return std::string(requestPath.substr(0, requestPath.rfind('/') + 1));
}

bool DomainMatches(std::string_view host, std::string_view domain) {
    if (host == domain)
        return true;
    if (domain.empty() || host.size() <= domain.size() + 1)
        return false;
    const std::size_t start = host.size() - domain.size();
    return host.substr(start) == domain && host[start - 1] == '.' &&
           !IsIpAddress(std::string(host));
}

bool PathMatches(std::string_view requestPath, std::string_view cookiePath) {
    if (requestPath.substr(0, cookiePath.size()) != cookiePath)
        return false;
    return requestPath.size() == cookiePath.size() ||
           (!cookiePath.empty() && cookiePath.back() == '/') ||
           requestPath[cookiePath.size()] == '/';
}

}  // namespace tessel
