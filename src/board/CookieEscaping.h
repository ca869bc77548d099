#pragma once

#include <string>
#include <string_view>

namespace tessel {

// The board script's escapes for the text fields of its cookie, which end in "$" where character
// entities end in ";". Encoding applies, in this order: "&" -> "&amp$", '"' -> "&quot$",
// "-" -> "&#45$", ";" -> "$", "," -> "&#44$", "<" -> "&lt$", ">" -> "&gt$". Because "&" goes first,
// every "&" of an encoded text begins an escape the encoder inserted. Decoding undoes them in the
// reverse order with no step for ";": "$" stays "$", so a ";" comes back as "$".
std::string EncodeValue(std::string_view text);
// EncodeValue's result appended to out.
void AppendEncodedValue(std::string& out, std::string_view text);
std::string DecodeValue(std::string_view text);

}  // namespace tessel
