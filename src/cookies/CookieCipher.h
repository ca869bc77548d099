#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cookies/CookieFailure.h"

namespace tessel {

// The encryption of cookie values in a Chromium profile. A value is stored as a version tag
// ("v10", "v11") and the encrypted bytes; the versions differ in where their key comes from.
// Databases from meta version 24 bind each value to the cookie's host key (the plain text starts
// with the SHA-256 of it); older ones bind none, and hostKey is then empty.
class CookieCipher {
  public:
    virtual ~CookieCipher() = default;

    // The stored form of value, bound to hostKey as the browser binds it. Empty when the key of
    // version is not at hand; Reason then says why.
    virtual std::optional<std::string> Encrypt(std::string_view version,
                                               std::optional<std::string_view> hostKey,
                                               std::string_view value) = 0;

    // The value, or empty when encrypted cannot be decrypted or was bound to another host.
    virtual std::optional<std::string> Decrypt(std::optional<std::string_view> hostKey,
                                               std::string_view encrypted) = 0;

    // The version values are written in: one whose key has proven itself by decrypting a value
    // of the profile, or the one every browser of the family reads.
    virtual std::string PreferredVersion() = 0;

    // Why the last Encrypt or Decrypt failed.
    virtual CookieFailure Reason() const = 0;
};

}  // namespace tessel
