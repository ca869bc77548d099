#include <gtest/gtest.h>

#include <sstream>

#include "TestBoards.h"
#include "cli/Diagnostic.h"
#include "cli/commands/BoardWriter.h"
#include "cli/commands/WriteReport.h"

namespace tessel::cli {
namespace {

// Counts what it is told.
class CountingProgress : public Progress {
  public:
    void Start(std::size_t total) override { events += "start " + std::to_string(total) + ";"; }
    void Advance(std::size_t done) override { events += std::to_string(done) + ";"; }
    void Finish() override { events += "finish"; }
    std::string events;
};

class BoardWriterTest : public ::testing::Test {
  protected:
    std::vector<BoardOutcome> Write(std::vector<std::size_t> positions,
                                    const PreferenceChanges& changes,
                                    WriteMode mode = WriteMode::kEachBoard) {
        std::vector<BoardUpdate> updates;
        for (const std::size_t position : positions)
            updates.push_back({position, changes});
        return WriteBoards(test.boards, test.store, updates, progress, mode);
    }

    static std::vector<bool> Written(const std::vector<BoardOutcome>& outcomes) {
        std::vector<bool> written;
        for (const BoardOutcome& outcome : outcomes)
            written.push_back(outcome.Succeeded());
        return written;
    }

    testing::TestBoards test;
    CountingProgress progress;
};

TEST_F(BoardWriterTest, FieldsNotGivenKeepTheCookiesValuesOrElseTheKindsDefaults) {
    test.Add("f", kModeFernoBBS);
    test.Add("q", kModeQuill);
    CBBSData& fresh = test.Add("fresh", kModeFernoBBS);
    test.Add("unreadable", kModeFernoBBS);
    test.Add("untouched", kModeFernoBBS);
    test.Seed("f", "Taro,t&#45$m@x,,pw,20,1,0,7,30");
    test.Seed("q", "Hana,,http://h/,,30,0,1,12,50,-3");
    fresh.Mail("held@x");
    fresh.DownloadCount(33);
    test.Seed("unreadable", "too,few,fields");
    PreferenceChanges changes;
    changes.viewCount = 10;
    changes.password = "new";
    EXPECT_EQ(Written(Write({1, 2, 3, 4}, changes)), (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(test.Value("f"), "Taro,t&#45$m@x,,new,10,1,0,7,30");
    EXPECT_EQ(test.Value("q"), "Hana,,http://h/,new,10,0,1,12,50,-3");
    // Without a cookie, the texts it holds stay and the numbers are its kind's defaults.
    EXPECT_EQ(test.Value("fresh"), ",held@x,,new,10,0,1,0,30");
    EXPECT_EQ(test.Value("unreadable"), "too,few,fields");
    EXPECT_EQ(test.store.writes.size(), 3u);  // only the boards given and read
}

TEST_F(BoardWriterTest, OneBatchWithEachBoardsOwnResultInOrder) {
    test.Add("a", kModeFernoBBS);
    test.Add("harbor", kModeHarbor);
    test.Add("refused", kModeQuill);
    test.Add("d", kModeQuill);
    test.store.RefuseWritesFor(testing::TestBoards::UrlOf("refused"));
    const auto outcomes = Write({1, 2, 3, 4}, PreferenceChanges{});
    EXPECT_EQ(Written(outcomes), (std::vector<bool>{true, false, false, true}));
    EXPECT_EQ(outcomes[3].position, 4u);
    EXPECT_EQ(test.store.batches, 1);
    EXPECT_EQ(progress.events, "start 4;1;2;3;4;finish");
}

TEST_F(BoardWriterTest, AFailedCommitOrAllOrNothingWithAFailureFailsTheWholeBatch) {
    test.Add("a", kModeFernoBBS);
    test.Add("b", kModeQuill);
    test.Add("harbor", kModeHarbor);
    const auto outcomes = Write({1, 3}, {}, WriteMode::kAllOrNothing);
    EXPECT_EQ(Written(outcomes), (std::vector<bool>{false, false}));
    EXPECT_TRUE(outcomes[0].written);  // it was taken, but the group was not stored
    EXPECT_EQ(test.store.cancels, 1);
    test.store.FailCommit();
    EXPECT_EQ(Written(Write({1, 2}, {})), (std::vector<bool>{false, false}));
}

TEST_F(BoardWriterTest, ReportPrintsALinePerBoardThenTheClosingMessage) {
    test.Add("a", kModeFernoBBS);
    test.Add("b", kModeHarbor);
    const BoardOutcome written{1, true, true, false, {}};
    const BoardOutcome failed{2, false, true, false, "理由"};
    const BoardOutcome skipped{2, false, true, true, "理由"};
    const struct {
        std::vector<BoardOutcome> outcomes;
        std::string text;
        int status;
    } cases[] = {
        {{written, failed},
         "aの掲示板\nbの掲示板のクッキーが設定できない。\n理由\n設定完了。\n",
         kExitSomeFailed},
        {{written, skipped}, "aの掲示板\nbの掲示板 (skipped: 理由)\n設定完了。\n", kExitOk},
        {{written}, "aの掲示板\n設定完了。\n", kExitOk},
        {{}, "設定完了。\n", kExitOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::ostringstream out;
        EXPECT_EQ(ReportWrites(test.boards, c.outcomes, out), c.status);
        EXPECT_EQ(out.str(), c.text);
    }
}

}  // namespace
}  // namespace tessel::cli
