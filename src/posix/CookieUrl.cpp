#include "posix/CookieUrl.h"

#include <arpa/inet.h>

#include "settings/TextCase.h"

namespace tessel {
namespace {

bool IsIpAddress(const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
           inet_pton(AF_INET6, host.c_str(), buffer) == 1;
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
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(1, close - 1);
    } else {
        host = authority.substr(0, authority.find(':'));
    }
    if (host.empty())
        return std::nullopt;
    result.host = LowerAscii(host);

    const std::string_view path = rest.substr(0, rest.find_first_of("?#"));
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
