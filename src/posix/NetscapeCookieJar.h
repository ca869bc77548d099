#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "board/Clock.h"
#include "board/CookieStore.h"
#include "posix/CodePage.h"
#include "posix/CookieCharset.h"
#include "posix/CookieJarDocument.h"
#include "posix/FileLock.h"
#include "posix/FileStamp.h"

namespace tessel {

// The cookie store of curl, wget and the browser export tools: a Netscape cookies.txt file.
//
// Reads give what a browser would send (RFC 6265 §5.4). Writes set host-only cookies for the
// address's directory, change only the lines of the cookies written, and replace the file in one
// step while holding an exclusive lock on "<jar>.lock", so that writers in several processes
// cannot lose each other's cookies. The parsed jar is kept until the file changes.
class NetscapeCookieJar : public CookieStore {
  public:
    NetscapeCookieJar(std::string path, Clock& clock,
                      CookieCharset charset = CookieCharset::kCp932);

    const std::string& Path() const { return path_; }

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
    };

    std::optional<Change> Prepare(const std::string& url, const std::string& name,
                                  const std::string& data);
    bool Apply(const Change& change);
    bool Load();
    bool LockAndLoad();
    bool Store();
    std::optional<std::string> Decode(std::string_view bytes);
    std::int64_t Now();

    std::string path_;
    std::string lockPath_;
    Clock& clock_;
    CookieCharset charset_;
    CodePageConverter converter_;
    std::unique_ptr<CookieJarDocument> document_;
    std::optional<FileStamp>
        stamp_;  // of the file document_ was read from; empty if it was missing
    FileLock lock_;
    bool inBatch_ = false;
};

}  // namespace tessel
