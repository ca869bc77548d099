#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <limits>
#include <map>
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
    ChromiumCipher cipher{{}, nullptr};
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
        {"newer version",
         [&] {
             TestDatabase(path).Exec(Firefox()
                                         ? "PRAGMA user_version = 18"
                                         : "UPDATE meta SET value = '25' WHERE key = 'version'");
         },
         "n", "v" + kExpires, CookieFailureKind::kStoreUnusable,
         CookieProblem::kUnknownStoreVersion},
        {"older version",
         [&] {
             TestDatabase(path).Exec(Firefox()
                                         ? "PRAGMA user_version = 11"
                                         : "UPDATE meta SET value = '17' WHERE key = 'version'");
         },
         "n", "v" + kExpires, CookieFailureKind::kStoreUnusable, CookieProblem::kOldStoreVersion},
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

// Each schema version as its browser writes it: the expiry in the version's unit and cut to 400
// days, the version's code for SameSite not set, the value bound to its host only from Chromium 24;
// it reads back, and the write is undone exactly.
TEST_P(BrowserStoreTest, EveryKnownVersionIsWrittenInItsOwnTerms) {
    const std::string fx = "1831021623", cr = "13475495223000000 -1 ";
    const std::map<int, std::string> rows =
        Firefox() ? std::map<int, std::string>{{12, fx + " 0 0"},    {13, fx + " 0 0"},
                                               {14, fx + " 0 0"},    {15, fx + " 256"},
                                               {16, fx + "000 256"}, {17, fx + "000 256"}}
                  : std::map<int, std::string>{{18, cr + "unbound"}, {19, cr + "unbound"},
                                               {20, cr + "unbound"}, {21, cr + "unbound"},
                                               {22, cr + "unbound"}, {23, cr + "unbound"},
                                               {24, cr + "bound"}};
    const std::string farAway = "; expires=Fri, 01-Jan-2038 00:00:00 GMT";
    const std::string table = Firefox() ? "SELECT * FROM moz_cookies" : "SELECT * FROM cookies";
    for (const auto& [version, row] : rows) {
        SCOPED_TRACE(version);
        std::filesystem::remove(path);
        Firefox() ? testing::CreateFirefoxDatabase(path, version)
                  : testing::CreateChromiumDatabase(path, version);
        store = Open(CookieCharset::kCp932);
        ASSERT_TRUE(store->InternetSetCookie(kUrl, "n", "old" + farAway));
        const std::string before = *store->RecordCookie(kUrl, "n");
        const auto old = TestDatabase(path).Rows(table);
        ASSERT_TRUE(store->InternetSetCookie(kUrl, "n", "new" + farAway));
        EXPECT_EQ(store->InternetGetCookie(kUrl, "n"), "n=new");
        auto written = TestDatabase(path).Rows(
            Firefox()
                ? "SELECT expiry || ' ' || sameSite" +
                      std::string(version < 15 ? " || ' ' || rawSameSite" : "") +
                      " FROM moz_cookies"
                : "SELECT expires_utc || ' ' || samesite || ' ', encrypted_value FROM cookies")[0];
        if (!Firefox()) {
            written[0] += cipher.Decrypt(std::nullopt, written[1]) == "new"       ? "unbound"
                          : cipher.Decrypt("bbs.example.jp", written[1]) == "new" ? "bound"
                                                                                  : "neither";
        }
        EXPECT_EQ(written[0], row);
        EXPECT_TRUE(store->RestoreCookie(kUrl, "n", before, *store->RecordCookie(kUrl, "n")));
        EXPECT_EQ(TestDatabase(path).Rows(table), old);
    }
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
    OneWayCipher() : ChromiumCipher({}, nullptr) {}
    std::optional<std::string> Decrypt(std::optional<std::string_view>, std::string_view) override {
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
    const mode_t umaskWas = umask(0);  // SQLite would make the backup readable by all
    const bool written = store->InternetSetCookie(kUrl, "first", "1" + kExpires);
    umask(umaskWas);
    ASSERT_TRUE(written);
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

// A keyring password is used only once it has decrypted a value of the profile; otherwise values
// go as v10, which every browser of the family reads. A value no key reads is never replaced.
TEST_P(ChromiumStoreTest, WritesWithTheKeyThatProvedItselfOrV10) {
    const std::map<std::string, std::string> keyring = {{"chromium", "mium"}, {"chrome", "chro"}};
    const struct {
        std::string seedVersion, seedPassword;  // of the value already in the profile
        std::vector<std::string> applications;  // the keyring is asked under, in order
        std::string writtenWith;   // the password the new value is under (v10's: "peanuts")
        CookieProblem unreadable;  // why the seeded value cannot be read; kNone: it can
    } cases[] = {
        // Chrome's profile as Chromium's.
        {"v11", "chro", {"chromium", "chrome"}, "chro", CookieProblem::kNone},
        {"v11", "chro", {"chromium"}, "peanuts", CookieProblem::kKeyringKeysMisfit},
        {"v11", "chro", {}, "peanuts", CookieProblem::kKeyringNeeded},  // no Secret Service
        // Nothing to prove a password on.
        {"", "", {"chromium", "chrome"}, "peanuts", CookieProblem::kNone},
        {"v10", "peanuts", {"chromium", "chrome"}, "peanuts", CookieProblem::kNone},
        {"v12", "portal", {"chromium", "chrome"}, "peanuts", CookieProblem::kPortalKey},
    };
    const std::string seedUrl = "http://seed.example.jp/";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seedVersion + " " + std::to_string(c.applications.size()));
        TestDatabase(path).Exec("DELETE FROM cookies");
        if (!c.seedVersion.empty())
            testing::SeedChromiumValue(path, "seed.example.jp", c.seedVersion, c.seedPassword);
        ChromiumCipher keyed(c.applications, [&](const std::string& application) {
            const auto found = keyring.find(application);
            return found == keyring.end() ? std::nullopt
                                          : std::optional<std::string>(found->second);
        });
        ChromiumCookieStore chromium(path, clock, lock, keyed, *codec);
        ASSERT_TRUE(chromium.InternetSetCookie(kUrl, "n", "v" + kExpires))
            << static_cast<int>(chromium.LastFailure().problem);
        const std::string version = c.writtenWith == "peanuts" ? "v10" : "v11";
        EXPECT_EQ(TestDatabase(path).Rows("SELECT encrypted_value FROM cookies WHERE name = 'n'"),
                  (std::vector<std::vector<std::string>>{{testing::EncryptChromiumValue(
                      version, c.writtenWith, "bbs.example.jp", "v")}}));
        EXPECT_EQ(keyed.FellBack(), c.seedVersion == "v11" && version == "v10");
        if (c.unreadable == CookieProblem::kNone)
            continue;
        EXPECT_EQ(chromium.InternetGetCookie(seedUrl, "s"), "");
        EXPECT_EQ(chromium.LastFailure().details.cause, c.unreadable);
        EXPECT_FALSE(chromium.InternetSetCookie(seedUrl, "s", "new" + kExpires));
        EXPECT_EQ(chromium.LastFailure().kind, CookieFailureKind::kUnreadable);
    }
}

}  // namespace
}  // namespace tessel
