#include "settings/SectionEntries.h"

#include <algorithm>

#include "text/TextCase.h"

namespace tessel {

void SectionEntries::BuildIndex() const {
    index_ = std::make_unique<std::unordered_map<std::string, std::size_t>>();
    index_->reserve(count_ * 2);
    for (std::size_t at = 0; at < Bytes().size(); at = Next(at))
        index_->emplace(FoldNameCase(KeyOf(EntryAt(at))), at);  // keys are unique
}

bool SectionEntries::IsAscii(std::string_view text) {
    unsigned char bits = 0;
    for (const char c : text)
        bits |= static_cast<unsigned char>(c);
    return bits < 0x80;
}

std::optional<std::size_t> SectionEntries::OffsetOf(std::string_view key) const {
    if (count_ >= kIndexedFrom) {
        if (!index_)
            BuildIndex();
        const auto found = index_->find(FoldNameCase(key));
        return found == index_->end() ? std::nullopt : std::optional<std::size_t>(found->second);
    }
    const std::string_view bytes = Bytes();
    int asciiKey = -1;  // whether key is all ASCII, once that is needed
    // Whether the entry at at is under key, and where the entry after it begins.
    const auto matches = [&](std::size_t at, std::size_t& next) {
        Header header;
        std::memcpy(&header, bytes.data() + at, sizeof header);
        next = at + sizeof header + header.size;
        const std::string_view entryKey(bytes.data() + at + sizeof header, header.keySize);
        // Keys are mostly asked for as they are spelt.
        if (entryKey == key)
            return true;
        // Keys all of ASCII are equal only at equal sizes. Other keys get no size test: a folded
        // letter may take more or fewer bytes than the letter.
        if (header.asciiKey) {
            if (asciiKey < 0)
                asciiKey = IsAscii(key) ? 1 : 0;
            if (asciiKey == 1)
                return entryKey.size() == key.size() && EqualsIgnoreCase(entryKey, key);
        }
        return NamesEqualIgnoreCase(entryKey, key);
    };
    // Keys are mostly asked for in the order of their entries: the walk starts after the entry
    // found last, and goes round.
    std::size_t at = next_;
    for (std::size_t visited = 0; visited < count_; ++visited) {
        if (at >= bytes.size())
            at = 0;
        std::size_t next = 0;
        if (matches(at, next)) {
            next_ = next;
            return at;
        }
        at = next;
    }
    return std::nullopt;
}

std::optional<std::string_view> SectionEntries::Find(std::string_view key) const {
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return std::nullopt;
    return EntryAt(*at);
}

std::optional<std::string_view> SectionEntries::FindValue(std::string_view key) const {
    // The entry after the one found last, under key as it is spelt, as a board list is read: it is
    // the only entry under key, and needs no search.
    if (const std::string_view bytes = Bytes(); next_ + sizeof(Header) <= bytes.size()) {
        Header header;
        std::memcpy(&header, bytes.data() + next_, sizeof header);
        const char* const entry = bytes.data() + next_ + sizeof header;
        if (header.keySize == key.size() && std::memcmp(entry, key.data(), key.size()) == 0) {
            next_ += sizeof header + header.size;
            return header.keySize < header.size ? std::string_view(entry + header.keySize + 1,
                                                                   header.size - header.keySize - 1)
                                                : std::string_view(entry, header.size);
        }
    }
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return std::nullopt;
    const Header header = HeaderAt(*at);
    const char* entry = Bytes().data() + *at + sizeof header;
    return header.keySize < header.size
               ? std::string_view(entry + header.keySize + 1, header.size - header.keySize - 1)
               : std::string_view(entry, header.size);
}

void SectionEntries::AddReplacing(std::string_view entry) {
    AddSplitAt(entry, '\0');
}

void SectionEntries::AddLine(std::string_view line) {
    AddSplitAt(line, '=');
}

void SectionEntries::AddSplitAt(std::string_view text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos)
        Add(text, std::nullopt);
    else
        Add(text.substr(0, at), text.substr(at + 1));
}

void SectionEntries::AppendKey(std::size_t size, std::string_view key, bool ascii) {
    Header header{};
    header.size = static_cast<std::uint32_t>(size);
    header.keySize = static_cast<std::uint32_t>(key.size());
    header.asciiKey = ascii ? 1 : 0;
    const std::size_t at = packed_.size();
    packed_.append(reinterpret_cast<const char*>(&header), sizeof header);
    packed_.append(key);
    ++count_;
    if (index_)
        index_->emplace(FoldNameCase(key), at);
}

void SectionEntries::Add(std::string_view key, std::optional<std::string_view> value) {
    Remove(key);
    Own();
    AppendKey(key.size() + (value ? 1 + value->size() : 0), key, IsAscii(key));
    if (value) {
        packed_ += '\0';
        packed_.append(*value);
    }
}

void SectionEntries::AddLines(std::string_view lines) {
    while (!lines.empty()) {
        const std::size_t end = std::min(lines.find('\0'), lines.size());
        const std::string_view line = lines.substr(0, end);
        lines.remove_prefix(std::min(end + 1, lines.size()));
        if (line.find_first_not_of(' ') != std::string_view::npos)
            AddLine(line);
    }
}

bool SectionEntries::HasAsciiKey(std::string_view packed, std::string_view key) {
    for (std::size_t at = 0; at < packed.size();) {
        Header header;
        std::memcpy(&header, packed.data() + at, sizeof header);
        if (header.keySize == key.size() &&
            EqualsIgnoreCase(packed.substr(at + sizeof header, header.keySize), key))
            return true;
        at += sizeof header + header.size;
    }
    return false;
}

bool SectionEntries::Packer::Add(std::string_view line, std::size_t keySize) {
    // The string grows by small steps, each quickly cleared.
    constexpr std::size_t kGrowth = 1024;
    // A line of nothing but spaces is no entry.
    if (keySize == line.size() && line.find_first_not_of(' ') == std::string_view::npos)
        return true;
    unsigned char bits = 0;
    for (std::size_t i = 0; i < keySize; ++i)
        bits |= static_cast<unsigned char>(line[i]);
    const std::uint64_t bit =
        keySize == 0 ? 1
                     : std::uint64_t{1} << ((FoldChar(line.front()) +
                                             3 * FoldChar(line[keySize - 1]) + 7 * keySize) %
                                            64);
    // Past a few keys looking costs more than the entries' own index. Other letters may fold to
    // ASCII ones.
    if (bits >= 0x80 || ((seen_ & bit) != 0 &&
                         (added_ >= kIndexedFrom ||
                          HasAsciiKey(std::string_view(*packed_).substr(begin_, end_ - begin_),
                                      line.substr(0, keySize))))) {
        return false;
    }
    seen_ |= bit;
    Header header{};
    header.size = static_cast<std::uint32_t>(line.size());
    header.keySize = static_cast<std::uint32_t>(keySize);
    header.asciiKey = 1;
    const std::size_t size = sizeof header + line.size();
    if (packed_->size() - end_ < size)
        packed_->resize(end_ + std::max<std::size_t>(size, kGrowth));
    char* out = packed_->data() + end_;
    std::memcpy(out, &header, sizeof header);
    std::memcpy(out + sizeof header, line.data(), line.size());
    if (keySize < line.size())
        out[sizeof header + keySize] = '\0';  // the "=" becomes the NUL after the key
    end_ += size;
    ++added_;
    return true;
}

bool SectionEntries::AppendDistinctLines(std::string& packed, std::string_view lines,
                                         std::size_t& count) {
    const std::size_t begin = packed.size();
    Packer packer(packed, begin);
    while (!lines.empty()) {
        const std::size_t end = std::min(lines.find('\0'), lines.size());
        const std::string_view line = lines.substr(0, end);
        lines.remove_prefix(std::min(end + 1, lines.size()));
        // A line without "=" is a key of its own.
        if (!packer.Add(line, std::min(line.find('='), line.size()))) {
            packed.resize(begin);
            return false;
        }
    }
    packed.resize(packer.End());
    count += packer.Count();
    return true;
}

void SectionEntries::Share(std::shared_ptr<const std::string> bytes, std::size_t begin,
                           std::size_t size, std::size_t count) {
    const std::string_view part = std::string_view(*bytes).substr(begin, size);
    Share(std::shared_ptr<const void>(std::move(bytes)), part, count);
}

void SectionEntries::Share(std::shared_ptr<const void> keeper, std::string_view bytes,
                           std::size_t count) {
    borrowed_ = bytes;
    shared_ = std::move(keeper);
    packed_.clear();
    count_ = count;
    next_ = 0;
    index_.reset();
}

void SectionEntries::Own() {
    if (!shared_)
        return;
    packed_.assign(borrowed_);
    shared_.reset();
    borrowed_ = {};
}

bool SectionEntries::Remove(std::string_view key) {
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return false;
    Own();
    packed_.erase(*at, sizeof(Header) + HeaderAt(*at).size);
    --count_;
    next_ = 0;
    index_.reset();
    return true;
}

}  // namespace tessel
