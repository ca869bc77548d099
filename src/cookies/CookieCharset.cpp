#include "cookies/CookieCharset.h"

#include "text/TextCase.h"

namespace tessel {

CookieCharsetChoice ParseCookieCharset(std::string_view name) {
    if (EqualsIgnoreCase(name, "cp932"))
        return {CookieCharset::kCp932, {}};
    if (EqualsIgnoreCase(name, "utf-8"))
        return {CookieCharset::kUtf8, {}};
    return {std::nullopt,
            "unknown cookie charset \"" + std::string(name) + "\": use cp932 or utf-8"};
}

}  // namespace tessel
