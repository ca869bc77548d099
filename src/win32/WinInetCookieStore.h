#pragma once

#include "cookies/CookieStore.h"

namespace tessel {

// The cookie store the system's browser shares with WinINet. Texts cross in the ANSI code page; a
// text the code page cannot carry is refused with the reason.
class WinInetCookieStore : public CookieStore {
  public:
    std::optional<std::string> InternetGetCookie(const std::string& url,
                                                 const std::string& name) override;
    bool InternetSetCookie(const std::string& url, const std::string& name,
                           const std::string& data) override;
};

}  // namespace tessel
