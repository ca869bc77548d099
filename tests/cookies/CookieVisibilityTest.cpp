#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cookies/CookieVisibility.h"

namespace tessel {
namespace {

constexpr std::int64_t kNow = 1'800'000'000;

StoredCookie Cookie(std::string name, std::string domain, bool hostOnly, std::string path,
                    std::int64_t creation = 0) {
    StoredCookie cookie;
    cookie.name = std::move(name);
    cookie.domain = std::move(domain);
    cookie.hostOnly = hostOnly;
    cookie.path = std::move(path);
    cookie.creation = creation;
    return cookie;
}

// RFC 6265 §5.4 step 1, one rule a row.
TEST(CookieVisibilityTest, ReachesByHostPathSchemeAndExpiry) {
    StoredCookie secure = Cookie("s", "bbs.example.jp", true, "/");
    secure.secure = true;
    StoredCookie expired = Cookie("e", "bbs.example.jp", true, "/");
    expired.expires = kNow;
    StoredCookie living = Cookie("l", "bbs.example.jp", true, "/");
    living.expires = kNow + 1;
    const struct {
        const char* url;
        StoredCookie cookie;
        bool reaches;
    } cases[] = {
        {"http://bbs.example.jp/", Cookie("h", "bbs.example.jp", true, "/"), true},
        {"http://a.bbs.example.jp/", Cookie("h", "bbs.example.jp", true, "/"), false},
        {"http://a.bbs.example.jp/", Cookie("d", "bbs.example.jp", false, "/"), true},
        {"http://xbbs.example.jp/", Cookie("d", "bbs.example.jp", false, "/"), false},
        {"http://bbs.example.jp/cgi/x", Cookie("p", "bbs.example.jp", true, "/cgi/"), true},
        {"http://bbs.example.jp/cgix", Cookie("p", "bbs.example.jp", true, "/cgi/"), false},
        {"http://bbs.example.jp/cgi/x", Cookie("p", "bbs.example.jp", true, "/cgi"), true},
        {"http://bbs.example.jp/cgix", Cookie("p", "bbs.example.jp", true, "/cgi"), false},
        {"http://bbs.example.jp/", secure, false},
        {"https://bbs.example.jp/", secure, true},
        {"http://bbs.example.jp/", expired, false},
        {"http://bbs.example.jp/", living, true},
        // An IP address never domain-matches a parent.
        {"http://1.2.3.4/", Cookie("d", "2.3.4", false, "/"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.url) + " " + c.cookie.name + " " + c.cookie.path);
        EXPECT_EQ(CookieReaches(*ParseCookieUrl(c.url), c.cookie, kNow), c.reaches);
    }
}

// §5.4 step 2: longer paths first, then the earlier created, whatever order they are kept in.
TEST(CookieVisibilityTest, OrdersByPathLengthThenCreation) {
    const std::vector<StoredCookie> cookies = {
        Cookie("late", "bbs.example.jp", true, "/", 30),
        Cookie("deep", "bbs.example.jp", true, "/cgi-bin/", 40),
        Cookie("early", "example.jp", false, "/", 10),
        Cookie("other", "other.jp", true, "/", 5),
        Cookie("mid", "bbs.example.jp", false, "/cgi-bin", 20),
    };
    std::string names;
    for (const StoredCookie* cookie :
         CookiesFor(*ParseCookieUrl("http://bbs.example.jp/cgi-bin/bbs.cgi"), cookies, kNow))
        names += cookie->name + " ";
    EXPECT_EQ(names, "deep mid early late ");
}

TEST(CookieVisibilityTest, DomainsAboveAHost) {
    EXPECT_EQ(
        DomainsAbove("a.bbs.example.jp"),
        (std::vector<std::string_view>{"a.bbs.example.jp", "bbs.example.jp", "example.jp", "jp"}));
    EXPECT_EQ(DomainsAbove("127.0.0.1"), (std::vector<std::string_view>{"127.0.0.1"}));
}

}  // namespace
}  // namespace tessel
