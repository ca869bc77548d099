#include "cookies/CookieSnapshot.h"

#include <algorithm>

#include "cookies/CookieVisibility.h"

namespace tessel {
namespace {

bool SameKey(const StoredCookie& cookie, bool hostOnly, std::string_view path,
             std::string_view name) {
    return cookie.hostOnly == hostOnly && cookie.path == path && cookie.name == name;
}

}  // namespace

std::vector<StoredCookie>* CookieSnapshot::Domain(std::string_view domain) {
    const auto found = byDomain_.find(std::string(domain));
    return found == byDomain_.end() ? nullptr : &found->second;
}

const std::vector<StoredCookie>* CookieSnapshot::Domain(std::string_view domain) const {
    const auto found = byDomain_.find(std::string(domain));
    return found == byDomain_.end() ? nullptr : &found->second;
}

void CookieSnapshot::Put(StoredCookie cookie) {
    std::vector<StoredCookie>& cookies = byDomain_[cookie.domain];
    for (StoredCookie& stored : cookies) {
        if (SameKey(stored, cookie.hostOnly, cookie.path, cookie.name)) {
            stored = std::move(cookie);
            return;
        }
    }
    cookies.push_back(std::move(cookie));
    ++size_;
}

void CookieSnapshot::Remove(std::string_view domain, bool hostOnly, std::string_view path,
                            std::string_view name) {
    std::vector<StoredCookie>* cookies = Domain(domain);
    if (cookies == nullptr)
        return;
    const std::size_t before = cookies->size();
    std::erase_if(*cookies, [&](const StoredCookie& cookie) {
        return SameKey(cookie, hostOnly, path, name);
    });
    size_ -= before - cookies->size();
}

const StoredCookie* CookieSnapshot::Find(std::string_view domain, bool hostOnly,
                                         std::string_view path, std::string_view name) const {
    const std::vector<StoredCookie>* cookies = Domain(domain);
    if (cookies == nullptr)
        return nullptr;
    const auto found = std::find_if(cookies->begin(), cookies->end(), [&](const auto& cookie) {
        return SameKey(cookie, hostOnly, path, name);
    });
    return found == cookies->end() ? nullptr : &*found;
}

std::vector<const StoredCookie*> CookieSnapshot::Above(std::string_view host) const {
    std::vector<const StoredCookie*> candidates;
    for (const std::string_view domain : DomainsAbove(host)) {
        if (const std::vector<StoredCookie>* cookies = Domain(domain)) {
            for (const StoredCookie& cookie : *cookies)
                candidates.push_back(&cookie);
        }
    }
    return candidates;
}

std::vector<const StoredCookie*> CookieSnapshot::For(const CookieUrl& address,
                                                     std::int64_t now) const {
    const std::vector<const StoredCookie*> candidates = Above(address.host);
    return CookiesFor(address, std::span<const StoredCookie* const>(candidates), now);
}

}  // namespace tessel
