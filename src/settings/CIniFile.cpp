#include "settings/CIniFile.h"

#include <vector>

#include "settings/NumericText.h"
#include "settings/RuntimeError.h"

namespace tessel {
namespace {

constexpr char kNul = '\0';

// Calls read(buffer, size) with a buffer filled with spaces, growing it while the result says the
// buffer was too small (size - 2), and returns the first result-many bytes. The buffer doubles on
// each retry so that a large file is read in a logarithmic number of calls.
template <typename ReadFn>
std::string ReadGrowing(std::uint32_t size, ReadFn read) {
    std::vector<char> buffer;
    std::uint32_t result = 0;
    for (;;) {
        buffer.assign(size, ' ');
        result = read(buffer.data(), size);
        if (result != size - 2 || size >= UINT32_MAX / 2)
            break;
        size *= 2;
    }
    if (result > size)
        result = size;
    return std::string(buffer.data(), result);
}

bool IsBlank(std::string_view piece) {
    return piece.find_first_not_of(' ') == std::string_view::npos;
}

// The pieces of a NUL-separated list that are neither empty nor only spaces, in order.
std::vector<std::string_view> NonBlankPieces(std::string_view list) {
    std::vector<std::string_view> pieces;
    while (!list.empty()) {
        const std::size_t end = list.find(kNul);
        const std::string_view piece = list.substr(0, end);
        if (!IsBlank(piece))
            pieces.push_back(piece);
        if (end == std::string_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
    return pieces;
}

template <typename Fn>
void IgnoringFailures(Fn fn) {
    try {
        fn();
    } catch (const RuntimeError&) {
    }
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
    m_SectionEntries = Collection<Entries>();

    const std::string list = ReadGrowing(1024, [&](char* buffer, std::uint32_t size) {
        return profile_.GetPrivateProfileSectionNames(buffer, size, m_FileName);
    });
    if (list.size() == 1)
        return false;

    for (std::string_view piece : NonBlankPieces(list)) {
        const std::string name(piece);
        m_SectionNames.Add(name, name);  // a repeated name fails the load here
        m_SectionEntries.Add(Entries(), name);
        ReadSection(name, m_SectionEntries.Item(name));
    }
    m_SectionExists = false;
    return true;
}

void CIniFile::ReadSection(const std::string& name, Entries& entries) {
    const std::string lines = ReadGrowing(4096, [&](char* buffer, std::uint32_t size) {
        return profile_.GetPrivateProfileSection(name, buffer, size, m_FileName);
    });
    if (lines.size() <= 1)
        return;

    for (std::string_view line : NonBlankPieces(lines)) {
        const std::size_t equals = line.find('=');
        const std::string key = FoldCase(line.substr(0, equals));
        std::string entry(line);
        if (equals != std::string_view::npos)
            entry[equals] = kNul;
        // When a key stands on several lines the last one wins, at the last one's place.
        IgnoringFailures([&] { entries.Remove(key); });
        IgnoringFailures([&] { entries.Add(std::move(entry), key); });
    }
}

void CIniFile::NowSection(const std::string& NewSection) {
    if (NewSection == m_CurrentSection)
        return;

    if (const std::string* stored = m_SectionNames.Find(NewSection)) {
        m_CurrentSection = *stored;
        m_SectionExists = true;
    } else {
        m_CurrentSection = NewSection;
        m_SectionNames.Add(NewSection, NewSection);
        m_SectionEntries.Add(Entries(), NewSection);
        m_SectionExists = false;
    }
    RebuildKeyNames();
}

void CIniFile::RebuildKeyNames() {
    m_KeyNames = Collection<std::string>();
    for (const std::string& entry : m_SectionEntries.Item(m_CurrentSection)) {
        const std::size_t nul = entry.find(kNul);
        if (nul == std::string::npos)
            continue;
        const std::string name = entry.substr(0, nul);
        m_KeyNames.Add(name, name);
    }
}

std::string CIniFile::Data(const std::string& Key) const {
    const Entries* entries = m_SectionEntries.Find(m_CurrentSection);
    const std::string* entry = entries ? entries->Find(Key) : nullptr;
    if (entry == nullptr)
        return std::string();
    const std::size_t nul = entry->find(kNul);
    return nul == std::string::npos ? *entry : entry->substr(nul + 1);
}

void CIniFile::Data(const std::string& Key, const std::string& NewData) {
    DeleteData(Key);
    std::string entry = Key;
    entry += kNul;
    entry += NewData;
    m_SectionEntries.Item(m_CurrentSection).Add(std::move(entry), Key);
    m_KeyNames.Add(Key, Key);
}

void CIniFile::DeleteData(const std::string& Key) {
    IgnoringFailures([&] { m_SectionEntries.Item(m_CurrentSection).Remove(Key); });
    IgnoringFailures([&] { m_KeyNames.Remove(Key); });
}

void CIniFile::Clear() {
    const std::vector<std::string> names(m_KeyNames.begin(), m_KeyNames.end());
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
    for (const std::string& name : m_KeyNames) {
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
    return Converts(Str, ToInteger);
}
bool CIniFile::IsLng(std::string_view Str) {
    return Converts(Str, ToLong);
}
bool CIniFile::IsSng(std::string_view Str) {
    return Converts(Str, ToSingle);
}

}  // namespace tessel
