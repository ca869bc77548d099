#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "app/mdlExecuteLite.h"
#include "support/FakeCookieStore.h"
#include "support/FakeMainView.h"
#include "support/FakeProfileFile.h"
#include "support/MemoryJournalFile.h"

namespace tessel {
namespace {

using Field = MainWindowView::Field;
using OptionGroup = MainWindowView::OptionGroup;

const std::string kList = "C:\\Tools\\TesselCustom.ini";

std::string UrlOf(int board) {
    return "http://bbs.example.jp/b" + std::to_string(board) + ".cgi";
}

class frmMainTest : public ::testing::Test {
  protected:
    // Writes boards 1..count (Ferno-BBS, Quill, Harbor, ... in turn) as the board list.
    void WriteList(int count) {
        std::vector<testing::FakeProfileFile::Section> sections;
        for (int i = 1; i <= count; ++i) {
            const char* kinds[] = {"Ferno-BBS", "Ferno-BBS Quill", "Ferno-BBS Harbor"};
            sections.push_back({"b" + std::to_string(i),
                                {"name=Board" + std::to_string(i), "nickname=B" + std::to_string(i),
                                 "url=" + UrlOf(i), std::string("mode=") + kinds[(i - 1) % 3]}});
        }
        profile.SetFile(kList, sections);
    }
    // Loads boards 1..count and opens the window.
    void Open(int count) {
        WriteList(count);
        ASSERT_TRUE(app.Main());
        window.Form_Load();
    }

    void DoubleClick(std::int32_t row) {
        view.currentRow = row;
        window.lstBBSList_DblClick();
    }

    testing::FakeProfileFile profile;
    testing::FakeCookieStore store;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    testing::FakeExecutable executable;
    testing::RecordingMessages startupMessages;
    testing::FakeWindowFactory windows;
    mdlMain app{StartupServices{profile, store, clock, executable, startupMessages, windows}};
    testing::FakeMainView view;
    testing::FakeShell shell;
    frmMain window{view, app, shell};
};

TEST_F(frmMainTest, LoadShowsTheBoardsAndADoubleClickFillsTheFieldsFromTheCookie) {
    // The captions, name, counts and options are checked by the Qt window test.
    Open(3);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"B1", "B2", "B3"}));
    EXPECT_EQ(view.currentRow, -1);
    store.SetText(UrlOf(2), UrlOf(2) + "=Taro,t@x.jp,http://t.jp/,pw,15,1,1,9,44,3");
    DoubleClick(1);
    EXPECT_EQ(view.texts[Field::kMail], "t@x.jp");
    EXPECT_EQ(view.texts[Field::kPassword], "pw");
    EXPECT_EQ(view.texts[Field::kHomePage], "http://t.jp/");
    EXPECT_TRUE(view.IsOptionSelected(OptionGroup::kViewOrder, 1));
    EXPECT_TRUE(view.IsOptionSelected(OptionGroup::kNoReadView, 1));
    EXPECT_TRUE(view.messages.shown.empty());
    // Option values without a button leave the group as it was.
    store.SetText(UrlOf(2), UrlOf(2) + "=a,,,,20,7,-3,0,30");
    DoubleClick(1);
    EXPECT_TRUE(view.IsOptionSelected(OptionGroup::kViewOrder, 1));
    EXPECT_TRUE(view.IsOptionSelected(OptionGroup::kNoReadView, 1));
}

TEST_F(frmMainTest, AnEmptyListSaysHowToGetOneRefusesUpdateAndReloadReadsTheListAgain) {
    Open(0);
    EXPECT_NE(view.notice.find("「掲示板一覧を読み直す(R)」"), std::string::npos) << view.notice;
    DoubleClick(-1);  // no row: ignored
    EXPECT_EQ(store.reads, 0);
    window.cmdUpdate_Click();
    EXPECT_EQ(view.MessageTexts(), std::vector<std::string>{"掲示板一覧に掲示板がない。"});
    view.messages.shown.clear();
    WriteList(2);
    window.ReloadBoardList();
    EXPECT_EQ(view.rows, (std::vector<std::string>{"B1", "B2"}));
    EXPECT_EQ(view.notice, "");
    // A list that cannot be loaded is told, and the boards shown stay those of the registry.
    profile.SetFile(kList, {{"b1", {"name=X", "nickname=X", "url=" + UrlOf(1), "mode=Other"}}});
    window.ReloadBoardList();
    ASSERT_EQ(view.messages.shown.size(), 1u);
    EXPECT_EQ(view.messages.shown[0].text.rfind("設定ファイルをロードできませんでした。\n", 0), 0u);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"B1", "B2"}));
    EXPECT_EQ(app.BBSList()->Count(), 2u);
}

TEST_F(frmMainTest, AFailedReadNamesTheBoardAndKeepsTheEarlierOne) {
    Open(2);
    store.SetText(UrlOf(1), UrlOf(1) + "=Taro,,,,20,0,1,0,30");
    DoubleClick(0);
    DoubleClick(1);  // board 2 has no cookie: the second line says so, as no fault
    EXPECT_EQ(view.MessageTexts(),
              std::vector<std::string>{"Board2のクッキーが取得できない。\n"
                                       "この保存先にはまだこの掲示板のクッキーがありません"});
    EXPECT_EQ(view.messages.shown[0].caption, "TesselCustom");
    EXPECT_EQ(view.messages.shown[0].icon, MessageIcon::kNone);
    EXPECT_EQ(view.frameCaption, "Board1の設定");
    EXPECT_EQ(view.texts[Field::kPostName], "Taro");
}

TEST_F(frmMainTest, ACountOutsideTheSpinBoundsShowsTheNearestBoundAndIsWrittenSo) {
    const struct {
        const char* count;
        std::int32_t shown;
    } cases[] = {{"60", 50}, {"-5", 0}, {"50", 50}};
    Open(1);
    view.marked = {0};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        view.viewCount.spin.Value(25);
        store.SetText(UrlOf(1), UrlOf(1) + "=Taro,,,," + c.count + ",0,1,0,30");
        DoubleClick(0);
        EXPECT_EQ(view.viewCount.spin.Value(), c.shown);
        const bool clamped = std::to_string(c.shown) != c.count;
        EXPECT_EQ(view.status.find(std::string("「") + c.count + "」") != std::string::npos,
                  clamped);
        window.cmdUpdate_Click();
        EXPECT_EQ(store.writes.back().data.rfind("Taro,,,," + std::to_string(c.shown) + ",", 0),
                  0u);
    }
}

TEST_F(frmMainTest, UpdateNamesEachBoardsFailureOrTheStoresAndCountsWhatWasNotWritten) {
    Open(4);
    view.marked = {0, 2, 3};  // board 3 is a Harbor board and cannot be written
    store.RefuseWritesFor(UrlOf(4));
    window.cmdUpdate_Click();
    EXPECT_EQ(
        view.MessageTexts(),
        (std::vector<std::string>{
            "Board3のクッキーが設定できない。\nこの種類の掲示板は設定を"
            "掲示板自身に保存するため、クッキーでは設定できません",
            "Board4のクッキーが設定できない。\nクッキーが長すぎます（名前と値で 4096 バイトまで）",
            "1 個の掲示板に設定し、2 個は設定できなかった。"}));
    EXPECT_TRUE(store.ValueOf(UrlOf(1), UrlOf(1)).has_value());
    EXPECT_FALSE(store.ValueOf(UrlOf(2), UrlOf(2)).has_value());
    EXPECT_EQ(store.batches, 1);
    // A failing store is one message for the whole update.
    view.messages.shown.clear();
    view.marked = {0, 1};
    store.FailCommit();
    window.cmdUpdate_Click();
    EXPECT_EQ(view.MessageTexts(),
              (std::vector<std::string>{"クッキーの保存先が使えないため、書き込みを中止した。\n"
                                        "保存先が書き込みを断りました",
                                        "0 個の掲示板に設定し、2 個は設定できなかった。"}));
}

TEST_F(frmMainTest, UpdateWritesTheFieldsAndTheSelectedOptionButtonsOfTheMarkedBoardsOnly) {
    Open(2);
    window.cmdUpdate_Click();
    EXPECT_EQ(view.MessageTexts(), std::vector<std::string>{"設定できる掲示板が選ばれていない。"});
    EXPECT_TRUE(store.writes.empty());
    view.marked = {0, 1};  // an update before any read is the Qt window test's
    view.SetText(Field::kPostName, "太郎");
    view.selected[OptionGroup::kViewOrder] = 1;
    view.selected[OptionGroup::kNoReadView] = 1;
    window.cmdUpdate_Click();
    EXPECT_EQ(store.ValueOf(UrlOf(1), UrlOf(1)), "太郎,,,,0,1,1,0,0");
    const CBBSData& board = *app.BBSList()->Item(1);
    EXPECT_EQ(board.ViewOrder(), 1);
    EXPECT_EQ(board.NoReadView(), 1);
}

TEST_F(frmMainTest, UndoPutsTheLastUpdateBack) {
    testing::MemoryJournalFile file;
    UndoJournal journal{file, "jar", clock};
    app.KeepUndoJournal(journal);
    Open(2);
    view.marked = {0};
    view.SetText(Field::kPostName, "太郎");
    window.cmdUpdate_Click();
    window.mnuFileUndo_Click();
    EXPECT_EQ(view.MessageTexts(), (std::vector<std::string>{"設定完了。", "設定完了。"}));
    EXPECT_FALSE(store.ValueOf(UrlOf(1), UrlOf(1)).has_value());
}

TEST_F(frmMainTest, UnreadMarkersComeFromEachBoardsOwnCookieOrElseTheLastRead) {
    Open(4);
    // Board 2 is shown, then loses its cookie: its markers are those of the read. Board 1 was
    // never shown: its marker comes from its cookie. Board 4's cookie cannot be read: it is left
    // alone, with the reason.
    store.SetText(UrlOf(2), UrlOf(2) + "=a,,,,20,0,1,77,30,88");
    DoubleClick(1);
    store.SetText(UrlOf(2), "");  // the write below goes to the store's cookies
    store.SetText(UrlOf(1), UrlOf(1) + "=old,,,,20,0,1,55,30");
    store.HideUnreadableCookie(UrlOf(4));
    view.marked = {0, 1, 3};
    window.cmdUpdate_Click();
    store.SetText(UrlOf(1), "");  // read back what was written
    EXPECT_EQ(store.ValueOf(UrlOf(1), UrlOf(1)), "a,,,,20,0,1,55,30");
    EXPECT_EQ(store.ValueOf(UrlOf(2), UrlOf(2)), "a,,,,20,0,1,77,30,88");
    EXPECT_FALSE(store.ValueOf(UrlOf(4), UrlOf(4)).has_value());
    EXPECT_EQ(view.MessageTexts(),
              (std::vector<std::string>{
                  "Board4のクッキーが設定できない。\n保存されている同じ名前のクッキーは HttpOnly "
                  "のため、読むことも置き換えることもできません",
                  "2 個の掲示板に設定し、1 個は設定できなかった。"}));
}

TEST_F(frmMainTest, MenusOpenTheHelpAndShowTheVersion) {
    Open(1);
    window.mnuHelpHelp_Click();
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].lpFile, "C:\\Tools\\ReadMe.txt");
    EXPECT_EQ(shell.requests[0].lpVerb, "open");
    EXPECT_TRUE(view.messages.shown.empty());
    // A refused help and the exit are checked by the Qt window test.
    window.mnuHelpVerInfo_Click();
    ASSERT_EQ(view.messages.shown.size(), 1u);
    EXPECT_EQ(view.messages.shown[0].icon, MessageIcon::kInformation);
}

TEST(ExecuteLiteTest, PassesTheVerbAndParametersAndRefusalIsZero) {
    testing::FakeShell shell;
    EXPECT_NE(mdlExecuteLite::ExecuteLite(shell, "a.txt", std::nullopt, "open"), 0);
    shell.accept = false;
    EXPECT_EQ(mdlExecuteLite::ExecuteLite(shell, "a.txt", std::string("-x"), "print"), 0);
    ASSERT_EQ(shell.requests.size(), 2u);
    EXPECT_FALSE(shell.requests[0].lpParameters.has_value());
    EXPECT_EQ(shell.requests[1].lpVerb, "print");
    EXPECT_EQ(shell.requests[1].lpParameters, "-x");
}

}  // namespace
}  // namespace tessel
