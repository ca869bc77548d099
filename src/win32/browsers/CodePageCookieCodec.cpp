#include "win32/browsers/CodePageCookieCodec.h"

#include <windows.h>

namespace tessel {
namespace {

constexpr UINT kWindows31J = 932;

// text as UTF-16 from code page, or empty when it is not text of the code page.
std::optional<std::wstring> Wide(UINT codePage, std::string_view text) {
    const int size = static_cast<int>(text.size());
    const int count =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (count == 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), count);
    return wide;
}

// wide in code page, or empty when a character has no exact code there.
std::optional<std::string> Narrow(UINT codePage, const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    // UTF-8 takes neither flag nor default character: every character has a code.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL* defaulted = utf8 ? nullptr : &usedDefault;
    const int count =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, defaulted);
    if (count == 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), count, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::optional<std::string> CodePageCookieCodec::Encode(std::string_view text) {
    if (text.empty())
        return std::string();
    const std::optional<std::wstring> wide = Wide(CP_UTF8, text);
    if (!wide)
        return std::nullopt;
    return IsUtf8() ? std::optional<std::string>(text) : Narrow(kWindows31J, *wide);
}

std::optional<std::string> CodePageCookieCodec::Decode(std::string_view bytes) {
    if (bytes.empty())
        return std::string();
    const std::optional<std::wstring> wide = Wide(IsUtf8() ? CP_UTF8 : kWindows31J, bytes);
    return wide ? Narrow(CP_UTF8, *wide) : std::nullopt;
}

}  // namespace tessel
