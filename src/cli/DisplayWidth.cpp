#include "cli/DisplayWidth.h"

#include <optional>

#include "cli/Utf8.h"

namespace tessel::cli {
namespace {

struct Range {
    char32_t first, last;
};

// The wide and fullwidth blocks of Unicode's East Asian Width property, merged where adjacent.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

constexpr Range kCombining[] = {
    {0x0300, 0x036F}, {0x200B, 0x200F}, {0x20D0, 0x20FF}, {0x3099, 0x309A}, {0xFE00, 0xFE0F},
};

template <std::size_t N>
bool InRanges(char32_t c, const Range (&ranges)[N]) {
    for (const Range& range : ranges) {
        if (c >= range.first && c <= range.last)
            return true;
    }
    return false;
}

std::size_t Columns(char32_t c) {
    if (InRanges(c, kCombining))
        return 0;
    return InRanges(c, kWide) ? 2 : 1;
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::optional<char32_t> c = NextCodePoint(text, at);
        if (c) {
            width += Columns(*c);
        } else {
            ++width;
            ++at;
        }
    }
    return width;
}

std::string PadToWidth(std::string_view text, std::size_t width) {
    std::string padded(text);
    const std::size_t used = DisplayWidth(text);
    if (used < width)
        padded.append(width - used, ' ');
    return padded;
}

}  // namespace tessel::cli
