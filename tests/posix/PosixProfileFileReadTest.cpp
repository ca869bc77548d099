#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "posix/PosixProfileFile.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using namespace std::string_literals;

using testing::DataFile;
using testing::TempDir;
using Lines = std::vector<std::string>;

Lines SplitList(const std::vector<char>& buffer, std::uint32_t length) {
    Lines items;
    std::string item;
    for (std::uint32_t i = 0; i < length; ++i) {
        if (buffer[i] == '\0') {
            items.push_back(item);
            item.clear();
        } else {
            item += buffer[i];
        }
    }
    return items;
}

class ReadTest : public ::testing::Test {
  protected:
    Lines Names(const std::string& file, std::uint32_t size = 1 << 16) {
        std::vector<char> buffer(size, 'X');
        return SplitList(buffer, profile_.GetPrivateProfileSectionNames(buffer.data(), size, file));
    }
    Lines Section(const std::string& section, const std::string& file,
                  std::uint32_t size = 1 << 16) {
        std::vector<char> buffer(size, 'X');
        return SplitList(buffer,
                         profile_.GetPrivateProfileSection(section, buffer.data(), size, file));
    }

    PosixProfileFile profile_;
    TempDir dir_;
};

struct FixtureCase {
    const char* file;
    Lines names;
    std::vector<std::pair<std::string, Lines>> sections;
};

TEST_F(ReadTest, ReadsFixturesAsWindowsDoes) {
    // Undecodable Shift-JIS reads as MultiByteToWideChar has it: U+30FB for a bad pair (the byte
    // after a lead byte goes with it), U+F8F0 for the single byte 0xA0.
    const FixtureCase cases[] = {
        {"nul_bytes.ini", {"Nul", "Sec"}, {{"Nul", {"key=va", "=1", "after=2"}}, {"Sec", {"x=1"}}}},
        {"invalid_utf8_cp932.ini",
         {"Board"},
         {{"Board", {"name=日本", "stray=・ok", "bad=\uF8F0x", "unmapped=・|・", "tail=・"}}}},
        {"missing_close_bracket.ini",
         {"Open", "Next"},
         {{"Open", {"a=1", "[NoClose", "b=2"}}, {"next", {"c=3"}}}},
        {"cr_only.ini", {"A", "B"}, {{"A", {"k=v"}}, {"B", {"x=y"}}}},
        {"lf_only.ini", {"A", "B"}, {{"A", {"k=v"}}, {"B", {"x=y"}}}},
        {"utf16le_bom.ini", {"日本"}, {{"日本", {"キー=値", "emoji=😀"}}}},
        {"utf8_bom.ini", {"Sec"}, {{"Sec", {"name=日本語"}}, {"", {}}}},
        {"cp932_japanese.ini", {"ゾーン"}, {{"ゾーン", {"表=ソ", "名前=テスト"}}}},
        {"duplicate_header_other_case.ini",
         {"Board", "other", "BOARD"},
         {{"board", {"a=1"}}, {"OTHER", {"b=2"}}}},
        {"nonascii_letter_case.ini", {"É", "é", "Ａ", "ａ"}, {{"é", {"a=1"}}, {"ａ", {"c=3"}}}},
        {"header_forms.ini",
         {"Sec1", "Other", "a]b"},
         {{"", {"top=0"}},
          {"sec1", {"a=b"}},
          {"Other", {"key=", "=x", "#hash"}},
          {"a]b", {"c=d", "spaced\tline"}},
          {"Absent", {}}}},
    };
    for (const FixtureCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string file = DataFile(c.file);
        EXPECT_EQ(Names(file), c.names);
        for (const auto& [name, lines] : c.sections) {
            SCOPED_TRACE("[" + name + "]");
            EXPECT_EQ(Section(name, file), lines);
        }
    }
}

TEST_F(ReadTest, MissingEmptyOrOddFilesReadWithoutHangingOrFailing) {
    const std::string empty = dir_.Write("empty.ini", "");
    const std::string headerOnly = dir_.Write("header.ini", "[Only]\n; nothing else\n");
    const std::string fifo = dir_.File("fifo.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(profile_.WritePrivateProfileSection("S", "k=v\0\0"s, fifo));
    for (const std::string& file : {dir_.File("missing.ini"), dir_.Path().string(), empty, fifo}) {
        SCOPED_TRACE(file);
        char buffer[4] = {'X', 'X', 'X', 'X'};
        EXPECT_EQ(profile_.GetPrivateProfileSectionNames(buffer, 4, file), 0u);
        EXPECT_EQ(std::string(buffer, 4), "\0\0XX"s);
        EXPECT_EQ(profile_.GetPrivateProfileSection("Only", buffer, 4, file), 0u);
    }
    EXPECT_EQ(Section("Only", headerOnly), Lines());

    // Invalid UTF-16 is replaced, not fatal.
    // "[A]" CRLF "x=" lone-high-surrogate "y" lone-low-surrogate, then half a code unit.
    const std::string bytes = "\xFF\xFE[\0A\0]\0\r\0\n\0x\0=\0\x00\xD8y\0\x00\xDC!"s;
    const std::string bad16 = dir_.Write("bad16.ini", bytes);
    EXPECT_EQ(Names(bad16), Lines({"A"}));
    EXPECT_EQ(Section("A", bad16), Lines({"x=\xEF\xBF\xBDy\xEF\xBF\xBD\xEF\xBF\xBD"}));
}

TEST_F(ReadTest, SmallBuffersAreCutAndEndInTwoNuls) {
    // Names "Ab" and "Cd" make the list "Ab\0Cd\0", 6 bytes plus the closing NUL.
    const std::string file = dir_.Write("two.ini", "[Ab]\n[Cd]\nk=v\n");
    struct Case {
        std::uint32_t size;
        std::uint32_t result;
        std::string content;  // the first size bytes of the buffer afterwards
    };
    const Case cases[] = {
        {8, 6, "Ab\0Cd\0\0X"s},  // roomy
        {7, 6, "Ab\0Cd\0\0"s},   // exact fit
        {6, 4, "Ab\0C\0\0"s},    // one short: size - 2
        {5, 3, "Ab\0\0\0"s},    {3, 1, "A\0\0"s},      {2, 0, "\0\0"s},
        {1, 0, "\0"s},          {0, 0, std::string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<char> buffer(9, 'X');
        EXPECT_EQ(profile_.GetPrivateProfileSectionNames(buffer.data(), c.size, file), c.result);
        EXPECT_EQ(std::string(buffer.data(), c.size), c.content);
        EXPECT_EQ(buffer[c.size], 'X') << "wrote past the buffer";
    }
    char section[5];
    EXPECT_EQ(profile_.GetPrivateProfileSection("cd", section, 5, file), 4u);
    EXPECT_EQ(std::string(section, 5), "k=v\0\0"s);
    EXPECT_EQ(profile_.GetPrivateProfileSection("cd", section, 4, file), 2u);
    EXPECT_EQ(std::string(section, 4), "k=\0\0"s);
}

TEST_F(ReadTest, ReadingEverySectionIsLinear) {
    // 32,767 sections, the most a board list can hold. Parsing the file per read, or looking a
    // name up by scanning, takes far longer than the deadline; keeping the parse, well under a
    // second.
    const int count = 32767;
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "[S" + std::to_string(i) + "]\nkey=" + std::to_string(i) + "\n";
    const std::string file = dir_.Write("max.ini", text);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    char buffer[64];
    for (int i = 0; i < count; ++i) {
        if (i % 1024 == 0) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "at section " << i;
        }
        const std::string expected = "key=" + std::to_string(i);
        ASSERT_EQ(profile_.GetPrivateProfileSection("S" + std::to_string(i), buffer, 64, file),
                  expected.size() + 1);
        ASSERT_EQ(std::string(buffer), expected);
    }
}

void SetMtime(const std::string& file, std::time_t seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST_F(ReadTest, SeesChangesBehindItsBack) {
    const std::string file = dir_.Write("watch.ini", "[A]\nk=1\n");
    SetMtime(file, 1700000000, 1);
    EXPECT_EQ(Section("A", file), Lines({"k=1"}));

    // Same size, rewritten in place; only the nanoseconds of the time differ.
    dir_.Write("watch.ini", "[A]\nk=2\n");
    SetMtime(file, 1700000000, 2);
    EXPECT_EQ(Section("A", file), Lines({"k=2"}));

    // Replaced by rename with the very same size and time: only the inode tells.
    const std::string other = dir_.Write("other.ini", "[A]\nk=3\n");
    SetMtime(other, 1700000000, 2);
    ASSERT_EQ(std::rename(other.c_str(), file.c_str()), 0);
    EXPECT_EQ(Section("A", file), Lines({"k=3"}));

    ASSERT_EQ(std::remove(file.c_str()), 0);
    EXPECT_EQ(Names(file), Lines());
}

}  // namespace
}  // namespace tessel
