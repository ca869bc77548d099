#include "text/Utf8.h"

#include <cstdint>
#include <cstring>

namespace tessel {
namespace {

unsigned char Byte(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

}  // namespace

Utf8Step DecodeUtf8(std::string_view text, std::size_t at) {
    const unsigned char lead = Byte(text, at);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t trailing = 0;
    unsigned char low = 0x80;   // the second byte's range narrows where forms would be overlong,
    unsigned char high = 0xBF;  // surrogates or past U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return {std::nullopt, 1};
    }
    char32_t c = lead & (0x3F >> trailing);
    std::size_t j = at + 1;
    for (std::size_t k = 0; k < trailing; ++k, ++j) {
        if (j >= text.size() || Byte(text, j) < low || Byte(text, j) > high)
            return {std::nullopt, j - at};
        c = (c << 6) | (Byte(text, j) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {c, j - at};
}

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at) {
    const Utf8Step step = DecodeUtf8(text, at);
    if (step.codePoint)
        at += step.length;
    return step.codePoint;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        // Plain ASCII is by far the most common content: step over it eight bytes at a time.
        std::uint64_t word = 0;
        if (i + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                i += sizeof word;
                continue;
            }
        }
        // Kana and most kanji: a three-byte sequence with no special range for its second byte.
        const unsigned char lead = Byte(bytes, i);
        if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && i + 2 < bytes.size() &&
            (Byte(bytes, i + 1) & 0xC0) == 0x80 && (Byte(bytes, i + 2) & 0xC0) == 0x80) {
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
