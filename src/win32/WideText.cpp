#include "win32/WideText.h"

#include <windows.h>

#include <cstdio>

#include "app/FailureText.h"

namespace tessel::win32 {
namespace {

int Length(std::size_t size) {
    return static_cast<int>(size);
}

std::wstring ToWide(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty())
        return {};
    const int count =
        MultiByteToWideChar(codePage, flags, text.data(), Length(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), Length(text.size()), wide.data(), count);
    return wide;
}

// The first character of wide that the ANSI code page cannot carry, for the reason text.
std::string FirstUnmappable(std::wstring_view wide) {
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const std::size_t length = (IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size()) ? 2 : 1;
        BOOL usedDefault = FALSE;
        char bytes[8];
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data() + i, Length(length), bytes,
                            sizeof bytes, nullptr, &usedDefault);
        if (usedDefault)
            return Narrow(wide.substr(i, length));
        i += length - 1;
    }
    return {};
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
    return ToWide(CP_UTF8, 0, utf8);
}

std::string Narrow(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), Length(wide.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string text(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), Length(wide.size()), text.data(), count, nullptr,
                        nullptr);
    return text;
}

std::optional<std::string> ToAnsi(std::string_view utf8, CookieFailure& why) {
    if (utf8.empty())
        return std::string();
    const std::wstring wide = ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    if (wide.empty()) {
        why = MakeFailure(CookieProblem::kNotUtf8Text);
        return std::nullopt;
    }
    BOOL usedDefault = FALSE;
    const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                          Length(wide.size()), nullptr, 0, nullptr, &usedDefault);
    if (usedDefault || count == 0) {
        const std::string character = FirstUnmappable(wide);
        why = MakeFailure(CookieProblem::kNotInCodePage,
                          CookieDetails().Character(character).Number(GetACP()));
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), Length(wide.size()), ansi.data(),
                        count, nullptr, nullptr);
    return ansi;
}

std::optional<std::string> ToAnsi(std::string_view utf8, std::string& reason) {
    CookieFailure why;
    std::optional<std::string> ansi = ToAnsi(utf8, why);
    if (!ansi)
        reason = FailureText(why);
    return ansi;
}

std::string FromAnsi(std::string_view ansi) {
    return Narrow(ToWide(CP_ACP, 0, ansi));
}

std::string ErrorText(unsigned long error) {
    wchar_t* message = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_HMODULE,
                       GetModuleHandleW(L"wininet.dll"), error, 0,
                       reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(message, length) : std::wstring();
    LocalFree(message);
    // One line: the system's messages end with a line break.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    char code[32];
    std::snprintf(code, sizeof code, "エラー %lu", error);
    return text.empty() ? std::string(code) : Narrow(text) + "（" + code + "）";
}

}  // namespace tessel::win32
