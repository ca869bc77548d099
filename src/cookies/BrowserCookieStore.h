#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cookies/BrowserLock.h"
#include "cookies/Clock.h"
#include "cookies/CookieSnapshot.h"
#include "cookies/CookieStore.h"
#include "cookies/CookieUrl.h"
#include "cookies/sqlite/SqlDatabase.h"

namespace tessel {

// What the program asks a browser store to store: a host-only cookie for the address's directory.
struct CookieChange {
    StoredCookie cookie;  // name and value already in the store's character set
    bool remove = false;  // the expiry has passed: the cookie goes
    bool secureScheme = false;
    int port = 80;
};

// The part every browser's SQLite cookie database shares: a batch is one transaction over a
// snapshot of the table, so that reads and writes of many boards cost a lookup each; a write
// outside a batch is a batch of one. The database is opened for each read and each batch and
// closed after it, so that nothing of the program stays in the browser's way.
class BrowserCookieStore : public CookieStore {
  public:
    std::optional<std::string> InternetGetCookie(const std::string& url,
                                                 const std::string& name) override;
    bool InternetSetCookie(const std::string& url, const std::string& name,
                           const std::string& data) override;
    void BeginWrites() override;
    bool CommitWrites() override;
    void CancelWrites() override;

    const std::string& DatabasePath() const { return path_; }

    // Whether a batch could be written now: the browser is closed and the database is one this
    // program knows. LastFailure says why not.
    bool CheckWritable();

  protected:
    BrowserCookieStore(std::string databasePath, Clock& clock, BrowserLock& lock);

    // The browser's name, for reasons ("Firefox").
    virtual std::string BrowserName() const = 0;
    // Checks the schema version and columns; false (with the failure recorded) when they are not
    // the ones this program knows.
    virtual bool CheckSchema(SqlDatabase& database) = 0;
    // Adds the cookies of the given domains, or of every domain when domains is null.
    virtual bool Load(SqlDatabase& database, const std::vector<std::string_view>* domains,
                      CookieSnapshot& snapshot) = 0;
    // The name or value as UTF-8, or empty when it is not readable.
    virtual std::optional<std::string> Decode(const std::string& bytes) = 0;
    // Fills in the change's name and value in the store's own form; false with the failure set.
    virtual bool Encode(const std::string& name, const std::string& value,
                        StoredCookie& cookie) = 0;
    virtual bool Write(SqlDatabase& database, const CookieChange& change,
                       const StoredCookie* replaced) = 0;
    // Why a stored cookie could not be given back.
    virtual std::string UnreadableReason() {
        return BrowserName() + " に保存されているクッキーを読み取れません";
    }
    // Runs once before the first write of this store's life, in no transaction.
    virtual bool BeforeFirstWrite(SqlDatabase&) { return true; }
    // Runs when a batch's transaction has begun and before it commits; false cancels it.
    virtual void BatchStarted(SqlDatabase&) {}
    virtual bool BeforeCommit(SqlDatabase&) { return true; }

    bool FailFromDatabase(const SqlDatabase& database);
    // Whether versionQuery gives version and table has every one of columns; false, with the
    // reason recorded, for a database this program does not know (it is then never written).
    bool CheckSchemaIs(SqlDatabase& database, std::string_view versionQuery, std::int64_t version,
                       std::string_view table, std::span<const std::string_view> columns);
    // sql narrowed to the cookies of domains (each kept with or without a leading dot) by a filter
    // on hostColumn, or sql itself when domains is null; BindDomains then gives the filter its
    // values.
    static std::string ForDomains(std::string sql, std::string_view hostColumn,
                                  const std::vector<std::string_view>* domains);
    static void BindDomains(SqlStatement& query, const std::vector<std::string_view>* domains);
    std::int64_t NowSeconds();
    std::int64_t NowMicroseconds();
    // Microseconds since 1970 that grow with each call, so cookies made in one batch keep their
    // order.
    std::int64_t NextCreation();

  private:
    struct Session {
        explicit Session(const std::string& path) : database(path) {}
        SqlDatabase database;
        CookieSnapshot snapshot;
    };

    std::unique_ptr<Session> Open(bool forWriting);
    std::optional<CookieChange> Prepare(const std::string& url, const std::string& name,
                                        const std::string& data);
    bool Apply(CookieChange change);
    std::optional<std::string> Text(const CookieSnapshot& snapshot, const CookieUrl& address,
                                    const std::string& wanted);

    std::string path_;
    Clock& clock_;
    BrowserLock& lock_;
    std::unique_ptr<Session> batch_;
    CookieFailure batchFailure_;
    bool inBatch_ = false;
    bool written_ = false;  // BeforeFirstWrite has run
    std::int64_t lastCreation_ = 0;
};

}  // namespace tessel
