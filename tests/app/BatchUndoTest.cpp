#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "app/BatchUndo.h"
#include "app/FailureText.h"
#include "support/MemoryJournalFile.h"
#include "support/TempDir.h"
#include "support/TestBoards.h"

namespace tessel {
namespace {

using testing::DataFile;
using testing::MemoryJournalFile;
using testing::ReadBytes;
using testing::TestBoards;

class BatchUndoTest : public ::testing::Test {
  protected:
    BatchUndoTest() {
        test.Add("a", kModeFernoBBS);
        test.Add("b", kModeFernoBBS);
        test.Seed("a", "Taro,,,,20,0,1,0,30");
    }

    BatchResult Write(const std::string& name, std::vector<std::size_t> positions = {1, 2}) {
        std::vector<BoardUpdate> updates;
        for (const std::size_t position : positions)
            updates.push_back({position, {}});
        for (BoardUpdate& update : updates)
            update.changes.postName = name;
        return WriteBoards(test.boards, test.store, updates, {}, progress, &journal);
    }

    static std::vector<std::string> Texts(const std::vector<BatchMessage>& lines) {
        std::vector<std::string> texts;
        for (const BatchMessage& line : lines)
            texts.push_back(line.text);
        return texts;
    }

    std::size_t Batches() const { return file.batches.size(); }

    TestBoards test;
    NoProgress progress;
    MemoryJournalFile file;
    UndoJournal journal{file, "cookies.txt /jar", test.clock};
};

TEST_F(BatchUndoTest, TheJournalTextKeepsEveryField) {
    for (const std::string odd : {"", "a b", "100%", "line\nfeed\ttab", "雑談 掲示板", "%"}) {
        const std::vector<JournalBatch> batches = {
            {SystemTime{2026, 12, 7, 17, 5, 9, 0}, odd, {{odd, "http://h/", odd, odd, "x"}}}};
        const auto back = ParseJournal(FormatJournal(batches));
        ASSERT_TRUE(back) << odd;
        EXPECT_EQ(back->at(0).store, odd);
        EXPECT_EQ(back->at(0).time, batches[0].time);
        EXPECT_EQ(back->at(0).cookies[0].board, odd);
        EXPECT_EQ(back->at(0).cookies[0].before, odd);
    }
    for (const std::string bad :
         {"not a journal\n", "TesselCustom undo journal 1\ncookie a b c d e\n",
          "TesselCustom undo journal 1\nbatch x s\n",
          "TesselCustom undo journal 1\nbatch 2026-12-07T00:00:00Z %4\n"})
        EXPECT_FALSE(ParseJournal(bad)) << bad;
}

// A journal written before keeps being read, and the same batch is written as it was, byte for
// byte: every byte value, escapes at each place of a long word, empty words and lone '%'.
TEST_F(BatchUndoTest, AKeptJournalReadsAndIsWrittenAgainByteForByte) {
    const std::string kept = ReadBytes(DataFile("journal_v1_batch.txt"));
    const auto batches = ParseJournal(kept);
    ASSERT_TRUE(batches);
    ASSERT_EQ(batches->size(), 1u);
    EXPECT_EQ(batches->at(0).cookies.at(1).board.size(), 256u);
    EXPECT_EQ(FormatJournal(*batches), kept);
}

// Words of every length around the block sizes the writer works in, escapes at every place.
TEST_F(BatchUndoTest, RandomBatchesAreWrittenAsEachByteEscapedInTurn) {
    const auto word = [](const std::string& text) {
        std::string out = text.empty() ? "%" : "";
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", byte);
            out += byte <= 0x20 || byte == 0x7f || byte == '%' ? std::string(escape)
                                                               : std::string(1, c);
        }
        return out;
    };
    std::mt19937 random(7);
    const auto text = [&] {
        std::string bytes(random() % 100, 'a');
        for (char& c : bytes)
            c = static_cast<char>(random() % 3 == 0 ? random() % 256 : 'a' + random() % 26);
        return bytes;
    };
    for (int round = 0; round < 50; ++round) {
        JournalBatch batch{SystemTime{2026, 12, 7, 17, 5, 9, 0}, text(), {}};
        std::string expected =
            "TesselCustom undo journal 1\nbatch 2026-12-07T17:05:09Z " + word(batch.store) + "\n";
        for (int i = 0; i < 8; ++i) {
            batch.cookies.push_back({text(), text(), text(), text(), text()});
            const JournalCookie& c = batch.cookies.back();
            expected += "cookie " + word(c.board) + " " + word(c.url) + " " + word(c.name) + " " +
                        word(c.before) + " " + word(c.written) + "\n";
        }
        ASSERT_EQ(FormatJournal(std::span(&batch, 1)), expected);
    }
}

TEST_F(BatchUndoTest, UndoPutsBackTheLastBatchThenTheOneBefore) {
    ASSERT_TRUE(Write("one").Succeeded());
    ASSERT_TRUE(Write("two", {1}).Succeeded());
    EXPECT_EQ(Batches(), 2u);
    UndoResult undone = UndoLastBatch(journal, test.store);
    EXPECT_EQ(Texts(DescribeUndo(undone, WindowBatchWords())),
              (std::vector<std::string>{"aの掲示板", "設定完了。"}));
    EXPECT_EQ(test.Value("a"), "one,,,,20,0,1,0,30");
    EXPECT_EQ(Batches(), 1u);
    EXPECT_TRUE(UndoLastBatch(journal, test.store).Succeeded());
    EXPECT_EQ(test.Value("a"), "Taro,,,,20,0,1,0,30");
    EXPECT_EQ(test.Value("b"), std::nullopt);  // it had no cookie: removed
    undone = UndoLastBatch(journal, test.store);
    EXPECT_TRUE(undone.nothingToUndo);
    EXPECT_EQ(Texts(DescribeUndo(undone, WindowBatchWords())),
              std::vector<std::string>{"元に戻す書き込みがない。"});
}

TEST_F(BatchUndoTest, TheJournalKeepsTheLastTenBatches) {
    for (int i = 0; i < 12; ++i)
        Write("n" + std::to_string(i), {2});
    EXPECT_EQ(Batches(), kJournalBatches);
    EXPECT_NE(file.Text().find("n11,"), std::string::npos);
    EXPECT_EQ(file.Text().find("n0,"), std::string::npos);  // the oldest went first
}

TEST_F(BatchUndoTest, AJournalThatCannotBeKeptStopsTheBatchBeforeAnyWrite) {
    for (const bool failRead : {true, false}) {
        file.failRead = failRead;
        file.failWrite = !failRead;
        const BatchResult result = Write("lost");
        EXPECT_EQ(result.Count(BoardResult::kNotWritten), 2u);
        EXPECT_TRUE(test.store.writes.empty());
        EXPECT_EQ(Texts(DescribeBatch(test.boards, result, WindowBatchWords()))[0],
                  "元に戻すための記録を保存できないため、書き込みを中止した。\n/state/undo: " +
                      std::string(failRead ? "unreadable" : "read-only"));
    }
}

// The store writes its batch aside before the journal adds it, and puts it in place only after:
// a batch the journal cannot add, or the store cannot write aside, is dropped with nothing kept.
TEST_F(BatchUndoTest, TheStoreStagesBeforeTheJournalAddsAndStoresAfter) {
    file.store = &test.store;
    Write("kept");
    EXPECT_EQ(file.addedWhenStoreStaged, 1);
    EXPECT_EQ(test.store.commits, 1);

    file.failAdd = true;
    EXPECT_EQ(Write("lost").Count(BoardResult::kNotWritten), 2u);
    EXPECT_EQ(test.store.commits, 1);
    EXPECT_EQ(test.store.cancels, 1);

    file.failAdd = false;
    test.store.FailStage();
    const BatchResult result = Write("lost");
    EXPECT_EQ(result.Count(BoardResult::kNotWritten), 2u);
    EXPECT_TRUE(result.storeFailure);
    EXPECT_EQ(Batches(), 1u);
    EXPECT_EQ(test.store.commits, 1);
    EXPECT_EQ(test.store.cancels, 2);
}

TEST_F(BatchUndoTest, ACookieChangedSinceIsLeftAloneAndCounted) {
    ASSERT_TRUE(Write("one").Succeeded());
    test.Seed("b", "Other,,,,20,0,1,0,30");
    const UndoResult undone = UndoLastBatch(journal, test.store);
    EXPECT_FALSE(undone.Succeeded());
    EXPECT_EQ(test.Value("a"), "Taro,,,,20,0,1,0,30");
    EXPECT_EQ(test.Value("b"), "Other,,,,20,0,1,0,30");
    EXPECT_EQ(Texts(DescribeUndo(undone, WindowBatchWords())),
              (std::vector<std::string>{
                  "aの掲示板",
                  "bの掲示板のクッキーは書き込みの後に変更されていたため、元に戻さなかった。\n"
                  "クッキーが書き込みの後にほかから変えられているため、元に戻しません",
                  "1 個の掲示板を元に戻し、1 個は元に戻さなかった。"}));
    EXPECT_EQ(Batches(), 0u);  // done with: what is left was someone else's
}

TEST_F(BatchUndoTest, ABatchOfAnotherStoreIsRefusedAndKept) {
    ASSERT_TRUE(Write("one").Succeeded());
    journal.store = "Firefox /p/cookies.sqlite";
    const UndoResult undone = UndoLastBatch(journal, test.store);
    EXPECT_EQ(Texts(DescribeUndo(undone, WindowBatchWords())),
              std::vector<std::string>{"最後の書き込みは保存先「cookies.txt /jar」へのもので、"
                                       "いま使っている保存先ではないため、元に戻せない。"});
    EXPECT_EQ(test.Value("a"), "one,,,,20,0,1,0,30");
    EXPECT_EQ(Batches(), 1u);
}

TEST_F(BatchUndoTest, ALastBatchThatIsNotAJournalIsRefusedAndNeverWrittenOver) {
    ASSERT_TRUE(Write("one").Succeeded());
    file.batches[2] = "TesselCustom undo journal 1\nbatch 2026-12-07T00:00:00Z %4\n";
    const UndoResult undone = UndoLastBatch(journal, test.store);
    EXPECT_EQ(undone.refusal.problem, CookieProblem::kNotAJournal);
    EXPECT_EQ(undone.refusal.details.path, "/state/undo");
    EXPECT_EQ(test.Value("a"), "one,,,,20,0,1,0,30");
    ASSERT_TRUE(Write("two").Succeeded());
    EXPECT_EQ(Batches(), 3u);
}

}  // namespace
}  // namespace tessel
