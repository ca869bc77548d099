#include "posix/ChromiumCipher.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <memory>

namespace tessel {
namespace {

constexpr int kKeySize = 16;
constexpr int kHashSize = SHA256_DIGEST_LENGTH;
constexpr unsigned char kIv[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                   ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

std::string DeriveKey(std::string_view password) {
    constexpr std::string_view kSalt = "saltysalt";
    std::string key(kKeySize, '\0');
    PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()),
                           reinterpret_cast<const unsigned char*>(kSalt.data()),
                           static_cast<int>(kSalt.size()), 1, kKeySize,
                           reinterpret_cast<unsigned char*>(key.data()));
    return key;
}

std::string HostHash(std::string_view hostKey) {
    std::string hash(kHashSize, '\0');
    SHA256(reinterpret_cast<const unsigned char*>(hostKey.data()), hostKey.size(),
           reinterpret_cast<unsigned char*>(hash.data()));
    return hash;
}

// AES-128-CBC of input under key, encrypting or decrypting; empty when the padding is wrong.
std::optional<std::string> Aes(const std::string& key, std::string_view input, bool encrypt) {
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(
        EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    std::string output(input.size() + 16, '\0');
    int written = 0;
    int last = 0;
    auto* out = reinterpret_cast<unsigned char*>(output.data());
    const bool done = context &&
                      EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                                        reinterpret_cast<const unsigned char*>(key.data()), kIv,
                                        encrypt ? 1 : 0) == 1 &&
                      EVP_CipherUpdate(context.get(), out, &written,
                                       reinterpret_cast<const unsigned char*>(input.data()),
                                       static_cast<int>(input.size())) == 1 &&
                      EVP_CipherFinal_ex(context.get(), out + written, &last) == 1;
    if (!done)
        return std::nullopt;
    output.resize(static_cast<std::size_t>(written + last));
    return output;
}

}  // namespace

ChromiumCipher::ChromiumCipher(KeyringPassword keyring)
    : keyring_(std::move(keyring)), basicKey_(DeriveKey("peanuts")) {}

const std::string* ChromiumCipher::Key(std::string_view version) {
    if (version == "v10")
        return &basicKey_;
    if (version != "v11") {
        reason_ = "Chromium のクッキーの暗号の形式（" + std::string(version) + "）が分かりません";
        return nullptr;
    }
    if (!keyringAsked_) {
        keyringAsked_ = true;
        if (const std::optional<std::string> password = keyring_ ? keyring_() : std::nullopt)
            keyringKey_ = DeriveKey(*password);
    }
    if (!keyringKey_) {
        reason_ =
            "Chromium のクッキーの鍵はキーリングにあります。キーリングの使えるデスクトップで"
            "実行してください";
        return nullptr;
    }
    return &*keyringKey_;
}

std::optional<std::string> ChromiumCipher::Encrypt(std::string_view version,
                                                   std::string_view hostKey,
                                                   std::string_view value) {
    const std::string* key = Key(version);
    if (key == nullptr)
        return std::nullopt;
    std::optional<std::string> encrypted = Aes(*key, HostHash(hostKey) + std::string(value), true);
    if (!encrypted) {
        reason_ = "Chromium のクッキーを暗号化できません";
        return std::nullopt;
    }
    return std::string(version) + *encrypted;
}

std::optional<std::string> ChromiumCipher::Decrypt(std::string_view hostKey,
                                                   std::string_view encrypted) {
    const std::string* key = Key(encrypted.substr(0, 3));
    if (key == nullptr)
        return std::nullopt;
    std::optional<std::string> plain = Aes(*key, encrypted.substr(3), false);
    if (!plain || plain->size() < kHashSize ||
        plain->compare(0, kHashSize, HostHash(hostKey)) != 0) {
        reason_ = "Chromium のクッキーを復号できません";
        return std::nullopt;
    }
    return plain->substr(kHashSize);
}

std::string ChromiumCipher::PreferredVersion() {
    return Key("v11") != nullptr ? "v11" : "v10";
}

}  // namespace tessel
