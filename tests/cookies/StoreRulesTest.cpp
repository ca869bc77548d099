#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "BrowserDatabases.h"
#include "cookies/ChromiumCookieStore.h"
#include "cookies/FirefoxCookieStore.h"
#include "posix/browsers/ChromiumCipher.h"
#include "posix/charset/CharsetCookieCodec.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

// The rules every store keeps, through each real store: a write takes effect or is refused, it
// never replaces a cookie that a read cannot see, and a recorded cookie can be put back exactly.
namespace tessel {
namespace {

using testing::ReadBytes;
using testing::TestDatabase;

const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";
const std::string kExpires = "; expires=Sun, 04-Apr-2027 09:07:03 GMT";

class NoLock : public BrowserLock {
  public:
    CookieFailure InUseReason() override { return {}; }
};

enum class Kind { kJar, kFirefox, kChromium };

struct Seed {
    std::string host;  // with a leading dot for a domain cookie
    std::string path;
    std::string value = "Old";
    bool secure = false;
    bool httpOnly = false;
};

class StoreRulesTest : public ::testing::TestWithParam<Kind> {
  protected:
    void SetUp() override {
        for (const char* name : {"cookies.txt", "cookies.sqlite", "Cookies"})
            std::filesystem::remove(dir.File(name));
        if (GetParam() == Kind::kJar) {
            path = dir.Write("cookies.txt", "# Netscape HTTP Cookie File\n");
            store = std::make_unique<NetscapeCookieJar>(path, clock);
        } else if (GetParam() == Kind::kFirefox) {
            path = dir.File("cookies.sqlite");
            testing::CreateFirefoxDatabase(path);
            store = std::make_unique<FirefoxCookieStore>(path, clock, lock, false);
        } else {
            path = dir.File("Cookies");
            testing::CreateChromiumDatabase(path);
            store = std::make_unique<ChromiumCookieStore>(path, clock, lock, cipher, codec);
        }
    }

    // Stores the board's cookie as a browser would have, each seed created after the last.
    void Add(Seed seed) {
        // UTF-8 is not Windows-31J; Firefox keeps what it could not read as U+FFFD.
        if (seed.value == "undecodable")
            seed.value = GetParam() == Kind::kFirefox ? "\xEF\xBF\xBD" : "太郎";
        const std::string created = std::to_string(++created_);
        const std::string secure = seed.secure ? "1" : "0", httpOnly = seed.httpOnly ? "1" : "0";
        if (GetParam() == Kind::kJar) {
            std::string jar = ReadBytes(path);
            jar += (seed.httpOnly ? "#HttpOnly_" : "") + seed.host + "\t" +
                   (seed.host[0] == '.' ? "TRUE" : "FALSE") + "\t" + seed.path + "\t" +
                   (seed.secure ? "TRUE" : "FALSE") + "\t1806829623\t" + kUrl + "\t" + seed.value +
                   "\n";
            dir.Write("cookies.txt", jar);
        } else if (GetParam() == Kind::kFirefox) {
            TestDatabase(path).Exec(
                "INSERT INTO moz_cookies (name, value, host, path, expiry, creationTime, isSecure, "
                "isHttpOnly, originAttributes, sameSite) VALUES ('" +
                kUrl + "', '" + seed.value + "', '" + seed.host + "', '" + seed.path +
                "', 1806829623000, " + created + ", " + secure + ", " + httpOnly + ", '', 1)");
        } else {
            TestDatabase(path).Exec("INSERT INTO cookies VALUES (" + created + ", '" + seed.host +
                                    "', '', '" + kUrl + "', '" + seed.value + "', x'', '" +
                                    seed.path + "', 13451303223000000, " + secure + ", " +
                                    httpOnly + ", 0, 1, 1, 1, 2, 1, 80, 0, 1, 0)");
        }
    }

    // Everything stored, every column; one line a cookie.
    std::string State() {
        if (GetParam() == Kind::kJar)
            return ReadBytes(path);
        std::string text;
        TestDatabase database(path);
        for (const auto& row :
             database.Rows(GetParam() == Kind::kFirefox ? "SELECT * FROM moz_cookies ORDER BY id"
                                                        : "SELECT * FROM cookies ORDER BY rowid")) {
            for (const std::string& column : row) {
                for (const char c : column)  // encrypted values are bytes
                    text += c == '\n' ? std::string("\\n") : std::string(1, c);
                text += "|";
            }
            text += "\n";
        }
        return text;
    }

    // The value the board reads: the first of its name the address is sent.
    std::string BoardReads() {
        const std::optional<std::string> text = store->InternetGetCookie(kUrl, kUrl);
        const std::size_t at = text ? text->find(kUrl + "=") : std::string::npos;
        return at == std::string::npos ? "" : text->substr(at + kUrl.size() + 1, 3);
    }

    testing::TempDir dir;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    NoLock lock;
    ChromiumCipher cipher{[] { return std::nullopt; }};
    CharsetCookieCodec codec{CookieCharset::kCp932};
    std::string path;
    std::unique_ptr<CookieStore> store;
    int created_ = 0;
};

TEST_P(StoreRulesTest, ACookieNoReadCanSeeIsNeitherReadNorReplaced) {
    const struct {
        const char* why;
        Seed seed;
    } cases[] = {
        {"Secure on an http board", {"bbs.example.jp", "/cgi-bin/", "Old", true}},
        {"HttpOnly", {"bbs.example.jp", "/cgi-bin/", "Old", false, true}},
        {"in another character set", {"bbs.example.jp", "/cgi-bin/", "undecodable"}},
        {"HttpOnly, sent first", {".example.jp", "/cgi-bin/", "Old", false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        SetUp();
        Add(c.seed);
        const std::string before = State();
        EXPECT_EQ(BoardReads(), "");
        EXPECT_EQ(store->LastFailure().kind, CookieFailureKind::kUnreadable);
        EXPECT_FALSE(store->InternetSetCookie(kUrl, kUrl, "New" + kExpires));
        EXPECT_EQ(store->LastFailure().kind, CookieFailureKind::kUnreadable);
        EXPECT_EQ(store->LastFailure().details.address, c.seed.host + "/cgi-bin/");
        EXPECT_EQ(State(), before);
    }
}

TEST_P(StoreRulesTest, ACookieSentFirstTakesTheValueAndKeepsItsPlace) {
    const struct {
        const char* why;
        Seed first;
    } cases[] = {
        {"a domain cookie", {".example.jp", "/cgi-bin/"}},
        {"a longer path", {"bbs.example.jp", "/cgi-bin/bbs.cgi"}},
        {"a Secure domain cookie over https", {".example.jp", "/cgi-bin/", "Old", true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        SetUp();
        const std::string url = c.first.secure ? "https" + kUrl.substr(4) : kUrl;
        Add(c.first);
        Add({"bbs.example.jp", "/cgi-bin/", "Own"});
        std::string expected = State();
        expected.replace(expected.find("Old"), 3, "New");
        ASSERT_TRUE(store->InternetSetCookie(url, kUrl, "New" + kExpires));
        const std::optional<std::string> text = store->InternetGetCookie(url, kUrl);
        EXPECT_EQ(text->substr(0, kUrl.size() + 4), kUrl + "=New");
        // Only the value changed (and, in the databases, the times of the write).
        const std::string after = State();
        if (GetParam() == Kind::kJar) {
            EXPECT_EQ(after, expected);
        }
        EXPECT_EQ(std::count(after.begin(), after.end(), '\n'),
                  std::count(expected.begin(), expected.end(), '\n'));
    }
}

TEST_P(StoreRulesTest, ABatchIsPutBackExactlyUnlessChangedSince) {
    Add({".example.jp", "/", "Dom"});
    Add({"bbs.example.jp", "/cgi-bin/", "Own"});
    const std::string other = "http://bbs.example.jp/other/bbs.cgi";
    const std::string fresh = "http://new.example.org/bbs.cgi";
    const std::string original = State();

    store->BeginWrites();
    const std::optional<std::string> before = store->RecordCookie(kUrl, kUrl);
    const std::optional<std::string> beforeOther = store->RecordCookie(other, kUrl);
    const std::optional<std::string> beforeFresh = store->RecordCookie(fresh, kUrl);
    ASSERT_TRUE(before && beforeOther && beforeFresh);
    ASSERT_TRUE(store->InternetSetCookie(kUrl, kUrl, "New" + kExpires));
    ASSERT_TRUE(store->InternetSetCookie(other, kUrl, "Add" + kExpires));
    ASSERT_TRUE(store->InternetSetCookie(fresh, kUrl, "Fresh" + kExpires));
    const std::optional<std::string> written = store->RecordCookie(kUrl, kUrl);
    const std::optional<std::string> writtenOther = store->RecordCookie(other, kUrl);
    const std::optional<std::string> writtenFresh = store->RecordCookie(fresh, kUrl);
    ASSERT_TRUE(store->CommitWrites());
    EXPECT_EQ(before->find_first_of("\n\r\t"), std::string::npos) << "one printable line";
    EXPECT_TRUE(store->RestoreCookie(fresh, kUrl, *beforeFresh, *writtenFresh));
    EXPECT_EQ(store->InternetGetCookie(fresh, kUrl), "");

    // Someone else changed the first board's cookie: it is left alone, the other is put back.
    ASSERT_TRUE(store->InternetSetCookie(kUrl, kUrl, "His" + kExpires));
    EXPECT_FALSE(store->RestoreCookie(kUrl, kUrl, *before, *written));
    EXPECT_EQ(store->LastFailure().kind, CookieFailureKind::kChanged);
    EXPECT_TRUE(store->RestoreCookie(other, kUrl, *beforeOther, *writtenOther));
    EXPECT_EQ(store->InternetGetCookie(other, kUrl), kUrl + "=Dom");

    const std::optional<std::string> his = store->RecordCookie(kUrl, kUrl);
    EXPECT_TRUE(store->RestoreCookie(kUrl, kUrl, *before, *his));
    EXPECT_EQ(State(), original);
    EXPECT_TRUE(store->RestoreCookie(kUrl, kUrl, *before, *his)) << "already as it was";
    EXPECT_FALSE(store->RestoreCookie(kUrl, kUrl, "WinINet Own", *his));
}

INSTANTIATE_TEST_SUITE_P(Stores, StoreRulesTest,
                         ::testing::Values(Kind::kJar, Kind::kFirefox, Kind::kChromium),
                         [](const auto& param) {
                             return param.param == Kind::kJar       ? "Jar"
                                    : param.param == Kind::kFirefox ? "Firefox"
                                                                    : "Chromium";
                         });

}  // namespace
}  // namespace tessel
