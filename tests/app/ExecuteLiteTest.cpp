#include <gtest/gtest.h>

#include "app/mdlExecuteLite.h"
#include "support/FakeAppHost.h"

namespace tessel {
namespace {

TEST(ExecuteLiteTest, FillsTheRequestAsTheShellExpectsAndRefusalIsZero) {
    testing::FakeShell shell;
    EXPECT_NE(mdlExecuteLite::ExecuteLite(shell, "C:\\Tools\\ReadMe.txt", std::nullopt, "open"), 0);
    shell.accept = false;
    EXPECT_EQ(mdlExecuteLite::ExecuteLite(shell, "a.txt", std::string("-x"), "print"), 0);
    ASSERT_EQ(shell.requests.size(), 2u);
    const ExecuteInfo& request = shell.requests[0];
    EXPECT_EQ(request.cbSize, 60u);
    EXPECT_EQ(request.fMask, 0x4C0u);
    EXPECT_EQ(request.hwnd, 0x10010u);
    EXPECT_EQ(request.lpVerb, "open");
    EXPECT_EQ(request.lpFile, "C:\\Tools\\ReadMe.txt");
    EXPECT_FALSE(request.lpParameters.has_value());
    EXPECT_FALSE(request.lpDirectory.has_value());
    EXPECT_EQ(request.nShow, 10);
    EXPECT_EQ(shell.requests[1].lpVerb, "print");
    EXPECT_EQ(shell.requests[1].lpParameters, "-x");
}

}  // namespace
}  // namespace tessel
