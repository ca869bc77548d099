#include "posix/charset/CharsetCookieCodec.h"

namespace tessel {

CharsetCookieCodec::CharsetCookieCodec(CookieCharset charset)
    : charset_(charset),
      converter_(charset == CookieCharset::kCp932 ? Encoding::kCp932 : Encoding::kUtf8) {}

std::optional<std::string> CharsetCookieCodec::Encode(std::string_view text) {
    if (IsUtf8())
        return IsValidUtf8(text) ? std::optional<std::string>(text) : std::nullopt;
    return converter_.FromUtf8(text);
}

std::optional<std::string> CharsetCookieCodec::Decode(std::string_view bytes) {
    if (IsUtf8())
        return IsValidUtf8(bytes) ? std::optional<std::string>(bytes) : std::nullopt;
    // Windows-31J has no U+FFFD, so one in the result stands for bytes that are not Windows-31J.
    std::string text = converter_.ToUtf8(bytes);
    if (text.find("\xEF\xBF\xBD") != std::string::npos)
        return std::nullopt;
    return text;
}

}  // namespace tessel
