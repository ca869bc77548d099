#pragma once

#include <cstdint>
#include <string_view>

namespace tessel {

// Places a NUL-separated list (each item followed by a NUL) in a caller's buffer the way the
// Windows profile functions do: the list and one more NUL when that fits; otherwise as much as
// fits with the buffer ending in two NULs, and size - 2 as the result. Every implementation of the
// profile-file operations hands its lists out through this.
std::uint32_t PlaceProfileList(std::string_view list, char* buffer, std::uint32_t size);

}  // namespace tessel
