// A jar that cannot be written stays as it was, and writers in several processes keep each
// other's cookies.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "posix/ChildProcess.h"
#include "posix/NetscapeCookieJar.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;

const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";
const std::string kJar =
    "# Netscape HTTP Cookie File\nbbs.example.jp\tFALSE\t/cgi-bin/\tFALSE\t0\t" + kUrl + "\tOld\n";

std::vector<std::string> TemporaryFiles(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().filename().string().find(".tmp") != std::string::npos) {
            found.push_back(entry.path().string());
        }
    }
    return found;
}

class NetscapeCookieJarFailureTest : public ::testing::Test {
  protected:
    testing::TempDir dir;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
};

TEST_F(NetscapeCookieJarFailureTest, UnwritablePlacesRefuseTheCookieAndKeepTheJar) {
    const struct {
        const char* name;
        const char* jar;       // in the place
        const char* readOnly;  // what is made read-only, if anything
        bool lockFile;         // left by an earlier write
    } cases[] = {
        {"read-only jar", "cookies.txt", "cookies.txt", false},
        {"read-only directory with a lock file", "cookies.txt", ".", true},
        {"read-only directory", "cookies.txt", ".", false},
        {"missing directory under a read-only one", "sub/cookies.txt", ".", false},
        {"a file where the directory should be", "cookies.txt/cookies.txt", nullptr, false},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string place = std::to_string(index++);
        fs::create_directory(dir.Path() / place);
        const std::string original = dir.Write(place + "/cookies.txt", kJar);
        if (c.lockFile)
            dir.Write(place + "/cookies.txt.lock", "");
        if (c.readOnly != nullptr)
            fs::permissions(dir.Path() / place / c.readOnly,
                            fs::perms::owner_read | fs::perms::owner_exec);
        const std::string jarPath = dir.File(place + "/" + c.jar);
        const std::optional<bool> refused = testing::RunWithoutPrivileges([&] {
            NetscapeCookieJar jar(jarPath, clock);
            return !jar.InternetSetCookie(kUrl, kUrl, "New") &&
                   jar.InternetGetCookie(kUrl, "") != kUrl + "=New";
        });
        EXPECT_EQ(refused, true);
        EXPECT_EQ(ReadBytes(original), kJar);
        EXPECT_EQ(TemporaryFiles(dir.Path() / place), std::vector<std::string>());
    }
}

TEST_F(NetscapeCookieJarFailureTest, FullDiskFailsTheCommitAndKeepsTheJar) {
    const std::string path = dir.Write("cookies.txt", kJar);
    const std::optional<bool> failedCleanly = testing::RunWithFileSizeLimit(kJar.size() + 16, [&] {
        NetscapeCookieJar jar(path, clock);
        jar.BeginWrites();
        const bool accepted = jar.InternetSetCookie(kUrl, kUrl, std::string(100, 'n'));
        const bool committed = jar.CommitWrites();
        // Nothing of the failed batch may linger in what this jar reads afterwards.
        return accepted && !committed && jar.InternetGetCookie(kUrl, "") == kUrl + "=Old";
    });
    EXPECT_EQ(failedCleanly, true);
    EXPECT_EQ(ReadBytes(path), kJar);
    EXPECT_EQ(TemporaryFiles(dir.Path()), std::vector<std::string>());
}

TEST_F(NetscapeCookieJarFailureTest, ConcurrentProcessesKeepEachOthersCookies) {
    constexpr int kWriters = 4;
    constexpr int kBoards = 40;
    const std::string path = dir.File("cookies.txt");
    // Half the writers reach the jar through a symbolic link from another directory.
    fs::create_directory(dir.Path() / "links");
    const std::string link = dir.File("links/jar");
    fs::create_symlink(path, link);
    const auto url = [](int writer, int board) {
        return "http://bbs" + std::to_string(board % 4) + ".example.jp/w" + std::to_string(writer) +
               "/b" + std::to_string(board) + "/bbs.cgi";
    };
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Writer 0 writes cookie by cookie; the others in batches of five.
            NetscapeCookieJar jar(writer % 2 == 0 ? path : link, clock);
            bool stored = true;
            for (int board = 0; board < kBoards; ++board) {
                if (writer > 0 && board % 5 == 0)
                    jar.BeginWrites();
                stored &= jar.InternetSetCookie(url(writer, board), "n", std::to_string(board));
                if (writer > 0 && board % 5 == 4)
                    stored &= jar.CommitWrites();
            }
            _exit(stored ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    NetscapeCookieJar jar(path, clock);
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int board = 0; board < kBoards; ++board) {
            EXPECT_EQ(jar.InternetGetCookie(url(writer, board), ""), "n=" + std::to_string(board))
                << url(writer, board);
        }
    }
}

}  // namespace
}  // namespace tessel
