#include "text/Utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace tessel {
bool IsValidUtf8(std::string_view bytes) {
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = Utf8Byte(bytes, i);
        if (lead < 0x80) {
            // Plain ASCII is by far the most common content: step over it eight bytes at a time,
            // and from eight that are not all ASCII straight to the first byte that is not.
            std::uint64_t word = 0;
            if (i + sizeof word > size) {
                ++i;
                continue;
            }
            std::memcpy(&word, bytes.data() + i, sizeof word);
            const std::uint64_t high = word & 0x8080808080808080ull;
            if (high == 0)
                i += sizeof word;
            else if constexpr (std::endian::native == std::endian::little)
                i += static_cast<std::size_t>(std::countr_zero(high)) / 8;
            else
                ++i;
            continue;
        }
        // Kana and most kanji: a three-byte sequence with no special range for its second byte
        // (a lead other than 0xE0 and 0xED); Japanese text runs of them, taken two at a time.
        if constexpr (std::endian::native == std::endian::little) {
            std::uint64_t word = 0;
            if (i + sizeof word <= size) {
                std::memcpy(&word, bytes.data() + i, sizeof word);
                const auto first = static_cast<unsigned char>(word);
                const auto second = static_cast<unsigned char>(word >> 24);
                if ((word & 0x0000C0C0F0C0C0F0ull) == 0x00008080E08080E0ull && first != 0xE0 &&
                    first != 0xED && second != 0xE0 && second != 0xED) {
                    i += 6;
                    continue;
                }
            }
        }
        if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && i + 2 < size &&
            (Utf8Byte(bytes, i + 1) & 0xC0) == 0x80 && (Utf8Byte(bytes, i + 2) & 0xC0) == 0x80) {
            i += 3;
            continue;
        }
        const Utf8Step step = DecodeUtf8(bytes, i);
        if (!step.codePoint)
            return false;
        i += step.length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    static constexpr unsigned char kLeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLeadMarks[length] | (c >> (6 * (length - 1))));
    for (int shift = 6 * (length - 2); shift >= 0; shift -= 6)
        out += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
}

}  // namespace tessel
