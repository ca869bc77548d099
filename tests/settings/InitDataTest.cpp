#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/CIniFile.h"
#include "support/FakeProfileFile.h"

namespace tessel {
namespace {

class InitDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        profile.SetFile("t.ini", {{"S",
                                   {"spaces=   ", "padded= x ", "half=12.5", "big=2147483648",
                                    "single=40000.5", "word=TRUE", "zero=0", "text=hello"}}});
        ASSERT_TRUE(ini.Load("t.ini"));
        ini.NowSection("S");
    }

    testing::FakeProfileFile profile;
    CIniFile ini{profile};
    const Variant fallback = Variant(std::int16_t{-7});
};

TEST_F(InitDataTest, EachCodeConvertsOrFallsBackToTheDefault) {
    const struct {
        const char* key;
        std::int32_t code;
        std::optional<Variant> expected;  // none: the fallback
    } cases[] = {
        {"spaces", CIniFile::IniTypeString, {}},
        {"absent", CIniFile::IniTypeString, {}},
        {"padded", CIniFile::IniTypeString, Variant(std::string(" x "))},
        {"half", CIniFile::IniTypeLong, Variant(std::int32_t{12})},
        {"big", CIniFile::IniTypeLong, {}},
        {"absent", CIniFile::IniTypeLong, {}},
        {"text", CIniFile::IniTypeLong, {}},
        {"single", CIniFile::IniTypeSingle, Variant(40000.5f)},
        {"word", CIniFile::IniTypeBoolean, Variant(true)},
        {"zero", CIniFile::IniTypeBoolean, Variant(false)},
        {"text", CIniFile::IniTypeBoolean, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.code));
        EXPECT_EQ(ini.InitData(c.key, c.code, fallback), c.expected.value_or(fallback));
    }
}

TEST_F(InitDataTest, UnknownCodesReturnTheRawTextNeverTheDefault) {
    for (std::int32_t code : {7, -1, 4}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(ini.InitData("absent", code, fallback), Variant(std::string()));
        EXPECT_EQ(ini.InitData("spaces", code, fallback), Variant(std::string("   ")));
    }
}

}  // namespace
}  // namespace tessel
