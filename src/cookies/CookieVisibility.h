#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cookies/CookieUrl.h"
#include "cookies/StoredCookie.h"

namespace tessel {

// RFC 6265 §5.4 step 1: whether a request to address at now (seconds since 1970) carries cookie:
// the host equals a host-only cookie's domain or domain-matches a domain cookie's, the path
// path-matches, a secure cookie goes only over https, and an expired cookie goes nowhere.
bool CookieReaches(const CookieUrl& address, const StoredCookie& cookie, std::int64_t now);

// The cookies a request to address carries, in the order of §5.4 step 2: longer paths first,
// then the earlier created.
std::vector<const StoredCookie*> CookiesFor(const CookieUrl& address,
                                            std::span<const StoredCookie> cookies,
                                            std::int64_t now);
std::vector<const StoredCookie*> CookiesFor(const CookieUrl& address,
                                            std::span<const StoredCookie* const> cookies,
                                            std::int64_t now);

// The domains whose cookies can reach host: the host itself, then each domain above it, up to
// the last label. An IP address has only itself.
std::vector<std::string_view> DomainsAbove(std::string_view host);
// The same into domains, whose room is kept from the last call.
void DomainsAbove(std::string_view host, std::vector<std::string_view>& domains);

}  // namespace tessel
