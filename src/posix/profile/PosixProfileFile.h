#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "settings/ProfileFile.h"

namespace tessel {

struct CachedSections;

// The profile-file operations on Linux, reading files the way the Windows profile functions do
// (UTF-8, UTF-16LE or Windows-31J; CR, LF or CRLF line ends) and writing them back in their own
// encoding and line-end style.
//
// A file is parsed once and its sections kept until the file changes, so a read costs time in
// proportion to what it returns: loading a board list reads every section one by one.
class PosixProfileFile : public ProfileFile {
  public:
    PosixProfileFile();
    ~PosixProfileFile() override;

    std::uint32_t GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                const std::string& fileName) override;
    std::uint32_t GetPrivateProfileSection(const std::string& section, char* buffer,
                                           std::uint32_t size,
                                           const std::string& fileName) override;
    void ReadLoadedSections(
        const std::string& fileName, std::string_view names,
        const std::function<void(const LoadedSection&, const std::shared_ptr<const void>&)>&
            section) override;
    bool WritePrivateProfileSection(const std::string& section, const std::string& block,
                                    const std::string& fileName) override;
    void BeginSnapshot() override;
    void EndSnapshot() override;

  private:
    // The sections of fileName as it is now; null when it cannot be read. Valid until the next
    // call of Load or Forget (all of which happen under mutex_).
    const CachedSections* Load(const std::string& fileName);  // and sets LastFailure
    const CachedSections* LoadSections(const std::string& fileName);
    const CachedSections* CheckedSections(const std::string& fileName);
    void Remember(const std::string& fileName, std::shared_ptr<const CachedSections> sections);
    void Forget(const std::string& fileName);

    std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<const CachedSections>> cache_;
    // The file read last: a board list is read section after section, so most calls name it again.
    std::string lastName_;
    std::shared_ptr<const CachedSections> last_;
    int snapshots_ = 0;              // open snapshot scopes
    std::string checkedName_;        // the file a snapshot has checked: read from last_ unchecked
    std::uint32_t nextSection_ = 0;  // the section after the one read last, of whichever file
};

}  // namespace tessel
