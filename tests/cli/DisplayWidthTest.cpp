#include <gtest/gtest.h>

#include "cli/terminal/DisplayWidth.h"

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

}  // namespace
}  // namespace tessel::cli
