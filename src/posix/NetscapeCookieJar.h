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
#include "cookies/StoredCookie.h"
#include "posix/CodePage.h"
#include "posix/CookieJarDocument.h"
#include "posix/FileLock.h"
#include "posix/FileStamp.h"

namespace tessel {

// The cookie store of curl, wget and the browser export tools: a Netscape cookies.txt file.
//
// Reads give what a browser would send (RFC 6265 §5.4). Writes set host-only cookies for the
// address's directory, change only the lines of the cookies written, and replace the file in one
// step, private to its owner, while holding an exclusive lock on the directory that really holds
// the file, so that writers in several processes, through any path to the file, cannot lose each
// other's cookies. The parsed jar is kept until the file changes.
//
// What the jar will not do, each with its reason in LastFailure: write over a stored cookie of the
// same name that it cannot read (another character set, a Secure cookie for an http address, an
// HttpOnly cookie); read or write a file that does not look like a cookies.txt jar (a database,
// a binary file, a text without a single jar line or the Netscape header); wait for the lock longer
// than the lock wait.
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

  private:
    struct Change {
        std::string host, path, name, value;  // name and value in the jar's character set
        std::int64_t expires = 0;
        bool remove = false;
        bool secureRequest = false;  // set from an https address
    };

    std::optional<Change> Prepare(const std::string& url, const std::string& name,
                                  const std::string& data);
    bool Apply(const Change& change);
    bool Load();
    bool LockAndLoad();
    bool Store();
    bool FailBatch();  // a write in a batch that could not begin
    // The cookies stored for address's host and the domains above it; only those called name
    // when a name is given (in the jar's character set).
    std::vector<StoredCookie> Candidates(const CookieUrl& address, std::string_view name);
    std::optional<std::string> Decode(std::string_view bytes);
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
