#include <gtest/gtest.h>

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

TEST_F(InitDataTest, StringCode) {
    EXPECT_EQ(ini.InitData("spaces", CIniFile::IniTypeString, fallback), fallback);
    EXPECT_EQ(ini.InitData("absent", CIniFile::IniTypeString, fallback), fallback);
    EXPECT_EQ(ini.InitData("padded", CIniFile::IniTypeString, fallback),
              Variant(std::string(" x ")));
}

TEST_F(InitDataTest, LongCode) {
    EXPECT_EQ(ini.InitData("half", CIniFile::IniTypeLong, fallback), Variant(std::int32_t{12}));
    EXPECT_EQ(ini.InitData("big", CIniFile::IniTypeLong, fallback), fallback);
    EXPECT_EQ(ini.InitData("absent", CIniFile::IniTypeLong, fallback), fallback);
    EXPECT_EQ(ini.InitData("text", CIniFile::IniTypeLong, fallback), fallback);
}

TEST_F(InitDataTest, SingleAndBooleanCodes) {
    EXPECT_EQ(ini.InitData("single", CIniFile::IniTypeSingle, fallback), Variant(40000.5f));
    EXPECT_EQ(ini.InitData("word", CIniFile::IniTypeBoolean, fallback), Variant(true));
    EXPECT_EQ(ini.InitData("zero", CIniFile::IniTypeBoolean, fallback), Variant(false));
    EXPECT_EQ(ini.InitData("text", CIniFile::IniTypeBoolean, fallback), fallback);
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
