#include <gtest/gtest.h>

#include "board/CookieText.h"

namespace tessel {
namespace {

const char* kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";

struct FindCase {
    const char* text;
    const char* name;
    std::optional<std::string> value;
};

TEST(CookieTextTest, FindsOnlyTheEntryNamedExactly) {
    const FindCase cases[] = {
        {"http://bbs.example.jp/cgi-bin/bbs.cgi=Taro,,,,20,0,1,0,30", kUrl, "Taro,,,,20,0,1,0,30"},
        {"a=1; http://bbs.example.jp/cgi-bin/bbs.cgi=v; b=2", kUrl, "v"},
        {"a=1;http://bbs.example.jp/cgi-bin/bbs.cgi=v", kUrl, "v"},
        // The URL inside another cookie's name or value is not this cookie.
        {"http://bbs.example.jp/cgi-bin/bbs.cgi2=wrong; "
         "http://bbs.example.jp/cgi-bin/bbs.cgi=right",
         kUrl, "right"},
        {"other=http://bbs.example.jp/cgi-bin/bbs.cgi=wrong", kUrl, std::nullopt},
        {"x=1; y=2", kUrl, std::nullopt},
        {"", kUrl, std::nullopt},
        {"http://bbs.example.jp/cgi-bin/bbs.cgi=", kUrl, ""},
        // A URL may itself hold "=", and a value may hold "=" too.
        {"http://x/bbs.cgi?id=3=a=b; z=1", "http://x/bbs.cgi?id=3", "a=b"},
        {"first=1", "", std::nullopt},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FindCookieValue(c.text, c.name), c.value);
    }
}

TEST(CookieTextTest, AcceptsOnlyHttpAddressesAStoreReadsRight) {
    for (const char* good : {"http://a.jp/bbs.cgi", "HTTPS://a.jp/x", "http://a.jp/?q=1&r=2"}) {
        EXPECT_TRUE(IsCookieAddress(good)) << good;
    }
    for (const char* bad : {"", "http://", "ftp://a.jp/", "a.jp/bbs.cgi", "http://a.jp/;x",
                            "http://a.jp/\tx", "http://a.jp/\nSet-Cookie: x"}) {
        EXPECT_FALSE(IsCookieAddress(bad)) << bad;
    }
    EXPECT_TRUE(HasControlCharacter(std::string("a\0b", 3)));
    EXPECT_TRUE(HasControlCharacter("\x7f"));
    EXPECT_FALSE(HasControlCharacter("太郎 $=&"));
}

}  // namespace
}  // namespace tessel
