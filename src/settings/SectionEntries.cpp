#include "settings/SectionEntries.h"

#include "text/TextCase.h"

namespace tessel {

void SectionEntries::BuildIndex() const {
    index_ = std::make_unique<std::unordered_map<std::string, std::size_t>>();
    index_->reserve(count_ * 2);
    for (std::size_t at = 0; at < packed_.size(); at = Next(at))
        index_->emplace(FoldNameCase(KeyOf(EntryAt(at))), at);  // keys are unique
}

std::optional<std::size_t> SectionEntries::OffsetOf(std::string_view key) const {
    if (count_ >= kIndexedFrom) {
        if (!index_)
            BuildIndex();
        const auto found = index_->find(FoldNameCase(key));
        return found == index_->end() ? std::nullopt : std::optional<std::size_t>(found->second);
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

std::optional<std::string_view> SectionEntries::FindValue(std::string_view key) const {
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return std::nullopt;
    const Header header = HeaderAt(*at);
    const std::string_view entry = EntryAt(*at);
    return header.keySize < header.size ? entry.substr(header.keySize + 1) : entry;
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

void SectionEntries::Add(std::string_view key, std::optional<std::string_view> value) {
    Remove(key);
    const std::size_t size = key.size() + (value ? 1 + value->size() : 0);
    const Header header{static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(key.size())};
    const std::size_t at = packed_.size();
    packed_.append(reinterpret_cast<const char*>(&header), sizeof header);
    packed_.append(key);
    if (value) {
        packed_ += '\0';
        packed_.append(*value);
    }
    ++count_;
    if (index_)
        index_->emplace(FoldNameCase(key), at);
}

bool SectionEntries::Remove(std::string_view key) {
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return false;
    packed_.erase(*at, sizeof(Header) + HeaderAt(*at).size);
    --count_;
    index_.reset();
    return true;
}

}  // namespace tessel
