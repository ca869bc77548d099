#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessel {

class CBBSData;

// The layout of a board kind's cookie: how many fields it has, and the defaults the board script
// assumes for its number fields (fields 4 to 9: posts per page, display order, unread reading,
// unread marker, log posts per download, second unread marker) when a field is empty.
struct CookieLayout {
    std::size_t fieldCount;
    std::array<std::string_view, 6> integerDefaults;
};

inline constexpr std::size_t kFirstIntegerField = 4;

// The layout of a kind, or null for a kind without one (Harbor).
const CookieLayout* LayoutOf(std::int32_t mode);

// Sets the board's number preferences to its kind's defaults, as the board shows them to a reader
// who has set nothing. Returns false, changing nothing, for a kind without a layout.
bool ApplyLayoutDefaults(CBBSData& board);

}  // namespace tessel
