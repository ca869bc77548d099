#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// The character set a cookie jar keeps names and values in. Windows-31J is what the boards'
// scripts and the browsers of their readers use; UTF-8 suits a jar shared with newer tools.
enum class CookieCharset { kCp932, kUtf8 };

struct CookieCharsetChoice {
    std::optional<CookieCharset> charset;
    std::string error;  // set when charset is empty
};

// "cp932" or "utf-8", in any letter case.
CookieCharsetChoice ParseCookieCharset(std::string_view name);

}  // namespace tessel
