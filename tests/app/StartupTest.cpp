#include <gtest/gtest.h>

#include <string>

#include "app/mdlMain.h"
#include "support/FakeAppHost.h"
#include "support/FakeCookieStore.h"
#include "support/PlatformFiles.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

const char* kLoadFailure = "設定ファイルをロードできませんでした。";

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

    void ExpectLoadFailureShown() {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, kLoadFailure);
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

TEST_F(StartupTest, ThreeKindsLoadInFileOrder) {
    dir.Write("TesselCustom.ini", Section("h", "Ferno-BBS Harbor") + Section("f", "Ferno-BBS") +
                                      Section("q", "Ferno-BBS Quill"));
    ASSERT_TRUE(Start());
    EXPECT_EQ(windows.opened, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Modes(), (std::vector<std::int32_t>{2, 0, 1}));
    const CBBSData& first = *app->BBSList()->Item(1);
    EXPECT_EQ(first.ID(), "h");
    EXPECT_EQ(first.Name(), "hの掲示板");
    EXPECT_EQ(first.NickName(), "h");
    EXPECT_EQ(first.URL(), "http://bbs.example.jp/h/bbs.cgi");
}

TEST_F(StartupTest, SectionNamesAlikeButForCaseFailTheLoad) {
    dir.Write("TesselCustom.ini", Section("Board", "Ferno-BBS") + Section("BOARD", "Ferno-BBS"));
    EXPECT_FALSE(Start());
    ExpectLoadFailureShown();
}

TEST_F(StartupTest, UnknownModeInTheThirdOfFiveKeepsTheFirstTwoAndSaysOnlyTheLoadFailed) {
    dir.Write("TesselCustom.ini", Section("a", "Ferno-BBS") + Section("b", "Ferno-BBS Quill") +
                                      Section("c", "Ferno-BBS Lantern") +
                                      Section("d", "Ferno-BBS") + Section("e", "Ferno-BBS"));
    EXPECT_FALSE(Start());
    ExpectLoadFailureShown();
    EXPECT_EQ(Modes(), (std::vector<std::int32_t>{0, 1}));
}

TEST_F(StartupTest, ModeKeywordsAreExact) {
    // (Spaces at a line's end are trimmed by the profile reader, as on Windows.)
    for (std::string mode : {"ferno-bbs", "FERNO-BBS QUILL", "Ferno-BBS  Quill", ""}) {
        SCOPED_TRACE("[" + mode + "]");
        messages.shown.clear();
        windows.opened = 0;
        dir.Write("TesselCustom.ini", Section("a", mode));
        EXPECT_FALSE(Start());
        ExpectLoadFailureShown();
    }
    messages.shown.clear();
    dir.Write("TesselCustom.ini", "[a]\nname=no mode\n");
    EXPECT_FALSE(Start());
    ExpectLoadFailureShown();
}

TEST_F(StartupTest, NoBoardListOpensAnEmptyWindow) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(windows.opened, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(app->BBSList()->Count(), 0u);
}

TEST_F(StartupTest, TheBoardListFollowsTheExecutablesName) {
    dir.Write("TesselCustom.ini", Section("wrong", "Ferno-BBS"));
    dir.Write("other.ini", Section("right", "Ferno-BBS Quill"));
    ASSERT_TRUE(Start("other"));
    ASSERT_EQ(app->BBSList()->Count(), 1u);
    EXPECT_EQ(app->BBSList()->Item(1)->ID(), "right");
}

TEST_F(StartupTest, ABoardListNamedOnTheCommandLineWins) {
    const std::string list = dir.Write("elsewhere.ini", Section("x", "Ferno-BBS"));
    ASSERT_TRUE(Start("TesselCustom", list));
    EXPECT_EQ(app->BBSList()->Item(1)->ID(), "x");
}

TEST_F(StartupTest, MissingKeysGiveEmptyTextsAndOtherKeysAreIgnored) {
    dir.Write("TesselCustom.ini", "[only]\nMODE=Ferno-BBS\ncolour=blue\n");
    ASSERT_TRUE(Start());
    const CBBSData& board = *app->BBSList()->Item(1);
    EXPECT_EQ(board.Name(), "");
    EXPECT_EQ(board.URL(), "");
    EXPECT_EQ(board.Mode(), 0);
}

TEST_F(StartupTest, AShiftJisBoardListReadsAsJapanese) {
    // "[z]\nname=雑談\nmode=Ferno-BBS\n" in Windows-31J.
    dir.Write("TesselCustom.ini", "[z]\r\nname=\x8e\x47\x92\x6b\r\nmode=Ferno-BBS\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->BBSList()->Item(1)->Name(), "雑談");
}

TEST_F(StartupTest, ReleaseEndsTheRegistry) {
    ASSERT_TRUE(Start());
    app->ReleaseBBSList();
    EXPECT_EQ(app->BBSList(), nullptr);
}

}  // namespace
}  // namespace tessel
