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
#include <string>
#include <vector>

#include "posix/ChildProcess.h"
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

using testing::DataFile;
using testing::ReadBytes;

const std::string kHeader = "# Netscape HTTP Cookie File\n";
const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";
const std::string kExpires = "; expires=Sun, 04-Apr-2027 09:07:03 GMT";
const std::string kPast = "; expires=Thu, 01-Jan-1970 00:00:00 GMT";

// The line a board cookie for kUrl is stored as.
std::string BoardLine(const std::string& value, const std::string& expires = "1806829623") {
    return "bbs.example.jp\tFALSE\t/cgi-bin/\tFALSE\t" + expires + "\t" + kUrl + "\t" + value;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

class NetscapeCookieJarTest : public ::testing::Test {
  protected:
    // Puts a copy of a fixture where the jar is.
    std::string UseFixture(const std::string& name) {
        const std::string bytes = ReadBytes(DataFile(name));
        EXPECT_FALSE(bytes.empty()) << name;
        dir.Write("cookies.txt", bytes);
        return bytes;
    }

    testing::TempDir dir;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    std::string path = dir.File("cookies.txt");
    NetscapeCookieJar jar{path, clock};
};

TEST_F(NetscapeCookieJarTest, ReadsWhatABrowserWouldSend) {
    UseFixture("jar_rfc6265_matching.txt");
    const struct {
        std::string url, text;
    } cases[] = {
        // Longest path first, then file order; host-only, secure and expired cookies left out.
        {kUrl, "exact=4; dir=3; parentdir=6; nodir=2; root=1; parent=5; httponly=12"},
        {"http://bbs.example.jp/cgi-bin", "nodir=2; root=1; parent=5; httponly=12"},
        {"http://bbs.example.jp/CGI-BIN/bbs.cgi", "root=1; parent=5; httponly=12"},
        {"http://example.jp/", "parent=5; hostonlyparent=7"},
        {"http://deep.bbs.example.jp/cgi-bin/", "parentdir=6; parent=5"},
        {"http://ex.xample.jp/", "notsuffix=11"},
        {"http://127.0.0.1/", "ip=15"},
        {"http://other.example.jp/", "parent=5; sibling=10"},
        {"ftp://bbs.example.jp/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(jar.InternetGetCookie(c.url, ""), c.text);
    }
    clock.Set(SystemTime{2100, 1, 1, 0, 0, 0, 0});  // the moment "dir" expires
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""),
              "exact=4; parentdir=6; nodir=2; root=1; parent=5; httponly=12");
}

TEST_F(NetscapeCookieJarTest, AWrittenJarIsPrivateAndANewOneStartsWithTheHeader) {
    const std::string nested = dir.File("data/TesselCustom/cookies.txt");
    NetscapeCookieJar fresh(nested, clock);
    EXPECT_EQ(fresh.InternetGetCookie(kUrl, ""), "");
    ASSERT_TRUE(fresh.InternetSetCookie(kUrl, kUrl, "Taro,,,,20,0,1,0,30" + kExpires));
    ASSERT_TRUE(fresh.InternetSetCookie("http://bbs.example.jp/x", "session", "1"));
    EXPECT_EQ(ReadBytes(nested), kHeader + BoardLine("Taro,,,,20,0,1,0,30") + "\n" +
                                     "bbs.example.jp\tFALSE\t/\tFALSE\t0\tsession\t1\n");
    EXPECT_EQ(ModeOf(nested), 0600u);
    EXPECT_NE(access((nested + ".lock").c_str(), F_OK), 0) << "no lock file is left behind";
    EXPECT_EQ(ModeOf(dir.File("data/TesselCustom")), 0700u);
    EXPECT_EQ(ModeOf(dir.File("data")), 0700u);
    // A written jar is private whatever mode it had.
    ASSERT_EQ(chmod(nested.c_str(), 0666), 0);
    ASSERT_TRUE(fresh.InternetSetCookie(kUrl, kUrl, "pw" + kExpires));
    EXPECT_EQ(ModeOf(nested), 0600u);
    // So is one named near the file name limit (254 bytes), temporary files and all.
    const std::string longPath = dir.File(std::string(250, 'j') + ".txt");
    NetscapeCookieJar longJar(longPath, clock);
    EXPECT_TRUE(longJar.InternetSetCookie(kUrl, kUrl, "v" + kExpires));
    EXPECT_EQ(ReadBytes(longPath), kHeader + BoardLine("v") + "\n");
}

TEST_F(NetscapeCookieJarTest, ReplacesInPlaceDeletesByPastDateAndKeepsEveryOtherByte) {
    const std::string original = UseFixture("jar_other_tools.txt");
    const std::string old = BoardLine("Old,,,,20,0,1,0,30", "4102444800") + "\n";
    const std::string shadow = BoardLine("Shadow,,,,20,0,1,0,30", "0") + "\n";

    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "New,,,,20,0,1,0,30" + kExpires));
    // A second copy of the same cookie would shadow the new value for some readers: it goes.
    const std::string replaced =
        Replaced(Replaced(original, old, BoardLine("New,,,,20,0,1,0,30") + "\n"), shadow, "");
    EXPECT_EQ(ReadBytes(path), replaced);
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=New,,,,20,0,1,0,30; theme=dark");

    const std::string deleted = Replaced(Replaced(original, old, ""), shadow, "");
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "x" + kPast));
    EXPECT_EQ(ReadBytes(path), deleted);
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), "theme=dark");
    // Deleting what is not there changes nothing.
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "x" + kPast));
    EXPECT_EQ(ReadBytes(path), deleted);
}

TEST_F(NetscapeCookieJarTest, KeepsLineEndingsAMissingFinalNewlineAndDamagedLines) {
    const std::string line = BoardLine("New");
    const struct {
        const char* fixture;
        std::string expected;  // from the fixture's bytes, after setting kUrl's cookie to "New"
    } cases[] = {
        {"jar_no_final_newline.txt",
         ReadBytes(DataFile("jar_no_final_newline.txt")) + "\n" + line + "\n"},
        {"jar_crlf_lines.txt", Replaced(ReadBytes(DataFile("jar_crlf_lines.txt")),
                                        BoardLine("Old", "0") + "\r\n", line + "\r\n")},
        {"jar_garbage_lines.txt", ReadBytes(DataFile("jar_garbage_lines.txt")) + line + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        UseFixture(c.fixture);
        ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "New" + kExpires));
        EXPECT_EQ(ReadBytes(path), c.expected);
    }
    // Damaged lines are skipped when reading.
    EXPECT_EQ(jar.InternetGetCookie("http://bbs.example.jp/", ""), "empty=; good=1");
}

TEST_F(NetscapeCookieJarTest, JapaneseIsStoredAndLimitedInTheJarsCharset) {
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "太郎,,,,20,0,1,0,30" + kExpires));
    EXPECT_EQ(ReadBytes(path), kHeader + BoardLine("\x91\xBE\x98\x59,,,,20,0,1,0,30") + "\n");
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=太郎,,,,20,0,1,0,30");

    const std::string utf8Path = dir.File("utf8.txt");
    NetscapeCookieJar utf8(utf8Path, clock, CookieCharset::kUtf8);
    ASSERT_TRUE(utf8.InternetSetCookie(kUrl, kUrl, "太郎😀" + kExpires));
    EXPECT_EQ(ReadBytes(utf8Path), kHeader + BoardLine("太郎😀") + "\n");
    EXPECT_EQ(utf8.InternetGetCookie(kUrl, ""), kUrl + "=太郎😀");
    EXPECT_FALSE(utf8.InternetSetCookie(kUrl, kUrl, "\xFF" + kExpires));

    // Name and value together may hold 4,096 bytes: 2,000 kanji are 4,000 bytes in CP932 and
    // 6,000 in UTF-8.
    std::string kanji;
    for (int i = 0; i < 2000; ++i)
        kanji += "漢";
    const std::string room(4096 - 4000 - kUrl.size(), 'x');
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, kanji + room));
    EXPECT_FALSE(jar.InternetSetCookie(kUrl, kUrl, kanji + room + "x"));
    EXPECT_EQ(jar.LastFailure().kind, CookieFailureKind::kTooLong);
    EXPECT_FALSE(utf8.InternetSetCookie(kUrl, kUrl, kanji));
    EXPECT_EQ(utf8.LastFailure().kind, CookieFailureKind::kTooLong);
}

TEST_F(NetscapeCookieJarTest, RefusedCookiesLeaveTheJarUntouched) {
    const std::string original = UseFixture("jar_other_tools.txt");
    const std::string nul("a\0b", 3);
    const struct {
        std::string url, name, data;
    } cases[] = {
        {kUrl, kUrl, "😀" + kExpires},     // no Windows-31J code
        {kUrl, "名前\xE2\x80\xBE", "v"},  // the overline would read back as a tilde
        {kUrl, kUrl, "a\tb"},
        {kUrl, kUrl, nul},
        {kUrl, "a\rb", "v"},
        {kUrl, "a\nb", "v"},
        {kUrl, nul, "v"},
        {kUrl, "", "v"},
        {kUrl, kUrl, "v; expires=someday"},
        {"ftp://bbs.example.jp/", "n", "v"},
        {"http://example.org/", "SID", "v"},  // an HttpOnly cookie is not ours to replace
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + c.data);
        EXPECT_FALSE(jar.InternetSetCookie(c.url, c.name, c.data));
        EXPECT_EQ(ReadBytes(path), original);
    }
}

TEST_F(NetscapeCookieJarTest, ReadsFollowOtherWritersAndAHeldLockIsWaitedForABoundedTime) {
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "one"));
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=one");
    NetscapeCookieJar other(path, clock);
    ASSERT_TRUE(other.InternetSetCookie(kUrl, kUrl, "two"));
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=two");
    dir.Write("cookies.txt", kHeader + BoardLine("three", "0") + "\n");  // an editor, in place
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=three");
    // A lock another writer holds is waited for a bounded time, with a notice.
    const int fd = open(dir.Path().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    int notices = 0;
    jar.SetLockWait(std::chrono::milliseconds(200), [&] { ++notices; });
    EXPECT_FALSE(jar.InternetSetCookie(kUrl, kUrl, "New"));
    EXPECT_EQ(jar.LastFailure().kind, CookieFailureKind::kStoreBusy);
    EXPECT_EQ(notices, 1);
    close(fd);
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "New"));
    EXPECT_EQ(jar.InternetGetCookie(kUrl, ""), kUrl + "=New");
}

TEST_F(NetscapeCookieJarTest, BatchAnswersEachCookieAndWritesOnceUnderTheLockOrNotAtAll) {
    const std::string original = UseFixture("jar_other_tools.txt");
    jar.BeginWrites();
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "A" + kExpires));
    EXPECT_FALSE(jar.InternetSetCookie("http://bbs.example.jp/b/bbs.cgi", "b", "x\ty"));
    EXPECT_FALSE(jar.InternetSetCookie("http://bbs.example.jp/c/bbs.cgi", "c", "😀"));
    EXPECT_TRUE(jar.InternetSetCookie("http://bbs.example.jp/d/bbs.cgi", "d", "D"));
    EXPECT_EQ(jar.InternetGetCookie("http://bbs.example.jp/d/", ""), "d=D");
    EXPECT_EQ(ReadBytes(path), original);

    const int fd = open(dir.Path().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0) << "the batch should hold the lock";
    EXPECT_TRUE(jar.CommitWrites());
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0) << "the commit should release the lock";
    close(fd);

    EXPECT_EQ(ReadBytes(path),
              Replaced(Replaced(original, BoardLine("Shadow,,,,20,0,1,0,30", "0") + "\n", ""),
                       BoardLine("Old,,,,20,0,1,0,30", "4102444800"), BoardLine("A")) +
                  "bbs.example.jp\tFALSE\t/d/\tFALSE\t0\td\tD\n");

    // A cancelled batch stores nothing and frees the lock.
    const std::string committed = ReadBytes(path);
    jar.BeginWrites();
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "B" + kExpires));
    ASSERT_TRUE(jar.InternetSetCookie("http://bbs.example.jp/e/bbs.cgi", "e", "E"));
    jar.CancelWrites();
    EXPECT_EQ(ReadBytes(path), committed);
    EXPECT_EQ(jar.InternetGetCookie("http://bbs.example.jp/e/", ""), "");
    NetscapeCookieJar other(path, clock);
    EXPECT_TRUE(other.InternetSetCookie(kUrl, kUrl, "C"));
}

TEST_F(NetscapeCookieJarTest, AStoredCookieThatCannotBeReadIsNeverWrittenOver) {
    const struct {
        const char* why;
        std::string line;
        CookieCharset charset;
    } cases[] = {
        {"UTF-8, read as CP932", BoardLine("太郎,mail,,pw,20,0,1,7,30"), CookieCharset::kCp932},
        {"CP932, read as UTF-8", BoardLine("\x91\xBE\x98\x59,,,,20,0,1,7,30"),
         CookieCharset::kUtf8},
        {"Secure, for an http board",
         Replaced(BoardLine("Taro"), "FALSE\t1806829623", "TRUE\t1806829623"),
         CookieCharset::kCp932},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        dir.Write("cookies.txt", kHeader + c.line + "\n");
        NetscapeCookieJar other(path, clock, c.charset);
        EXPECT_EQ(other.InternetGetCookie(kUrl, kUrl), "");
        EXPECT_EQ(other.LastFailure().kind, CookieFailureKind::kUnreadable);
        EXPECT_FALSE(other.InternetSetCookie(kUrl, kUrl, "New,,,,20,0,1,0,30" + kExpires));
        EXPECT_EQ(other.LastFailure().kind, CookieFailureKind::kUnreadable);
        EXPECT_EQ(ReadBytes(path), kHeader + c.line + "\n");
    }
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

TEST_F(NetscapeCookieJarTest, UndoGivesBackTheFileByteForByte) {
    const std::string original = kHeader + "# kept\r\n" + BoardLine("Old");  // no final newline
    dir.Write("cookies.txt", original);
    jar.BeginWrites();
    const auto before = jar.RecordCookie(kUrl, kUrl);
    const auto beforeNew = jar.RecordCookie("http://new.example.jp/", "n");
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "New" + kExpires));
    ASSERT_TRUE(jar.InternetSetCookie("http://new.example.jp/", "n", "v" + kExpires));
    const auto written = jar.RecordCookie(kUrl, kUrl);
    const auto writtenNew = jar.RecordCookie("http://new.example.jp/", "n");
    ASSERT_TRUE(jar.CommitWrites());
    ASSERT_NE(ReadBytes(path), original);
    jar.BeginWrites();
    EXPECT_TRUE(jar.RestoreCookie("http://new.example.jp/", "n", *beforeNew, *writtenNew));
    EXPECT_TRUE(jar.RestoreCookie(kUrl, kUrl, *before, *written));
    ASSERT_TRUE(jar.CommitWrites());
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(NetscapeCookieJarTest, FilesThatAreNotJarsAreRefusedUntouched) {
    const struct {
        const char* why;
        std::string bytes;
    } cases[] = {
        {"a SQLite database", std::string("SQLite format 3\0\x10\0\x02\x02", 21) + "moz_cookies"},
        {"a JSON file", "{\"name\": \"Taro\"}\n"},
        {"a shell profile", "# ~/.profile\nexport PATH=$HOME/bin:$PATH\n"},
        {"NUL bytes", ReadBytes(DataFile("jar_nul_bytes.txt"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        dir.Write("cookies.txt", c.bytes);
        NetscapeCookieJar other(path, clock);
        EXPECT_EQ(other.InternetGetCookie(kUrl, kUrl), std::nullopt);
        EXPECT_FALSE(other.InternetSetCookie(kUrl, kUrl, "v" + kExpires));
        EXPECT_EQ(other.LastFailure().kind, CookieFailureKind::kStoreUnusable);
        EXPECT_EQ(other.LastFailure().details.path, path);
        EXPECT_EQ(ReadBytes(path), c.bytes);
    }
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

// A jar that cannot be written stays as it was (a failing disk: FaultInjectionTest), and writers
// in several processes keep each other's cookies.
const std::string kJar = kHeader + BoardLine("Old", "0") + "\n";

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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string place = std::to_string(&c - cases);
        std::filesystem::create_directory(dir.Path() / place);
        const std::string original = dir.Write(place + "/cookies.txt", kJar);
        if (c.lockFile)
            dir.Write(place + "/cookies.txt.lock", "");
        if (c.readOnly != nullptr)
            std::filesystem::permissions(
                dir.Path() / place / c.readOnly,
                std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        const std::string jarPath = dir.File(place + "/" + c.jar);
        const std::optional<bool> refused = testing::RunWithoutPrivileges([&] {
            NetscapeCookieJar jar(jarPath, clock);
            return !jar.InternetSetCookie(kUrl, kUrl, "New") &&
                   jar.InternetGetCookie(kUrl, "") != kUrl + "=New";
        });
        EXPECT_EQ(refused, true);
        EXPECT_EQ(ReadBytes(original), kJar);
        EXPECT_EQ(
            std::distance(std::filesystem::recursive_directory_iterator(dir.Path() / place), {}),
            1 + c.lockFile)
            << "no temporary or lock file is left";
    }
}

TEST_F(NetscapeCookieJarFailureTest, ConcurrentProcessesKeepEachOthersCookies) {
    constexpr int kWriters = 4;
    constexpr int kBoards = 40;
    const std::string path = dir.File("cookies.txt");
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
