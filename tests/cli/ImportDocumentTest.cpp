#include <gtest/gtest.h>

#include "cli/json/ImportDocument.h"
#include "cli/json/PreferencesJson.h"
#include "support/TestBoards.h"

namespace tessel::cli {
namespace {

class ImportDocumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test.Add("zatsudan", kModeFernoBBS);
        test.Add("shumi", kModeQuill);
        for (const char* id : {"c", "d", "e", "f"})  // room for 64 levels of values
            test.Add(id, kModeQuill);
    }

    ImportPlan Read(const std::string& text) { return ReadImport(text, BoardIndex(test.boards)); }

    testing::TestBoards test;
};

TEST_F(ImportDocumentTest, AnythingWrongAnywhereRejectsTheWholeDocument) {
    const struct {
        std::string text, error;
    } cases[] = {
        {"{\"shumi\": {}, \"zatsudan\": {\"name\": 1}}",
         "board \"zatsudan\": field \"name\" must be a string"},
        {"{\"nosuch\": {}}", "no board has the section name \"nosuch\""},
        {"{\"shumi\": {\"nickname\": \"x\"}}", "board \"shumi\": unknown field \"nickname\""},
        {"{\"shumi\": {\"viewCount\": 51}}",
         "field \"viewCount\" must be a whole number from 0 to 50"},
        {"{\"shumi\": {\"downloadCount\": -1}}", "field \"downloadCount\" must be"},
        {"{\"shumi\": {\"viewCount\": 20.0}}", "field \"viewCount\" must be"},
        {"{\"shumi\": {\"viewCount\": \"20\"}}", "field \"viewCount\" must be"},
        {"{\"shumi\": {\"order\": \"Newest\"}}",
         "field \"order\" must be \"newest\" or \"oldest\""},
        {"{\"shumi\": {\"unread\": 1}}", "field \"unread\" must be true or false"},
        {"{\"shumi\": {\"noReadPoint\": 32768}}",
         "field \"noReadPoint\" must be a whole number from -32768"},
        {"{\"shumi\": {\"password\": null}}", "field \"password\" must be a string"},
        {"{\"shumi\": {\"mail\": \"a\", \"mail\": \"b\"}}", "field \"mail\" is given twice"},
        {"{\"shumi\": {}, \"SHUMI\": {}}", "board \"SHUMI\" is given twice"},
        {"{\"shumi\": []}", "board \"shumi\": must be an object of preferences"},
        {"[]", "the document must be an object keyed by section name"},
        {"{\"shumi\": {}", "malformed JSON: line 1, column 13"},
        {"{\"shumi\": {\"viewCount\": 1e1}}", "field \"viewCount\" must be"},
        {"{\"shumi\": {\"viewCount\": 1e999}}", "malformed JSON: number overflow"},
        {"{\"shumi\": {\"viewCount\": 99999999999999999999}}", "field \"viewCount\" must be"},
        {"{\"shumi\": {}, \"shumi\": {}}", "board \"shumi\" is given twice"},
        {"{\"shumi\": {\"name\": \"\xC3\x28\"}}", "malformed JSON: line 1"},
        {"{\"shumi\": {\"name\": \"\\ud800\"}}", "malformed JSON: line 1"},
        {"{\"shumi\": {\"name\": " + std::string(63, '[') + std::string(63, ']') + "}}",
         "nested too deeply"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ImportPlan plan = Read(c.text);
        EXPECT_NE(plan.error.find(c.error), std::string::npos) << plan.error;
        EXPECT_TRUE(plan.updates.empty());
    }
}

TEST_F(ImportDocumentTest, BoardsComeInListOrderWithOnlyTheGivenFields) {
    const ImportPlan plan = Read(
        "\xEF\xBB\xBF"
        R"({"SHUMI": {"unread": false, "order": "oldest"},
                                     "zatsudan": {"viewCount": 0}})");
    ASSERT_EQ(plan.error, "");
    ASSERT_EQ(plan.updates.size(), 2u);
    EXPECT_EQ(plan.updates[0].position, 1u);
    EXPECT_EQ(plan.updates[0].changes.viewCount, 0);
    EXPECT_EQ(plan.updates[0].changes.password, std::nullopt);
    EXPECT_EQ(plan.updates[1].changes.noReadView, 0);
    EXPECT_EQ(plan.updates[1].changes.viewOrder, 1);
    EXPECT_EQ(plan.updates[1].changes.postName, std::nullopt);
}

TEST_F(ImportDocumentTest, WhatExportWritesImportsToTheSameBoard) {
    CBBSData& source = *test.boards.Item(2);
    // Texts and options round-trip in the end-to-end test; here the numbers at their bounds.
    source.Password("pw");
    source.ViewCount(50);
    source.NoReadPoint(-32768);
    source.NoReadPoint_R(32767);
    const ImportPlan plan = Read(DumpJson({{"shumi", PreferencesToJson(source, true)}}));
    ASSERT_EQ(plan.error, "");
    ASSERT_EQ(plan.updates.size(), 1u);
    CBBSData copy(test.store, test.clock);
    plan.updates[0].changes.ApplyTo(copy);
    EXPECT_EQ(copy.Password(), "pw");
    EXPECT_EQ(copy.ViewCount(), 50);
    EXPECT_EQ(copy.NoReadPoint(), -32768);
    EXPECT_EQ(copy.NoReadPoint_R(), 32767);
}

}  // namespace
}  // namespace tessel::cli
