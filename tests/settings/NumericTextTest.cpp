#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "settings/CIniFile.h"
#include "settings/NumericText.h"
#include "settings/RuntimeError.h"
#include "settings/mdlIsType.h"

namespace tessel {
namespace {

template <typename Fn>
int FailureOf(Fn fn) {
    try {
        fn();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

struct IntegerCase {
    const char* text;
    std::optional<int> value;  // nullopt: the conversion fails
    int failure = 0;

    friend void PrintTo(const IntegerCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }
};

class ToIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ToIntegerTest, ConvertsOrFailsWithTheRightNumber) {
    const IntegerCase& c = GetParam();
    if (c.value) {
        EXPECT_EQ(ToInteger(c.text), *c.value);
        EXPECT_TRUE(mdlIsType::IsInteger(c.text));
        EXPECT_TRUE(CIniFile::IsInt(c.text));
    } else {
        EXPECT_EQ(FailureOf([&] { ToInteger(c.text); }), c.failure);
        EXPECT_FALSE(mdlIsType::IsInteger(c.text));
        EXPECT_FALSE(CIniFile::IsInt(c.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, ToIntegerTest,
    ::testing::Values(IntegerCase{"-32768", -32768}, IntegerCase{"32767", 32767},
                      IntegerCase{"32768", std::nullopt, kErrOverflow},
                      IntegerCase{"-32769", std::nullopt, kErrOverflow},
                      IntegerCase{"99999999999999999999", std::nullopt, kErrOverflow},
                      IntegerCase{"00000000000000000000042", 42}));

// Ties go to the even neighbour; anything past the half goes away from zero.
INSTANTIATE_TEST_SUITE_P(Rounding, ToIntegerTest,
                         ::testing::Values(IntegerCase{"2.5", 2}, IntegerCase{"3.5", 4},
                                           IntegerCase{"-2.5", -2}, IntegerCase{"-0.5", 0},
                                           IntegerCase{"0.5000001", 1}, IntegerCase{"2.4999999", 2},
                                           IntegerCase{"32767.5", std::nullopt, kErrOverflow},
                                           IntegerCase{"32767.4", 32767},
                                           IntegerCase{"-32768.5", -32768},
                                           IntegerCase{"-32768.51", std::nullopt, kErrOverflow}));

INSTANTIATE_TEST_SUITE_P(Forms, ToIntegerTest,
                         ::testing::Values(IntegerCase{"  12  ", 12}, IntegerCase{"+7", 7},
                                           IntegerCase{"-0", 0}, IntegerCase{"5.", 5},
                                           IntegerCase{".5", 0}, IntegerCase{"20", 20},
                                           IntegerCase{"", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"   ", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"-", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{".", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"abc", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"1 2", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"- 5", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"1,5", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"1e3", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"0x10", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"\t5", std::nullopt, kErrTypeMismatch},
                                           IntegerCase{"１２", std::nullopt, kErrTypeMismatch}));

TEST(ToLongTest, BoundsAndRounding) {
    EXPECT_EQ(ToLong("40000"), 40000);
    EXPECT_EQ(ToLong("2147483647"), 2147483647);
    EXPECT_EQ(ToLong("-2147483648"), INT32_MIN);
    EXPECT_EQ(ToLong("12.5"), 12);
    EXPECT_EQ(FailureOf([] { ToLong("2147483648"); }), kErrOverflow);
    EXPECT_EQ(FailureOf([] { ToLong("2147483647.5"); }), kErrOverflow);
    EXPECT_EQ(FailureOf([] { ToLong("x"); }), kErrTypeMismatch);
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
    EXPECT_EQ(FailureOf([] { ToSingle("340282346700000000000000000000000000000"); }), kErrOverflow);
    EXPECT_EQ(FailureOf([] { ToSingle(std::string(400, '9')); }), kErrOverflow);
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
        EXPECT_EQ(FailureOf([&] { ToBoolean(bad); }), kErrTypeMismatch);
    }
}

}  // namespace
}  // namespace tessel
