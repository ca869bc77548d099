#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <memory>
#include <string>

#include "BrowserDatabases.h"
#include "cookies/ChromiumCookieStore.h"
#include "cookies/FirefoxCookieStore.h"
#include "posix/browsers/ChromiumCipher.h"
#include "posix/charset/CharsetCookieCodec.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using testing::TestDatabase;

const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";
const std::string kExpires = "; expires=Sun, 04-Apr-2027 09:07:03 GMT";
constexpr std::int64_t kChromiumEpoch = 11644473600;  // seconds from 1601 to 1970

class FakeLock : public BrowserLock {
  public:
    CookieFailure InUseReason() override { return reason; }
    CookieFailure reason;
};

enum class Browser { kFirefox, kChromium };

// One browser's database and store, and how a test reads the table behind it.
class BrowserStoreTest : public ::testing::TestWithParam<Browser> {
  protected:
    void SetUp() override {
        if (Firefox()) {
            path = dir.File("cookies.sqlite");
            testing::CreateFirefoxDatabase(path);
        } else {
            path = dir.File("Cookies");
            testing::CreateChromiumDatabase(path);
        }
        store = Open(CookieCharset::kCp932);
    }

    bool Firefox() const { return GetParam() == Browser::kFirefox; }

    std::unique_ptr<BrowserCookieStore> Open(CookieCharset charset) {
        codec = std::make_unique<CharsetCookieCodec>(charset);
        if (Firefox()) {
            return std::make_unique<FirefoxCookieStore>(path, clock, lock,
                                                        charset == CookieCharset::kUtf8);
        }
        return std::make_unique<ChromiumCookieStore>(path, clock, lock, cipher, *codec);
    }

    // host, path, name and expiry (seconds since 1970) of every row, one line each.
    std::string Table() {
        TestDatabase database(path);
        const std::string sql =
            Firefox() ? "SELECT host, path, name, expiry / 1000 FROM moz_cookies ORDER BY id"
                      : "SELECT host_key, path, name, expires_utc / 1000000 - " +
                            std::to_string(kChromiumEpoch) + " FROM cookies ORDER BY rowid";
        std::string text;
        for (const auto& row : database.Rows(sql))
            text += row[0] + " " + row[1] + " " + row[2] + " " + row[3] + "\n";
        return text;
    }

    // Adds a cookie as the browser would have stored it.
    void Insert(const std::string& host, const std::string& cookiePath, const std::string& name,
                const std::string& value, int created, bool httpOnly = false) {
        TestDatabase database(path);
        const std::string flags = httpOnly ? "1" : "0";
        if (Firefox()) {
            database.Exec(
                "INSERT INTO moz_cookies (name, value, host, path, expiry, creationTime, "
                "isSecure, isHttpOnly) VALUES ('" +
                name + "', '" + value + "', '" + host + "', '" + cookiePath + "', 1806829623000, " +
                std::to_string(created) + ", 0, " + flags + ")");
            return;
        }
        database.Exec("INSERT INTO cookies VALUES (" + std::to_string(created) + ", '" + host +
                      "', '', '" + name + "', '" + value + "', x'', '" + cookiePath +
                      "', 13451303223000000, 0, " + flags + ", 0, 1, 1, 1, -1, 1, 80, 0, 1, 0)");
    }

    testing::TempDir dir;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    FakeLock lock;
    ChromiumCipher cipher{[] { return std::nullopt; }};
    std::unique_ptr<CharsetCookieCodec> codec;
    std::string path;
    std::unique_ptr<BrowserCookieStore> store;
};

TEST_P(BrowserStoreTest, WritesHostOnlyCookiesAndReadsThemInBrowserOrder) {
    ASSERT_TRUE(store->InternetSetCookie(kUrl, kUrl, "a,b" + kExpires));
    ASSERT_TRUE(store->InternetSetCookie(kUrl, kUrl, "c,d" + kExpires));  // replaces it
    Insert(".example.jp", "/", "domainwide", "1", 1);
    Insert("other.example.jp", "/", "elsewhere", "2", 2);
    EXPECT_EQ(Table(), "bbs.example.jp /cgi-bin/ " + kUrl +
                           " 1806829623\n"
                           ".example.jp / domainwide 1806829623\n"
                           "other.example.jp / elsewhere 1806829623\n");
    EXPECT_EQ(store->InternetGetCookie(kUrl, kUrl), kUrl + "=c,d; domainwide=1");
    EXPECT_EQ(store->InternetGetCookie("http://example.jp/", ""), "domainwide=1");
}

TEST_P(BrowserStoreTest, BatchIsOneTransaction) {
    store->BeginWrites();
    EXPECT_TRUE(store->InternetSetCookie(kUrl, "one", "1" + kExpires));
    EXPECT_TRUE(store->InternetSetCookie("http://x.example.jp/", "two", "2" + kExpires));
    EXPECT_EQ(store->InternetGetCookie(kUrl, "one"), "one=1");  // the batch sees its own writes
    store->CancelWrites();
    EXPECT_EQ(Table(), "");

    store->BeginWrites();
    EXPECT_TRUE(store->InternetSetCookie(kUrl, "one", "1" + kExpires));
    EXPECT_TRUE(store->InternetSetCookie(kUrl, "two", "2" + kExpires));
    EXPECT_TRUE(store->CommitWrites());
    EXPECT_EQ(store->InternetGetCookie(kUrl, ""), "one=1; two=2");
}

TEST_P(BrowserStoreTest, RefusalsLeaveTheDatabaseAsItWas) {
    Insert("bbs.example.jp", "/cgi-bin/", "guarded", "x", 1, /*httpOnly=*/true);
    const std::string before = Table();
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::string name, data;
        CookieFailureKind kind;
        CookieProblem problem;
    } cases[] = {
        {"browser running", [&] { lock.reason = MakeFailure(CookieProblem::kFirefoxRunning); }, "n",
         "v" + kExpires, CookieFailureKind::kStoreBusy, CookieProblem::kFirefoxRunning},
        {"HttpOnly cookie", [] {}, "guarded", "v" + kExpires, CookieFailureKind::kUnreadable,
         CookieProblem::kStoredHttpOnly},
        {"control character", [] {}, "n", "a\tb" + kExpires, CookieFailureKind::kBadCharacter,
         CookieProblem::kControlCharacter},
        {"session cookie", [] {}, "n", "v", CookieFailureKind::kStoreUnusable,
         CookieProblem::kNeedsExpiry},
        {"unknown version",
         [&] {
             TestDatabase(path).Exec(Firefox()
                                         ? "PRAGMA user_version = 18"
                                         : "UPDATE meta SET value = '25' WHERE key = 'version'");
         },
         "n", "v" + kExpires, CookieFailureKind::kStoreUnusable,
         CookieProblem::kUnknownStoreVersion},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        EXPECT_FALSE(store->InternetSetCookie(kUrl, c.name, c.data));
        EXPECT_EQ(store->LastFailure().kind, c.kind);
        EXPECT_EQ(store->LastFailure().problem, c.problem);
        EXPECT_EQ(Table(), before);
        lock.reason = {};
    }
    // A database of an unknown version is not read either.
    EXPECT_FALSE(store->InternetGetCookie(kUrl, ""));
}

TEST_P(BrowserStoreTest, ExpiredDateRemovesTheCookie) {
    ASSERT_TRUE(store->InternetSetCookie(kUrl, "n", "v" + kExpires));
    ASSERT_TRUE(store->InternetSetCookie(kUrl, "n", "v; expires=Thu, 01-Jan-1970 00:00:00 GMT"));
    EXPECT_EQ(Table(), "");
}

TEST_P(BrowserStoreTest, JapaneseTextAsEachBrowserCarriesIt) {
    const std::string japanese = "名無し";
    const bool stored = store->InternetSetCookie(kUrl, kUrl, japanese + kExpires);
    if (Firefox()) {
        // Firefox would turn Shift_JIS bytes into U+FFFD: refused unless UTF-8 was chosen.
        EXPECT_FALSE(stored);
        EXPECT_EQ(store->LastFailure().kind, CookieFailureKind::kUnencodable);
        EXPECT_EQ(store->LastFailure().details.character, "名");
        store = Open(CookieCharset::kUtf8);
        ASSERT_TRUE(store->InternetSetCookie(kUrl, kUrl, japanese + kExpires));
        EXPECT_EQ(TestDatabase(path).Rows("SELECT value FROM moz_cookies")[0][0], japanese);
    } else {
        ASSERT_TRUE(stored);
        const std::string encrypted =
            TestDatabase(path).Rows("SELECT encrypted_value FROM cookies")[0][0];
        EXPECT_EQ(encrypted.substr(0, 3), "v10");
        EXPECT_EQ(cipher.Decrypt("bbs.example.jp", encrypted), "\x96\xBC\x96\xB3\x82\xB5");
    }
    EXPECT_EQ(store->InternetGetCookie(kUrl, kUrl), kUrl + "=" + japanese);
}

INSTANTIATE_TEST_SUITE_P(Browsers, BrowserStoreTest,
                         ::testing::Values(Browser::kFirefox, Browser::kChromium),
                         [](const auto& param) {
                             return param.param == Browser::kFirefox ? "Firefox" : "Chromium";
                         });

// What only one of the browsers does, over the same database and store.
class FirefoxStoreTest : public BrowserStoreTest {};
class ChromiumStoreTest : public BrowserStoreTest {};
INSTANTIATE_TEST_SUITE_P(Only, FirefoxStoreTest, ::testing::Values(Browser::kFirefox));
INSTANTIATE_TEST_SUITE_P(Only, ChromiumStoreTest, ::testing::Values(Browser::kChromium));

// Encrypts as the real cipher does but cannot decrypt: what a key mismatch looks like.
class OneWayCipher : public ChromiumCipher {
  public:
    OneWayCipher() : ChromiumCipher([] { return std::nullopt; }) {}
    std::optional<std::string> Decrypt(std::string_view, std::string_view) override {
        return std::nullopt;
    }
};

TEST_P(FirefoxStoreTest, BusyDatabaseAndUnreadableTextHaveTheirReasons) {
    Insert("bbs.example.jp", "/cgi-bin/", kUrl, "a\xEF\xBF\xBD", 1);
    store = Open(CookieCharset::kUtf8);
    EXPECT_EQ(store->InternetGetCookie(kUrl, kUrl), "");
    EXPECT_EQ(store->LastFailure().kind, CookieFailureKind::kUnreadable);

    // A program holding the database in exclusive mode, waited for a while and named.
    store->SetBusyWait(std::chrono::milliseconds(100));
    TestDatabase firefox(path);
    firefox.Exec("PRAGMA locking_mode = EXCLUSIVE");
    firefox.Exec("BEGIN EXCLUSIVE");
    EXPECT_FALSE(store->InternetGetCookie(kUrl, kUrl));
    EXPECT_EQ(store->LastFailure().kind, CookieFailureKind::kStoreBusy);
    EXPECT_FALSE(store->InternetSetCookie(kUrl, "n", "v" + kExpires));
    EXPECT_EQ(store->LastFailure().kind, CookieFailureKind::kStoreBusy);
    EXPECT_EQ(store->LastFailure().problem, CookieProblem::kDatabaseBusy);
    firefox.Exec("COMMIT");
}

TEST_P(ChromiumStoreTest, KeepsABackupAndNeverCommitsWhatItCannotDecrypt) {
    ASSERT_TRUE(store->InternetSetCookie(kUrl, "first", "1" + kExpires));
    ASSERT_TRUE(store->InternetSetCookie(kUrl, "second", "2" + kExpires));
    // The backup is of the database before the first write of the store's life.
    const std::string backup = static_cast<ChromiumCookieStore&>(*store).BackupPath();
    EXPECT_EQ(TestDatabase(backup).Rows("SELECT count(*) FROM cookies")[0][0], "0");
    EXPECT_EQ(std::filesystem::status(backup).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    store.reset();
    OneWayCipher broken;
    ChromiumCookieStore other(path, clock, lock, broken, *codec);
    EXPECT_FALSE(other.InternetSetCookie(kUrl, "third", "3" + kExpires));
    EXPECT_EQ(other.LastFailure().problem, CookieProblem::kUnsafeToWrite);
    EXPECT_FALSE(other.InternetSetCookie(kUrl, "first", "changed" + kExpires));
    EXPECT_EQ(other.LastFailure().kind, CookieFailureKind::kUnreadable);
    EXPECT_EQ(cipher.Decrypt("bbs.example.jp",
                             TestDatabase(path).Rows("SELECT encrypted_value FROM cookies WHERE "
                                                     "name = 'first'")[0][0]),
              "1");
}

// Found by browser_rows_fuzz: times at the ends of the integer range overflowed on the way to 1970.
TEST_P(ChromiumStoreTest, TimesAtTheEndsOfTheIntegerRangeReadAsTheEarliestAndLatest) {
    const std::string min = std::to_string(std::numeric_limits<std::int64_t>::min());
    const std::string max = std::to_string(std::numeric_limits<std::int64_t>::max());
    TestDatabase(path).Exec("INSERT INTO cookies VALUES (" + min +
                            ", 'bbs.example.jp', '', 'old', '1', '', '/', " + min +
                            ", 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0), (" + max +
                            ", 'bbs.example.jp', '', 'late', '2', '', '/', " + max +
                            ", 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0)");
    EXPECT_EQ(store->InternetGetCookie(kUrl, ""), "late=2");
    EXPECT_TRUE(store->InternetSetCookie(kUrl, "new", "3" + kExpires));
}

TEST_P(ChromiumStoreTest, KeyringKeyIsUsedWhereTheProfileUsesIt) {
    ChromiumCipher keyring([] { return std::optional<std::string>("secret"); });
    {
        ChromiumCookieStore withKey(path, clock, lock, keyring, *codec);
        ASSERT_TRUE(withKey.InternetSetCookie(kUrl, "n", "v" + kExpires));
        EXPECT_EQ(withKey.InternetGetCookie(kUrl, "n"), "n=v");
    }
    const std::string encrypted =
        TestDatabase(path).Rows("SELECT encrypted_value FROM cookies")[0][0];
    EXPECT_EQ(encrypted.substr(0, 3), "v11");
    store = Open(CookieCharset::kCp932);  // without the keyring's key
    EXPECT_EQ(store->InternetGetCookie(kUrl, "n"), "");
    EXPECT_EQ(store->LastFailure().kind, CookieFailureKind::kUnreadable);
    EXPECT_EQ(store->LastFailure().details.cause, CookieProblem::kKeyringNeeded);
    EXPECT_FALSE(store->InternetSetCookie(kUrl, "n", "w" + kExpires));
    EXPECT_EQ(store->LastFailure().details.cause, CookieProblem::kKeyringNeeded);
    EXPECT_EQ(keyring.Decrypt("bbs.example.jp",
                              TestDatabase(path).Rows("SELECT encrypted_value FROM cookies")[0][0]),
              "v");
    // A value moved to another host does not decrypt there.
    EXPECT_FALSE(keyring.Decrypt("evil.example.jp", encrypted));
}

}  // namespace
}  // namespace tessel
