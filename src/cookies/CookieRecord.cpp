#include "cookies/CookieRecord.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

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

// The bytes of the sixteen at bytes that need an escape, as the top bit of each byte of two words.
void EscapesOfBlock(const char* bytes, std::uint64_t (&halves)[2]) {
    using Block = unsigned char __attribute__((vector_size(16)));
    static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
    Block block;
    std::memcpy(&block, bytes, sizeof block);
    const auto escape = (block <= 0x20) | (block >= 0x7F) | (block == '%');
    static_assert(sizeof escape == sizeof halves);
    std::memcpy(halves, &escape, sizeof halves);
    halves[0] &= 0x8080808080808080ull;
    halves[1] &= 0x8080808080808080ull;
}

// Writes the first valid (at most sixteen) of bytes escaped at out and returns where they end.
// A record holds whole cookie lines, mostly plain: the block is copied whole, and each escape
// copies the rest of the block after it again, in copies of a fixed size. bytes must have 32
// bytes to read and out 64 bytes of room.
inline __attribute__((always_inline)) char* AppendEscapedBlock(const char* bytes, std::size_t valid,
                                                               char* out) {
    std::uint64_t halves[2];
    EscapesOfBlock(bytes, halves);
    if (valid < 16) {
        halves[1] &= valid <= 8 ? 0 : ~0ull >> (8 * (16 - valid));
        halves[0] &= valid >= 8 ? ~0ull : ~0ull >> (8 * (8 - valid));
    }
    std::memcpy(out, bytes, 16);
    std::size_t shift = 0;
    for (std::size_t half = 0; half < 2; ++half) {
        for (std::uint64_t bits = halves[half]; bits != 0; bits &= bits - 1) {
            const std::size_t at = 8 * half + static_cast<std::size_t>(std::countr_zero(bits) / 8);
            const auto byte = static_cast<unsigned char>(bytes[at]);
            char* escape = out + at + shift;
            escape[0] = '%';
            escape[1] = kHex[byte >> 4];
            escape[2] = kHex[byte & 0xF];
            std::memcpy(escape + 3, bytes + at + 1, 16);
            shift += 2;
        }
    }
    return out + valid + shift;
}

}  // namespace

void AppendRecordField(std::string& record, std::string_view field) {
    if (field.size() < 16) {
        // A flag or a place, as a rule: byte by byte.
        record += ' ';
        if (field.empty())
            record += '%';  // a lone "%" stands for an empty field
        for (const char c : field) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte <= 0x20 || byte >= 0x7F || byte == '%')
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
