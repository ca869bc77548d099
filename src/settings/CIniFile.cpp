#include "settings/CIniFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "settings/NumericText.h"
#include "settings/ProfileList.h"
#include "settings/RuntimeError.h"
#include "settings/mdlIsType.h"

namespace tessel {
namespace {

constexpr char kNul = '\0';

bool IsBlank(std::string_view piece) {
    // Names mostly begin with a letter: only a name that begins with a space is looked through.
    return piece.empty() ||
           (piece.front() == ' ' && piece.find_first_not_of(' ') == std::string_view::npos);
}

// The most room reserved at once for the sections of a load from the size of the first.
constexpr std::size_t kSharedEstimateLimit = 16 << 20;

// At least as many as the pieces of a NUL-separated list: room to reserve for them.
std::size_t PieceBound(std::string_view list) {
    // Eight bytes at a time: every NUL sets the top bit of its byte in the mask, and only a byte
    // above a NUL may set one wrongly, which merely counts too many.
    std::size_t bound = 1;
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= list.size(); at += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, list.data() + at, sizeof word);
        bound += static_cast<std::size_t>(
            std::popcount((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull));
    }
    return bound + static_cast<std::size_t>(std::count(list.begin() + at, list.end(), kNul));
}

template <typename Convert>
bool Converts(std::string_view text, Convert convert) {
    try {
        convert(text);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

}  // namespace

bool CIniFile::Load(const std::string& IniFileName) {
    m_FileName = IniFileName;
    m_SectionNames = Collection<std::string>();
    m_SectionEntries.clear();
    // A reload starts with no current section: keys listed from the file read before would
    // otherwise be written back over the new file's.
    m_CurrentSection.clear();
    m_KeyNames = Collection<std::string>();
    keyNamesStale_ = false;
    currentPosition_.reset();

    // The file is checked once for the whole load, not once for every section read.
    const ProfileSnapshot snapshot(profile_);
    const std::string_view list =
        ReadProfileList(scratch_, 1024, [&](char* buffer, std::uint32_t size) {
            return profile_.GetPrivateProfileSectionNames(buffer, size, m_FileName);
        });
    if (list.size() == 1)
        return false;

    const std::size_t bound = PieceBound(list);
    m_SectionNames.Reserve(bound);
    m_SectionEntries.reserve(bound);
    // Sections the profile file holds packed are shared as they are. Other well-formed sections
    // are stored one after another in one buffer they share: one allocation for a whole board
    // list rather than one per board.
    std::string shared;
    struct Part {
        std::size_t section, begin, size, count;
    };
    std::vector<Part> parts;
    parts.reserve(bound);
    bool firstCopied = true;
    const auto share = [&] {
        if (parts.empty())
            return;
        const auto bytes = std::make_shared<const std::string>(std::move(shared));
        for (const Part& part : parts)
            m_SectionEntries[part.section].Share(bytes, part.begin, part.size, part.count);
    };
    try {
        profile_.ReadLoadedSections(
            m_FileName, list,
            [&](const ProfileFile::LoadedSection& loaded,
                const std::shared_ptr<const void>& keeper) {
                const std::string_view piece = loaded.name;
                if (IsBlank(piece))
                    return;
                try {
                    m_SectionNames.Add(std::string(piece), piece);
                } catch (const RuntimeError& error) {
                    // A repeated name fails the load; the description names both spellings.
                    const std::string* earlier = m_SectionNames.Find(piece);
                    if (error.Number() != kErrKeyAlreadyExists || earlier == nullptr)
                        throw;
                    throw RepeatedSectionError(*earlier, std::string(piece));
                }
                SectionEntries& entries = m_SectionEntries.emplace_back();
                if (loaded.packed) {
                    entries.Share(keeper, loaded.entries, loaded.count);
                    return;
                }
                const std::string_view lines = loaded.lines;
                // Sections of a board list are much alike: room for as many as the first, within
                // reason, spares growing the buffer over and over.
                if (std::exchange(firstCopied, false))
                    shared.reserve(std::min(kSharedEstimateLimit, (lines.size() + 64) * bound));
                const std::size_t begin = shared.size();
                std::size_t count = 0;
                if (SectionEntries::AppendDistinctLines(shared, lines, count))
                    parts.push_back(
                        {m_SectionEntries.size() - 1, begin, shared.size() - begin, count});
                else
                    entries.AddLines(lines);  // the last of a repeated key wins, at its place
            });
    } catch (...) {
        share();  // the sections read before the failure stay loaded
        throw;
    }
    share();
    m_SectionExists = false;
    return true;
}

void CIniFile::NowSection(const std::string& NewSection) {
    if (NewSection == m_CurrentSection)
        return;

    // Sections are mostly visited in file order, by the names Sections gives: the one after the
    // current one is tried first, as it is spelt (names are unique without regard to case).
    const std::size_t next = currentPosition_.value_or(0) + 1;
    std::optional<std::size_t> position;
    if (next <= m_SectionNames.Count() && m_SectionNames.Item(next) == NewSection)
        position = next;
    else
        position = m_SectionNames.PositionOf(NewSection, next - 1);
    if (position) {
        m_CurrentSection = m_SectionNames.Item(*position);
        m_SectionExists = true;
        currentPosition_ = position;
    } else {
        m_CurrentSection = NewSection;
        m_SectionNames.Add(NewSection, NewSection);
        m_SectionEntries.emplace_back();
        m_SectionExists = false;
        currentPosition_ = m_SectionNames.Count();
    }
    keyNamesStale_ = true;
}

const Collection<std::string>& CIniFile::KeyNames() const {
    if (keyNamesStale_)
        RebuildKeyNames();
    return m_KeyNames;
}

Collection<std::string>& CIniFile::KeyNames() {
    if (keyNamesStale_)
        RebuildKeyNames();
    return m_KeyNames;
}

void CIniFile::RebuildKeyNames() const {
    keyNamesStale_ = false;
    m_KeyNames = Collection<std::string>();
    const Entries* entries = CurrentEntries();
    if (entries == nullptr)
        return;
    entries->ForEach([&](std::string_view entry) {
        const std::size_t nul = entry.find(kNul);
        if (nul == std::string_view::npos)
            return;
        const std::string name(entry.substr(0, nul));
        m_KeyNames.Add(name, name);
    });
}

std::string CIniFile::Data(std::string_view Key) const {
    const Entries* entries = CurrentEntries();
    const std::optional<std::string_view> value =
        entries ? entries->FindValue(Key) : std::optional<std::string_view>();
    return value ? std::string(*value) : std::string();
}

void CIniFile::Data(const std::string& Key, const std::string& NewData) {
    DeleteData(Key);
    std::string entry = Key;
    entry += kNul;
    entry += NewData;
    Entries* entries = CurrentEntries();
    if (entries == nullptr)
        throw RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument");
    entries->AddReplacing(entry);
    KeyNames().Add(Key, Key);
}

void CIniFile::DeleteData(const std::string& Key) {
    if (Entries* entries = CurrentEntries())
        entries->Remove(Key);
    if (KeyNames().Contains(Key))
        KeyNames().Remove(Key);
}

void CIniFile::Clear() {
    const std::vector<std::string> names(KeyNames().begin(), KeyNames().end());
    for (const std::string& name : names)
        DeleteData(name);
}

bool CIniFile::Save(const std::string& Section) {
    if (!Section.empty())
        return WriteSection(Section);

    bool result = false;
    const std::vector<std::string> names(m_SectionNames.begin(), m_SectionNames.end());
    for (const std::string& name : names) {
        result = WriteSection(name);
        if (!result)
            break;
    }
    return result;
}

bool CIniFile::WriteSection(const std::string& Section) {
    NowSection(Section);
    std::string block;
    for (const std::string& name : KeyNames()) {
        block += name;
        block += '=';
        block += Data(name);
        block += kNul;
    }
    block += kNul;
    if (!profile_.WritePrivateProfileSection(Section, block, m_FileName))
        return false;
    m_SectionExists = true;
    return true;
}

Variant CIniFile::InitData(const std::string& Key, std::int32_t IniType,
                           const Variant& Default) const {
    const std::string value = Data(Key);
    switch (IniType) {
        case IniTypeString:
            return IsBlank(value) ? Default : Variant(value);
        case IniTypeLong:
            return IsLng(value) ? Variant(ToLong(value)) : Default;
        case IniTypeSingle:
            return IsSng(value) ? Variant(ToSingle(value)) : Default;
        case IniTypeBoolean:
            return IsBool(value) ? Variant(ToBoolean(value)) : Default;
        default:
            return Variant(value);
    }
}

bool CIniFile::IsBool(std::string_view Str) {
    return Converts(Str, ToBoolean);
}
bool CIniFile::IsInt(std::string_view Str) {
    return mdlIsType::IsInteger(Str);
}
bool CIniFile::IsLng(std::string_view Str) {
    return Converts(Str, ToLong);
}
bool CIniFile::IsSng(std::string_view Str) {
    return Converts(Str, ToSingle);
}

}  // namespace tessel
