#pragma once

#include "cookies/BrowserCookieStore.h"

namespace tessel {

// The cookies of a Firefox profile: the table moz_cookies of its cookies.sqlite.
//
// Only the schemas this program knows are read or written (user_version 12 to 17, each as
// Firefox of that version writes it; times in microseconds since 1970, the expiry in seconds up
// to 15 and in milliseconds from 16); a cookie is keyed by name, host, path and origin
// attributes, and the program's cookies belong to the ordinary browsing context (no origin
// attributes). Firefox keeps text as UTF-8 and turns other bytes into U+FFFD, so Japanese text is
// written only when the reader chose UTF-8.
class FirefoxCookieStore : public BrowserCookieStore {
  public:
    static constexpr std::int64_t kOldestVersion = 12;
    static constexpr std::int64_t kNewestVersion = 17;

    FirefoxCookieStore(std::string databasePath, Clock& clock, BrowserLock& lock, bool utf8);

  protected:
    std::string BrowserName() const override { return "Firefox"; }
    std::string_view Table() const override { return "moz_cookies"; }
    std::string_view HostColumn() const override { return "host"; }
    std::string_view OrdinaryContext() const override { return "originAttributes = ''"; }
    std::string_view AccessColumn() const override { return "lastAccessed"; }
    bool CheckSchema(SqlDatabase& database) override;
    bool Load(SqlDatabase& database, const std::vector<std::string_view>* domains,
              CookieSnapshot& snapshot) override;
    std::optional<std::string> Decode(const std::string& bytes) override;
    bool Encode(const std::string& name, const std::string& value, StoredCookie& cookie) override;
    bool Write(SqlDatabase& database, const CookieChange& change,
               const StoredCookie* replaced) override;

  private:
    bool utf8_;
};

}  // namespace tessel
