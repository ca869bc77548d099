#pragma once

#include <string>
#include <vector>

#include "cookies/BrowserCookieStore.h"
#include "cookies/CookieCipher.h"
#include "cookies/CookieCodec.h"

namespace tessel {

// The cookies of a Chromium profile: the table cookies of its Cookies database.
//
// Only meta version 24 is read or written: times in microseconds since 1601, values encrypted
// with the host bound into them. Chromium deletes every cookie of a site when one of them cannot
// be decrypted, so each value written is decrypted again before the transaction commits, and the
// database is copied aside (as "<database>.tessel-backup") before the first write of the store's
// life. Names and values are kept as bytes of the reader's character set.
class ChromiumCookieStore : public BrowserCookieStore {
  public:
    static constexpr std::int64_t kSchemaVersion = 24;

    ChromiumCookieStore(std::string databasePath, Clock& clock, BrowserLock& lock,
                        CookieCipher& cipher, CookieCodec& codec);

    std::string BackupPath() const { return DatabasePath() + ".tessel-backup"; }

  protected:
    std::string BrowserName() const override { return "Chromium"; }
    std::string_view Table() const override { return "cookies"; }
    std::string_view HostColumn() const override { return "host_key"; }
    std::string_view OrdinaryContext() const override { return "top_frame_site_key = ''"; }
    std::string_view AccessColumn() const override { return "last_access_utc"; }
    bool CheckSchema(SqlDatabase& database) override;
    bool Load(SqlDatabase& database, const std::vector<std::string_view>* domains,
              CookieSnapshot& snapshot) override;
    std::optional<std::string> Decode(const std::string& bytes) override;
    bool Encode(const std::string& name, const std::string& value, StoredCookie& cookie) override;
    bool Write(SqlDatabase& database, const CookieChange& change,
               const StoredCookie* replaced) override;
    CookieFailure UnreadableReason() override;
    bool BeforeFirstWrite(SqlDatabase& database) override;
    void BatchStarted(SqlDatabase& database) override;
    bool BeforeCommit(SqlDatabase& database) override;

    // Creates path as an empty file that only its owner can read, so that the backup is never
    // readable by others, not even while it is copied; false when it cannot. Without a platform
    // to do so, the copy creates the file and is made private once complete.
    virtual bool CreatePrivateFile(const std::string&) { return true; }

  private:
    struct Written {
        std::string hostKey, name, path, value;
    };

    CookieCipher& cipher_;
    CookieCodec& codec_;
    std::string version_;  // of the encryption the profile's cookies use
    std::vector<Written> written_;
};

}  // namespace tessel
