#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "app/BoardListEditing.h"
#include "app/BoardListSearch.h"
#include "app/HelpDocument.h"
#include "posix/desktop/ProcExecutable.h"
#include "posix/profile/PosixProfileFile.h"
#include "support/FakeAppHost.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

// An environment the test chooses; a path exists when the test says so or the file system has it.
class FakePlaces : public AppPlaces {
  public:
    std::map<std::string, std::string> environment;
    std::set<std::string> files;
    std::string sample = "/usr/share/tesselcustom/TesselCustom.ini";
    std::string help;
    CookieFailure copyFailure;
    std::vector<std::pair<std::string, std::string>> copies;

    std::string Environment(const std::string& name) override {
        const auto found = environment.find(name);
        return found == environment.end() ? std::string() : found->second;
    }
    bool Exists(const std::string& path) override {
        return files.count(path) > 0 || std::filesystem::exists(path);
    }
    std::string SampleBoardList() override { return sample; }
    std::string InstalledHelp() override { return help; }
    CookieFailure CopyToNewFile(const std::string& from, const std::string& to) override {
        copies.emplace_back(from, to);
        if (!copyFailure)
            files.insert(to);
        return copyFailure;
    }
};

testing::FakeExecutable InOptBin() {
    testing::FakeExecutable executable;
    executable.directory = "/opt/tc/bin";
    executable.separator = '/';
    return executable;
}

TEST(BoardListSearchTest, CandidatesFollowTheXdgRulesAndTheFirstListThereWins) {
    const std::string beside = "/opt/tc/bin/TesselCustom.ini";
    const std::string tail = "/TesselCustom/TesselCustom.ini";
    const struct {
        const char* why;
        std::map<std::string, std::string> environment;
        std::vector<std::string> expected;
    } cases[] = {
        {"defaults", {{"HOME", "/home/u"}}, {beside, "/home/u/.config" + tail, "/etc/xdg" + tail}},
        {"both set",
         {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_CONFIG_DIRS", "/a:/b"}},
         {beside, "/cfg" + tail, "/a" + tail, "/b" + tail}},
        {"relative and empty entries are passed over",
         {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "cfg"}, {"XDG_CONFIG_DIRS", ":rel::/b:"}},
         {beside, "/home/u/.config" + tail, "/b" + tail}},
        {"no home at all", {{"XDG_CONFIG_DIRS", "/a"}}, {beside, "/a" + tail}},
        {"a relative home", {{"HOME", "home"}}, {beside, "/etc/xdg" + tail}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FakePlaces places;
        places.environment = c.environment;
        testing::FakeExecutable executable = InOptBin();
        EXPECT_EQ(BoardListCandidates(executable, places), c.expected);
    }
    // A portable copy's own list wins, and nothing past it is looked at. (Which of the other
    // places wins, and that each is named: SearchedStartupTest.)
    testing::FakeExecutable executable = InOptBin();
    FakePlaces places;
    places.files = {"/opt/tc/bin/TesselCustom.ini", "/etc/xdg/TesselCustom/TesselCustom.ini"};
    const BoardListSearch search = FindBoardList(executable, places);
    EXPECT_EQ(search.found, "/opt/tc/bin/TesselCustom.ini");
    EXPECT_EQ(search.looked.size(), 1u);
}

TEST(BoardListSearchTest, CreatingNeverReplacesAndSaysWhyItFailed) {
    using Outcome = CreatedBoardList::Outcome;
    const std::string user = "/home/u/.config/TesselCustom/TesselCustom.ini";
    const struct {
        const char* why;
        std::function<void(FakePlaces&)> given;
        Outcome outcome;
        std::size_t copies;
    } cases[] = {
        {"created", [](FakePlaces&) {}, Outcome::kCreated, 1},
        {"already there", [&](FakePlaces& p) { p.files.insert(user); }, Outcome::kAlreadyThere, 0},
        {"no sample", [](FakePlaces& p) { p.sample.clear(); }, Outcome::kNoSample, 0},
        {"no home", [](FakePlaces& p) { p.environment.clear(); }, Outcome::kNoPlace, 0},
        {"copy failed",
         [](FakePlaces& p) { p.copyFailure = MakeFailure(CookieProblem::kFileFailed); },
         Outcome::kCopyFailed, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FakePlaces places;
        places.environment = {{"HOME", "/home/u"}};
        c.given(places);
        const CreatedBoardList created = CreateBoardList(places);
        EXPECT_EQ(created.outcome, c.outcome);
        ASSERT_EQ(places.copies.size(), c.copies);
        if (c.copies > 0) {
            EXPECT_EQ(places.copies[0], std::make_pair(places.sample, user));
        }
    }
    FakePlaces places;
    EXPECT_EQ(CreateBoardList(places, "/elsewhere.ini").path, "/elsewhere.ini");
}

// Start-up with the search: the real profile reader over a temporary folder as the user's home.
class SearchedStartupTest : public ::testing::Test {
  protected:
    bool Start(std::optional<std::string> boardList = std::nullopt) {
        places.environment = {{"XDG_CONFIG_HOME", dir.File("config")},
                              {"XDG_CONFIG_DIRS", dir.File("system")}};
        app = std::make_unique<mdlMain>(
            StartupServices{profile, store, clock, executable, messages, windows},
            std::move(boardList));
        app->SearchBoardList(places);
        return app->Main();
    }
    std::string UserList() { return dir.File("config/TesselCustom/TesselCustom.ini"); }
    void WriteList(const std::string& path, const std::string& id) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        dir.Write(std::filesystem::relative(path, dir.Path()).string(),
                  "[" + id + "]\nmode=Ferno-BBS\n");
    }

    testing::TempDir dir;
    ProcExecutable executable{dir.File("bin/TesselCustom")};
    FakePlaces places;
    PosixProfileFile profile;
    testing::FakeCookieStore store;
    testing::FixedClock clock{SystemTime{}};
    testing::RecordingMessages messages;
    testing::FakeWindowFactory windows;
    testing::FakeShell shell;
    std::unique_ptr<mdlMain> app;
};

TEST_F(SearchedStartupTest, TheUserListIsReadAndNamedInTheStatusBarUnlessAListIsGiven) {
    WriteList(UserList(), "mine");
    WriteList(dir.File("system/TesselCustom/TesselCustom.ini"), "system");
    ASSERT_TRUE(Start());
    ASSERT_EQ(app->BBSList()->Count(), 1u);
    EXPECT_EQ(app->BBSList()->Item(1)->ID(), "mine");
    EXPECT_FALSE(app->BoardListMissing());
    EXPECT_EQ(BoardListInUse(*app), "掲示板一覧: " + UserList());
    EXPECT_FALSE(Start(dir.File("missing.ini")));  // a given list is the only place looked
    EXPECT_EQ(app->PlacesLooked(), std::vector<std::string>{dir.File("missing.ini")});
}

TEST_F(SearchedStartupTest, NoListNamesEveryPlaceHelpIsLookedForAndEditingMakesTheUserList) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(app->BoardListMissing());
    for (const std::string& place : {dir.File("bin/TesselCustom.ini"), UserList(),
                                     dir.File("system/TesselCustom/TesselCustom.ini")}) {
        EXPECT_NE(app->LoadNote().find(place), std::string::npos) << app->LoadNote();
    }
    EXPECT_EQ(BoardListInUse(*app), "掲示板一覧: なし");
    // The help beside the executable wins over the installed one; with neither, the failure
    // names the first place.
    const std::string beside = dir.File("bin/ReadMe.txt");
    EXPECT_EQ(HelpDocumentPath(*app), beside);
    places.help = "/usr/share/doc/tesselcustom/ReadMe.txt";
    EXPECT_EQ(HelpDocumentPath(*app), places.help);
    places.files.insert(beside);
    EXPECT_EQ(HelpDocumentPath(*app), beside);

    BoardListEdit edit = EditBoardList(*app, shell);
    EXPECT_TRUE(edit.opened) << edit.text;
    ASSERT_EQ(places.copies.size(), 1u);
    EXPECT_EQ(places.copies[0].second, UserList());
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].lpFile, UserList());

    shell.accept = false;  // no editor: said in a box, the list made stays
    edit = EditBoardList(*app, shell);
    EXPECT_FALSE(edit.opened);
    EXPECT_NE(edit.text.find(UserList()), std::string::npos);
    EXPECT_EQ(places.copies.size(), 1u);
}

}  // namespace
}  // namespace tessel
