#pragma once

#include <chrono>
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
#include "cookies/CookieWritePlan.h"
#include "cookies/sqlite/SqlDatabase.h"

namespace tessel {

// What the program asks a browser store to store: a host-only cookie for the address's directory,
// or, where PlanCookieWrite says so, the value of a cookie already stored, whose domain, path and
// flags the cookie then carries.
struct CookieChange {
    StoredCookie cookie;  // name and value already in the store's character set
    CookieUrl address;
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

    // A record holds every row of the table for a cookie of the name that reaches the address
    // over http or https, every column as stored. Restoring deletes the rows there are now and
    // inserts the recorded ones as they were; when a row is compared with a record, the time the
    // browser last sent it does not count.
    std::optional<std::string> RecordCookie(const std::string& url,
                                            const std::string& name) override;
    bool RestoreCookie(const std::string& url, const std::string& name, const std::string& before,
                       const std::string& written) override;

    const std::string& DatabasePath() const { return path_; }

    // How long a read or write waits for another program's hold on the database before it fails
    // (five seconds unless set), as the jar waits for its lock.
    void SetBusyWait(std::chrono::milliseconds wait) { busyWait_ = wait; }

    // Whether a batch could be written now: the browser is closed and the database is one this
    // program knows. LastFailure says why not.
    bool CheckWritable();

  protected:
    BrowserCookieStore(std::string databasePath, Clock& clock, BrowserLock& lock);

    // The browser's name, for the details of its failures ("Firefox").
    virtual std::string BrowserName() const = 0;
    // The table of cookies; its host column; the condition that keeps to the ordinary browsing
    // context; the column of the time a cookie was last sent.
    virtual std::string_view Table() const = 0;
    virtual std::string_view HostColumn() const = 0;
    virtual std::string_view OrdinaryContext() const = 0;
    virtual std::string_view AccessColumn() const = 0;
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
    // Stores the change; replaced is the stored cookie it updates in place (none: a new cookie).
    virtual bool Write(SqlDatabase& database, const CookieChange& change,
                       const StoredCookie* replaced) = 0;
    // Why a stored value could not be given back.
    virtual CookieFailure UnreadableReason() {
        return MakeFailure(CookieProblem::kStoredReplacedByBrowser,
                           CookieDetails().Name(BrowserName()));
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
        Session(const std::string& path, std::chrono::milliseconds wait)
            : database(path, static_cast<int>(wait.count())) {}
        SqlDatabase database;
        CookieSnapshot snapshot;
    };

    std::unique_ptr<Session> Open(bool forWriting);
    // The record's fields: the column names joined by ",", then each row's values (SqlStatement's
    // Value), rowid first.
    std::optional<std::vector<std::string>> Record(SqlDatabase& database, const std::string& url,
                                                   const std::string& name);
    bool Restore(const std::string& url, const std::string& name,
                 const std::vector<std::string>& before, const std::vector<std::string>& written);
    std::optional<CookieChange> Prepare(const std::string& url, const std::string& name,
                                        const std::string& data);
    bool Apply(CookieChange change);
    std::optional<std::string> Text(const CookieSnapshot& snapshot, const CookieUrl& address,
                                    const std::string& wanted);
    // PlanCookieWrite over the snapshot's cookies for address that match; the plan's target is
    // the snapshot's own cookie.
    template <typename Matches>
    CookieWritePlan Plan(const CookieSnapshot& snapshot, const CookieUrl& address, Matches matches);

    std::string path_;
    std::chrono::milliseconds busyWait_ = std::chrono::seconds(5);
    Clock& clock_;
    BrowserLock& lock_;
    std::unique_ptr<Session> batch_;
    CookieFailure batchFailure_;
    bool inBatch_ = false;
    bool written_ = false;  // BeforeFirstWrite has run
    std::int64_t lastCreation_ = 0;
};

}  // namespace tessel
