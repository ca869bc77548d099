#include <gtest/gtest.h>

#include <sstream>

#include "cli/terminal/ProgressBar.h"
#include "support/FakeCookieStore.h"

namespace tessel::cli {
namespace {

SystemTime At(std::int32_t second, std::int32_t milliseconds) {
    return SystemTime{2026, 12, 5, 9, 7, second, milliseconds};
}

TEST(ProgressBarTest, AppearsOnlyAfterASecondAndIsWipedAtTheEnd) {
    testing::FixedClock clock(At(3, 500));
    std::ostringstream out;
    ProgressBar bar(clock, out, true);
    bar.Start(40);
    clock.Set(At(4, 500));
    bar.Advance(10);
    EXPECT_EQ(out.str(), "") << "exactly one second is not yet more than one";
    clock.Set(At(4, 501));
    bar.Advance(12);
    const std::string line = "[#########---------------------] 12/40";
    EXPECT_EQ(out.str(), "\r" + line);
    bar.Advance(12);
    EXPECT_EQ(out.str(), "\r" + line) << "an unchanged bar is not redrawn";
    bar.Advance(40);
    bar.Finish();
    EXPECT_EQ(out.str(), "\r" + line + "\r[##############################] 40/40\r" +
                             std::string(line.size(), ' ') + "\r");
}

TEST(ProgressBarTest, StaysSilentWhenQuickOrNotOnATerminal) {
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        testing::FixedClock clock(At(3, 0));
        std::ostringstream out;
        ProgressBar bar(clock, out, enabled);
        bar.Start(2);
        if (!enabled)
            clock.Set(At(9, 0));
        bar.Advance(1);
        bar.Advance(2);
        bar.Finish();
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
}  // namespace tessel::cli
