#include "cli/terminal/DisplayWidth.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

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

std::size_t SearchColumns(char32_t c) {
    if (InRanges(c, kZeroWidth))
        return 0;
    return InRanges(c, kWide) ? 2 : 1;
}

// The columns of every Basic Multilingual Plane character, two bits each, looked up directly:
// a list of tens of thousands of Japanese board names would otherwise search the ranges twice
// for every kanji.
class BmpColumns {
  public:
    BmpColumns() {
        bits_.fill(0x55);  // one column each
        Set(kWide, 2);
        Set(kZeroWidth, 0);  // a zero-width mark stays zero-width in a wide block
    }
    std::size_t operator()(char32_t c) const { return bits_[c / 4] >> (c % 4 * 2) & 3u; }

  private:
    template <std::size_t N>
    void Set(const Range (&ranges)[N], unsigned columns) {
        for (const Range& range : ranges) {
            for (char32_t c = range.first; c <= range.last && c < 0x10000; ++c) {
                const unsigned shift = c % 4 * 2;
                bits_[c / 4] =
                    static_cast<std::uint8_t>((bits_[c / 4] & ~(3u << shift)) | columns << shift);
            }
        }
    }

    std::array<std::uint8_t, 0x10000 / 4> bits_{};
};

const BmpColumns& Bmp() {
    static const BmpColumns bmp;
    return bmp;
}

std::size_t Columns(char32_t c) {
    return c < 0x10000 ? Bmp()(c) : SearchColumns(c);
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
    const BmpColumns& bmp = Bmp();
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t width = 0;
    for (std::size_t at = 0; at < size;) {
        // A run of printable ASCII, a column each, counted without decoding.
        const std::size_t ascii = at;
        while (at < size && bytes[at] >= 0x20 && bytes[at] < 0x7F)
            ++at;
        width += at - ascii;
        // A run of kana and kanji, decoded in place: a lead from E1 to EF but ED (surrogates)
        // and two continuation bytes need no range check.
        while (at + 2 < size) {
            const unsigned lead = bytes[at];
            if (lead < 0xE1 || lead > 0xEF || lead == 0xED || (bytes[at + 1] & 0xC0) != 0x80 ||
                (bytes[at + 2] & 0xC0) != 0x80) {
                break;
            }
            width += bmp(static_cast<char32_t>((lead & 0x0Fu) << 12 | (bytes[at + 1] & 0x3Fu) << 6 |
                                               (bytes[at + 2] & 0x3Fu)));
            at += 3;
        }
        // Anything else, a character at a time.
        if (at == size || (bytes[at] >= 0x20 && bytes[at] < 0x7F))
            continue;
        const std::size_t before = at;
        const char32_t c = NextCodePoint(text, at);
        if (c != kNotUtf8) {
            width += Columns(c);
        } else {
            ++width;
            at = before + 1;
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
