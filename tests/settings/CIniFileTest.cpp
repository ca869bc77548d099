#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/CIniFile.h"
#include "support/ErrorNumber.h"
#include "support/FakeProfileFile.h"

namespace tessel {
namespace {

using testing::FakeProfileFile;
using namespace std::string_literals;

const std::string kFile = "boards.ini";

std::vector<std::string> Items(const Collection<std::string>& c) {
    return {c.begin(), c.end()};
}

class CIniFileTest : public ::testing::Test {
  protected:
    FakeProfileFile profile;
    CIniFile ini{profile};

    void Given(std::vector<FakeProfileFile::Section> sections) {
        profile.SetFile(kFile, std::move(sections));
        ASSERT_TRUE(ini.Load(kFile));
    }
};

TEST_F(CIniFileTest, SectionsInFileOrderSkippingBlankNamesButAListOfOneEmptyNameFails) {
    Given({{"Zeta", {}}, {"", {}}, {"   ", {}}, {"alpha", {}}, {"Mid", {}}});
    EXPECT_EQ(Items(ini.Sections()), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
    profile.SetFile(kFile, {{"", {}}});
    EXPECT_FALSE(ini.Load(kFile));
    EXPECT_TRUE(ini.Sections().Empty());
}

TEST_F(CIniFileTest, RepeatedSectionNameFailsWithEarlierSectionsLoaded) {
    profile.SetFile(kFile, {{"One", {"a=1"}}, {"Two", {}}, {"one", {}}, {"Four", {}}});
    EXPECT_EQ(testing::ErrorNumberOf([&] { ini.Load(kFile); }), kErrKeyAlreadyExists);
    EXPECT_EQ(Items(ini.Sections()), (std::vector<std::string>{"One", "Two"}));
    ini.NowSection("One");
    EXPECT_EQ(ini.Data("a"), "1");
}

TEST_F(CIniFileTest, EntryLinesAreTakenAsWrittenAndTheLastOfARepeatedKeyWinsAtItsPlace) {
    Given({{"BoardOne",
            {"url=http://x/?a=b&c=d", "", "    ", "Name=  spaced  ", "# note", "a=1", "b=2", "A=3",
             "c=4"}}});
    ini.NowSection("BOARDONE");
    EXPECT_EQ(ini.NowSection(), "BoardOne");  // as written in the file
    EXPECT_TRUE(ini.IsExist());
    EXPECT_EQ(ini.Data("URL"), "http://x/?a=b&c=d");
    EXPECT_EQ(ini.Data("name"), "  spaced  ");
    EXPECT_EQ(ini.Data("missing"), "");
    EXPECT_EQ(ini.Data("a"), "3");
    EXPECT_EQ(Items(ini.Keys()), (std::vector<std::string>{"url", "Name", "b", "A", "c"}));
    // A line without "=" is readable but never a key: Clear leaves it and it is not written back.
    EXPECT_EQ(ini.Data("# NOTE"), "# note");
    ini.Clear();
    EXPECT_TRUE(ini.Keys().Empty());
    EXPECT_EQ(ini.Data("c"), "");
    EXPECT_EQ(ini.Data("# note"), "# note");
    ASSERT_TRUE(ini.Save("BoardOne"));
    EXPECT_EQ(profile.blocks.back(), "\0"s);
}

TEST_F(CIniFileTest, KeysEqualByUnicodeFoldingAreOneKey) {
    // The Kelvin sign folds to an ASCII "k".
    Given({{"S", {"\u00E9=1", "k=2", "\u212A=3", "\u00C9=4"}}});
    ini.NowSection("S");
    EXPECT_EQ(Items(ini.Keys()), (std::vector<std::string>{"\u212A", "\u00C9"}));
    EXPECT_EQ(ini.Data("\u00E9"), "4");
    EXPECT_EQ(ini.Data("K"), "3");
}

TEST_F(CIniFileTest, AMissingFileSavesAsFalseAndANewSectionIsSavedAsAnEmptyBlock) {
    EXPECT_TRUE(ini.Load("absent.ini"));
    EXPECT_TRUE(ini.Sections().Empty());
    EXPECT_FALSE(ini.IsExist());
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(profile.writes.empty());
    Given({{"Old", {"k=v"}}});
    ini.NowSection("New");
    EXPECT_FALSE(ini.IsExist());
    EXPECT_EQ(Items(ini.Sections()), (std::vector<std::string>{"Old", "New"}));
    EXPECT_TRUE(ini.Keys().Empty());
    ASSERT_TRUE(ini.Save("New"));
    EXPECT_EQ(profile.blocks.back(), "\0"s);
    EXPECT_TRUE(ini.IsExist());
}

TEST_F(CIniFileTest, AssigningNeedsASectionAndMovesTheKeyToTheEndUnderItsNewSpelling) {
    Given({{"S", {"a=1", "b=2", "c=3"}}, {"T", {"a=5"}}});
    EXPECT_EQ(testing::ErrorNumberOf([&] { ini.Data("k", "v"); }), kErrInvalidArgument);
    EXPECT_EQ(ini.Data("k"), "");
    ini.NowSection("S");
    ini.Data("A", "9");
    EXPECT_EQ(Items(ini.Keys()), (std::vector<std::string>{"b", "c", "A"}));
    ASSERT_TRUE(ini.Save("S"));
    EXPECT_EQ(profile.blocks.back(), "b=2\0c=3\0A=9\0\0"s);
    ini.DeleteData("zzz");  // deleting an absent key is no error
    ini.DeleteData("a");
    EXPECT_EQ(Items(ini.Keys()), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(ini.Data("A"), "");
    ini.NowSection("T");  // the other section is as read
    EXPECT_EQ(ini.Data("a"), "5");
}

TEST_F(CIniFileTest, LongListsAreReadWholeWithFewCalls) {
    std::vector<FakeProfileFile::Section> sections;
    std::vector<std::string> expectedNames;
    for (int i = 0; i < 300; ++i) {  // about 3,000 bytes of names
        expectedNames.push_back("Section" + std::to_string(i));
        sections.push_back({expectedNames.back(), {}});
    }
    std::vector<std::string> lines;
    for (int i = 0; i < 5000; ++i)
        lines.push_back("key" + std::to_string(i) + "=value");
    sections[7].lines = lines;  // about 70,000 bytes in one section
    Given(sections);

    EXPECT_EQ(Items(ini.Sections()), expectedNames);
    ini.NowSection("Section7");
    EXPECT_EQ(ini.Keys().Count(), 5000u);
    EXPECT_EQ(ini.Data("key4999"), "value");
    EXPECT_LE(profile.nameCalls, 3);           // 1024, 2048, 4096
    EXPECT_LE(profile.sectionCalls, 300 + 5);  // 4096 doubling up to 128 KiB for one section
}

TEST_F(CIniFileTest, ListsExactlyAtTheBufferBoundaryAreReadWhole) {
    // A name list of exactly 1022 bytes makes the first call report size - 2, so it is read again.
    const std::string name(1021, 'n');
    std::vector<testing::FakeProfileFile::Section> sections(1);
    sections[0].name = name;
    sections[0].lines.emplace_back(4093, 'k');
    sections[0].lines[0] += '=';
    Given(std::move(sections));
    EXPECT_EQ(Items(ini.Sections()), std::vector<std::string>{name});
    EXPECT_EQ(profile.nameCalls, 2);
    ini.NowSection(name);
    EXPECT_EQ(ini.Keys().Count(), 1u);
    EXPECT_EQ(ini.Keys().Item(1).size(), 4093u);
}

TEST_F(CIniFileTest, AReloadForgetsTheKeysOfTheFileReadBefore) {
    Given({{"S", {"old=1"}}});
    ini.NowSection("S");
    ASSERT_EQ(Items(ini.Keys()), std::vector<std::string>{"old"});
    profile.SetFile(kFile, {{"S", {"new=2", "other=3"}}});
    ASSERT_TRUE(ini.Load(kFile));
    EXPECT_EQ(ini.NowSection(), "");
    ini.NowSection("S");
    ini.Data("x", "9");
    ASSERT_TRUE(ini.Save("S"));
    EXPECT_EQ(profile.blocks.back(), "new=2\0other=3\0x=9\0\0"s);
}

TEST_F(CIniFileTest, SaveAllWritesEverySectionInOrderAndStopsAtTheFirstFailure) {
    Given({{"One", {"a=1", "junk"}}, {"Two", {"b=2"}}, {"Three", {"c=3"}}});
    EXPECT_TRUE(ini.Save());
    EXPECT_EQ(profile.writes, (std::vector<std::string>{"One", "Two", "Three"}));
    ASSERT_NE(profile.File(kFile), nullptr);
    EXPECT_EQ((*profile.File(kFile))[0].lines, std::vector<std::string>{"a=1"});

    profile.writes.clear();
    profile.FailWritesOf("Two");
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(profile.writes, (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(ini.NowSection(), "Two");
    EXPECT_EQ(ini.Data("b"), "2");  // the model keeps its entries
}

TEST_F(CIniFileTest, InitDataConvertsByCodeFallsBackToTheDefaultOrGivesTheRawText) {
    Given({{"S",
            {"spaces=   ", "padded= x ", "half=12.5", "big=2147483648", "single=40000.5",
             "word=TRUE", "zero=0", "text=hello"}}});
    ini.NowSection("S");
    const Variant fallback(std::int16_t{-7});
    const Variant empty{std::string()}, spaces{std::string("   ")};
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
        // Unknown codes give the raw text, never the default.
        {"absent", -1, empty},
        {"spaces", -1, spaces},
        {"absent", 4, empty},
        {"spaces", 4, spaces},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.code));
        EXPECT_EQ(ini.InitData(c.key, c.code, fallback), c.expected.value_or(fallback));
    }
}

}  // namespace
}  // namespace tessel
