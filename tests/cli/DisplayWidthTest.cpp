#include <gtest/gtest.h>

#include <random>

#include "cli/terminal/DisplayWidth.h"
#include "cli/terminal/TerminalSafeText.h"
#include "text/Utf8.h"

namespace tessel::cli {
namespace {

TEST(DisplayWidthTest, CountsTheColumnsATerminalGives) {
    const struct {
        std::string text;
        std::size_t width;
    } cases[] = {
        {"abc", 3},
        {"雑談ｶﾅ", 6},                 // kanji wide, halfwidth kana narrow
        {"🚀☔", 4},                     // emoji presentation is wide
        {"e\xCC\x81\xE2\x80\x8B", 1},  // a combining acute accent and a zero width space
        {"か\xE3\x82\x99！", 4},       // a combining mark in a wide block, a fullwidth form
        {"\xFF", 1},                   // a byte that is not UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DisplayWidth(c.text), c.width);
    }
    EXPECT_EQ(PadToWidth("雑", 4), "雑  ");
}

// What would act on a terminal is replaced wherever it stands: in long plain runs, which are
// passed over a block at a time, at their ends, and after runs of kanji.
TEST(DisplayWidthTest, TextMadeSafeForATerminalKeepsOnlyWhatIsShown) {
    const std::string plain = "http://bbs.example.jp/cgi-bin/";  // longer than a block
    const std::string bad = "\xEF\xBF\xBD";
    const struct {
        std::string text, safe;
    } cases[] = {
        {plain + "\x1b[2J" + plain, plain + bad + "[2J" + plain},
        {plain + "\x7f", plain + bad},
        {"雑談掲示板\xE2\x80\xAE" + plain + "\t\n", "雑談掲示板" + bad + plain + "\t\n"},
        {"雑談\xE2\x80\xA6\xC2\x85\xFF" + plain, "雑談\xE2\x80\xA6" + bad + bad + plain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string safe = "kept:";
        AppendTerminalSafe(c.text, safe);
        EXPECT_EQ(safe, "kept:" + c.safe);
    }
}

// The runs passed over without decoding end where decoding each character in turn would replace,
// and count the columns the characters take each.
TEST(DisplayWidthTest, TextMadeSafeIsAsDecodingEachCharacterGivesIt) {
    const std::string pieces[] = {"a",
                                  "雑",
                                  "談",
                                  "（",
                                  "\xE2\x80\xAE",
                                  "\xED\xA0\x80",
                                  "\n",
                                  "\x1b",
                                  "\xE3",
                                  "\x82",
                                  "\xEF\xBF\xBD",
                                  "\xE2\x80\xA6",
                                  "ｶ",
                                  "\xF0\x9F\x9A\x80",
                                  "\x7f",
                                  "\xC2\x85"};
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (std::size_t n = random() % 40; n > 0; --n)
            text += pieces[random() % std::size(pieces)];
        std::string expected;
        std::size_t width = 0;  // as the characters' widths add up
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t start = at;
            const char32_t c = NextCodePoint(text, at);
            if (c == kNotUtf8)
                ++at;
            expected += c == kNotUtf8 || ActsOnTerminal(c) ? "\xEF\xBF\xBD"
                                                           : text.substr(start, at - start);
            width += DisplayWidth(text.substr(start, at - start));
        }
        std::string safe;
        AppendTerminalSafe(text, safe);
        ASSERT_EQ(safe, expected) << text;
        ASSERT_EQ(DisplayWidth(text), width) << text;
    }
}

}  // namespace
}  // namespace tessel::cli
