#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel::cli {

// The columns a UTF-8 text takes on a terminal: two for East Asian wide and fullwidth characters
// (kana, kanji, hangul, fullwidth forms, most emoji), none for combining marks and format
// characters, one for everything else, including each byte that is not UTF-8.
std::size_t DisplayWidth(std::string_view text);

// The text followed by spaces up to width columns.
std::string PadToWidth(std::string_view text, std::size_t width);

}  // namespace tessel::cli
