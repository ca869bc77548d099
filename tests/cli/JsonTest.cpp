#include <gtest/gtest.h>

#include <string>

#include "cli/JsonReader.h"
#include "cli/JsonWriter.h"

namespace tessel::cli {
namespace {

std::string Error(std::string_view text) {
    std::string error;
    EXPECT_FALSE(ReadJson(text, error).has_value()) << text;
    return error;
}

std::string Reread(std::string_view text) {
    std::string error;
    const std::optional<JsonValue> value = ReadJson(text, error);
    EXPECT_TRUE(value.has_value()) << text << ": " << error;
    return value ? WriteJson(*value) : std::string();
}

TEST(JsonReaderTest, RefusesWhatIsNotJson) {
    const struct {
        std::string text, error;
    } cases[] = {
        {"", "line 1, column 1: expected a value"},
        {"{\"a\": 1,}", "line 1, column 9: expected a member name in quotes"},
        {"{\"a\" 1}", "expected ':' after the member name"},
        {"[1 2]", "expected ',' or the end of the list"},
        {"{}\n  x", "line 2, column 3: unexpected text after the value"},
        {"01", "a number may not start with 0"},
        {"1.", "expected digits after '.'"},
        {"-", "expected digits"},
        {"tru", "unknown word"},
        {"\"abc", "unterminated string"},
        {"\"a\tb\"", "control character in a string"},
        {"\"\\x\"", "unknown escape"},
        {"\"\\u12\"", "expected four hexadecimal digits"},
        {"\"\\ud800\"", "lone high surrogate"},
        {"\"\\udc00\"", "lone low surrogate"},
        {"\"\xC3\x28\"", "not UTF-8"},
        {"\"\xC0\xAF\"", "not UTF-8"},      // overlong "/"
        {"\"\xED\xA0\x80\"", "not UTF-8"},  // an encoded surrogate
        {std::string(65, '[') + std::string(65, ']'), "nested too deeply"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_NE(Error(c.text).find(c.error), std::string::npos) << Error(c.text);
    }
    std::string error;
    EXPECT_TRUE(ReadJson(std::string(64, '[') + std::string(64, ']'), error)) << error;
}

TEST(JsonReaderTest, DecodesEscapesAndKeepsUtf8) {
    std::string error;
    const auto value = ReadJson(
        "\xEF\xBB\xBF[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\", \"\\u00e9\\u3042\\ud83d\\ude00\", "
        "\"雑談\"]",
        error);
    ASSERT_TRUE(value) << error;
    ASSERT_EQ(value->Items().size(), 3u);
    EXPECT_EQ(value->Items()[0].Text(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(value->Items()[1].Text(), "\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80");
    EXPECT_EQ(value->Items()[2].Text(), "雑談");
}

TEST(JsonReaderTest, OnlyPlainWholeNumbersAreIntegers) {
    const struct {
        std::string text;
        std::optional<std::int64_t> integer;
    } cases[] = {
        {"0", 0},
        {"-0", 0},
        {"50", 50},
        {"-32768", -32768},
        {"1.0", std::nullopt},
        {"1e2", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const auto value = ReadJson(c.text, error);
        ASSERT_TRUE(value) << error;
        EXPECT_EQ(value->AsInteger(), c.integer);
    }
    std::string error;
    EXPECT_EQ(ReadJson("\"5\"", error)->AsInteger(), std::nullopt);
}

TEST(JsonWriterTest, WritesIndentedInGivenOrderAndEscapesOnlyWhatItMust) {
    JsonValue board = JsonValue::Object();
    board.Add("name", JsonValue::String("太郎 \"T\" \\ \x01\x7F"));
    board.Add("viewCount", JsonValue::Integer(-20));
    board.Add("unread", JsonValue::Bool(true));
    board.Add("tags", JsonValue::Array());
    board.Add("none", JsonValue());
    JsonValue document = JsonValue::Object();
    document.Add("z", std::move(board));
    document.Add("a", JsonValue::Object());
    const std::string expected = R"({
  "z": {
    "name": "太郎 \"T\" \\ \u0001\u007f",
    "viewCount": -20,
    "unread": true,
    "tags": [],
    "none": null
  },
  "a": {}
})";
    EXPECT_EQ(WriteJson(document), expected);
    EXPECT_EQ(Reread(expected), expected);
}

}  // namespace
}  // namespace tessel::cli
