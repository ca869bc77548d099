#include <gtest/gtest.h>

#include <sstream>

#include "cli/json/JsonOutput.h"

namespace tessel::cli {
namespace {

TEST(JsonOutputTest, AListWrittenOneItemAtATimeReadsAsTheWholeDocument) {
    const Json board = {{"name", "太郎 \"T\" \x01\x7F\xC2\x9B\xE2\x80\xAE\xE2\x81\xA9"},
                        {"tags", Json::array()},
                        {"none", nullptr}};
    std::ostringstream streamed;
    JsonListWriter list(streamed, '{', '}');
    list.Member("z", board);
    list.Member("a", Json::object());
    list.Close();
    const std::string expected = R"({
  "z": {
    "name": "太郎 \"T\" \u0001\u007f\u009b\u202e\u2069",
    "tags": [],
    "none": null
  },
  "a": {}
})";
    EXPECT_EQ(streamed.str(), expected);
    EXPECT_EQ(DumpJson({{"z", board}, {"a", Json::object()}}), expected);
    std::ostringstream empty;
    JsonListWriter(empty, '[', ']').Close();
    EXPECT_EQ(empty.str(), "[]");
}

}  // namespace
}  // namespace tessel::cli
