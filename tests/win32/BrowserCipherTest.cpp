// The Chromium family's cookie encryption and text on Windows, against DPAPI and BCrypt themselves.
#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"
#include "win32/browsers/CodePageCookieCodec.h"
#include "win32/browsers/DpapiCookieCipher.h"

// Last: its macros would rewrite the names of the interfaces above.
#include <windows.h>
// After windows.h, which it builds on.
#include <wincrypt.h>

namespace tessel {
namespace {

// base64 of text, as Local State keeps its key.
std::string Base64(const std::string& text) {
    DWORD size = 0;
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    CryptBinaryToStringA(bytes, static_cast<DWORD>(text.size()), flags, nullptr, &size);
    std::string encoded(size, '\0');
    CryptBinaryToStringA(bytes, static_cast<DWORD>(text.size()), flags, encoded.data(), &size);
    encoded.resize(size);
    return encoded;
}

// "DPAPI" and the blob CryptProtectData makes of key for this user.
std::string Protected(std::string key) {
    DATA_BLOB in{static_cast<DWORD>(key.size()), reinterpret_cast<BYTE*>(key.data())};
    DATA_BLOB out{};
    EXPECT_TRUE(CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, 0, &out));
    std::string blob(reinterpret_cast<const char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    return "DPAPI" + blob;
}

std::string LocalState(const std::string& stored) {
    return R"({"os_crypt":{"encrypted_key":")" + Base64(stored) + "\"}}";
}

TEST(DpapiCookieCipherTest, ReadsOnlyWhatItsKeyMadeForTheHost) {
    const testing::TempDir dir;
    const std::string key(32, 'k');
    const std::string state = dir.Write("Local State", LocalState(Protected(key)));
    DpapiCookieCipher cipher(state, "Chrome");
    const std::string sealed = cipher.Encrypt("v10", ".example.jp", "名無し").value();
    ASSERT_EQ(sealed.substr(0, 3), "v10");
    std::string tampered = sealed;
    tampered.back() = static_cast<char>(tampered.back() ^ 1);
    const struct {
        const char* what;
        std::string localState, hostKey, encrypted;
        std::optional<std::string> value;
        CookieProblem problem;
    } cases[] = {
        {"its own value", state, ".example.jp", sealed, "名無し", CookieProblem::kNone},
        {"another host's", state, "example.jp", sealed, std::nullopt,
         CookieProblem::kCannotDecrypt},
        {"a changed tag", state, ".example.jp", tampered, std::nullopt,
         CookieProblem::kCannotDecrypt},
        {"the browser's own", state, ".example.jp", "v20" + sealed.substr(3), std::nullopt,
         CookieProblem::kAppBoundCipher},
        {"no Local State", dir.File("none"), ".example.jp", sealed, std::nullopt,
         CookieProblem::kBrowserKeyUnusable},
        {"a key not DPAPI's", dir.Write("plain", LocalState("RAW" + key)), ".example.jp", sealed,
         std::nullopt, CookieProblem::kBrowserKeyUnusable},
        {"a key of 16 bytes", dir.Write("short", LocalState(Protected(key.substr(16)))),
         ".example.jp", sealed, std::nullopt, CookieProblem::kBrowserKeyUnusable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DpapiCookieCipher reader(c.localState, "Chrome");
        EXPECT_EQ(reader.Decrypt(c.hostKey, c.encrypted), c.value);
        EXPECT_EQ(reader.Reason().problem, c.problem);
    }
}

TEST(CodePageCookieCodecTest, ConvertsExactlyOrRefuses) {
    const struct {
        CookieCharset charset;
        std::string text, bytes;  // bytes empty: text cannot be encoded
    } cases[] = {
        {CookieCharset::kCp932, "名無し", "\x96\xbc\x96\xb3\x82\xb5"},
        {CookieCharset::kCp932, "①～", "\x87\x40\x81\x60"},
        {CookieCharset::kCp932, "😀", ""},
        {CookieCharset::kUtf8, "😀", "😀"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CodePageCookieCodec codec(c.charset);
        const std::optional<std::string> encoded = codec.Encode(c.text);
        EXPECT_EQ(encoded.value_or(""), c.bytes);
        if (encoded) {
            EXPECT_EQ(codec.Decode(*encoded), c.text);
        }
    }
    for (const char* broken : {"\x82", "\xff\xfe"})
        EXPECT_FALSE(CodePageCookieCodec(CookieCharset::kCp932).Decode(broken));
    EXPECT_FALSE(CodePageCookieCodec(CookieCharset::kUtf8).Decode("\x96\xbc"));
}

}  // namespace
}  // namespace tessel
