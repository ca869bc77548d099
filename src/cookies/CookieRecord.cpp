#include "cookies/CookieRecord.h"

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

bool NeedsEscape(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F || byte == '%';
}

// The bytes of field that need an escape, sixteen from at, as the top bit of each byte of two
// words: a record holds whole cookie lines, mostly plain, looked at a block at a time.
void EscapesOfBlock(std::string_view field, std::size_t at, std::uint64_t (&halves)[2]) {
    using Block = unsigned char __attribute__((vector_size(16)));
    static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
    Block block;
    std::memcpy(&block, field.data() + at, sizeof block);
    const auto escape = (block <= 0x20) | (block >= 0x7F) | (block == '%');
    static_assert(sizeof escape == sizeof halves);
    std::memcpy(halves, &escape, sizeof halves);
    halves[0] &= 0x8080808080808080ull;
    halves[1] &= 0x8080808080808080ull;
}

}  // namespace

void AppendRecordField(std::string& record, std::string_view field) {
    // Written in place into room for the longest it can be, every byte escaped, then cut to
    // size; runs of bytes that need no escape go in whole.
    const std::size_t start = record.size();
    record.resize(start + 2 + 3 * field.size());
    char* out = record.data() + start;
    *out++ = ' ';
    if (field.empty())
        *out++ = '%';  // a lone "%" stands for an empty field
    std::size_t plain = 0;
    const auto escape = [&](std::size_t at) {
        const auto byte = static_cast<unsigned char>(field[at]);
        std::memcpy(out, field.data() + plain, at - plain);
        out += at - plain;
        *out++ = '%';
        *out++ = kHex[byte >> 4];
        *out++ = kHex[byte & 0xF];
        plain = at + 1;
    };
    std::size_t at = 0;
    for (; at + 16 <= field.size(); at += 16) {
        std::uint64_t halves[2];
        EscapesOfBlock(field, at, halves);
        for (std::size_t half = 0; half < 2; ++half) {
            for (std::uint64_t bits = halves[half]; bits != 0; bits &= bits - 1)
                escape(at + 8 * half + static_cast<std::size_t>(std::countr_zero(bits) / 8));
        }
    }
    for (; at < field.size(); ++at) {
        if (NeedsEscape(static_cast<unsigned char>(field[at])))
            escape(at);
    }
    if (plain < field.size()) {
        std::memcpy(out, field.data() + plain, field.size() - plain);
        out += field.size() - plain;
    }
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
