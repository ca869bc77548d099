// Every system call of an atomic write, made to fail in turn: the jar and the profile writer
// report false with a reason, and leave the file as it was with no temporary beside it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#include "app/FailureText.h"
#include "posix/files/AtomicFile.h"
#include "posix/files/FileWriteCalls.h"
#include "posix/profile/PosixProfileFile.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using testing::ReadBytes;
using testing::TempDir;

// Counts the calls of the seam and fails the one whose turn comes, as a disk would: a write
// with ENOSPC, everything else with EIO. A failed close still closes. Writes are short, as on
// a disk that fills up halfway through.
struct Injector {
    static inline int countdown = 0;

    static bool Due() { return countdown > 0 && --countdown == 0; }
    static int Fail(int error) {
        errno = error;
        return -1;
    }
    static int Open(const char* path, int flags, mode_t mode) {
        return Due() ? Fail(EIO) : ::open(path, flags, mode);
    }
    static ssize_t Writev(int fd, const iovec* pieces, int /*count: half the first one only*/) {
        return Due() ? Fail(ENOSPC) : ::write(fd, pieces[0].iov_base, (pieces[0].iov_len + 1) / 2);
    }
    static int Fchmod(int fd, mode_t mode) { return Due() ? Fail(EIO) : ::fchmod(fd, mode); }
    static int Fsync(int fd) { return Due() ? Fail(EIO) : ::fsync(fd); }
    static int Close(int fd) {
        const bool due = Due();
        const int result = ::close(fd);
        return due ? Fail(EIO) : result;
    }
    static int Rename(const char* from, const char* to) {
        return Due() ? Fail(EIO) : ::rename(from, to);
    }
};

class FaultInjectionTest : public ::testing::Test {
  protected:
    FaultInjectionTest()
        : previous_(SetFileWriteCalls({Injector::Open, Injector::Writev, Injector::Fchmod,
                                       Injector::Fsync, Injector::Close, Injector::Rename,
                                       std::chrono::hours(1)})) {}
    ~FaultInjectionTest() override {
        SetFileWriteCalls(previous_);
        Injector::countdown = 0;
    }

    // Fails the first call, then the second, ... until a write gets through untouched and
    // leaves expected. write returns whether it succeeded and sets its reason.
    void FailEveryStep(const std::string& file, const std::string& expected,
                       const std::function<bool(std::string& reason)>& write) {
        const std::string original = ReadBytes(file);
        for (int step = 1;; ++step) {
            SCOPED_TRACE("failing call " + std::to_string(step));
            Injector::countdown = step;
            std::string reason;
            const bool written = write(reason);
            if (Injector::countdown > 0) {  // no call failed: the write is whole
                EXPECT_TRUE(written) << reason;
                EXPECT_EQ(ReadBytes(file), expected);
                EXPECT_GE(step, 4);  // open, write, fsync, close, rename at least
                return;
            }
            EXPECT_FALSE(written);
            EXPECT_FALSE(reason.empty());
            EXPECT_EQ(ReadBytes(file), original);
            for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
                EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
                    << entry.path();
        }
    }

    TempDir dir;

  private:
    FileWriteCalls previous_;
};

TEST_F(FaultInjectionTest, TheJarLosesNothingWhereverAWriteFails) {
    const std::string file = dir.Write("cookies.txt",
                                       "# Netscape HTTP Cookie File\n"
                                       "bbs.example.jp\tFALSE\t/b/\tFALSE\t0\tkeep\t1\n");
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    // A batch is stored in one step, or written aside first and put in place after.
    for (const bool staged : {false, true}) {
        SCOPED_TRACE(staged ? "staged" : "in one step");
        FailEveryStep(
            file, ReadBytes(file) + "bbs.example.jp\tFALSE\t/b/\tFALSE\t1806829623\tn\tv\n",
            [&](std::string& reason) {
                NetscapeCookieJar jar(file, clock);
                jar.BeginWrites();
                EXPECT_TRUE(jar.InternetSetCookie("http://bbs.example.jp/b/bbs.cgi", "n",
                                                  "v; expires=Sun, 04-Apr-2027 09:07:03 GMT"));
                bool written = !staged || jar.StageWrites();
                if (written)
                    written = jar.CommitWrites();
                else
                    jar.CancelWrites();
                reason = FailureText(jar.LastFailure());
                // Nothing of a failed batch lingers in what the jar reads afterwards.
                EXPECT_EQ(jar.InternetGetCookie("http://bbs.example.jp/b/", ""),
                          written ? "keep=1; n=v" : "keep=1");
                return written;
            });
        // Leaves the file as it was for the next round.
        Injector::countdown = 0;
        ASSERT_FALSE(WriteFileAtomically(file,
                                         "# Netscape HTTP Cookie File\n"
                                         "bbs.example.jp\tFALSE\t/b/\tFALSE\t0\tkeep\t1\n"));
    }
}

TEST_F(FaultInjectionTest, TheBoardListLosesNothingWhereverAWriteFails) {
    const std::string file = dir.Write("TesselCustom.ini", "[zatsudan]\r\nURL=http://a.jp/\r\n");
    FailEveryStep(file, "[zatsudan]\r\nURL=http://b.jp/\r\nMode=1\r\n", [&](std::string& reason) {
        PosixProfileFile profile;
        const bool written = profile.WritePrivateProfileSection(
            "zatsudan", std::string("URL=http://b.jp/\0Mode=1\0", 24), file);
        reason = BoardListFailureText(profile.LastFailure());
        return written;
    });
}

}  // namespace
}  // namespace tessel
