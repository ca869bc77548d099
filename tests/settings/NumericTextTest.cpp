#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/CIniFile.h"
#include "settings/NumericText.h"
#include "settings/mdlIsType.h"
#include "support/ErrorNumber.h"

namespace tessel {
namespace {

using testing::ErrorNumberOf;

TEST(ToIntegerTest, ConvertsOrFailsWithTheRightNumber) {
    // Rounding: ties go to the even neighbour; anything past the half goes away from zero.
    const std::pair<const char*, int> converts[] = {{"-32768", -32768},
                                                    {"32767", 32767},
                                                    {"00000000000000000000042", 42},
                                                    {"2.5", 2},
                                                    {"3.5", 4},
                                                    {"-2.5", -2},
                                                    {"-0.5", 0},
                                                    {"0.5000001", 1},
                                                    {"2.4999999", 2},
                                                    {"2.6", 3},
                                                    {"-7.9", -8},
                                                    {"32767.4", 32767},
                                                    {"-32768.5", -32768},
                                                    {"  12  ", 12},
                                                    {"+7", 7},
                                                    {"-0", 0},
                                                    {"5.", 5},
                                                    {".5", 0},
                                                    {"20", 20}};
    const std::pair<int, std::vector<const char*>> fails[] = {
        {kErrOverflow, {"32768", "-32769", "99999999999999999999", "32767.5", "-32768.51"}},
        {kErrTypeMismatch,
         {"", "   ", "-", ".", "abc", "1 2", "- 5", "1,5", "1e3", "0x10", "\t5", "１２"}}};
    for (const auto& [text, value] : converts) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        EXPECT_EQ(ToInteger(text), value);
        EXPECT_TRUE(mdlIsType::IsInteger(text));
        EXPECT_TRUE(CIniFile::IsInt(text));
    }
    for (const auto& [failure, texts] : fails) {
        for (const char* text : texts) {
            SCOPED_TRACE(std::string("\"") + text + "\"");
            EXPECT_EQ(ErrorNumberOf([&] { ToInteger(text); }), failure);
            EXPECT_FALSE(mdlIsType::IsInteger(text));
            EXPECT_FALSE(CIniFile::IsInt(text));
        }
    }
}

TEST(ToLongTest, BoundsAndRounding) {
    EXPECT_EQ(ToLong("40000"), 40000);
    EXPECT_EQ(ToLong("2147483647"), 2147483647);
    EXPECT_EQ(ToLong("-2147483648"), INT32_MIN);
    EXPECT_EQ(ToLong("12.5"), 12);
    EXPECT_EQ(ErrorNumberOf([] { ToLong("2147483648"); }), kErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ToLong("2147483647.5"); }), kErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ToLong("x"); }), kErrTypeMismatch);
    EXPECT_TRUE(CIniFile::IsLng("2147483647"));
    EXPECT_FALSE(CIniFile::IsLng("2147483648"));
}

TEST(ToSingleTest, MagnitudeLimitAndPrecision) {
    EXPECT_FLOAT_EQ(ToSingle("40000.5"), 40000.5f);
    EXPECT_FLOAT_EQ(ToSingle(" -0.25 "), -0.25f);
    // 3.402823466E+38 written out: the largest magnitude accepted.
    const std::string largest = "340282346600000000000000000000000000000";
    EXPECT_TRUE(CIniFile::IsSng(largest));
    EXPECT_TRUE(CIniFile::IsSng("-" + largest));
    EXPECT_EQ(ErrorNumberOf([] { ToSingle("340282346700000000000000000000000000000"); }),
              kErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ToSingle(std::string(400, '9')); }), kErrOverflow);
    EXPECT_EQ(ToSingle("0." + std::string(400, '0') + "1"), 0.0f);
    EXPECT_FALSE(CIniFile::IsSng(""));
}

TEST(ToBooleanTest, WordsInAnyCaseAndNumbers) {
    for (const char* yes : {"True", "TRUE", "true", "tRuE", " True ", "-1", "1", "0.5", "2"}) {
        SCOPED_TRACE(yes);
        EXPECT_TRUE(CIniFile::IsBool(yes));
        EXPECT_TRUE(ToBoolean(yes));
    }
    for (const char* no : {"False", "FALSE", "false", "0", "-0", "0.0"}) {
        SCOPED_TRACE(no);
        EXPECT_TRUE(CIniFile::IsBool(no));
        EXPECT_FALSE(ToBoolean(no));
    }
    for (const char* bad : {"", "yes", "on", "Truee", "T rue"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(CIniFile::IsBool(bad));
        EXPECT_EQ(ErrorNumberOf([&] { ToBoolean(bad); }), kErrTypeMismatch);
    }
}

}  // namespace
}  // namespace tessel
