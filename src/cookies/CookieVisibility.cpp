#include "cookies/CookieVisibility.h"

#include <algorithm>

namespace tessel {

bool CookieReaches(const CookieUrl& address, const StoredCookie& cookie, std::int64_t now) {
    const bool hostMatch = cookie.hostOnly ? address.host == cookie.domain
                                           : DomainMatches(address.host, cookie.domain);
    return hostMatch && PathMatches(address.path, cookie.path) &&
           (!cookie.secure || address.secure) && (!cookie.expires || *cookie.expires > now);
}

std::vector<const StoredCookie*> CookiesFor(const CookieUrl& address,
                                            std::span<const StoredCookie* const> cookies,
                                            std::int64_t now) {
    std::vector<const StoredCookie*> sent;
    for (const StoredCookie* cookie : cookies) {
        if (CookieReaches(address, *cookie, now))
            sent.push_back(cookie);
    }
    std::stable_sort(sent.begin(), sent.end(), [](const StoredCookie* a, const StoredCookie* b) {
        return a->path.size() != b->path.size() ? a->path.size() > b->path.size()
                                                : a->creation < b->creation;
    });
    return sent;
}

std::vector<const StoredCookie*> CookiesFor(const CookieUrl& address,
                                            std::span<const StoredCookie> cookies,
                                            std::int64_t now) {
    std::vector<const StoredCookie*> all;
    all.reserve(cookies.size());
    for (const StoredCookie& cookie : cookies)
        all.push_back(&cookie);
    return CookiesFor(address, std::span<const StoredCookie* const>(all), now);
}

std::vector<std::string_view> DomainsAbove(std::string_view host) {
    std::vector<std::string_view> domains;
    domains.reserve(8);
    DomainsAbove(host, domains);
    return domains;
}

void DomainsAbove(std::string_view host, std::vector<std::string_view>& domains) {
    domains.clear();
    domains.push_back(host);
    if (IsIpAddress(host))
        return;
    for (std::size_t dot = 0; dot + 1 < host.size(); ++dot) {
        if (host[dot] == '.')
            domains.push_back(host.substr(dot + 1));
    }
}

}  // namespace tessel
