#include "win32/browsers/DpapiCookieCipher.h"

#include <windows.h>
// After windows.h, which they build on.
#include <bcrypt.h>
#include <wincrypt.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "win32/WideText.h"

namespace tessel {
namespace {

constexpr std::size_t kKeySize = 32;
constexpr std::size_t kNonceSize = 12;
constexpr std::size_t kTagSize = 16;
constexpr std::size_t kHashSize = 32;
constexpr std::string_view kDpapiPrefix = "DPAPI";

auto* Bytes(std::string& text) {
    return reinterpret_cast<unsigned char*>(text.data());
}
auto* Bytes(std::string_view text) {
    return reinterpret_cast<unsigned char*>(const_cast<char*>(text.data()));
}
ULONG Size(std::string_view text) {
    return static_cast<ULONG>(text.size());
}

// An algorithm provider of BCrypt, closed when it goes.
class Algorithm {
  public:
    explicit Algorithm(const wchar_t* name) {
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, name, nullptr, 0)))
            handle_ = nullptr;
    }
    ~Algorithm() {
        if (handle_ != nullptr)
            BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE Get() const { return handle_; }

  private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

std::optional<std::string> Sha256(std::string_view text) {
    const Algorithm sha(BCRYPT_SHA256_ALGORITHM);
    BCRYPT_HASH_HANDLE hash = nullptr;
    std::string digest(kHashSize, '\0');
    const bool done =
        sha.Get() != nullptr &&
        BCRYPT_SUCCESS(BCryptCreateHash(sha.Get(), &hash, nullptr, 0, nullptr, 0, 0)) &&
        BCRYPT_SUCCESS(BCryptHashData(hash, Bytes(text), Size(text), 0)) &&
        BCRYPT_SUCCESS(BCryptFinishHash(hash, Bytes(digest), Size(digest), 0));
    if (hash != nullptr)
        BCryptDestroyHash(hash);
    return done ? std::optional(digest) : std::nullopt;
}

// AES-256-GCM of input under key with nonce, encrypting (tag filled in) or decrypting (tag
// checked); empty when BCrypt refuses or the tag does not match.
std::optional<std::string> Gcm(const std::string& key, std::string_view nonce,
                               std::string_view input, std::string& tag, bool encrypt) {
    const Algorithm aes(BCRYPT_AES_ALGORITHM);
    wchar_t mode[] = BCRYPT_CHAIN_MODE_GCM;
    BCRYPT_KEY_HANDLE handle = nullptr;
    if (aes.Get() == nullptr ||
        !BCRYPT_SUCCESS(BCryptSetProperty(aes.Get(), BCRYPT_CHAINING_MODE,
                                          reinterpret_cast<PUCHAR>(mode), sizeof mode, 0)) ||
        !BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(aes.Get(), &handle, nullptr, 0,
                                                   Bytes(std::string_view(key)), Size(key), 0)))
        return std::nullopt;
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = Bytes(nonce);
    info.cbNonce = Size(nonce);
    info.pbTag = Bytes(tag);
    info.cbTag = Size(tag);
    std::string output(input.size(), '\0');
    ULONG written = 0;
    const NTSTATUS status = encrypt
                                ? BCryptEncrypt(handle, Bytes(input), Size(input), &info, nullptr,
                                                0, Bytes(output), Size(output), &written, 0)
                                : BCryptDecrypt(handle, Bytes(input), Size(input), &info, nullptr,
                                                0, Bytes(output), Size(output), &written, 0);
    BCryptDestroyKey(handle);
    if (!BCRYPT_SUCCESS(status))
        return std::nullopt;
    output.resize(written);
    return output;
}

std::optional<std::string> FromBase64(const std::string& text) {
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.c_str(), Size(text), CRYPT_STRING_BASE64, nullptr, &size,
                              nullptr, nullptr))
        return std::nullopt;
    std::string bytes(size, '\0');
    if (!CryptStringToBinaryA(text.c_str(), Size(text), CRYPT_STRING_BASE64, Bytes(bytes), &size,
                              nullptr, nullptr))
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

// The key protected for the user, as bytes; empty when DPAPI refuses (another user's, another
// computer's).
std::optional<std::string> Unprotect(std::string_view blob) {
    DATA_BLOB in{Size(blob), Bytes(blob)};
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &out))
        return std::nullopt;
    std::string key(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return key;
}

// The text of os_crypt.encrypted_key, or empty when there is none.
std::optional<std::string> EncryptedKeyText(const std::string& localState) {
    std::ifstream file(std::filesystem::path(win32::Widen(localState)), std::ios::binary);
    const nlohmann::json state = nlohmann::json::parse(file, nullptr, false);
    const auto* key = state.is_object() && state.contains("os_crypt") &&
                              state["os_crypt"].is_object() &&
                              state["os_crypt"].contains("encrypted_key")
                          ? &state["os_crypt"]["encrypted_key"]
                          : nullptr;
    if (key == nullptr || !key->is_string())
        return std::nullopt;
    return key->get<std::string>();
}

}  // namespace

DpapiCookieCipher::DpapiCookieCipher(std::string localState, std::string browser)
    : localState_(std::move(localState)), browser_(std::move(browser)) {}

const std::string* DpapiCookieCipher::Key(std::string_view version) {
    if (version == "v20") {
        reason_ = MakeFailure(CookieProblem::kAppBoundCipher, CookieDetails().Name(browser_));
        return nullptr;
    }
    if (version != "v10") {
        reason_ =
            MakeFailure(CookieProblem::kUnknownCipher, CookieDetails().Name(std::string(version)));
        return nullptr;
    }
    if (!keyRead_) {
        keyRead_ = true;
        const std::optional<std::string> text = EncryptedKeyText(localState_);
        const std::optional<std::string> stored = text ? FromBase64(*text) : std::nullopt;
        if (stored && stored->starts_with(kDpapiPrefix))
            key_ = Unprotect(std::string_view(*stored).substr(kDpapiPrefix.size()));
        if (key_ && key_->size() != kKeySize)
            key_.reset();
    }
    if (!key_) {
        reason_ = MakeFailure(CookieProblem::kBrowserKeyUnusable,
                              CookieDetails().Name(browser_).Path(localState_));
        return nullptr;
    }
    return &*key_;
}

std::optional<std::string> DpapiCookieCipher::Encrypt(std::string_view version,
                                                      std::optional<std::string_view> hostKey,
                                                      std::string_view value) {
    const std::string* key = Key(version);
    if (key == nullptr)
        return std::nullopt;
    std::string nonce(kNonceSize, '\0');
    std::string tag(kTagSize, '\0');
    // A database older than the host binding keeps the value alone.
    const std::optional<std::string> hash = hostKey ? Sha256(*hostKey) : std::string();
    const std::optional<std::string> sealed =
        hash && BCRYPT_SUCCESS(BCryptGenRandom(nullptr, Bytes(nonce), Size(nonce),
                                               BCRYPT_USE_SYSTEM_PREFERRED_RNG))
            ? Gcm(*key, nonce, *hash + std::string(value), tag, true)
            : std::nullopt;
    if (!sealed) {
        reason_ = MakeFailure(CookieProblem::kCannotEncrypt);
        return std::nullopt;
    }
    return std::string(version) + nonce + *sealed + tag;
}

std::optional<std::string> DpapiCookieCipher::Decrypt(std::optional<std::string_view> hostKey,
                                                      std::string_view encrypted) {
    const std::string* key = Key(encrypted.substr(0, 3));
    if (key == nullptr)
        return std::nullopt;
    std::optional<std::string> plain;
    if (encrypted.size() >= 3 + kNonceSize + kTagSize) {
        std::string tag(encrypted.substr(encrypted.size() - kTagSize));
        plain = Gcm(*key, encrypted.substr(3, kNonceSize),
                    encrypted.substr(3 + kNonceSize, encrypted.size() - 3 - kNonceSize - kTagSize),
                    tag, false);
    }
    const std::optional<std::string> hash = hostKey ? Sha256(*hostKey) : std::string();
    if (!plain || !hash || !plain->starts_with(*hash)) {
        reason_ = MakeFailure(CookieProblem::kCannotDecrypt);
        return std::nullopt;
    }
    return plain->substr(hash->size());
}

}  // namespace tessel
