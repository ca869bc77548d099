// What a cookie is set from: the address's host and directory, the expiry date read the RFC 6265
// way, the data's attributes, and how a store is named.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cookies/CookieDateParser.h"
#include "cookies/CookieStoreArgument.h"
#include "cookies/CookieUrl.h"
#include "cookies/SetCookieData.h"

namespace tessel {
namespace {

TEST(CookieInputTest, AddressesKeepOnlyWhatMatchingNeeds) {
    struct Case {
        std::string url;
        bool secure;
        std::string host, path, defaultPath;
    };
    const Case valid[] = {
        {"http://bbs.example.jp/cgi-bin/bbs.cgi", false, "bbs.example.jp", "/cgi-bin/bbs.cgi",
         "/cgi-bin/"},
        {"HTTPS://user:p@ss@BBS.Example.JP:8443/a/b/?q=/x#/y", true, "bbs.example.jp", "/a/b/",
         "/a/b/"},
        {"http://127.0.0.1:8080?x=1", false, "127.0.0.1", "/", "/"},
        {"http://[::1]:80/bbs.cgi", false, "::1", "/bbs.cgi", "/"},
        {"http://h/x", false, "h", "/x", "/"},
        // Read as browsers read them: the cookie is kept for the host the request goes to.
        {"http://evil.example\\@good.example/x/", false, "evil.example", "/@good.example/x/",
         "/@good.example/x/"},
        {"http://u@evil.example@good.example/x", false, "good.example", "/x", "/"},
        {"http://h.example/a/./b/../cgi-bin/bbs.cgi", false, "h.example", "/a/cgi-bin/bbs.cgi",
         "/a/cgi-bin/"},
        {"http://127.1/x/", false, "127.0.0.1", "/x/", "/x/"},
        {"http://0x7f.0.0.1:8/", false, "127.0.0.1", "/", "/"},
        {"http://[0:0:0:0:0:0:0:1]/", false, "::1", "/", "/"},
        {"http://[::ffff:192.0.2.1]/", false, "::ffff:c000:201", "/", "/"},
    };
    for (const Case& c : valid) {
        SCOPED_TRACE(c.url);
        const std::optional<CookieUrl> url = ParseCookieUrl(c.url);
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(url->secure, c.secure);
        EXPECT_EQ(url->host, c.host);
        EXPECT_EQ(url->path, c.path);
        EXPECT_EQ(DefaultCookiePath(url->path), c.defaultPath);
    }
    // A leading dot would be read back as a domain cookie for every host below it, and a line
    // break in the path would slip another cookie line into the jar.
    for (const char* invalid :
         {"ftp://bbs.example.jp/", "http:///path", "bbs.example.jp/cgi-bin/",
          "http://.dot.example/b/bbs.cgi", "http://dot.example./b/", "http://a..example/b/",
          "http://a\tb.example/", "http://[.cafe.de]/bbs.cgi", "http://[cafe.de]/",
          "http://[::1]evil.example/", "http://[1:2:3:4:5:6:7:8:9]/", "http://1.2.3.256/",
          "http://h.example:99999/", "http://bbs example.jp/",
          "http://a.example/x\n.bank.example\tTRUE\t/\tFALSE\t0\tsid\tevil\n/p"}) {
        EXPECT_FALSE(ParseCookieUrl(invalid).has_value()) << invalid;
    }
}

// Lower-case "http" addresses take a shorter way than any other: an upper-case scheme, which
// takes the general one, must give the same answer for every host, path and tail.
TEST(CookieInputTest, PlainAddressesReadAsTheGeneralWayReadsThem) {
    for (const char* host :
         {"bbs.example.jp", "BBS.Ex-am_ple.JP", "h", "a..b", ".a", "a.", "", "1.2.3.4", "a.1",
          "a.0x1f", "a.b1", "\xC3\xA9.jp", "h:80", "h:", "u@h", "[::1]", "h\\x"}) {
        for (const char* path : {"", "/", "/a/b.cgi", "/./x", "/%2e/x", "/a/../b", "/a/.", "/.x",
                                 "/a%20b", "\\x", "/a b", "/a\t", "/a\x7F", "//x"}) {
            for (const char* tail : {"", "?q=1", "#f", "?a b", "?x/./y", "#\x01", "?"}) {
                for (const char* scheme : {"://", "s://", ":///", ":/"}) {
                    const std::string rest = std::string(scheme) + host + path + tail;
                    SCOPED_TRACE(rest);
                    const std::optional<CookieUrl> plain = ParseCookieUrl("http" + rest);
                    const std::optional<CookieUrl> general = ParseCookieUrl("HTTP" + rest);
                    ASSERT_EQ(plain.has_value(), general.has_value());
                    if (plain) {
                        EXPECT_EQ(plain->secure, general->secure);
                        EXPECT_EQ(plain->host, general->host);
                        EXPECT_EQ(plain->path, general->path);
                    }
                }
            }
        }
    }
}

TEST(CookieInputTest, DatesAreReadTheRfc6265Way) {
    const struct {
        const char* text;
        std::int64_t seconds;
    } cases[] = {
        {"Sun, 04-Apr-2027 09:07:03 GMT", 1806829623},
        {"Sun, 06 Nov 1994 08:49:37 GMT", 784111777},   // RFC 1123
        {"Sunday, 06-Nov-94 08:49:37 GMT", 784111777},  // RFC 850
        {"Sun Nov  6 08:49:37 1994", 784111777},        // asctime
        {"6 nOvEmBeR 1994 8:49:37", 784111777},
        {"01-Jan-69 00:00:00 GMT", 3124224000},  // two-digit years below 70 are 20xx
        {"01-Jan-70 00:00:00 GMT", 0},
        {"Tue, 29 Feb 2028 00:00:00 GMT", 1835395200},
        {"Mon, 01 Jan 1601 00:00:00 GMT", -11644473600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseCookieDate(c.text), c.seconds);
    }
    // No 30 February, hour 24, minute 60 or year before 1601; a third digit in the seconds.
    for (const char* invalid : {"Thu, 30 Feb 2028 00:00:00 GMT", "Sun, 04-Apr-2027 24:00:00 GMT",
                                "Sun, 04-Apr-2027 09:60:00 GMT", "Sun, 04-Apr-1600 09:07:03 GMT",
                                "Sun, 04-Apr-2027 09:07:034 GMT", "Sun, 04-Apr-20270 09:07:03 GMT",
                                "Sun, 04-Apr-2027", "", "never"}) {
        EXPECT_EQ(ParseCookieDate(invalid), std::nullopt) << invalid;
    }
}

TEST(CookieInputTest, SetDataAllowsOnlyAReadableExpiry) {
    const struct {
        const char* data;
        std::string value;
        std::optional<std::int64_t> expires;
    } cases[] = {
        {"Taro,,,,20,0,1,0,30; expires=Sun, 04-Apr-2027 09:07:03 GMT", "Taro,,,,20,0,1,0,30",
         1806829623},
        {" v ;EXPIRES = Sun, 04-Apr-2027 09:07:03 GMT;", "v", 1806829623},
        {"v", "v", std::nullopt},
        {"", "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        const std::optional<SetCookieData> data = ParseSetCookieData(c.data);
        ASSERT_TRUE(data.has_value());
        EXPECT_EQ(data->value, c.value);
        EXPECT_EQ(data->expires, c.expires);
    }
    for (const char* invalid : {"v; expires=tomorrow", "v; expires", "v; path=/", "v; secure"})
        EXPECT_FALSE(ParseSetCookieData(invalid).has_value()) << invalid;
}

TEST(CookieStoreArgumentTest, NamesAStoreOrSaysWhatIsWrong) {
    using Kind = CookieStoreLocation::Kind;
    const struct {
        const char* text;
        std::optional<CookieStoreLocation> location;  // empty when the text is refused
        const char* errorPart;  // a piece of the message that points at the mistake
    } cases[] = {
        {"JAR:relative/c.txt", CookieStoreLocation{Kind::kJar, "relative/c.txt"}, ""},
        {"jar:C:x", CookieStoreLocation{Kind::kJar, "C:x"}, ""},  // the first colon separates
        {"jar", CookieStoreLocation{Kind::kJar, ""}, ""},
        {"firefox", CookieStoreLocation{Kind::kFirefox, ""}, ""},
        {"Firefox:/p/x.default", CookieStoreLocation{Kind::kFirefox, "/p/x.default"}, ""},
        {"chromium:/c", CookieStoreLocation{Kind::kChromium, "/c"}, ""},
        {"jar:", std::nullopt, "needs a path after the colon"},
        {"/home/taro/cookies.txt", std::nullopt, "jar[:PATH]"},
        {"Brave:/b/Default", CookieStoreLocation{Kind::kBrave, "/b/Default"}, ""},
        {"chrome", CookieStoreLocation{Kind::kChrome, ""}, ""},
        {"edge:/e", CookieStoreLocation{Kind::kEdge, "/e"}, ""},
        {"opera:/o", CookieStoreLocation{Kind::kOpera, "/o"}, ""},
        {"wininet", CookieStoreLocation{Kind::kWinInet, ""}, ""},
        {"safari:x", std::nullopt, "unknown cookie store"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CookieStoreChoice choice = ParseCookieStoreArgument(c.text);
        EXPECT_EQ(choice.location, c.location);
        EXPECT_NE(choice.error.find(c.errorPart), std::string::npos) << choice.error;
        if (c.location) {
            EXPECT_EQ(ParseCookieStoreArgument(FormatCookieStoreArgument(*c.location)).location,
                      c.location);
        }
    }
}

}  // namespace
}  // namespace tessel
