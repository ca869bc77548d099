#include "cli/DisplayWidth.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "text/Utf8.h"

namespace tessel::cli {
namespace {

struct Range {
    char32_t first, last;
};

// Generated at build time from the Unicode data files (Debian's unicode-data).
#include "cli/DisplayWidthTable.inc"

template <std::size_t N>
bool InRanges(char32_t c, const Range (&ranges)[N]) {
    const Range* found = std::lower_bound(std::begin(ranges), std::end(ranges), c,
                                          [](const Range& r, char32_t v) { return r.last < v; });
    return found != std::end(ranges) && found->first <= c;
}

std::size_t Columns(char32_t c) {
    if (InRanges(c, kZeroWidth))
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
