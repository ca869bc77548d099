#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "settings/ProfileFailure.h"

namespace tessel {

// The three profile-file operations a settings file is read and written through. They follow the
// contract of the Windows private-profile functions, except that every text (file name, section
// name, lines) is UTF-8 and every size counts UTF-8 bytes: converting to the file's own encoding is
// the implementation's business.
class ProfileFile {
  public:
    virtual ~ProfileFile() = default;

    // Fills buffer with every section name in file order, each followed by a NUL, and one more NUL
    // after the last. Returns the number of bytes placed, not counting that last NUL. When the
    // buffer is too small the names are cut, the buffer still ends with two NULs, and the result is
    // size - 2. A missing or unusable file yields 0 (an empty list); LastFailure tells them apart.
    virtual std::uint32_t GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                        const std::string& fileName) = 0;

    // Fills buffer with every line of the first section named section (compared without regard to
    // letter case), each as "key=value" or as the bare line, followed by a NUL, and one more NUL
    // after the last. Same result rule as above; an absent or empty section yields 0.
    virtual std::uint32_t GetPrivateProfileSection(const std::string& section, char* buffer,
                                                   std::uint32_t size,
                                                   const std::string& fileName) = 0;

    // Reads the sections of a whole load: calls section(name, lines) for each name of names, a
    // list as GetPrivateProfileSectionNames gave it for the file (each name followed by a NUL), in
    // order, where lines is what GetPrivateProfileSection gives for that name, without its last
    // NUL; for a name that repeats an earlier one (without regard to letter case) it may instead
    // be the repeated section's own lines, so a caller that accepts repeated names reads them
    // itself. The views are valid during the call only. By default a GetPrivateProfileSection
    // for each name; an implementation that holds the file parsed hands its own lines out
    // instead, sparing a copy and a search per section.
    virtual void ReadSections(
        const std::string& fileName, std::string_view names,
        const std::function<void(std::string_view, std::string_view)>& section);

    // ReadSections, but a section the implementation holds packed already, as
    // SectionEntries::AppendDistinctLines would pack its lines, may be handed out packed instead:
    // its entries then stay valid as long as keeper is held. By default ReadSections, nothing
    // packed.
    struct LoadedSection {
        std::string_view name;
        std::string_view lines;  // when not packed
        bool packed = false;
        std::string_view entries;  // when packed: count entries
        std::size_t count = 0;
    };
    virtual void ReadLoadedSections(
        const std::string& fileName, std::string_view names,
        const std::function<void(const LoadedSection&, const std::shared_ptr<const void>&)>&
            section);

    // block is a sequence of lines, each followed by a NUL, ended by one more NUL. Replaces every
    // line of the section with the block's lines; a section not in the file is appended at its end;
    // a missing file is created. Returns false when the file could not be written, and then the
    // file is as it was.
    virtual bool WritePrivateProfileSection(const std::string& section, const std::string& block,
                                            const std::string& fileName) = 0;

    // Reads between BeginSnapshot and the matching EndSnapshot may take a file as it was at the
    // first of them, so that a whole load (a read per section) checks the file once instead of at
    // every read; outside a snapshot every read sees the file as it is. Writes are not affected.
    // Implementations whose platform functions keep their own cache need do nothing.
    virtual void BeginSnapshot() {}
    virtual void EndSnapshot() {}

    // Why the file of the last call could not be used, or none when it could, or when it simply
    // does not exist. Every call sets it.
    const ProfileFailure& LastFailure() const { return lastFailure_; }
    // Whether the file of the last call does not exist. Every call sets it.
    bool LastFileMissing() const { return lastFileMissing_; }

  protected:
    void SetLastFailure(ProfileFailure reason = {}, bool missing = false) {
        lastFailure_ = std::move(reason);
        lastFileMissing_ = missing;
    }

  private:
    ProfileFailure lastFailure_;
    bool lastFileMissing_ = false;
};

// Holds a profile-file snapshot for the life of a scope.
class ProfileSnapshot {
  public:
    explicit ProfileSnapshot(ProfileFile& profile) : profile_(profile) { profile_.BeginSnapshot(); }
    ~ProfileSnapshot() { profile_.EndSnapshot(); }
    ProfileSnapshot(const ProfileSnapshot&) = delete;
    ProfileSnapshot& operator=(const ProfileSnapshot&) = delete;

  private:
    ProfileFile& profile_;
};

}  // namespace tessel
