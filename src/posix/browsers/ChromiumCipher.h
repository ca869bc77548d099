#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cookies/CookieCipher.h"

namespace tessel {

// The password a browser keeps in the desktop keyring under an application name, or empty when
// no keyring answers or it holds none.
using KeyringLookup = std::function<std::optional<std::string>(const std::string& application)>;

// Chromium's cookie encryption on Linux: AES-128-CBC with an IV of 16 spaces and PKCS#7 padding,
// under a key derived by PBKDF2-HMAC-SHA1 (salt "saltysalt", one iteration) from "peanuts" for
// "v10" and from the keyring's password for "v11". A value bound to its host starts its plain
// text with the SHA-256 of the cookie's host key.
//
// The keyring may hold the passwords of several browsers of the family, and a value encrypted
// with another browser's is dropped by the browser that reads it. So a keyring password is used
// only once it has decrypted one of the profile's own "v11" values: the applications are tried in
// order on the first such value. The host hash makes that proof certain; a value bound to no host
// proves a password only when it decrypts to text without control characters as well. Until one
// proves itself, values are written as "v10", which every browser of the family reads on Linux.
class ChromiumCipher : public CookieCipher {
  public:
    ChromiumCipher(std::vector<std::string> applications, KeyringLookup keyring);

    std::optional<std::string> Encrypt(std::string_view version,
                                       std::optional<std::string_view> hostKey,
                                       std::string_view value) override;
    std::optional<std::string> Decrypt(std::optional<std::string_view> hostKey,
                                       std::string_view encrypted) override;
    std::string PreferredVersion() override;
    CookieFailure Reason() const override { return reason_; }

    // Whether a value went as "v10" into a profile that holds "v11" values, since no keyring
    // password decrypted one.
    bool FellBack() const { return fellBack_; }

  private:
    struct Candidate {
        std::string application;
        std::string key;
    };

    const std::string* BasicKey();
    std::optional<std::string> DecryptWith(const std::string& key,
                                           std::optional<std::string_view> hostKey,
                                           std::string_view encrypted);
    std::optional<std::string> DecryptKeyring(std::optional<std::string_view> hostKey,
                                              std::string_view encrypted);

    std::vector<std::string> applications_;
    KeyringLookup keyring_;
    std::string basicKey_;               // derived on first use
    std::vector<Candidate> candidates_;  // the keyring's passwords, looked up on first need
    bool keyringAsked_ = false;
    std::optional<Candidate> proven_;  // the one that decrypted a value of the profile
    bool keyringValueSeen_ = false;
    bool fellBack_ = false;
    CookieFailure reason_;
};

}  // namespace tessel
