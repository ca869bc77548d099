#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::cli {

// The code point that starts at text[at], advancing at past it; nullopt, with at unchanged, for a
// byte sequence that is not well-formed UTF-8 (overlong forms and surrogates included).
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at);

// Appends the UTF-8 form of a code point up to U+10FFFF.
void AppendUtf8(std::string& text, char32_t codePoint);

}  // namespace tessel::cli
