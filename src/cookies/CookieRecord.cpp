#include "cookies/CookieRecord.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool NeedsEscape(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F || byte == '%';
}

// Which of the sixteen bytes at bytes need an escape, a bit each, the first lowest.
unsigned EscapesOfBlock(const char* bytes) {
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(block, _mm_set1_epi8(0x20)), block);
    const __m128i high = _mm_cmpeq_epi8(_mm_max_epu8(block, _mm_set1_epi8(0x7F)), block);
    const __m128i percent = _mm_cmpeq_epi8(block, _mm_set1_epi8('%'));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(low, high), percent)));
#else
    unsigned escapes = 0;
    for (unsigned i = 0; i < 16; ++i)
        escapes |= unsigned{NeedsEscape(static_cast<unsigned char>(bytes[i]))} << i;
    return escapes;
#endif
}

// Writes the first valid (at most sixteen) of bytes escaped at out and returns where they end.
// A record holds whole cookie lines, mostly plain: the block is copied whole, and each escape
// copies the rest of the block after it again, in copies of a fixed size. bytes must have 32
// bytes to read and out 64 bytes of room.
inline __attribute__((always_inline)) char* AppendEscapedBlock(const char* bytes, std::size_t valid,
                                                               char* out) {
    unsigned escapes = EscapesOfBlock(bytes);
    if (valid < 16)
        escapes &= (1u << valid) - 1;
    std::memcpy(out, bytes, 16);
    std::size_t shift = 0;
    for (; escapes != 0; escapes &= escapes - 1, shift += 2) {
        const auto at = static_cast<std::size_t>(std::countr_zero(escapes));
        const auto byte = static_cast<unsigned char>(bytes[at]);
        char* escape = out + at + shift;
        escape[0] = '%';
        escape[1] = kHex[byte >> 4];
        escape[2] = kHex[byte & 0xF];
        std::memcpy(escape + 3, bytes + at + 1, 16);
    }
    return out + valid + shift;
}

}  // namespace

void AppendRecordField(std::string& record, std::string_view field) {
    if (field.size() < 16) {
        // A flag or a place, as a rule, plain: in whole when it is.
        unsigned escapes = field.empty() ? 1 : 0;
        for (const char c : field)
            escapes |= NeedsEscape(static_cast<unsigned char>(c)) ? 1 : 0;
        record += ' ';
        if (escapes == 0) {
            record.append(field);
            return;
        }
        if (field.empty())
            record += '%';  // a lone "%" stands for an empty field
        for (const char c : field) {
            const auto byte = static_cast<unsigned char>(c);
            if (NeedsEscape(byte))
                record.append({'%', kHex[byte >> 4], kHex[byte & 0xF]});
            else
                record += c;
        }
        return;
    }
    // Written in place into room for the longest it can be, every byte escaped, with room to
    // spare for the blocks' copies, then cut to size.
    const std::size_t start = record.size();
    record.resize(start + 2 + 3 * field.size() + 64);
    char* out = record.data() + start;
    *out++ = ' ';
    std::size_t at = 0;
    for (; at + 32 <= field.size(); at += 16)
        out = AppendEscapedBlock(field.data() + at, 16, out);
    // The last bytes, fewer than 32, from a copy with room to read past them.
    char rest[64] = {};
    if (at < field.size())
        std::memcpy(rest, field.data() + at, field.size() - at);
    for (std::size_t from = 0; at + from < field.size(); from += 16)
        out = AppendEscapedBlock(rest + from, std::min<std::size_t>(16, field.size() - at - from),
                                 out);
    record.resize(static_cast<std::size_t>(out - record.data()));
}

std::string JoinRecord(std::string_view tag, const std::vector<std::string>& fields) {
    std::size_t size = tag.size();
    for (const std::string& field : fields)
        size += field.size() + 2;
    std::string record;
    record.reserve(size + size / 4);
    record += tag;
    for (const std::string& field : fields)
        AppendRecordField(record, field);
    return record;
}

std::optional<std::vector<std::string>> SplitRecord(std::string_view tag, std::string_view record) {
    if (!record.starts_with(tag) || (record.size() > tag.size() && record[tag.size()] != ' '))
        return std::nullopt;
    std::vector<std::string> fields;
    for (std::size_t at = tag.size(); at < record.size();) {
        const std::size_t end = std::min(record.find(' ', at + 1), record.size());
        const std::string_view field = record.substr(at + 1, end - at - 1);
        std::string bytes;
        if (field != "%") {
            for (std::size_t i = 0; i < field.size(); ++i) {
                if (field[i] != '%') {
                    bytes += field[i];
                    continue;
                }
                const int high = i + 2 < field.size() ? HexValue(field[i + 1]) : -1;
                const int low = high >= 0 ? HexValue(field[i + 2]) : -1;
                if (low < 0)
                    return std::nullopt;
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
            }
        }
        fields.push_back(std::move(bytes));
        at = end;
    }
    return fields;
}

}  // namespace tessel
