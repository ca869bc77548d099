#pragma once

#include <optional>
#include <string>

#include "cookies/CookieCipher.h"

namespace tessel {

// Chromium's cookie encryption on Windows: AES-256-GCM under the key that "Local State" keeps in
// os_crypt.encrypted_key, base64 of "DPAPI" and the key protected by CryptProtectData for the
// user. A "v10" value is the tag, a 12-byte nonce, the ciphertext and the 16-byte GCM tag; the
// plain text starts with the SHA-256 of the cookie's host key where the database binds values to
// their host. "v20" values are bound to the
// browser's own service and no other program can decrypt them.
class DpapiCookieCipher : public CookieCipher {
  public:
    // localState: the "Local State" file of the user-data folder; browser names it in reasons.
    DpapiCookieCipher(std::string localState, std::string browser);

    std::optional<std::string> Encrypt(std::string_view version,
                                       std::optional<std::string_view> hostKey,
                                       std::string_view value) override;
    std::optional<std::string> Decrypt(std::optional<std::string_view> hostKey,
                                       std::string_view encrypted) override;
    std::string PreferredVersion() override { return "v10"; }
    CookieFailure Reason() const override { return reason_; }

  private:
    const std::string* Key(std::string_view version);

    std::string localState_;
    std::string browser_;
    std::optional<std::string> key_;
    bool keyRead_ = false;
    CookieFailure reason_;
};

}  // namespace tessel
