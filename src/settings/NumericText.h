#pragma once

#include <cstdint>
#include <string_view>

namespace tessel {

// Conversions of settings text to typed values, independent of the user's locale.
//
// A number is: optional spaces, an optional "+" or "-", decimal digits with an optional fraction
// after ".", optional spaces; at least one digit in all ("5.", ".5" and "-0" are numbers).
// Whole-number conversions take the nearest whole number, a tie going to the even neighbour.
//
// Each conversion throws RuntimeError kErrTypeMismatch when the text is not of its form, and
// kErrOverflow when the number lies outside the target type's range.
std::int16_t ToInteger(std::string_view text);  // -32768 to 32767
std::int32_t ToLong(std::string_view text);     // -2147483648 to 2147483647
float ToSingle(std::string_view text);          // magnitude up to 3.402823466E+38
bool ToBoolean(std::string_view text);  // "True"/"False" in any case, or a number (0 = false)

}  // namespace tessel
