#include "cli/Utf8.h"

namespace tessel::cli {
namespace {

struct LeadByte {
    std::size_t length;
    char32_t bits;
    char32_t smallest;  // below this the form is overlong
};

std::optional<LeadByte> ReadLead(unsigned char byte) {
    if (byte < 0x80)
        return LeadByte{1, byte, 0};
    if ((byte & 0xE0) == 0xC0)
        return LeadByte{2, byte & 0x1Fu, 0x80};
    if ((byte & 0xF0) == 0xE0)
        return LeadByte{3, byte & 0x0Fu, 0x800};
    if ((byte & 0xF8) == 0xF0)
        return LeadByte{4, byte & 0x07u, 0x10000};
    return std::nullopt;
}

bool IsScalarValue(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

}  // namespace

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at) {
    const std::optional<LeadByte> lead = ReadLead(static_cast<unsigned char>(text[at]));
    if (!lead || at + lead->length > text.size())
        return std::nullopt;
    char32_t c = lead->bits;
    for (std::size_t i = 1; i < lead->length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte & 0x3Fu);
    }
    if (c < lead->smallest || !IsScalarValue(c))
        return std::nullopt;
    at += lead->length;
    return c;
}

void AppendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
        return;
    }
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    static constexpr unsigned char kLeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    text += static_cast<char>(kLeadMarks[length] | (c >> (6 * (length - 1))));
    for (int shift = 6 * (length - 2); shift >= 0; shift -= 6)
        text += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
}

}  // namespace tessel::cli
