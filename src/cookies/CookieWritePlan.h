#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "cookies/CookieFailure.h"
#include "cookies/CookieUrl.h"
#include "cookies/StoredCookie.h"

namespace tessel {

// Which stored cookie a write of a cookie for an address changes. Every store decides it here, so
// that one rule holds for all: the cookie a request to the address carries first under that name
// is the one written (a cookie that would come before a new one, such as a domain cookie or one
// with a longer path, is updated in place and keeps its domain, path and flags), and nothing is
// replaced that a read could not see (a value the store cannot decode, a Secure cookie that an
// http address never receives, an HttpOnly cookie, which RFC 6265 §5.3 step 11 keeps from
// writers outside HTTP).
struct CookieWritePlan {
    const StoredCookie* target = nullptr;  // to update in place; none: a new host-only cookie
                                           // for the address's default path
    CookieFailure refusal;                 // kUnreadable when the write must not happen
};

// named: the stored cookies of the written name for the address's host and the domains above it
// (others are ignored), with readable false for those whose value the store cannot decode, and
// creation telling their order. undecodable says why such a value cannot be read; the refusal
// adds where the cookie is.
CookieWritePlan PlanCookieWrite(const CookieUrl& address,
                                std::span<const StoredCookie* const> named, std::int64_t now,
                                const CookieFailure& undecodable);

}  // namespace tessel
