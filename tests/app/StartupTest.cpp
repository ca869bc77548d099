#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <fstream>
#include <functional>
#include <string>

#include "app/mdlMain.h"
#include "support/FakeAppHost.h"
#include "support/FakeCookieStore.h"
#include "support/PlatformFiles.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

const char* kLoadFailure = "設定ファイルをロードできませんでした。";

[[maybe_unused]] void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Section(const std::string& id, const std::string& mode) {
    return testing::InBoardListEncoding("[" + id + "]\nname=" + id + "の掲示板\nnickname=" + id +
                                        "\nurl=http://bbs.example.jp/" + id +
                                        "/bbs.cgi\nmode=" + mode + "\n");
}

class StartupTest : public ::testing::Test {
  protected:
    // Starts the program as the executable exeName in the temporary directory.
    bool Start(const std::string& exeName = "TesselCustom",
               std::optional<std::string> boardList = std::nullopt) {
        executable = std::make_unique<testing::PlatformExecutable>(dir.File(exeName));
        app = std::make_unique<mdlMain>(
            StartupServices{profile, store, clock, *executable, messages, windows},
            std::move(boardList));
        return app->Main();
    }

    std::vector<std::int32_t> Modes() {
        std::vector<std::int32_t> modes;
        for (const auto& board : *app->BBSList())
            modes.push_back(board->Mode());
        return modes;
    }

    // The load failure's message, then on its second line the list's path and what is wrong.
    void ExpectLoadFailureShown(const std::string& cause) {
        ASSERT_EQ(messages.shown.size(), 1u);
        const std::string& text = messages.shown[0].text;
        EXPECT_EQ(text.substr(0, text.find('\n')), kLoadFailure);
        EXPECT_NE(text.find("\n" + app->BoardListPath() + ": "), std::string::npos) << text;
        EXPECT_NE(text.find(cause), std::string::npos) << text;
        EXPECT_EQ(text.find("そんな掲示板知らない。"), std::string::npos);
        EXPECT_EQ(messages.shown[0].caption, "TesselCustom");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::kStop);
        EXPECT_EQ(windows.opened, 0);
    }

    testing::TempDir dir;
    testing::PlatformProfileFile profile;
    testing::FakeCookieStore store;
    testing::FixedClock clock{SystemTime{}};
    testing::RecordingMessages messages;
    testing::FakeWindowFactory windows;
    std::unique_ptr<testing::PlatformExecutable> executable;
    std::unique_ptr<mdlMain> app;
};

TEST_F(StartupTest, NoListOpensAnEmptyWindowSayingWhereItLookedAndThreeKindsLoadInFileOrder) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(windows.opened, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(app->BBSList()->Count(), 0u);
    EXPECT_NE(app->LoadNote().find(dir.File("TesselCustom.ini")), std::string::npos);
    dir.Write("TesselCustom.ini", Section("h", "Ferno-BBS Harbor") + Section("f", "Ferno-BBS") +
                                      Section("q", "Ferno-BBS Quill"));
    ASSERT_TRUE(Start());
    EXPECT_EQ(windows.opened, 2);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Modes(), (std::vector<std::int32_t>{2, 0, 1}));
    const CBBSData& first = *app->BBSList()->Item(1);
    EXPECT_EQ(first.ID(), "h");
    EXPECT_EQ(first.Name(), "hの掲示板");
    EXPECT_EQ(first.NickName(), "h");
    EXPECT_EQ(first.URL(), "http://bbs.example.jp/h/bbs.cgi");
}

TEST_F(StartupTest, ABadSectionFailsTheLoadKeepingTheBoardsBeforeIt) {
    // (Spaces at a line's end are trimmed by the profile reader, as on Windows.)
    const struct {
        std::string list, cause;
        std::vector<std::int32_t> modes;  // of the boards loaded before the bad one
    } cases[] = {
        {Section("Board", "Ferno-BBS") + Section("BOARD", "Ferno-BBS"), "[Board] と [BOARD]", {}},
        {Section("a", "Ferno-BBS") + Section("b", "Ferno-BBS Quill") +
             Section("c", "Ferno-BBS Lantern") + Section("d", "Ferno-BBS") +
             Section("e", "Ferno-BBS"),
         "[c] の mode「Ferno-BBS Lantern」",
         {0, 1}},
        {Section("a", "ferno-bbs"), "[a]", {}},
        {Section("a", "FERNO-BBS QUILL"), "[a]", {}},
        {Section("a", "Ferno-BBS  Quill"), "[a]", {}},
        {Section("a", ""), "[a]", {}},
        {"[a]\nname=no mode\n", "[a] に mode がありません", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cause);
        messages.shown.clear();
        dir.Write("TesselCustom.ini", c.list);
        EXPECT_FALSE(Start());
        ExpectLoadFailureShown(c.cause);
        EXPECT_EQ(Modes(), c.modes);
    }
}

// The Linux reader's own checks of a board list's bytes; kernel32 reads what it can. (UTF-32 and
// NUL bytes are refused by the same path: see HostileInputTest.)
#ifndef _WIN32
TEST_F(StartupTest, ABoardListThatIsThereButUnusableFailsTheLoad) {
    using namespace std::string_literals;
    const struct {
        const char* why;
        std::function<void(const std::string&)> make;
        std::string cause;
    } cases[] = {
        {"a directory", [](const std::string& p) { mkdir(p.c_str(), 0700); }, "フォルダです"},
        {"a FIFO", [](const std::string& p) { mkfifo(p.c_str(), 0600); },
         "普通のファイルではありません"},
        {"over the size limit",
         [](const std::string& p) {
             close(open(p.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
             ASSERT_EQ(truncate(p.c_str(), 65 << 20), 0);
         },
         "大きすぎます"},
        {"UTF-16BE", [](const std::string& p) { WriteFile(p, "\xFE\xFF\0[\0a\0]"s); },
         "UTF-16 (ビッグエンディアン)"},
        {"UTF-16 without a mark", [](const std::string& p) { WriteFile(p, "[\0a\0]\0\n\0"s); },
         "(BOM) のない UTF-16"},
        {"named but missing", [](const std::string&) {}, "見つかりません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        messages.shown.clear();
        testing::TempDir place;
        const std::string list = place.File("list.ini");
        c.make(list);
        EXPECT_FALSE(Start("TesselCustom", list));
        ExpectLoadFailureShown(c.cause);
    }
}
#endif

TEST_F(StartupTest, TheBoardListFollowsTheExecutablesName) {
    dir.Write("TesselCustom.ini", Section("wrong", "Ferno-BBS"));
    dir.Write("other.ini", Section("right", "Ferno-BBS Quill"));
    ASSERT_TRUE(Start("other"));
    ASSERT_EQ(app->BBSList()->Count(), 1u);
    EXPECT_EQ(app->BBSList()->Item(1)->ID(), "right");
}

TEST_F(StartupTest, MissingKeysGiveEmptyTextsOtherKeysAreIgnoredAndShiftJisReadsAsJapanese) {
    // "[z]\nname=雑談\nmode=Ferno-BBS\n" in Windows-31J.
    dir.Write(
        "TesselCustom.ini",
        "[only]\nMODE=Ferno-BBS\ncolour=blue\n[z]\r\nname=\x8e\x47\x92\x6b\r\nmode=Ferno-BBS\r\n");
    ASSERT_TRUE(Start());
    const CBBSData& board = *app->BBSList()->Item(1);
    EXPECT_EQ(board.Name(), "");
    EXPECT_EQ(board.URL(), "");
    EXPECT_EQ(board.Mode(), 0);
    EXPECT_EQ(app->BBSList()->Item(2)->Name(), "雑談");
}

}  // namespace
}  // namespace tessel
