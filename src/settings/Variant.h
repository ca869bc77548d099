#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace tessel {

// A tagged value holding a Boolean, an Integer (16-bit), a Long (32-bit), a Single or a String.
using Variant = std::variant<bool, std::int16_t, std::int32_t, float, std::string>;

}  // namespace tessel
