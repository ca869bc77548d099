#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "posix/files/AtomicFile.h"
#include "posix/files/PosixJournalFile.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;

std::set<std::string> Listing(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        names.insert(entry.path().string());
    }
    return names;
}

mode_t Mode(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0);
    return status.st_mode & 07777;
}

TEST(AtomicFileTest, ANewFileGetsTheModeLessUmaskNeverWiderThanAsked) {
    TempDir dir;
    const mode_t old = umask(027);
    const std::error_code error = WriteFileAtomically(dir.File("new.txt"), "abc");
    umask(022);
    const std::error_code privateError = WriteFileAtomically(dir.File("secret.txt"), "pw", 0600);
    umask(old);
    ASSERT_FALSE(error) << error.message();
    ASSERT_FALSE(privateError) << privateError.message();
    EXPECT_EQ(ReadBytes(dir.File("new.txt")), "abc");
    EXPECT_EQ(Mode(dir.File("new.txt")), 0640u);
    EXPECT_EQ(Mode(dir.File("secret.txt")), 0600u);
}

TEST(AtomicFileTest, KeepsModeAndSymbolicLinks) {
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    const std::string target = dir.Write("real/file.txt", "old");
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    // link -> hop (relative) -> real/file.txt
    fs::create_symlink("real/file.txt", dir.Path() / "hop");
    fs::create_symlink("hop", dir.Path() / "link");
    const auto before = Listing(dir.Path());

    ASSERT_FALSE(WriteFileAtomically(dir.File("link"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "hop"));
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(Mode(target), 0600u);
    EXPECT_EQ(Listing(dir.Path()), before);

    // A link to a file not there yet creates the file, not a plain file in the link's place.
    fs::create_symlink("real/later.txt", dir.Path() / "dangling");
    ASSERT_FALSE(WriteFileAtomically(dir.File("dangling"), "made"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling"));
    EXPECT_EQ(ReadBytes(dir.File("real/later.txt")), "made");
}

// A failed write leaves the place as it was: no folder is made for the file, no temporary stays
// (every failing step on the way: FaultInjectionTest).
TEST(AtomicFileTest, AFailedWriteLeavesNothingBehind) {
    TempDir dir;
    EXPECT_TRUE(WriteFileAtomically(dir.File("absent/file.txt"), "x"));
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

// A staged replacement leaves the file alone until it is published, then replaces it private;
// one dropped, or never published, leaves nothing behind.
TEST(AtomicFileTest, AStagedReplacementTouchesNothingUntilPublished) {
    TempDir dir;
    const std::string target = dir.Write("cookies.txt", "old");
    ASSERT_EQ(chmod(target.c_str(), 0644), 0);
    const auto before = Listing(dir.Path());
    {
        StagedReplacement dropped;
        ASSERT_FALSE(dropped.StageLockedPrivate(target, "dropped"));
        EXPECT_TRUE(dropped.Staged());
    }
    EXPECT_EQ(Listing(dir.Path()), before);
    StagedReplacement staged;
    ASSERT_FALSE(staged.StageLockedPrivate(target, "new"));
    EXPECT_EQ(ReadBytes(target), "old");
    ASSERT_FALSE(staged.Publish());
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(Mode(target), 0600u);
    EXPECT_EQ(Listing(dir.Path()), before);
    EXPECT_TRUE(staged.Publish());  // nothing left to publish

    // Given in pieces, more than one system call takes, some empty, they are written in turn.
    std::vector<std::string> texts;
    std::string joined;
    for (int i = 0; i < 2500; ++i) {
        texts.push_back(i % 7 == 0 ? ""
                                   : std::string(static_cast<std::size_t>(i % 13), 'a' + i % 26));
        joined += texts.back();
    }
    const std::vector<std::string_view> pieces(texts.begin(), texts.end());
    ASSERT_FALSE(staged.StageLockedPrivate(target, pieces));
    ASSERT_FALSE(staged.Publish());
    EXPECT_EQ(ReadBytes(target), joined);
}

// Bytes written ahead are kept as far as the contents staged start with them, whatever follows;
// contents that start elsewhere, or bytes written ahead for another file, are written whole.
TEST(AtomicFileTest, BytesWrittenAheadServeTheStageThatStartsWithThem) {
    TempDir dir;
    const std::string target = dir.Write("cookies.txt", "old");
    const std::string other = dir.Write("other.txt", "other");
    std::string ahead;
    for (int i = 0; i < 2000; ++i)
        ahead += "line " + std::to_string(i) + "\n";
    const std::string_view bytes = ahead;
    const std::string tail = "appended\n";
    const std::string head = "head\n";
    struct Case {
        const char* name;
        std::vector<std::string_view> pieces;
        const std::string* aheadFor;
    };
    const std::vector<Case> cases = {
        {"all kept, more after", {bytes, tail}, &target},
        {"part kept, shorter", {bytes.substr(0, 5000), tail}, &target},
        {"part kept, a later run after", {bytes.substr(0, 100), bytes.substr(200)}, &target},
        {"none kept", {head, bytes}, &target},
        {"written ahead for another file", {bytes, tail}, &other},
    };
    const auto before = Listing(dir.Path());
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::string joined;
        for (const std::string_view piece : test.pieces)
            joined += piece;
        StagedReplacement staged;
        staged.StageAheadLockedPrivate(*test.aheadFor, bytes);
        ASSERT_FALSE(staged.StageLockedPrivate(target, test.pieces));
        staged.DiscardAhead();
        ASSERT_FALSE(staged.Publish());
        EXPECT_EQ(ReadBytes(target), joined);
        EXPECT_EQ(Mode(target), 0600u);
        EXPECT_EQ(ReadBytes(other), "other");
        EXPECT_EQ(Listing(dir.Path()), before);
    }
    // Bytes written ahead that no stage takes leave nothing behind.
    {
        StagedReplacement unused;
        unused.StageAheadLockedPrivate(target, bytes);
    }
    EXPECT_EQ(Listing(dir.Path()), before);
}

// The undo journal's folder holds each batch whole and private, and knows no other file.
TEST(AtomicFileTest, TheJournalFolderKeepsEachBatchAsAPrivateFile) {
    TempDir dir;
    PosixJournalFile journal(dir.File("state/undo"));
    CookieFailure error;
    ASSERT_TRUE(journal.Prepare(error));
    EXPECT_EQ(Mode(dir.File("state/undo")), 0700u);
    ASSERT_TRUE(journal.Add(1, "one", error) && journal.Add(12, "twelve", error));
    // A writer that took a number another already has leaves that batch as it is.
    EXPECT_FALSE(journal.Add(12, "other", error));
    dir.Write("state/undo/.batch-5.tmp", "x");
    dir.Write("state/undo/batch-", "x");
    dir.Write("state/undo/batch-7x", "x");
    std::vector<std::uint64_t> numbers = journal.Numbers(error).value();
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<std::uint64_t>{1, 12}));
    EXPECT_EQ(journal.Read(12, error), "twelve");
    EXPECT_EQ(Mode(dir.File("state/undo/batch-12")), 0600u);
    EXPECT_TRUE(journal.Remove(12, error) && journal.Remove(12, error));
    EXPECT_EQ(journal.Numbers(error).value(), std::vector<std::uint64_t>{1});
    EXPECT_FALSE(journal.Read(12, error));
    journal.Forget(1);
    EXPECT_TRUE(journal.Numbers(error).value().empty());
    // A forgotten batch is only set aside until the next batch starts.
    EXPECT_TRUE(fs::exists(dir.File("state/undo/.forgotten-1")));
    {
        PosixJournalFile next(dir.File("state/undo"));
        next.ClearForgotten();
    }
    EXPECT_FALSE(fs::exists(dir.File("state/undo/.forgotten-1")));
    EXPECT_TRUE(fs::exists(dir.File("state/undo/.batch-5.tmp")));

    PosixJournalFile blocked(dir.Write("file", "") + "/undo");
    EXPECT_FALSE(blocked.Prepare(error));
}

}  // namespace
}  // namespace tessel
