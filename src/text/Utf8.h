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

// Decodes the character at text[at] (at < text.size()). Overlong forms, surrogates and values past
// U+10FFFF are not well-formed.
Utf8Step DecodeUtf8(std::string_view text, std::size_t at);

// The code point at text[at], advancing at past it; nullopt, with at unchanged, for bad bytes.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at);

// True when all of bytes is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace tessel
