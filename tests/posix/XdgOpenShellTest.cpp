#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "app/mdlExecuteLite.h"
#include "posix/desktop/XdgOpenShell.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using testing::ReadBytes;

class XdgOpenShellTest : public ::testing::Test {
  protected:
    // A stand-in launcher that records its arguments, one per line, in "args".
    std::string FakeLauncher() {
        const std::string path = dir.Write(
            "launcher",
            "#!/bin/sh\nprintf '%s\\n' \"$@\" >\"$0.tmp\" && mv \"$0.tmp\" \"${0%/*}/args\"\n");
        chmod(path.c_str(), 0755);
        return path;
    }

    // The launcher's recorded arguments, once it has run (it is not waited for).
    std::string RecordedArguments() {
        for (int i = 0; i < 200; ++i) {
            const std::string args = ReadBytes(dir.File("args"));
            if (!args.empty())
                return args;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

    std::int32_t Open(XdgOpenShell& shell, const std::string& file) {
        return mdlExecuteLite::ExecuteLite(shell, file, std::nullopt, "open");
    }

    testing::TempDir dir;
};

TEST_F(XdgOpenShellTest, OpensOnlyAnExistingDocumentWithTheFileAsTheOnlyArgument) {
    XdgOpenShell shell({{FakeLauncher()}});
    // Shell syntax in the name must reach the launcher as plain text.
    const std::string readme = dir.Write("Read Me; $(touch pwned) `id`.txt", "help");
    EXPECT_NE(Open(shell, readme), 0);
    EXPECT_EQ(RecordedArguments(), readme + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("pwned")));

    // A relative name like an option is not taken for one.
    std::filesystem::remove(dir.File("args"));
    dir.Write("-help.txt", "x");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    EXPECT_NE(Open(shell, "-help.txt"), 0);
    std::filesystem::current_path(previous);
    EXPECT_EQ(RecordedArguments(), "./-help.txt\n");

    // What cannot be opened is refused without starting anything.
    std::filesystem::remove(dir.File("args"));
    EXPECT_EQ(Open(shell, dir.File("ReadMe.txt")), 0);  // missing
    EXPECT_EQ(Open(shell, ""), 0);
    const std::string help = dir.Write("ReadMe.txt", "help");
    EXPECT_EQ(mdlExecuteLite::ExecuteLite(shell, help, std::nullopt, "print"), 0);
    EXPECT_EQ(mdlExecuteLite::ExecuteLite(shell, help, std::string("--x"), "open"), 0);

    XdgOpenShell noLauncher({{dir.File("no-such-launcher")}});
    EXPECT_EQ(Open(noLauncher, help), 0);
    EXPECT_TRUE(ReadBytes(dir.File("args")).empty());
}

// Without xdg-open the next opener that starts is used, the last resort only when none does; the
// answer is still whether the request was accepted.
TEST_F(XdgOpenShellTest, FallsBackToTheNextOpener) {
    const std::string readme = dir.Write("ReadMe.txt", "help");
    const std::string missing = dir.File("no-xdg-open");
    const struct {
        XdgOpenShell::Launchers launchers;
        bool lastResortAnswer, accepted;
        std::string recorded, givenToLastResort;
    } cases[] = {
        {{{missing}, {FakeLauncher(), "open"}}, false, true, "open\n" + readme + "\n", ""},
        {{{missing}}, true, true, "", readme},
        {{{missing}}, false, false, "", readme},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::filesystem::remove(dir.File("args"));
        std::string given;
        XdgOpenShell shell(c.launchers, [&](const std::string& file) {
            given = file;
            return c.lastResortAnswer;
        });
        EXPECT_EQ(Open(shell, readme) != 0, c.accepted);
        EXPECT_EQ(c.recorded.empty() ? "" : RecordedArguments(), c.recorded);
        EXPECT_EQ(given, c.givenToLastResort);
    }
}

}  // namespace
}  // namespace tessel
