#include "cookies/CookieWritePlan.h"

#include <string>
#include <vector>

#include "cookies/CookieVisibility.h"

namespace tessel {
namespace {

// The cookie as a reader can find it: its domain as stored (with the dot of a domain cookie) and
// its path.
std::string Where(const StoredCookie& cookie) {
    return (cookie.hostOnly ? "" : ".") + cookie.domain + cookie.path;
}

// Why a write must not replace cookie, or kNone when it may.
CookieFailure Refusal(const CookieUrl& address, const StoredCookie& cookie,
                      const CookieFailure& undecodable) {
    CookieFailure refusal;
    if (cookie.httpOnly)
        refusal = MakeFailure(CookieProblem::kStoredHttpOnly);
    else if (cookie.secure && !address.secure)
        refusal = MakeFailure(CookieProblem::kStoredSecureOnHttp);
    else if (!cookie.readable)
        refusal = undecodable;
    else
        return {};
    refusal.details.address = Where(cookie);
    return refusal;
}

}  // namespace

CookieWritePlan PlanCookieWrite(const CookieUrl& address,
                                std::span<const StoredCookie* const> named, std::int64_t now,
                                const CookieFailure& undecodable) {
    // What a new cookie would replace: the one with its key, even where the address's requests
    // do not carry it (a Secure one over http).
    const std::string path = DefaultCookiePath(address.path);
    const StoredCookie* own = nullptr;
    for (const StoredCookie* cookie : named) {
        // Whether a request over https would carry it: the host and path already match.
        if (cookie->hostOnly && cookie->domain == address.host && cookie->path == path &&
            PathMatches(address.path, cookie->path) &&
            (!cookie->expires || *cookie->expires > now)) {
            own = cookie;
            break;
        }
    }
    CookieWritePlan plan;
    const std::vector<const StoredCookie*> sent = CookiesFor(address, named, now);
    plan.target = sent.empty() ? own : sent.front();
    if (plan.target != nullptr)
        plan.refusal = Refusal(address, *plan.target, undecodable);
    return plan;
}

}  // namespace tessel
