#include "win32/WinInetCookieStore.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <wininet.h>
// The interface's names are the ones wininet.h maps onto the A and W functions.
#undef InternetGetCookie
#undef InternetSetCookie

#include "win32/WideText.h"

namespace tessel {
namespace {

std::string StoreError(const char* what) {
    return std::string("WinINet の") + what + "に失敗しました: " + win32::ErrorText(GetLastError());
}

}  // namespace

std::optional<std::string> WinInetCookieStore::InternetGetCookie(const std::string& url,
                                                                 const std::string& name) {
    std::string reason;
    const std::optional<std::string> address = win32::ToAnsi(url, reason);
    const std::optional<std::string> cookieName =
        address ? win32::ToAnsi(name, reason) : std::nullopt;
    if (!cookieName) {
        Fail(CookieFailureKind::kUnencodable, reason);
        return std::nullopt;
    }
    DWORD size = 0;
    if (!InternetGetCookieA(address->c_str(), cookieName->c_str(), nullptr, &size)) {
        // Nothing stored for the address yet: the board simply has no cookie.
        if (GetLastError() == ERROR_NO_MORE_ITEMS) {
            Succeed();
            return std::string();
        }
        Fail(CookieFailureKind::kStoreUnusable, StoreError("クッキー読み出し"));
        return std::nullopt;
    }
    std::string text(size + 1, '\0');
    if (!InternetGetCookieA(address->c_str(), cookieName->c_str(), text.data(), &size)) {
        Fail(CookieFailureKind::kStoreUnusable, StoreError("クッキー読み出し"));
        return std::nullopt;
    }
    text.resize(text.find('\0'));
    Succeed();
    return win32::FromAnsi(text);
}

bool WinInetCookieStore::InternetSetCookie(const std::string& url, const std::string& name,
                                           const std::string& data) {
    std::string reason;
    const std::optional<std::string> address = win32::ToAnsi(url, reason);
    const std::optional<std::string> cookieName =
        address ? win32::ToAnsi(name, reason) : std::nullopt;
    const std::optional<std::string> text = cookieName ? win32::ToAnsi(data, reason) : std::nullopt;
    if (!text)
        return Fail(CookieFailureKind::kUnencodable, reason);
    if (!InternetSetCookieA(address->c_str(), cookieName->c_str(), text->c_str()))
        return Fail(CookieFailureKind::kStoreUnusable, StoreError("クッキー書き込み"));
    Succeed();
    return true;
}

}  // namespace tessel
