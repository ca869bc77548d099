#include "settings/SectionEntries.h"

#include "settings/TextCase.h"

namespace tessel {

std::optional<std::size_t> SectionEntries::OffsetOf(std::string_view key) const {
    for (std::size_t at = 0; at < packed_.size();) {
        const std::string_view entry = EntryAt(at);
        if (EqualsIgnoreCase(KeyOf(entry), key))
            return at;
        at += sizeof(std::uint32_t) + entry.size();
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
    Remove(KeyOf(entry));
    const auto size = static_cast<std::uint32_t>(entry.size());
    packed_.append(reinterpret_cast<const char*>(&size), sizeof size);
    packed_.append(entry);
    ++count_;
}

bool SectionEntries::Remove(std::string_view key) {
    const std::optional<std::size_t> at = OffsetOf(key);
    if (!at)
        return false;
    packed_.erase(*at, sizeof(std::uint32_t) + EntryAt(*at).size());
    --count_;
    return true;
}

}  // namespace tessel
