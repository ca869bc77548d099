#include "cookies/CookieRecord.h"

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

// Where the first byte from `from` on that needs an escape stands, the field's size for none.
// Sixteen bytes are looked at a time: a record holds whole cookie lines, mostly plain.
std::size_t NextEscape(std::string_view field, std::size_t from) {
    using Block = unsigned char __attribute__((vector_size(16)));
    for (; from + sizeof(Block) <= field.size(); from += sizeof(Block)) {
        Block block;
        std::memcpy(&block, field.data() + from, sizeof block);
        const auto escape = (block <= 0x20) | (block >= 0x7F) | (block == '%');
        std::uint64_t halves[2];
        static_assert(sizeof escape == sizeof halves);
        std::memcpy(halves, &escape, sizeof halves);
        if ((halves[0] | halves[1]) != 0)
            break;
    }
    for (; from < field.size(); ++from) {
        if (NeedsEscape(static_cast<unsigned char>(field[from])))
            return from;
    }
    return field.size();
}

}  // namespace

void AppendRecordField(std::string& record, std::string_view field) {
    record += ' ';
    if (field.empty())
        record += '%';  // a lone "%" stands for an empty field
    // Runs of bytes that need no escape go in whole.
    std::size_t plain = 0;
    for (std::size_t i = NextEscape(field, 0); i < field.size(); i = NextEscape(field, i + 1)) {
        const auto byte = static_cast<unsigned char>(field[i]);
        const char escape[] = {'%', kHex[byte >> 4], kHex[byte & 0xF]};
        record.append(field.data() + plain, i - plain).append(escape, sizeof escape);
        plain = i + 1;
    }
    record.append(field.data() + plain, field.size() - plain);
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
