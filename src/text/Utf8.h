#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// One character of UTF-8 text, or what stands in its place.
struct Utf8Step {
    std::optional<char32_t> codePoint;  // nullopt when the bytes are not well-formed UTF-8
    // Bytes of the character; for bad bytes, the maximal ill-formed part, which one U+FFFD
    // replaces (as Unicode recommends and browsers do).
    std::size_t length;
};

inline unsigned char Utf8Byte(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

// Stands for bytes that are not well-formed UTF-8; no code point is this large.
inline constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// Decodes the character at text[at] (at < text.size()), setting length to its bytes; for bad bytes
// returns kNotUtf8 and sets length to the maximal ill-formed part, which one U+FFFD replaces (as
// Unicode recommends and browsers do). Overlong forms, surrogates and values past U+10FFFF are not
// well-formed. Inline, and without an optional, so that the loops of display widths and terminal
// filtering (once per character of every line printed) keep it in registers.
inline char32_t DecodeUtf8At(std::string_view text, std::size_t at, std::size_t& length) {
    const unsigned char lead = Utf8Byte(text, at);
    length = 1;
    if (lead < 0x80)
        return lead;
    std::size_t trailing = 0;
    unsigned char low = 0x80;   // the second byte's range narrows where forms would be overlong,
    unsigned char high = 0xBF;  // surrogates or past U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return kNotUtf8;
    }
    char32_t c = lead & (0x3F >> trailing);
    std::size_t j = at + 1;
    for (std::size_t k = 0; k < trailing; ++k, ++j) {
        if (j >= text.size() || Utf8Byte(text, j) < low || Utf8Byte(text, j) > high) {
            length = j - at;
            return kNotUtf8;
        }
        c = (c << 6) | (Utf8Byte(text, j) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    length = j - at;
    return c;
}

inline Utf8Step DecodeUtf8(std::string_view text, std::size_t at) {
    std::size_t length = 0;
    const char32_t c = DecodeUtf8At(text, at, length);
    return {c == kNotUtf8 ? std::nullopt : std::optional<char32_t>(c), length};
}

// The code point at text[at], advancing at past it; kNotUtf8, with at unchanged, for bad bytes.
inline char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    std::size_t length = 0;
    const char32_t c = DecodeUtf8At(text, at, length);
    if (c != kNotUtf8)
        at += length;
    return c;
}

// The code point at text[at] when a three-byte character from U+1000 to U+FFFF other than
// U+D000 to U+DFFF stands there (kana, kanji and most other text of the BMP), whose bytes need no
// range checks beyond the continuation marks; kNotUtf8 otherwise. A fast path for loops over
// Japanese text, which fall back on NextCodePoint.
inline char32_t CommonThreeByteAt(std::string_view text, std::size_t at) {
    const unsigned char lead = Utf8Byte(text, at);
    if (lead < 0xE1 || lead > 0xEF || lead == 0xED || at + 2 >= text.size() ||
        (Utf8Byte(text, at + 1) & 0xC0) != 0x80 || (Utf8Byte(text, at + 2) & 0xC0) != 0x80) {
        return kNotUtf8;
    }
    return static_cast<char32_t>((lead & 0x0F) << 12 | (Utf8Byte(text, at + 1) & 0x3F) << 6 |
                                 (Utf8Byte(text, at + 2) & 0x3F));
}

// True when all of bytes is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace tessel
