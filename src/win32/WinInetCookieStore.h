#pragma once

#include <string>
#include <vector>

#include "cookies/CookieStore.h"

namespace tessel {

// The one store on Windows as the undo journal names it, the same from the window and tessel.
inline constexpr const char* kStoreIdentity = "WinINet";

// The cookie store the system's browser shares with WinINet. Texts cross in the ANSI code page; a
// text the code page cannot carry is refused with the reason.
//
// WinINet tells no cookie's domain, path or flags, so the rule every store keeps is kept here by
// what its reads show: a write is refused when a cookie of the name is stored but a read cannot
// see it (a Secure one on http, an HttpOnly one), and a write that a cookie sent before it leaves
// without effect is taken back and refused. A record holds only the value the address reads (or
// its absence); restoring sets that value again, expiring 120 days later, or removes the cookie.
class WinInetCookieStore : public CookieStore {
  public:
    std::optional<std::string> InternetGetCookie(const std::string& url,
                                                 const std::string& name) override;
    bool InternetSetCookie(const std::string& url, const std::string& name,
                           const std::string& data) override;
    std::optional<std::string> RecordCookie(const std::string& url,
                                            const std::string& name) override;
    bool RestoreCookie(const std::string& url, const std::string& name, const std::string& before,
                       const std::string& written) override;

  private:
    // The cookie text for url in UTF-8 (flags as InternetGetCookieExA takes them); nullopt with
    // the failure recorded.
    std::optional<std::string> Read(const std::string& url, const std::string& name,
                                    unsigned long flags);
    bool Set(const std::string& url, const std::string& name, const std::string& data);
};

}  // namespace tessel
