#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SharedOptions.h"

namespace tessel {
namespace {

// Takes every argument after the program that is a shared option; returns the last error.
std::string TakeAll(const std::vector<std::string>& args, unsigned accepted,
                    SharedOptions& options) {
    std::string error;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string problem;
        if (TakeSharedOption(args, i, accepted, options, problem) && !problem.empty())
            error = problem;
    }
    return error;
}

TEST(SharedOptionsTest, TakesEachOptionInBothForms) {
    SharedOptions options;
    EXPECT_EQ(TakeAll({"p", "--board-list=b.ini", "--cookie-store", "firefox:/p",
                       "--cookie-charset=UTF-8"},
                      kEverySharedOption, options),
              "");
    EXPECT_EQ(options.boardList, "b.ini");
    EXPECT_EQ(options.cookieStore,
              (CookieStoreLocation{CookieStoreLocation::Kind::kFirefox, "/p"}));
    EXPECT_EQ(options.charset, CookieCharset::kUtf8);
}

TEST(SharedOptionsTest, RefusesBadValuesAndLeavesOthersOptionsAlone) {
    const struct {
        std::vector<std::string> args;
        unsigned accepted;
        std::string error;
    } cases[] = {
        {{"p", "--board-list="}, kEverySharedOption, "--board-list needs a file name"},
        {{"p", "--cookie-store"}, kEverySharedOption, "--cookie-store needs a value"},
        {{"p", "--cookie-store", "safari"}, kEverySharedOption, "unknown cookie store"},
        {{"p", "--cookie-charset=latin1"}, kEverySharedOption, "unknown cookie charset"},
        {{"p", "--cookie-store", "safari", "--board-listing=x"}, kBoardListOption, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        SharedOptions options;
        EXPECT_EQ(TakeAll(c.args, c.accepted, options).find(c.error), 0u);
        EXPECT_FALSE(options.boardList || options.cookieStore);
    }
}

}  // namespace
}  // namespace tessel
