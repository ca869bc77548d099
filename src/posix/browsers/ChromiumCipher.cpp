#include "posix/browsers/ChromiumCipher.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <memory>

#include "posix/browsers/RuntimeLibrary.h"

namespace tessel {
namespace {

// libcrypto is opened when the first Chromium profile is, not at every start of the program.
struct Crypto {
    decltype(PKCS5_PBKDF2_HMAC_SHA1)* pbkdf2 = nullptr;
    decltype(SHA256)* sha256 = nullptr;
    decltype(EVP_CIPHER_CTX_new)* newContext = nullptr;
    decltype(EVP_CIPHER_CTX_free)* freeContext = nullptr;
    decltype(EVP_aes_128_cbc)* aes128Cbc = nullptr;
    decltype(EVP_CipherInit_ex)* init = nullptr;
    decltype(EVP_CipherUpdate)* update = nullptr;
    decltype(EVP_CipherFinal_ex)* final = nullptr;

    // Null when the library or one of its functions is missing.
    static const Crypto* Load() {
        static const std::optional<Crypto> loaded = []() -> std::optional<Crypto> {
            static const RuntimeLibrary library("libcrypto.so.3");
            Crypto c;
            if (library.Find("PKCS5_PBKDF2_HMAC_SHA1", c.pbkdf2) &&
                library.Find("SHA256", c.sha256) &&
                library.Find("EVP_CIPHER_CTX_new", c.newContext) &&
                library.Find("EVP_CIPHER_CTX_free", c.freeContext) &&
                library.Find("EVP_aes_128_cbc", c.aes128Cbc) &&
                library.Find("EVP_CipherInit_ex", c.init) &&
                library.Find("EVP_CipherUpdate", c.update) &&
                library.Find("EVP_CipherFinal_ex", c.final))
                return c;
            return std::nullopt;
        }();
        return loaded ? &*loaded : nullptr;
    }
};

constexpr int kKeySize = 16;
constexpr int kHashSize = SHA256_DIGEST_LENGTH;
constexpr unsigned char kIv[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                   ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

std::string DeriveKey(const Crypto& crypto, std::string_view password) {
    constexpr std::string_view kSalt = "saltysalt";
    std::string key(kKeySize, '\0');
    crypto.pbkdf2(password.data(), static_cast<int>(password.size()),
                  reinterpret_cast<const unsigned char*>(kSalt.data()),
                  static_cast<int>(kSalt.size()), 1, kKeySize,
                  reinterpret_cast<unsigned char*>(key.data()));
    return key;
}

std::string HostHash(const Crypto& crypto, std::string_view hostKey) {
    std::string hash(kHashSize, '\0');
    crypto.sha256(reinterpret_cast<const unsigned char*>(hostKey.data()), hostKey.size(),
                  reinterpret_cast<unsigned char*>(hash.data()));
    return hash;
}

// AES-128-CBC of input under key, encrypting or decrypting; empty when the padding is wrong.
std::optional<std::string> Aes(const Crypto& crypto, const std::string& key, std::string_view input,
                               bool encrypt) {
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(crypto.freeContext)> context(crypto.newContext(),
                                                                                crypto.freeContext);
    std::string output(input.size() + 16, '\0');
    int written = 0;
    int last = 0;
    auto* out = reinterpret_cast<unsigned char*>(output.data());
    const bool done = context &&
                      crypto.init(context.get(), crypto.aes128Cbc(), nullptr,
                                  reinterpret_cast<const unsigned char*>(key.data()), kIv,
                                  encrypt ? 1 : 0) == 1 &&
                      crypto.update(context.get(), out, &written,
                                    reinterpret_cast<const unsigned char*>(input.data()),
                                    static_cast<int>(input.size())) == 1 &&
                      crypto.final(context.get(), out + written, &last) == 1;
    if (!done)
        return std::nullopt;
    output.resize(static_cast<std::size_t>(written + last));
    return output;
}

}  // namespace

ChromiumCipher::ChromiumCipher(KeyringPassword keyring) : keyring_(std::move(keyring)) {}

const std::string* ChromiumCipher::Key(std::string_view version) {
    const Crypto* crypto = Crypto::Load();
    if (crypto == nullptr) {
        reason_ = MakeFailure(CookieProblem::kNoCryptoLibrary);
        return nullptr;
    }
    if (version == "v10") {
        if (basicKey_.empty())
            basicKey_ = DeriveKey(*crypto, "peanuts");
        return &basicKey_;
    }
    if (version != "v11") {
        reason_ =
            MakeFailure(CookieProblem::kUnknownCipher, CookieDetails().Name(std::string(version)));
        return nullptr;
    }
    if (!keyringAsked_) {
        keyringAsked_ = true;
        if (const std::optional<std::string> password = keyring_ ? keyring_() : std::nullopt)
            keyringKey_ = DeriveKey(*crypto, *password);
    }
    if (!keyringKey_) {
        reason_ = MakeFailure(CookieProblem::kKeyringNeeded);
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
    const Crypto& crypto = *Crypto::Load();  // loaded, since there is a key
    std::optional<std::string> encrypted =
        Aes(crypto, *key, HostHash(crypto, hostKey) + std::string(value), true);
    if (!encrypted) {
        reason_ = MakeFailure(CookieProblem::kCannotEncrypt);
        return std::nullopt;
    }
    return std::string(version) + *encrypted;
}

std::optional<std::string> ChromiumCipher::Decrypt(std::string_view hostKey,
                                                   std::string_view encrypted) {
    const std::string* key = Key(encrypted.substr(0, 3));
    if (key == nullptr)
        return std::nullopt;
    const Crypto& crypto = *Crypto::Load();  // loaded, since there is a key
    std::optional<std::string> plain = Aes(crypto, *key, encrypted.substr(3), false);
    if (!plain || plain->size() < kHashSize ||
        plain->compare(0, kHashSize, HostHash(crypto, hostKey)) != 0) {
        reason_ = MakeFailure(CookieProblem::kCannotDecrypt);
        return std::nullopt;
    }
    return plain->substr(kHashSize);
}

std::string ChromiumCipher::PreferredVersion() {
    return Key("v11") != nullptr ? "v11" : "v10";
}

}  // namespace tessel
