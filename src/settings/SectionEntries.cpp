#include "settings/SectionEntries.h"

#include "settings/TextCase.h"

namespace tessel {

std::optional<std::size_t> SectionEntries::OffsetOf(std::string_view key) const {
    for (std::size_t at = 0; at < packed_.size(); at = Next(at)) {
        const Header header = HeaderAt(at);
        // No size test first: a folded letter may take more or fewer bytes than the letter.
        const std::string_view entryKey(packed_.data() + at + sizeof(Header), header.keySize);
        if (NamesEqualIgnoreCase(entryKey, key))
            return at;
    }
    return std::nullopt;
}

std::optional<std::string_view> SectionEntries::Find(std::string_view key) const {
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return std::nullopt;
    return EntryAt(*at);
}

void SectionEntries::AddReplacing(std::string_view entry) {
    const std::string_view key = KeyOf(entry);
    Remove(key);
    const Header header{static_cast<std::uint32_t>(entry.size()),
                        static_cast<std::uint32_t>(key.size())};
    packed_.append(reinterpret_cast<const char*>(&header), sizeof header);
    packed_.append(entry);
    ++count_;
}

bool SectionEntries::Remove(std::string_view key) {
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return false;
    packed_.erase(*at, sizeof(Header) + HeaderAt(*at).size);
    --count_;
    return true;
}

}  // namespace tessel
