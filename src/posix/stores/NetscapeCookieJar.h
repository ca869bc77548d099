#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cookies/Clock.h"
#include "cookies/CookieCharset.h"
#include "cookies/CookieStore.h"
#include "cookies/CookieUrl.h"
#include "cookies/CookieWritePlan.h"
#include "cookies/StoredCookie.h"
#include "cookies/jar/CookieJarDocument.h"
#include "posix/charset/CodePage.h"
#include "posix/files/FileLock.h"
#include "posix/files/FileStamp.h"

namespace tessel {

// The cookie store of curl, wget and the browser export tools: a Netscape cookies.txt file.
//
// Reads give what a browser would send (RFC 6265 §5.4). Writes set host-only cookies for the
// address's directory, change only the lines of the cookies written, and replace the file in one
// step, private to its owner, while holding an exclusive lock on the directory that really holds
// the file, so that writers in several processes, through any path to the file, cannot lose each
// other's cookies. The parsed jar is kept until the file changes.
//
// Which stored cookie a write changes, and which it refuses to replace, is PlanCookieWrite's rule.
// What the jar will not do besides, each with its reason in LastFailure: read or write a file that
// does not look like a cookies.txt jar (a database, a binary file, a text without a single jar
// line or the Netscape header), or one named through an open descriptor (/proc/self/fd/3); wait
// for the lock longer than the lock wait.
class NetscapeCookieJar : public CookieStore {
  public:
    NetscapeCookieJar(std::string path, Clock& clock,
                      CookieCharset charset = CookieCharset::kCp932);

    const std::string& Path() const { return path_; }

    // How long a write waits for another program's lock before it fails (five seconds unless
    // set), and what to call once when it starts waiting.
    void SetLockWait(std::chrono::milliseconds wait, std::function<void()> notice = {}) {
        lockWait_ = wait;
        lockNotice_ = std::move(notice);
    }

    std::optional<std::string> InternetGetCookie(const std::string& url,
                                                 const std::string& name) override;
    bool InternetSetCookie(const std::string& url, const std::string& name,
                           const std::string& data) override;

    // BeginWrites locks and reads the jar once; the cookies set until CommitWrites are checked
    // and applied in memory, and CommitWrites writes them in one replacement of the file.
    void BeginWrites() override;
    bool CommitWrites() override;
    void CancelWrites() override;

    // A record holds every line of a cookie of the name that reaches the address over http or
    // https, byte for byte, with its place in the file. Restoring puts those lines back in their
    // places, so that a file nothing else changed meanwhile is again byte for byte as recorded.
    std::optional<std::string> RecordCookie(const std::string& url,
                                            const std::string& name) override;
    bool RestoreCookie(const std::string& url, const std::string& name, const std::string& before,
                       const std::string& written) override;

  private:
    struct Change {
        CookieUrl address;
        std::string name, value;  // in the jar's character set
        std::int64_t expires = 0;
        bool remove = false;
    };

    std::optional<Change> Prepare(const std::string& url, const std::string& name,
                                  const std::string& data);
    bool Apply(const Change& change);
    bool Load();
    std::optional<std::vector<std::string>> Record(const std::string& url, const std::string& name);
    bool Restore(const std::string& url, const std::string& name,
                 const std::vector<std::string>& before, const std::vector<std::string>& written);
    bool RefuseDescriptorPath();
    bool LockAndLoad();
    bool Store();
    bool FailBatch();  // a write in a batch that could not begin
    // The cookies stored for address's host and the domains above it; only those called name
    // when a name is given (in the jar's character set).
    std::vector<StoredCookie> Candidates(const CookieUrl& address, std::string_view name);
    std::optional<std::string> Decode(std::string_view bytes);
    CookieFailure UndecodableReason() const;
    // What a write of name (in the jar's character set) does among cookies, Candidates' answer.
    CookieWritePlan Plan(const CookieUrl& address, std::string_view name,
                         const std::vector<StoredCookie>& cookies);
    std::optional<std::string> Encode(std::string_view text);
    std::int64_t Now();

    std::string path_;
    Clock& clock_;
    CookieCharset charset_;
    CodePageConverter converter_;
    std::unique_ptr<CookieJarDocument> document_;
    std::optional<FileStamp>
        stamp_;  // of the file document_ was read from; empty if it was missing
    FileLock lock_;
    std::chrono::milliseconds lockWait_ = std::chrono::seconds(5);
    std::function<void()> lockNotice_;
    bool inBatch_ = false;
    CookieFailure batchFailure_;  // why the batch could not begin
};

}  // namespace tessel
