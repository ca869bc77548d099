#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cookies/CookieFailure.h"

namespace tessel {

// The encryption of cookie values in a Chromium profile. A value is stored as a version tag
// ("v10", "v11") and the encrypted bytes; the versions differ in where their key comes from.
class CookieCipher {
  public:
    virtual ~CookieCipher() = default;

    // The stored form of value for a cookie of hostKey, bound to the host as the browser binds
    // it. Empty when the key of version is not at hand; Reason then says why.
    virtual std::optional<std::string> Encrypt(std::string_view version, std::string_view hostKey,
                                               std::string_view value) = 0;

    // The value, or empty when encrypted cannot be decrypted or was made for another host.
    virtual std::optional<std::string> Decrypt(std::string_view hostKey,
                                               std::string_view encrypted) = 0;

    // The version a profile gets while none of its cookies shows which one the browser uses.
    virtual std::string PreferredVersion() = 0;

    // Why the last Encrypt or Decrypt failed.
    virtual CookieFailure Reason() const = 0;
};

}  // namespace tessel
