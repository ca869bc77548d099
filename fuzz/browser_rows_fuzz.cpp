// The browsers' cookie rows: whatever a Firefox or Chromium database holds in a row, the store
// reads it or passes it over, and a cookie written beside it reads back.
#include <sqlite3.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "cookies/BrowserLock.h"
#include "cookies/ChromiumCookieStore.h"
#include "cookies/FirefoxCookieStore.h"
#include "posix/browsers/ChromiumCipher.h"
#include "posix/charset/CharsetCookieCodec.h"

using namespace tessel;

namespace {

constexpr char kUrl[] = "http://bbs.example.jp/b/bbs.cgi";

class FreeLock : public BrowserLock {
  public:
    CookieFailure InUseReason() override { return {}; }
};

// The schemas the stores are written for, as the browsers make them.
constexpr char kFirefoxSchema[] =
    "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '',"
    " name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER,"
    " creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER"
    " DEFAULT 0, sameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0,"
    " isPartitionedAttributeSet INTEGER DEFAULT 0, updateTime INTEGER, CONSTRAINT moz_uniqueid"
    " UNIQUE (name, host, path, originAttributes)); PRAGMA user_version = 17;";
constexpr char kFirefoxRow[] =
    "INSERT INTO moz_cookies (host, path, name, value, expiry, creationTime, isSecure,"
    " isHttpOnly, lastAccessed, updateTime) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, 0, 0)";
constexpr char kChromiumSchema[] =
    "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
    " INSERT INTO meta VALUES ('mmap_status', '-1'), ('version', '24'),"
    " ('last_compatible_version', '24');"
    " CREATE TABLE cookies(creation_utc INTEGER NOT NULL,host_key TEXT NOT NULL,"
    "top_frame_site_key TEXT NOT NULL,name TEXT NOT NULL,value TEXT NOT NULL,encrypted_value "
    "BLOB NOT NULL,path TEXT NOT NULL,expires_utc INTEGER NOT NULL,is_secure INTEGER NOT "
    "NULL,is_httponly INTEGER NOT NULL,last_access_utc INTEGER NOT NULL,has_expires INTEGER "
    "NOT NULL,is_persistent INTEGER NOT NULL,priority INTEGER NOT NULL,samesite INTEGER NOT "
    "NULL,source_scheme INTEGER NOT NULL,source_port INTEGER NOT NULL,last_update_utc "
    "INTEGER NOT NULL,source_type INTEGER NOT NULL,has_cross_site_ancestor INTEGER NOT NULL);"
    " CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, top_frame_site_key,"
    " has_cross_site_ancestor, name, path, source_scheme, source_port);";
constexpr char kChromiumRow[] =
    "INSERT INTO cookies VALUES (?6, ?1, '', ?3, ?4, ?9, ?2, ?5, ?7, ?8, 0, 1, 1, 1, 0, 0, 0,"
    " 0, 0, 0)";

// A new database of the schema holding one row made from the fields.
bool MakeDatabase(const std::string& path, const char* schema, const char* row,
                  const std::array<std::string_view, 9>& fields) {
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    bool made = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                sqlite3_exec(db, schema, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* statement = nullptr;
    if (made && sqlite3_prepare_v2(db, row, -1, &statement, nullptr) == SQLITE_OK) {
        // Text as text and blobs as blobs, each taking the column's affinity, so that numbers
        // arrive as numbers, and anything else as whatever it is.
        for (int i = 0; i < 9; ++i) {
            const auto size = static_cast<int>(fields[static_cast<std::size_t>(i)].size());
            const char* bytes = fields[static_cast<std::size_t>(i)].data();
            if (i == 3 || i == 8)
                sqlite3_bind_blob(statement, i + 1, bytes, size, SQLITE_TRANSIENT);
            else
                sqlite3_bind_text(statement, i + 1, bytes, size, SQLITE_TRANSIENT);
        }
        made = sqlite3_step(statement) == SQLITE_DONE;
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return made;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool firefox = (data[0] & 1) != 0;
    const bool utf8 = (data[0] & 2) != 0;
    // host, path, name, value, expiry, creation, secure, HttpOnly, encrypted value
    std::array<std::string_view, 9> fields{"bbs.example.jp", "/", "n", "v", "0", "1", "0", "0", ""};
    std::string_view rest = fuzz::AsText(data + 1, size - 1);
    for (std::size_t i = 0; i < fields.size() && !rest.empty(); ++i) {
        const auto [field, after] = fuzz::SplitAtNul(rest);
        fields[i] = field;
        rest = after;
    }
    // The newest schemas stand for the older versions with the same columns (Firefox 15 and 16,
    // Chromium 21 to 23), whose rows mean other units or bind no host.
    const int older = (data[0] >> 2) % (firefox ? 3 : 4);
    const std::string schema =
        firefox ? kFirefoxSchema + ("PRAGMA user_version = " + std::to_string(17 - older) + ";")
                : kChromiumSchema + (" UPDATE meta SET value = '" + std::to_string(24 - older) +
                                     "' WHERE key = 'version';");
    const std::string path = fuzz::ScratchPath(firefox ? "cookies.sqlite" : "Cookies");
    if (!MakeDatabase(path, schema.c_str(), firefox ? kFirefoxRow : kChromiumRow, fields))
        return 0;  // a row the schema refuses

    fuzz::FixedClock clock;
    FreeLock lock;
    ChromiumCipher cipher{{}, nullptr};
    CharsetCookieCodec codec(utf8 ? CookieCharset::kUtf8 : CookieCharset::kCp932);
    const auto open = [&]() -> std::unique_ptr<BrowserCookieStore> {
        if (firefox)
            return std::make_unique<FirefoxCookieStore>(path, clock, lock, utf8);
        return std::make_unique<ChromiumCookieStore>(path, clock, lock, cipher, codec);
    };
    {
        auto store = open();
        store->InternetGetCookie(kUrl, std::string(fields[2]));
        if (!store->InternetSetCookie(kUrl, "fuzzname",
                                      "v1; expires=Sun, 04-Apr-2027 09:07:03 GMT"))
            return 0;
    }
    const auto text = open()->InternetGetCookie(kUrl, "fuzzname");
    fuzz::Check(text && text->find("fuzzname=v1") != std::string::npos,
                "a cookie written beside the row reads back");
    return 0;
}
