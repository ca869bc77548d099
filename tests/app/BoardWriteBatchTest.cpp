#include <gtest/gtest.h>

#include "app/BoardWriteBatch.h"
#include "app/FailureText.h"
#include "support/TestBoards.h"

namespace tessel {
namespace {

using testing::TestBoards;

// Counts what it is told.
class CountingProgress : public Progress {
  public:
    void Start(std::size_t total) override { events += "start " + std::to_string(total) + ";"; }
    void Advance(std::size_t done) override { events += std::to_string(done) + ";"; }
    void Finish() override { events += "finish"; }
    std::string events;
};

class BoardWriteBatchTest : public ::testing::Test {
  protected:
    BatchResult Write(std::vector<std::size_t> positions, const PreferenceChanges& changes,
                      BatchRules rules = {}) {
        std::vector<BoardUpdate> updates;
        for (const std::size_t position : positions)
            updates.push_back({position, changes});
        return WriteBoards(test.boards, test.store, updates, rules, progress);
    }

    static std::vector<BoardResult> Results(const BatchResult& result) {
        std::vector<BoardResult> results;
        for (const BoardOutcome& outcome : result.outcomes)
            results.push_back(outcome.result);
        return results;
    }

    TestBoards test;
    CountingProgress progress;
};

using R = BoardResult;

TEST_F(BoardWriteBatchTest, FieldsNotGivenKeepTheCookiesValuesOrElseTheKindsDefaults) {
    test.Add("f", kModeFernoBBS);
    test.Add("q", kModeQuill);
    CBBSData& fresh = test.Add("fresh", kModeFernoBBS);
    test.Add("unreadable", kModeFernoBBS);
    CBBSData& kept = test.Add("kept", kModeFernoBBS);
    test.Seed("f", "Taro,t&#45$m@x,,pw,20,1,0,7,30");
    test.Seed("q", "Hana,,http://h/,,30,0,1,12,50,-3");
    test.Seed("unreadable", "too,few,fields");
    for (CBBSData* board : {&fresh, &kept}) {
        board->Mail("held@x");
        board->DownloadCount(33);
    }
    PreferenceChanges changes;
    changes.viewCount = 10;
    changes.password = "new";
    // The window's rule: a board without a cookie keeps what the board object holds.
    EXPECT_EQ(Results(Write({5}, changes)), std::vector<R>{R::kWritten});
    EXPECT_EQ(test.Value("kept"), ",held@x,,new,10,0,0,0,33");
    test.store.writes.clear();
    BatchRules defaults;
    defaults.kindDefaultsWithoutCookie = true;
    EXPECT_EQ(Results(Write({1, 2, 3, 4}, changes, defaults)),
              (std::vector<R>{R::kWritten, R::kWritten, R::kWritten, R::kFailed}));
    EXPECT_EQ(test.Value("f"), "Taro,t&#45$m@x,,new,10,1,0,7,30");
    EXPECT_EQ(test.Value("q"), "Hana,,http://h/,new,10,0,1,12,50,-3");
    EXPECT_EQ(test.Value("fresh"), ",held@x,,new,10,0,1,0,30");
    EXPECT_EQ(test.Value("unreadable"), "too,few,fields");
    EXPECT_EQ(test.store.writes.size(), 3u);  // the unreadable cookie is never written over
}

TEST_F(BoardWriteBatchTest, OneBatchWithEachBoardsOwnResultAndOnlyEveryBoardSkipsAKindWithout) {
    test.Add("a", kModeFernoBBS);
    test.Add("harbor", kModeHarbor);
    test.Add("refused", kModeQuill);
    test.Add("d", kModeQuill);
    test.store.RefuseWritesFor(TestBoards::UrlOf("refused"));
    const BatchResult named = Write({1, 2, 3, 4}, {});
    EXPECT_EQ(Results(named), (std::vector<R>{R::kWritten, R::kFailed, R::kFailed, R::kWritten}));
    EXPECT_EQ(named.outcomes[2].failure.problem, CookieProblem::kTooLong);
    EXPECT_EQ(test.store.batches, 1);
    EXPECT_EQ(progress.events, "start 4;1;2;3;4;finish");
    BatchRules every;
    every.skipBoardsWithoutCookie = true;
    EXPECT_EQ(Results(Write({1, 2}, {}, every)), (std::vector<R>{R::kWritten, R::kSkipped}));
    // Skipped boards leave nothing to write: not a success. (The window's tests check the rest.)
    const BatchResult skipped = Write({2}, {}, every);
    EXPECT_FALSE(skipped.Succeeded());
    EXPECT_EQ(DescribeBatch(test.boards, skipped, WindowBatchWords()).back().text,
              "設定できる掲示板が選ばれていない。");
}

TEST_F(BoardWriteBatchTest, AFailingStoreStopsTheBatchAndKeepsOnlyWhatItStored) {
    for (const char* id : {"a", "b", "c"})
        test.Add(id, kModeFernoBBS);
    test.store.RefuseWritesFor(TestBoards::UrlOf("b"), MakeFailure(CookieProblem::kJarBusy));
    BatchResult result = Write({1, 2, 3}, {});
    EXPECT_EQ(Results(result), (std::vector<R>{R::kWritten, R::kNotWritten, R::kNotWritten}));
    EXPECT_EQ(result.storeFailure.problem, CookieProblem::kJarBusy);
    EXPECT_EQ(test.store.writes.size(), 2u);  // c is never tried
    BatchRules whole;
    whole.allOrNothing = true;
    result = Write({1, 2, 3}, {}, whole);
    EXPECT_EQ(result.Count(R::kNotWritten), 3u);
    EXPECT_EQ(test.store.cancels, 1);
    // A board of its own that fails drops an all-or-nothing batch, with no store failure.
    test.Add("harbor", kModeHarbor);
    result = Write({1, 4}, {}, whole);
    EXPECT_EQ(Results(result), (std::vector<R>{R::kNotWritten, R::kFailed}));
    EXPECT_FALSE(result.storeFailure);
    test.store.FailCommit();
    result = Write({1, 3}, {});
    EXPECT_EQ(result.Count(R::kNotWritten), 2u);
    EXPECT_EQ(result.storeFailure.problem, CookieProblem::kStoreRefused);
    test.store.FailReads();
    const int reads = test.store.reads;
    EXPECT_EQ(Write({1, 3}, {}).storeFailure.kind, CookieFailureKind::kStoreUnusable);
    EXPECT_EQ(test.store.reads, reads + 1);
}

}  // namespace
}  // namespace tessel
