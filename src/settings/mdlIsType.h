#pragma once

#include <string_view>

namespace tessel::mdlIsType {

// True when the text converts to a 16-bit Integer: a number whose nearest whole number (ties to
// even) lies within -32768 to 32767. Never fails.
bool IsInteger(std::string_view str);

}  // namespace tessel::mdlIsType
