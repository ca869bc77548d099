#include "settings/TextCase.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

namespace tessel {
namespace {

struct Folding {
    std::uint32_t from;
    std::uint32_t to;
};

// Unicode's simple case folding, generated at build time from the Unicode data files.
constexpr Folding kFoldings[] = {
#include "settings/CaseFoldingTable.inc"
};

std::uint32_t FoldCodePoint(std::uint32_t code) {
    const auto found =
        std::lower_bound(std::begin(kFoldings), std::end(kFoldings), code,
                         [](const Folding& f, std::uint32_t c) { return f.from < c; });
    return (found != std::end(kFoldings) && found->from == code) ? found->to : code;
}

// The length of the UTF-8 sequence that starts text, with its code point; none when text does
// not start with a well-formed sequence.
std::optional<std::uint32_t> DecodeUtf8(std::string_view text, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::uint32_t code = 0;
    std::uint32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return std::nullopt;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return code;
}

void AppendUtf8(std::uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

void AppendFoldedNonAscii(std::string_view text, std::string& folded) {
    folded.reserve(folded.size() + text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            folded += FoldChar(text[i]);
            ++i;
            continue;
        }
        std::size_t length = 1;
        if (const std::optional<std::uint32_t> code = DecodeUtf8(text.substr(i), length)) {
            AppendUtf8(FoldCodePoint(*code), folded);
        } else {
            length = 1;
            folded += text[i];
        }
        i += length;
    }
}

}  // namespace tessel
