#include <gtest/gtest.h>

#include "cli/terminal/DisplayWidth.h"
#include "cli/terminal/TerminalSafeText.h"

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

}  // namespace
}  // namespace tessel::cli
