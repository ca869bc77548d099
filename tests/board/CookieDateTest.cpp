#include <gtest/gtest.h>

#include "board/CookieDate.h"

namespace tessel {
namespace {

struct ExpiryCase {
    SystemTime now;
    int days;
    const char* expected;
};

TEST(CookieDateTest, AddsWholeDaysAcrossMonthsYearsAndLeapDays) {
    const ExpiryCase cases[] = {
        {{2026, 12, 5, 9, 7, 3, 0}, 120, "Sun, 04-Apr-2027 09:07:03 GMT"},
        {{2026, 12, 31, 23, 59, 59, 999}, 120, "Fri, 30-Apr-2027 23:59:59 GMT"},
        {{2027, 11, 1, 0, 0, 5, 0}, 120, "Tue, 29-Feb-2028 00:00:05 GMT"},
        {{1970, 1, 1, 0, 0, 0, 0}, 0, "Thu, 01-Jan-1970 00:00:00 GMT"},
        {{2000, 2, 28, 12, 0, 0, 0}, 1, "Tue, 29-Feb-2000 12:00:00 GMT"},  // 400-year leap
        {{2100, 2, 28, 12, 0, 0, 0}, 1, "Mon, 01-Mar-2100 12:00:00 GMT"},  // century, no leap
        {{2026, 3, 1, 1, 2, 3, 0}, -1, "Sat, 28-Feb-2026 01:02:03 GMT"},
        {{9999, 12, 31, 0, 0, 0, 0}, 0, "Fri, 31-Dec-9999 00:00:00 GMT"},
    };
    for (const ExpiryCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatCookieDate(AddDays(c.now, c.days)), c.expected);
    }
}

TEST(CookieDateTest, UnixSecondsRoundTrip) {
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
