// Writers killed at random moments: the jar and the board list always hold a whole version, and
// the next writer clears what a killed one left.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "posix/files/FileWriteCalls.h"
#include "posix/profile/PosixProfileFile.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "settings/CIniFile.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using testing::TempDir;

const std::string kUrl = "http://bbs.example.jp/b/bbs.cgi";
const std::string kExpires = "; expires=Sun, 04-Apr-2027 09:07:03 GMT";
constexpr int kOtherCookies = 300;

// The counter a write stored, or -1 when the text is not one a write could have left.
int Counter(const std::optional<std::string>& text, const std::string& prefix) {
    if (!text || !text->starts_with(prefix))
        return -1;
    const std::string digits = text->substr(prefix.size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoi(digits);
}

int TemporariesIn(const std::filesystem::path& directory) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        count += entry.path().filename().string().find(".tmp-") != std::string::npos;
    return count;
}

class KilledWriterTest : public ::testing::Test {
  protected:
    KilledWriterTest() {
        std::string jar = "# Netscape HTTP Cookie File\n";
        for (int i = 0; i < kOtherCookies; ++i)
            jar += "other.example.jp\tFALSE\t/\tFALSE\t0\tc" + std::to_string(i) + "\tx\n";
        dir.Write("cookies.txt", jar);
        dir.Write("TesselCustom.ini", "[zatsudan]\nURL=http://a.jp/\nCount=0\n");
    }

    // Only one writer at a time here: any temporary left is a killed writer's.
    static FileWriteCalls TreatEveryTemporaryAsStale() {
        FileWriteCalls calls = SystemFileWriteCalls();
        calls.staleAge = std::chrono::seconds(-1);
        return SetFileWriteCalls(calls);
    }

    // Writes both files over and over with a growing counter; never returns.
    [[noreturn]] void WriteForever(int start) {
        TreatEveryTemporaryAsStale();
        PosixProfileFile profile;
        for (int counter = start;; ++counter) {
            NetscapeCookieJar jar(jarPath, clock);
            jar.InternetSetCookie(kUrl, kUrl, "v" + std::to_string(counter) + kExpires);
            CIniFile ini(profile);
            ini.Load(iniPath);
            ini.NowSection("zatsudan");
            ini.Data("Count", std::to_string(counter));
            ini.Save("zatsudan");
        }
    }

    // The counters the files hold now, after checking that each is a whole version.
    std::pair<int, int> Check() {
        NetscapeCookieJar jar(jarPath, clock);
        const auto others = jar.InternetGetCookie("http://other.example.jp/", "");
        EXPECT_TRUE(others && std::count(others->begin(), others->end(), '=') == kOtherCookies);
        const auto text = jar.InternetGetCookie(kUrl, kUrl);
        const int cookie = text && text->empty() ? 0 : Counter(text, kUrl + "=v");
        PosixProfileFile profile;
        CIniFile ini(profile);
        EXPECT_TRUE(ini.Load(iniPath));
        ini.NowSection("zatsudan");
        EXPECT_EQ(ini.Data("URL"), "http://a.jp/");
        return {cookie, Counter(ini.Data("Count"), "")};
    }

    TempDir dir;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    std::string jarPath = dir.File("cookies.txt");
    std::string iniPath = dir.File("TesselCustom.ini");
};

TEST_F(KilledWriterTest, AKilledWriterLeavesTheOldOrTheNewFile) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay(0, 4000);  // microseconds
    std::pair<int, int> last{0, 0};
    const char* longRun = std::getenv("TESSEL_CRASH_KILLS");  // 1000 for a long run
    const int kills = longRun != nullptr ? std::atoi(longRun) : 100;
    for (int round = 0; round < kills; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            WriteForever(std::max(last.first, last.second) + 1);
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        SCOPED_TRACE("after kill " + std::to_string(round + 1));
        const std::pair<int, int> now = Check();
        // Never a damaged version, never one older than the last seen.
        ASSERT_GE(now.first, last.first);
        ASSERT_GE(now.second, last.second);
        last = now;
    }
    // The next writer clears whatever the killed ones left behind.
    const FileWriteCalls previous = TreatEveryTemporaryAsStale();
    NetscapeCookieJar jar(jarPath, clock);
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "vend" + kExpires));
    PosixProfileFile profile;
    EXPECT_TRUE(profile.WritePrivateProfileSection("zatsudan", std::string("URL=x\0", 7), iniPath));
    SetFileWriteCalls(previous);
    EXPECT_EQ(TemporariesIn(dir.Path()), 0);
}

TEST_F(KilledWriterTest, TheLockHolderClearsTheJarsTemporariesHoweverRecentAndNoOthers) {
    const std::string left = dir.Write(".cookies.txt.tmp-0123456789abcdef", "a killed writer's");
    const std::string other = dir.Write(".other.txt.tmp-0123456789abcdef", "not the jar's");
    NetscapeCookieJar jar(jarPath, clock);
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "v1" + kExpires));
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_TRUE(std::filesystem::exists(other));
}

}  // namespace
}  // namespace tessel
