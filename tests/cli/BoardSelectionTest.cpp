#include <gtest/gtest.h>

#include "cli/commands/BoardIndex.h"
#include "support/TestBoards.h"

namespace tessel::cli {
namespace {

class BoardSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test.Add("zatsudan", kModeFernoBBS, "雑談");
        test.Add("Shumi", kModeQuill, "趣味");
        test.Add("2", kModeFernoBBS, "three");  // its section name is another board's position
        test.Add("twin", kModeHarbor, "双子");
        test.Add("twin2", kModeHarbor, "双子");
        test.Add("nick", kModeFernoBBS, "zatsudan");  // its nickname is another's section name
    }

    BoardSelection Select(std::vector<std::string> arguments, bool all = false) {
        return SelectBoards(BoardIndex(test.boards), arguments, all);
    }

    testing::TestBoards test;
};

TEST_F(BoardSelectionTest, ABoardIsNamedByPositionSectionNameInAnyCaseOrNickname) {
    const struct {
        std::string argument;
        std::size_t position;
    } cases[] = {
        {"1", 1}, {"6", 6}, {"SHUMI", 2}, {"shumi", 2}, {"趣味", 2}, {"three", 3}, {"nick", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        const BoardSelection selection = Select({c.argument});
        EXPECT_EQ(selection.error, "");
        EXPECT_EQ(selection.positions, std::vector<std::size_t>{c.position});
    }
}

TEST_F(BoardSelectionTest, NoMatchOrSeveralBoardsIsAnError) {
    const struct {
        std::string argument, error;
    } cases[] = {
        {"0", "no board is called \"0\""},
        {"7", "no board is called \"7\""},
        {"+1", "no board is called \"+1\""},
        {"雑", "no board is called \"雑\""},
        {"", "an empty board name names no board"},
        {"双子", "\"双子\" names more than one board (positions 4 and 5)"},
        {"zatsudan", "\"zatsudan\" names more than one board (positions 1 and 6)"},
        {"2", "\"2\" names more than one board (positions 2 and 3)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        const BoardSelection selection = Select({"1", c.argument});
        EXPECT_NE(selection.error.find(c.error), std::string::npos) << selection.error;
        EXPECT_TRUE(selection.positions.empty());
    }
}

TEST_F(BoardSelectionTest, SelectionComesInListOrderEachBoardOnce) {
    EXPECT_EQ(Select({"nick", "趣味", "1", "SHUMI", "three"}).positions,
              (std::vector<std::size_t>{1, 2, 3, 6}));
    EXPECT_EQ(Select({}, true).positions, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace tessel::cli
