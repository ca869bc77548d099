#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/Collection.h"
#include "settings/ProfileFile.h"
#include "settings/RuntimeError.h"
#include "settings/SectionEntries.h"
#include "settings/Variant.h"

namespace tessel {

// What CIniFile::Load throws for two section names equal but for letter case.
class RepeatedSectionError : public RuntimeError {
  public:
    RepeatedSectionError(std::string earlier, std::string later)
        : RuntimeError(kErrKeyAlreadyExists, "[" + earlier + "] [" + later + "]"),
          earlier_(std::move(earlier)),
          later_(std::move(later)) {}

    const std::string& Earlier() const { return earlier_; }
    const std::string& Later() const { return later_; }

  private:
    std::string earlier_;
    std::string later_;
};

// A whole sectioned settings file held in memory: an ordered list of named sections, each an
// ordered list of key/value entries. The file is read and written only through the injected
// ProfileFile, section by section; this class never parses the file's text itself.
//
// An entry is stored as the key name, one NUL, then the value, made from a line by replacing its
// first "=" with the NUL. A line without "=" is stored unchanged: Data finds it under its whole
// text, but it is not a key, so it is never written back and Clear leaves it.
//
// Names of sections and keys are matched without regard to letter case.
class CIniFile {
  public:
    // Type codes of InitData.
    static constexpr std::int32_t IniTypeString = 0;
    static constexpr std::int32_t IniTypeLong = 1;
    static constexpr std::int32_t IniTypeSingle = 2;
    static constexpr std::int32_t IniTypeBoolean = 3;

    explicit CIniFile(ProfileFile& profile) : profile_(profile) {}

    // Reads every section of the file. Returns false only when the name list is exactly one empty
    // name; a missing file gives true and no sections. Throws RepeatedSectionError
    // when two section names are equal without regard to case (the earlier sections stay loaded).
    bool Load(const std::string& IniFileName);

    // Writes one section, or every section in order when Section is empty, stopping at the first
    // failed write. Returns false when a write failed or when there was nothing to write.
    bool Save(const std::string& Section = "");

    const std::string& NowSection() const { return m_CurrentSection; }
    // Selects the section Data works on; a name not in the file creates an empty section.
    void NowSection(const std::string& NewSection);

    // Whether the current section was in the file when it became current, or has been written.
    bool IsExist() const { return m_SectionExists; }

    const Collection<std::string>& Sections() const { return m_SectionNames; }
    const Collection<std::string>& Keys() const { return KeyNames(); }

    void DeleteData(const std::string& Key);
    void Clear();

    // The value of Key in the current section; empty when the section or key is missing.
    std::string Data(std::string_view Key) const;
    // Sets Key in the current section, moving it to the end. Throws RuntimeError
    // kErrInvalidArgument when no section is current.
    void Data(const std::string& Key, const std::string& NewData);

    // The value of Key converted by IniType when it passes that type's test, otherwise Default.
    // Any other IniType returns the raw value as a String, empty or not.
    Variant InitData(const std::string& Key, std::int32_t IniType, const Variant& Default) const;

    // Whether the text converts to the type. They use no member and never fail.
    static bool IsBool(std::string_view Str);
    static bool IsInt(std::string_view Str);
    static bool IsLng(std::string_view Str);
    static bool IsSng(std::string_view Str);

  private:
    using Entries = SectionEntries;

    bool WriteSection(const std::string& Section);
    void ReadSectionNames();
    // The key names are listed again only when they are asked for after a change of section.
    const Collection<std::string>& KeyNames() const;
    Collection<std::string>& KeyNames();
    void RebuildKeyNames() const;
    // The current section's entries, or null when no section of that name exists.
    Entries* CurrentEntries() {
        if (!currentPosition_)
            currentPosition_ = m_SectionNames.PositionOf(m_CurrentSection);
        return currentPosition_ ? &m_SectionEntries[*currentPosition_ - 1] : nullptr;
    }
    const Entries* CurrentEntries() const {
        if (!currentPosition_)
            currentPosition_ = m_SectionNames.PositionOf(m_CurrentSection);
        return currentPosition_ ? &m_SectionEntries[*currentPosition_ - 1] : nullptr;
    }

    ProfileFile& profile_;
    std::vector<char> scratch_;  // the buffer the section names are read into
    // The current section's position in m_SectionNames, looked up once per change of section
    // (Load and NowSection reset it), so that reading keys costs no search of the section list.
    mutable std::optional<std::size_t> currentPosition_;

    std::string m_FileName;
    std::string m_CurrentSection;
    // Each section's entries, at the section's position in m_SectionNames (the two always hold the
    // same sections in the same order, so the names' index serves both).
    std::vector<Entries> m_SectionEntries;
    bool m_SectionExists = false;
    Collection<std::string> m_SectionNames;
    mutable Collection<std::string> m_KeyNames;
    mutable bool keyNamesStale_ = false;
};

}  // namespace tessel
