#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <limits>
#include <map>

#include "BrowserDatabases.h"
#include "cookies/ChromiumCookieStore.h"
#include "cookies/FirefoxCookieStore.h"
#include "posix/BrowserProfileLocks.h"
#include "posix/BrowserProfiles.h"
#include "posix/CharsetCookieCodec.h"
#include "posix/ChromiumCipher.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using testing::TestDatabase;

const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";
const std::string kExpires = "; expires=Sun, 04-Apr-2027 09:07:03 GMT";

class NoLock : public BrowserLock {
  public:
    std::string InUseReason() override { return {}; }
};

// Encrypts as the real cipher does but cannot decrypt: what a key mismatch looks like.
class OneWayCipher : public ChromiumCipher {
  public:
    OneWayCipher() : ChromiumCipher([] { return std::nullopt; }) {}
    std::optional<std::string> Decrypt(std::string_view, std::string_view) override {
        return std::nullopt;
    }
};

struct Fixture {
    testing::TempDir dir;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    NoLock lock;
    CharsetCookieCodec codec{CookieCharset::kCp932};
};

TEST(FirefoxStoreTest, BusyDatabaseAndUnreadableTextHaveTheirReasons) {
    Fixture f;
    const std::string path = f.dir.File("cookies.sqlite");
    testing::CreateFirefoxDatabase(path);
    TestDatabase(path).Exec("INSERT INTO moz_cookies (name, value, host, path, expiry) VALUES ('" +
                            kUrl +
                            "', 'a\xEF\xBF\xBD', 'bbs.example.jp', '/cgi-bin/', 1806829623000)");
    FirefoxCookieStore store(path, f.clock, f.lock, true);
    EXPECT_EQ(store.InternetGetCookie(kUrl, kUrl), "");
    EXPECT_EQ(store.LastFailure().kind, CookieFailureKind::kUnreadable);

    // A running Firefox holds its database in exclusive mode.
    TestDatabase firefox(path);
    firefox.Exec("PRAGMA locking_mode = EXCLUSIVE");
    firefox.Exec("BEGIN EXCLUSIVE");
    EXPECT_FALSE(store.InternetGetCookie(kUrl, kUrl));
    EXPECT_EQ(store.LastFailure().kind, CookieFailureKind::kStoreBusy);
    EXPECT_FALSE(store.InternetSetCookie(kUrl, "n", "v" + kExpires));
    EXPECT_EQ(store.LastFailure().kind, CookieFailureKind::kStoreBusy);
    firefox.Exec("COMMIT");
}

TEST(ChromiumStoreTest, KeepsABackupAndNeverCommitsWhatItCannotDecrypt) {
    Fixture f;
    const std::string path = f.dir.File("Cookies");
    testing::CreateChromiumDatabase(path);
    ChromiumCipher cipher([] { return std::nullopt; });
    {
        ChromiumCookieStore store(path, f.clock, f.lock, cipher, f.codec);
        ASSERT_TRUE(store.InternetSetCookie(kUrl, "first", "1" + kExpires));
        ASSERT_TRUE(store.InternetSetCookie(kUrl, "second", "2" + kExpires));
        // The backup is of the database before the first write of the store's life.
        EXPECT_EQ(TestDatabase(store.BackupPath()).Rows("SELECT count(*) FROM cookies")[0][0], "0");
        EXPECT_EQ(std::filesystem::status(store.BackupPath()).permissions(),
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
    OneWayCipher broken;
    ChromiumCookieStore store(path, f.clock, f.lock, broken, f.codec);
    EXPECT_FALSE(store.InternetSetCookie(kUrl, "first", "changed" + kExpires));
    EXPECT_NE(store.LastFailure().reason.find("取り消しました"), std::string::npos);
    EXPECT_EQ(cipher.Decrypt("bbs.example.jp",
                             TestDatabase(path).Rows("SELECT encrypted_value FROM cookies WHERE "
                                                     "name = 'first'")[0][0]),
              "1");
}

// Found by browser_rows_fuzz: times at the ends of the integer range overflowed on the way to 1970.
TEST(ChromiumStoreTest, TimesAtTheEndsOfTheIntegerRangeReadAsTheEarliestAndLatest) {
    Fixture f;
    const std::string path = f.dir.File("Cookies");
    testing::CreateChromiumDatabase(path);
    const std::string min = std::to_string(std::numeric_limits<std::int64_t>::min());
    const std::string max = std::to_string(std::numeric_limits<std::int64_t>::max());
    TestDatabase(path).Exec("INSERT INTO cookies VALUES (" + min +
                            ", 'bbs.example.jp', '', 'old', '1', '', '/', " + min +
                            ", 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0), (" + max +
                            ", 'bbs.example.jp', '', 'late', '2', '', '/', " + max +
                            ", 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0)");
    ChromiumCipher cipher([] { return std::nullopt; });
    ChromiumCookieStore store(path, f.clock, f.lock, cipher, f.codec);
    EXPECT_EQ(store.InternetGetCookie(kUrl, ""), "late=2");
    EXPECT_TRUE(store.InternetSetCookie(kUrl, "new", "3" + kExpires));
}

TEST(ChromiumStoreTest, KeyringKeyIsUsedWhereTheProfileUsesIt) {
    Fixture f;
    const std::string path = f.dir.File("Cookies");
    testing::CreateChromiumDatabase(path);
    ChromiumCipher keyring([] { return std::optional<std::string>("secret"); });
    {
        ChromiumCookieStore store(path, f.clock, f.lock, keyring, f.codec);
        ASSERT_TRUE(store.InternetSetCookie(kUrl, "n", "v" + kExpires));
        EXPECT_EQ(store.InternetGetCookie(kUrl, "n"), "n=v");
    }
    EXPECT_EQ(TestDatabase(path).Rows("SELECT encrypted_value FROM cookies")[0][0].substr(0, 3),
              "v11");
    ChromiumCipher noKeyring([] { return std::nullopt; });
    ChromiumCookieStore store(path, f.clock, f.lock, noKeyring, f.codec);
    EXPECT_EQ(store.InternetGetCookie(kUrl, "n"), "");
    EXPECT_EQ(store.LastFailure().kind, CookieFailureKind::kUnreadable);
    EXPECT_NE(store.LastFailure().reason.find("キーリング"), std::string::npos);
    EXPECT_FALSE(store.InternetSetCookie(kUrl, "n", "w" + kExpires));
    EXPECT_NE(store.LastFailure().reason.find("キーリング"), std::string::npos);
    EXPECT_EQ(keyring.Decrypt("bbs.example.jp",
                              TestDatabase(path).Rows("SELECT encrypted_value FROM cookies")[0][0]),
              "v");
    // A value moved to another host does not decrypt there.
    EXPECT_FALSE(keyring.Decrypt(
        "evil.example.jp", TestDatabase(path).Rows("SELECT encrypted_value FROM cookies")[0][0]));
}

TEST(BrowserLockTest, FirefoxLockIsTheFcntlLockOfARunningProcess) {
    testing::TempDir dir;
    const std::string lockFile = dir.Write(".parentlock", "");
    FirefoxProfileLock lock(dir.Path().string());
    EXPECT_EQ(lock.InUseReason(), "");
    std::filesystem::create_symlink("127.0.0.1:+1", dir.File("lock"));  // left by a crash
    EXPECT_EQ(lock.InUseReason(), "");

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(lockFile.c_str(), O_RDWR);
        struct flock hold {};
        hold.l_type = F_WRLCK;
        hold.l_whence = SEEK_SET;
        fcntl(fd, F_SETLK, &hold);
        (void)write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_NE(lock.InUseReason().find("Firefox が起動中"), std::string::npos);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.InUseReason(), "");
}

TEST(BrowserLockTest, ChromiumSingletonLockCountsOnlyALivingProcess) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const struct {
        std::string target;
        bool inUse;
    } cases[] = {
        {std::string(host) + "-" + std::to_string(getpid()), true},
        {std::string(host) + "-999999999", false},  // stale: the process is gone
        {"elsewhere.example-1", true},              // another host cannot be checked
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        testing::TempDir dir;
        std::filesystem::create_symlink(c.target, dir.File("SingletonLock"));
        EXPECT_EQ(ChromiumProfileLock(dir.Path().string()).InUseReason().empty(), !c.inUse);
    }
}

TEST(BrowserProfilesTest, FirefoxDefaultIsTheInstallationsProfile) {
    testing::TempDir dir;
    const std::string root = dir.File(".mozilla/firefox");
    std::filesystem::create_directories(root);
    dir.Write(".mozilla/firefox/profiles.ini",
              "[Profile1]\nName=old\nIsRelative=1\nPath=a.old\nDefault=1\n\n"
              "[Profile0]\nName=default-esr\nIsRelative=1\nPath=b.default-esr\n\n"
              "[General]\nStartWithLastProfile=1\n");
    const std::map<std::string, std::string> variables = {{"HOME", dir.Path().string()}};
    const auto environment = [&](const char* name) -> const char* {
        const auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    };
    const auto defaultName = [&] {
        for (const BrowserProfile& profile : FindFirefoxProfiles(environment)) {
            if (profile.isDefault)
                return profile.name;
        }
        return std::string();
    };
    EXPECT_EQ(defaultName(), "old");  // no installation names one
    dir.Write(".mozilla/firefox/installs.ini", "[4F96D1932A9F858E]\nDefault=b.default-esr\n");
    EXPECT_EQ(defaultName(), "default-esr");
    EXPECT_EQ(FindFirefoxProfiles(environment)[1].location.path, root + "/b.default-esr");
}

}  // namespace
}  // namespace tessel
