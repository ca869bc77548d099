#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessel {

// Places a NUL-separated list (each item followed by a NUL) in a caller's buffer the way the
// Windows profile functions do: the list and one more NUL when that fits; otherwise as much as
// fits with the buffer ending in two NULs, and size - 2 as the result. Every implementation of the
// profile-file operations hands its lists out through this.
std::uint32_t PlaceProfileList(std::string_view list, char* buffer, std::uint32_t size);

// Calls read(buffer, size), growing the buffer while the result says it was too small (size - 2),
// and returns the first result-many bytes. The buffer doubles on each retry so that a large list
// is read in a logarithmic number of calls. Only the bytes the result counts are ever looked at, so
// one scratch buffer serves every call; the view returned is valid until the buffer's next use.
template <typename ReadFn>
std::string_view ReadProfileList(std::vector<char>& buffer, std::uint32_t size, ReadFn read) {
    std::uint32_t result = 0;
    for (;;) {
        if (buffer.size() < size)
            buffer.assign(size, ' ');
        result = read(buffer.data(), size);
        if (result != size - 2 || size >= UINT32_MAX / 2)
            break;
        size *= 2;
    }
    if (result > size)
        result = size;
    return std::string_view(buffer.data(), result);
}

}  // namespace tessel
