// The cookie value as text: finding it among the others, escaping it, and its expiry date.
#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "board/CookieEscaping.h"
#include "cookies/CookieDate.h"
#include "cookies/CookieRecord.h"
#include "cookies/CookieText.h"

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

struct EscapeCase {
    const char* plain;  // none: a case for decoding only
    const char* encoded;
    const char* decoded;  // DecodeValue(encoded)
};

TEST(CookieEscapingTest, EncodesInTableOrderAndDecodesInReverse) {
    const EscapeCase cases[] = {
        {"", "", ""},
        {"a-b", "a&#45$b", "a-b"},
        {"a,b", "a&#44$b", "a,b"},
        {"x;y", "x$y", "x$y"},  // ";" is one-way
        {"&amp;", "&amp$amp$", "&amp$"},
        {"&lt$", "&amp$lt$", "&lt$"},  // a typed escape is not decoded twice
        {"<\"q\">", "&lt$&quot$q&quot$&gt$", "<\"q\">"},
        {"$=; 太郎", "$=$ 太郎", "$=$ 太郎"},
        {"-,;&", "&#45$&#44$$&amp$", "-,$&"},
        // Decoding is exact and leaves unknown escapes; "&amp$" goes last so "&amp$lt$" stays.
        {nullptr, "&GT$", "&GT$"},
        {nullptr, "&lt$&gt$", "<>"},
        {nullptr, "&#46$&amp", "&#46$&amp"},
        {nullptr, "&amp$lt$", "&lt$"},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.encoded);
        if (c.plain != nullptr) {
            EXPECT_EQ(EncodeValue(c.plain), c.encoded);
        }
        EXPECT_EQ(DecodeValue(c.encoded), c.decoded);
    }
}

TEST(CookieEscapingTest, EncodedTextNeverHoldsCommaOrSemicolon) {
    std::string every;
    for (int c = 0x20; c < 0x7F; ++c)
        every += static_cast<char>(c);
    const std::string encoded = EncodeValue(every + every);
    EXPECT_EQ(encoded.find(','), std::string::npos);
    EXPECT_EQ(encoded.find(';'), std::string::npos);
}

// Every occurrence of from replaced, left to right, never rescanning what was put in: one step of
// the board script's escaping.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos;
         start = at + from.size()) {
        result.append(text, start, at - start).append(to);
    }
    return result.append(text, start);
}

// The escapes are made and undone in one pass; the board script makes them one replacement after
// another. Texts of the escapes' own characters must come out the same both ways.
TEST(CookieEscapingTest, OnePassDoesWhatTheReplacementsInTurnDo) {
    const std::pair<std::string_view, std::string_view> encode[] = {
        {"&", "&amp$"}, {"\"", "&quot$"}, {"-", "&#45$"}, {";", "$"},
        {",", "&#44$"}, {"<", "&lt$"},    {">", "&gt$"},
    };
    constexpr std::string_view kAlphabet = "&amp$gtl#45qu;o\",-<>";
    std::minstd_rand random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (std::size_t length = random() % 12; length > 0; --length)
            text += kAlphabet[random() % kAlphabet.size()];
        SCOPED_TRACE(text);
        std::string encoded = text;
        for (const auto& [from, to] : encode)
            encoded = ReplaceAll(encoded, from, to);
        std::string decoded = text;
        for (auto step = std::rbegin(encode); step != std::rend(encode); ++step) {
            if (step->first != ";")
                decoded = ReplaceAll(decoded, step->second, step->first);
        }
        ASSERT_EQ(EncodeValue(text), encoded);
        ASSERT_EQ(DecodeValue(text), decoded);
    }
}

// Undo records carry any bytes as printable words: every field of any length and content comes
// back as it went in, and only bytes a word cannot hold (and "%") are escaped.
TEST(CookieRecordTest, FieldsOfAnyBytesComeBackAsTheyWent) {
    std::minstd_rand random(5);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::string> fields(random() % 4);
        for (std::string& field : fields) {
            for (std::size_t length = random() % 70; length > 0; --length)
                field += static_cast<char>(random() % 3 ? 0x21 + random() % 0x5E : random() % 256);
        }
        const std::string record = JoinRecord("jar", fields);
        std::size_t plain = 3;  // the tag
        for (const std::string& field : fields) {
            plain += 1 + (field.empty() ? 1 : 0);
            for (const char c : field) {
                const auto byte = static_cast<unsigned char>(c);
                plain += byte > 0x20 && byte < 0x7F && byte != '%' ? 1 : 3;
            }
        }
        ASSERT_EQ(record.size(), plain) << record;
        ASSERT_EQ(record.find_first_not_of(
                      " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                      "abcdefghijklmnopqrstuvwxyz{|}~"),
                  std::string::npos);
        ASSERT_EQ(SplitRecord("jar", record), fields) << record;
    }
}

struct ExpiryCase {
    SystemTime now;
    int days;
    const char* expected;
};

TEST(CookieDateTest, AddsWholeDaysAcrossMonthsYearsAndLeapDaysAndConvertsUnixSeconds) {
    const ExpiryCase cases[] = {
        {{2026, 12, 5, 9, 7, 3, 0}, 120, "Sun, 04-Apr-2027 09:07:03 GMT"},
        {{2026, 12, 31, 23, 59, 59, 999}, 120, "Fri, 30-Apr-2027 23:59:59 GMT"},
        {{2027, 11, 1, 0, 0, 5, 0}, 120, "Tue, 29-Feb-2028 00:00:05 GMT"},
        {{1970, 1, 1, 0, 0, 0, 0}, 0, "Thu, 01-Jan-1970 00:00:00 GMT"},
        {{2000, 2, 28, 12, 0, 0, 0}, 1, "Tue, 29-Feb-2000 12:00:00 GMT"},  // 400-year leap
        {{2100, 2, 28, 12, 0, 0, 0}, 1, "Mon, 01-Mar-2100 12:00:00 GMT"},  // century, no leap
        {{2026, 3, 1, 1, 2, 3, 0}, -1, "Sat, 28-Feb-2026 01:02:03 GMT"},
        {{9999, 12, 31, 0, 0, 0, 0}, 0, "Fri, 31-Dec-9999 00:00:00 GMT"},
        {{9999, 12, 31, 0, 0, 0, 0}, 1, "Sat, 01-Jan-10000 00:00:00 GMT"},  // wider than its place
    };
    for (const ExpiryCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatCookieDate(AddDays(c.now, c.days)), c.expected);
    }
    // Unix seconds round-trip.
    EXPECT_EQ(ToUnixSeconds({1970, 1, 1, 0, 0, 0, 0}), 0);
    EXPECT_EQ(ToUnixSeconds({2026, 12, 5, 9, 7, 3, 999}), 1796461623);
    EXPECT_EQ(ToUnixSeconds({1969, 12, 31, 23, 59, 59, 0}), -1);
    for (std::int64_t seconds : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1796461623},
                                 std::int64_t{253402300799}, std::int64_t{-86401}}) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(ToUnixSeconds(FromUnixSeconds(seconds)), seconds);
    }
}

}  // namespace
}  // namespace tessel
