#include "settings/SectionEntries.h"

#include "settings/TextCase.h"

namespace tessel {

void SectionEntries::BuildIndex() const {
    index_.clear();
    index_.reserve(count_ * 2);
    for (std::size_t at = 0; at < packed_.size(); at = Next(at))
        index_.emplace(FoldNameCase(KeyOf(EntryAt(at))), at);  // keys are unique
    indexed_ = true;
}

std::optional<std::size_t> SectionEntries::OffsetOf(std::string_view key) const {
    if (count_ >= kIndexedFrom) {
        if (!indexed_)
            BuildIndex();
        const auto found = index_.find(FoldNameCase(key));
        return found == index_.end() ? std::nullopt : std::optional<std::size_t>(found->second);
    }
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
    const std::size_t at = packed_.size();
    packed_.append(reinterpret_cast<const char*>(&header), sizeof header);
    packed_.append(entry);
    ++count_;
    if (indexed_)
        index_.emplace(FoldNameCase(key), at);
}

bool SectionEntries::Remove(std::string_view key) {
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return false;
    packed_.erase(*at, sizeof(Header) + HeaderAt(*at).size);
    --count_;
    indexed_ = false;
    index_.clear();
    return true;
}

}  // namespace tessel
