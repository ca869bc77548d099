#pragma once

#include <functional>
#include <optional>
#include <string>

#include "cookies/CookieCipher.h"

namespace tessel {

// The password Chromium keeps in the desktop keyring, or empty when no keyring answers.
using KeyringPassword = std::function<std::optional<std::string>()>;

// Chromium's cookie encryption on Linux: AES-128-CBC with an IV of 16 spaces and PKCS#7 padding,
// under a key derived by PBKDF2-HMAC-SHA1 (salt "saltysalt", one iteration) from "peanuts" for
// "v10" and from the keyring's password for "v11". The plain text starts with the SHA-256 of the
// cookie's host key, which binds a value to its host.
class ChromiumCipher : public CookieCipher {
  public:
    explicit ChromiumCipher(KeyringPassword keyring);

    std::optional<std::string> Encrypt(std::string_view version, std::string_view hostKey,
                                       std::string_view value) override;
    std::optional<std::string> Decrypt(std::string_view hostKey,
                                       std::string_view encrypted) override;
    std::string PreferredVersion() override;
    CookieFailure Reason() const override { return reason_; }

  private:
    const std::string* Key(std::string_view version);

    KeyringPassword keyring_;
    std::string basicKey_;  // derived on first use
    std::optional<std::string> keyringKey_;
    bool keyringAsked_ = false;
    CookieFailure reason_;
};

}  // namespace tessel
