// The jar as a file on this system: private modes, the lock, reads that follow other writers,
// names it refuses, memory, and writers in several processes. The rest is the jar's rules.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "posix/ChildProcess.h"
#include "posix/desktop/PosixAppPlaces.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "support/AddressSanitizer.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

#if defined(TESSEL_ADDRESS_SANITIZER)
// The sanitizer's own count, exported by its runtime (declared by hand: not every compiler ships
// the header).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace tessel {
namespace {

const std::string kHeader = "# Netscape HTTP Cookie File\n";
const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";

// The line a board cookie for kUrl is stored as.
std::string BoardLine(const std::string& value, const std::string& expires = "1806829623") {
    return "bbs.example.jp\tFALSE\t/cgi-bin/\tFALSE\t" + expires + "\t" + kUrl + "\t" + value;
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

class NetscapeCookieJarTest : public ::testing::Test {
  protected:
    testing::TempDir dir;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    std::string path = dir.File("cookies.txt");
    NetscapeCookieJar jar{path, clock};
};

TEST_F(NetscapeCookieJarTest, AWrittenJarAndTheFoldersMadeForItArePrivate) {
    const std::string nested = dir.File("data/TesselCustom/cookies.txt");
    NetscapeCookieJar fresh(nested, clock);
    EXPECT_EQ(fresh.InternetGetCookie(kUrl, ""), "");
    ASSERT_TRUE(fresh.InternetSetCookie(kUrl, kUrl, "Taro"));
    EXPECT_EQ(ModeOf(nested), 0600u);
    EXPECT_EQ(ModeOf(dir.File("data/TesselCustom")), 0700u);
    EXPECT_EQ(ModeOf(dir.File("data")), 0700u);
    // A written jar is private whatever mode it had.
    ASSERT_EQ(chmod(nested.c_str(), 0666), 0);
    ASSERT_TRUE(fresh.InternetSetCookie(kUrl, kUrl, "pw"));
    EXPECT_EQ(ModeOf(nested), 0600u);
    // So is one named near the file name limit (254 bytes), temporary files and all.
    const std::string longPath = dir.File(std::string(250, 'j') + ".txt");
    NetscapeCookieJar longJar(longPath, clock);
    EXPECT_TRUE(longJar.InternetSetCookie(kUrl, kUrl, "v"));
    EXPECT_EQ(ModeOf(longPath), 0600u);
}

TEST_F(NetscapeCookieJarTest, ReadsFollowOtherWritersWhoWaitForTheLockABoundedTime) {
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "one"));
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=one");
    NetscapeCookieJar other(path, clock);
    ASSERT_TRUE(other.InternetSetCookie(kUrl, kUrl, "two"));
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=two");
    dir.Write("cookies.txt", kHeader + BoardLine("three", "0") + "\n");  // an editor, in place
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=three");
    // So does a batch whose jar was read ahead, on another thread, before another writer.
    NetscapeCookieJar ahead(path, clock);
    std::thread([&] { ahead.Prefetch(); }).join();
    ASSERT_TRUE(other.InternetSetCookie("http://other.example.jp/", "o", "1"));
    ahead.BeginWrites();
    ASSERT_TRUE(ahead.InternetSetCookie(kUrl, kUrl, "four"));
    ASSERT_TRUE(ahead.CommitWrites());
    EXPECT_EQ(jar.InternetGetCookie("http://other.example.jp/", ""), "o=1");
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=four");

    // A lock another writer holds is waited for a bounded time, with a notice.
    const int fd = open(dir.Path().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    int notices = 0;
    other.SetLockWait(std::chrono::milliseconds(200), [&] { ++notices; });
    EXPECT_FALSE(other.InternetSetCookie(kUrl, kUrl, "New"));
    EXPECT_EQ(other.LastFailure().kind, CookieFailureKind::kStoreBusy);
    EXPECT_EQ(notices, 1);
    close(fd);
    EXPECT_TRUE(other.InternetSetCookie(kUrl, kUrl, "New"));
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=New");
}

TEST_F(NetscapeCookieJarTest, APathThroughADescriptorIsRefusedAndMakesNoFile) {
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "one"));
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "two"));  // the descriptor keeps the old file
    for (const std::string& name :
         {"/proc/self/fd/" + std::to_string(fd), "/dev/fd/" + std::to_string(fd)}) {
        SCOPED_TRACE(name);
        NetscapeCookieJar through(name, clock);
        EXPECT_FALSE(through.InternetSetCookie(kUrl, kUrl, "three"));
        EXPECT_EQ(through.LastFailure().kind, CookieFailureKind::kStoreUnusable);
        EXPECT_FALSE(through.InternetGetCookie(kUrl, kUrl));
    }
    close(fd);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    EXPECT_EQ(jar.InternetGetCookie(kUrl, kUrl), kUrl + "=two");
}

// Allocated bytes as the allocator in use counts them.
std::size_t AllocatedBytes() {
#if defined(TESSEL_ADDRESS_SANITIZER)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}
TEST_F(NetscapeCookieJarTest, FiftyMegabyteJarsReadInMemoryProportionalToTheFile) {
    std::string bytes = kHeader;
    bytes.reserve(50'000'100);
    for (int i = 0; bytes.size() < 50'000'000; ++i) {
        const std::string number = std::to_string(i);
        bytes.append("h").append(std::to_string(i / 8)).append(".example.jp\tFALSE\t/cgi-bin/");
        bytes.append("\tFALSE\t0\tname").append(number).append("\tsome,value,").append(number);
        bytes.append("\n");
    }
    bytes += BoardLine("last");
    dir.Write("cookies.txt", bytes);
    const std::size_t before = AllocatedBytes();
    EXPECT_EQ(jar.InternetGetCookie("http://h7.example.jp/cgi-bin/", ""),
              "name56=some,value,56; name57=some,value,57; name58=some,value,58; "
              "name59=some,value,59; name60=some,value,60; name61=some,value,61; "
              "name62=some,value,62; name63=some,value,63");
    EXPECT_LT(AllocatedBytes() - before, bytes.size() * 5 / 2);
}

// A jar that cannot be written stays as it was (a failing disk: FaultInjectionTest).
TEST_F(NetscapeCookieJarTest, UnwritablePlacesRefuseTheCookieAndKeepTheJar) {
    const std::string jarBytes = kHeader + BoardLine("Old", "0") + "\n";
    const struct {
        const char* name;
        const char* jar;       // in the place
        const char* readOnly;  // what is made read-only
    } cases[] = {
        {"read-only jar", "cookies.txt", "cookies.txt"},
        {"read-only directory", "cookies.txt", "."},
        {"missing directory under a read-only one", "sub/cookies.txt", "."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string place = std::to_string(&c - cases);
        std::filesystem::create_directory(dir.Path() / place);
        const std::string original = dir.Write(place + "/cookies.txt", jarBytes);
        std::filesystem::permissions(
            dir.Path() / place / c.readOnly,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        const std::string jarPath = dir.File(place + "/" + c.jar);
        const std::optional<bool> refused = testing::RunWithoutPrivileges([&] {
            NetscapeCookieJar store(jarPath, clock);
            return !store.InternetSetCookie(kUrl, kUrl, "New") &&
                   store.InternetGetCookie(kUrl, "") != kUrl + "=New";
        });
        EXPECT_EQ(refused, true);
        EXPECT_EQ(testing::ReadBytes(original), jarBytes);
        EXPECT_EQ(
            std::distance(std::filesystem::recursive_directory_iterator(dir.Path() / place), {}), 1)
            << "no temporary or lock file is left";
    }
}

TEST_F(NetscapeCookieJarTest, ConcurrentProcessesKeepEachOthersCookies) {
    constexpr int kWriters = 4;
    constexpr int kBoards = 40;
    // Half the writers reach the jar through a symbolic link from another directory.
    std::filesystem::create_directory(dir.Path() / "links");
    const std::string link = dir.File("links/jar");
    std::filesystem::create_symlink(path, link);
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
            NetscapeCookieJar writes(writer % 2 == 0 ? path : link, clock);
            bool stored = true;
            for (int board = 0; board < kBoards; ++board) {
                if (writer > 0 && board % 5 == 0)
                    writes.BeginWrites();
                stored &= writes.InternetSetCookie(url(writer, board), "n", std::to_string(board));
                if (writer > 0 && board % 5 == 4)
                    stored &= writes.CommitWrites();
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
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int board = 0; board < kBoards; ++board) {
            EXPECT_EQ(jar.InternetGetCookie(url(writer, board), ""), "n=" + std::to_string(board))
                << url(writer, board);
        }
    }
}

// A large batch on a large jar starts writing the jar aside as it begins; the file it leaves is
// the one a batch told nothing leaves, whether it appends, replaces or is dropped.
TEST_F(NetscapeCookieJarTest, ALargeBatchWrittenAheadLeavesTheSameFile) {
    std::string others = kHeader;
    for (int i = 0; i < 4000; ++i) {
        others += ".site" + std::to_string(i) + ".example.com\tTRUE\t/\tFALSE\t2000000000\tid\t" +
                  std::string(40, 'v') + "\n";
    }
    const std::string told = dir.Write("told.txt", others);
    const std::string untold = dir.Write("untold.txt", others);
    const auto batch = [&](const std::string& file, bool tell, const std::string& value,
                           bool keep) {
        NetscapeCookieJar writes(file, clock);
        if (tell)
            writes.ExpectWrites(600);
        writes.BeginWrites();
        if (value == std::string("restored")) {
            // A batch that puts a cookie back makes its document anew while the jar is written
            // ahead from the old one.
            const std::string url = "http://bbs0.example.jp/cgi-bin/bbs.cgi";
            const std::optional<std::string> before = writes.RecordCookie(url, url);
            EXPECT_TRUE(writes.InternetSetCookie(url, url, "gone"));
            const std::optional<std::string> written = writes.RecordCookie(url, url);
            ASSERT_TRUE(before && written);
            EXPECT_TRUE(writes.RestoreCookie(url, url, *before, *written));
        }
        for (int board = 0; board < 600; ++board) {
            const std::string url =
                "http://bbs" + std::to_string(board) + ".example.jp/cgi-bin/bbs.cgi";
            EXPECT_TRUE(writes.InternetSetCookie(url, url, value + std::to_string(board)));
        }
        if (!keep) {
            writes.CancelWrites();
            return;
        }
        EXPECT_TRUE(writes.StageWrites());
        EXPECT_TRUE(writes.CommitWrites());
    };
    const auto files = [&] {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.insert(entry.path().filename().string());
        return names;
    };
    const std::set<std::string> before = files();
    for (const auto& [value, keep] :
         {std::pair{"first", true}, {"second", true}, {"x", false}, {"restored", true}}) {
        SCOPED_TRACE(value);
        batch(told, true, value, keep);
        batch(untold, false, value, keep);
        EXPECT_EQ(testing::ReadBytes(told), testing::ReadBytes(untold));
        EXPECT_EQ(files(), before);
    }
    EXPECT_NE(testing::ReadBytes(told).find("restored599"), std::string::npos);
}

// Where the jar is kept unless one is named.
TEST(DefaultCookieJarTest, FollowsXdgDataHome) {
    const std::string local = "/home/t/.local/share/TesselCustom/cookies.txt";
    const struct {
        const char* dataHome;  // nullptr: unset
        const char* home;
        std::string path;
    } cases[] = {
        {"/data", "/home/t", "/data/TesselCustom/cookies.txt"},
        {"data", "/home/t", local},  // The XDG rules say a relative path is to be ignored.
        {nullptr, "", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(DefaultCookieJarPath([&](const char* name) {
                      return std::string(name) == "XDG_DATA_HOME" ? c.dataHome
                             : std::string(name) == "HOME"        ? c.home
                                                                  : nullptr;
                  }),
                  c.path);
    }
}

}  // namespace
}  // namespace tessel
