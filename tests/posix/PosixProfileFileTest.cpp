#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "posix/charset/CodePage.h"
#include "posix/profile/PosixProfileFile.h"
#include "posix/profile/ProfileDocument.h"
#include "settings/SectionEntries.h"
#include "support/TempDir.h"
#include "text/TextCase.h"

namespace tessel {
namespace {

using namespace std::string_literals;

using testing::DataFile;
using testing::ReadBytes;
using testing::TempDir;
using Lines = std::vector<std::string>;

// The NUL-separated list a read left in buffer.
Lines Split(const std::vector<char>& buffer, std::uint32_t length) {
    Lines items;
    for (std::uint32_t i = 0; i < length; i += items.back().size() + 1)
        items.emplace_back(buffer.data() + i);
    return items;
}

Lines ReadNames(ProfileFile& profile, const std::string& file) {
    std::vector<char> buffer(1 << 16);
    return Split(buffer, profile.GetPrivateProfileSectionNames(buffer.data(), 1 << 16, file));
}

Lines ReadSection(ProfileFile& profile, const std::string& section, const std::string& file) {
    std::vector<char> buffer(1 << 16);
    return Split(buffer, profile.GetPrivateProfileSection(section, buffer.data(), 1 << 16, file));
}

class ReadTest : public ::testing::Test {
  protected:
    PosixProfileFile profile_;
    TempDir dir_;
};

TEST_F(ReadTest, ReadsFixturesAsWindowsDoes) {
    // Undecodable Shift-JIS reads as MultiByteToWideChar has it: U+30FB for a bad pair (the byte
    // after a lead byte goes with it), U+F8F0 for the single byte 0xA0.
    const struct {
        const char* file;
        Lines names;
        std::vector<std::pair<std::string, Lines>> sections;
    } cases[] = {
        {"nul_bytes.ini", {"Nul", "Sec"}, {{"Nul", {"key=va", "=1", "after=2"}}, {"Sec", {"x=1"}}}},
        {"invalid_utf8_cp932.ini",
         {"Board"},
         {{"Board", {"name=日本", "stray=・ok", "bad=\uF8F0x", "unmapped=・|・", "tail=・"}}}},
        {"missing_close_bracket.ini",
         {"Open", "Next"},
         {{"Open", {"a=1", "[NoClose", "b=2"}}, {"next", {"c=3"}}}},
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string file = DataFile(c.file);
        EXPECT_EQ(ReadNames(profile_, file), c.names);
        for (const auto& [name, lines] : c.sections) {
            SCOPED_TRACE("[" + name + "]");
            EXPECT_EQ(ReadSection(profile_, name, file), lines);
        }
        // A whole load gets for each name what a read of that name gives, whether the names are
        // the file's own list or others; a repeated name may give its own section instead.
        for (const Lines& names : {c.names, Lines{"other", "Sec", "ゾーン", "absent"}}) {
            std::string list;
            for (const std::string& name : names)
                list += name + '\0';
            Lines seen;
            std::set<std::string> folded;
            profile_.ReadSections(file, list, [&](std::string_view name, std::string_view lines) {
                seen.emplace_back(name);
                if (!folded.insert(FoldNameCase(name)).second)
                    return;
                Lines read;
                for (std::size_t pos = 0; pos < lines.size(); pos = lines.find('\0', pos) + 1)
                    read.emplace_back(lines.substr(pos, lines.find('\0', pos) - pos));
                EXPECT_EQ(read, ReadSection(profile_, seen.back(), file)) << seen.back();
            });
            EXPECT_EQ(seen, names);
            // A section handed out packed holds the entries its lines make.
            seen.clear();
            folded.clear();
            profile_.ReadLoadedSections(
                file, list,
                [&](const ProfileFile::LoadedSection& loaded,
                    const std::shared_ptr<const void>& keeper) {
                    seen.emplace_back(loaded.name);
                    if (!folded.insert(FoldNameCase(loaded.name)).second || !loaded.packed)
                        return;
                    SectionEntries packed, added;
                    packed.Share(keeper, loaded.entries, loaded.count);
                    std::string lines;
                    for (const std::string& line : ReadSection(profile_, seen.back(), file))
                        lines += line + '\0';
                    added.AddLines(lines);
                    Lines packedEntries, addedEntries;
                    packed.ForEach([&](std::string_view e) { packedEntries.emplace_back(e); });
                    added.ForEach([&](std::string_view e) { addedEntries.emplace_back(e); });
                    EXPECT_EQ(packedEntries, addedEntries) << seen.back();
                });
            EXPECT_EQ(seen, names);
        }
    }
}

// Lines ended by LF alone are read as the same lines ended by CRLF, whatever they hold.
TEST_F(ReadTest, LineFeedEndedLinesReadAsCrLfEndedOnes) {
    const std::string pieces[] = {"a", "=", " ", "\t", "[", "]", ";", "k=v", "日本"};
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        std::string lf, crLf;
        for (std::size_t lines = random() % 12; lines > 0; --lines) {
            std::string line;
            for (std::size_t n = random() % 6; n > 0; --n)
                line += pieces[random() % std::size(pieces)];
            lf += line + "\n";
            crLf += line + "\r\n";
        }
        if (random() % 2 == 0)
            lf += "x = y", crLf += "x = y";  // a last line without its end
        const auto read = [](std::string_view bytes) {
            std::string headers;
            std::string texts =
                ProfileDocument::SectionTexts(bytes, [&](std::string_view name, std::size_t at) {
                    headers += std::string(name) + "@" + std::to_string(at) + "\n";
                });
            return texts + "|" + headers;
        };
        ASSERT_EQ(read(lf), read(crLf)) << lf;
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
    EXPECT_EQ(ReadSection(profile_, "Only", headerOnly), Lines());
}

TEST_F(ReadTest, SmallBuffersAreCutAndEndInTwoNuls) {
    // Names "Ab" and "Cd" make the list "Ab\0Cd\0", 6 bytes plus the closing NUL.
    const std::string file = dir_.Write("two.ini", "[Ab]\n[Cd]\nk=v\n");
    const struct {
        const char* section;  // nullptr: the names
        std::uint32_t size;
        std::uint32_t result;
        std::string content;  // the first size bytes of the buffer afterwards
    } cases[] = {
        {nullptr, 8, 6, "Ab\0Cd\0\0X"s},  // roomy
        {nullptr, 7, 6, "Ab\0Cd\0\0"s},   // exact fit
        {nullptr, 6, 4, "Ab\0C\0\0"s},    // one short: size - 2
        {nullptr, 5, 3, "Ab\0\0\0"s},    {nullptr, 3, 1, "A\0\0"s}, {nullptr, 2, 0, "\0\0"s},
        {nullptr, 1, 0, "\0"s},          {nullptr, 0, 0, ""s},      {"cd", 5, 4, "k=v\0\0"s},
        {"cd", 4, 2, "k=\0\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::vector<char> buffer(9, 'X');
        EXPECT_EQ(c.section
                      ? profile_.GetPrivateProfileSection(c.section, buffer.data(), c.size, file)
                      : profile_.GetPrivateProfileSectionNames(buffer.data(), c.size, file),
                  c.result);
        EXPECT_EQ(std::string(buffer.data(), c.size), c.content);
        EXPECT_EQ(buffer[c.size], 'X') << "wrote past the buffer";
    }
}

void SetMtime(const std::string& file, std::time_t seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST_F(ReadTest, SeesChangesBehindItsBack) {
    const std::string file = dir_.Write("watch.ini", "[A]\nk=1\n");
    SetMtime(file, 1700000000, 1);
    EXPECT_EQ(ReadSection(profile_, "A", file), Lines({"k=1"}));

    // Same size, rewritten in place; only the nanoseconds of the time differ.
    dir_.Write("watch.ini", "[A]\nk=2\n");
    SetMtime(file, 1700000000, 2);
    EXPECT_EQ(ReadSection(profile_, "A", file), Lines({"k=2"}));

    // Replaced by rename with the very same size and time: only the inode tells.
    const std::string other = dir_.Write("other.ini", "[A]\nk=3\n");
    SetMtime(other, 1700000000, 2);
    ASSERT_EQ(std::rename(other.c_str(), file.c_str()), 0);
    EXPECT_EQ(ReadSection(profile_, "A", file), Lines({"k=3"}));

    ASSERT_EQ(std::remove(file.c_str()), 0);
    EXPECT_EQ(ReadNames(profile_, file), Lines());
}

std::string WithLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string out;
    for (char c : text)
        out += c == '\n' ? lineEnd : std::string(1, c);
    return out;
}

// Lines as a write takes them: each followed by a NUL, and one more NUL at the end.
std::string Block(std::initializer_list<std::string_view> lines) {
    std::string block;
    for (std::string_view line : lines) {
        block += line;
        block += '\0';
    }
    return block + '\0';
}

const char* const kTemplate =
    "; head\n"
    "top=1\n"
    "[First]\n"
    "a=1\n"
    "; note\n"
    "b=2\n"
    "\n"
    "; about second\n"
    "[Second]\n"
    "x=日本\n"
    "[Third]\n"
    "z=3\n";

TEST(ProfileWriteTest, ReplacesOneSectionKeepingEncodingAndLineEnds) {
    const std::string base = kTemplate;
    const auto with = [&](std::string_view from, std::string_view to) {
        return std::string(base).replace(base.find(from), from.size(), to);
    };
    const struct {
        std::string section;
        std::string block;
        std::string expected;  // the template afterwards, with "\n" line ends
    } writes[] = {
        {"second", Block({"x=テスト", "y = 2"}), with("x=日本\n", "x=テスト\ny = 2\n")},
        {"First", Block({"n=1"}), with("a=1\n; note\nb=2\n", "n=1\n")},
        {"THIRD", Block({}), with("z=3\n", "")},
        {"New", Block({"k=値"}), base + "[New]\nk=値\n"},
        {"", Block({"top=2"}), with("; head\ntop=1\n", "top=2\n")},
    };
    for (const auto& [name, encoding, bom] :
         {std::tuple<const char*, Encoding, std::string>{"UTF-8", Encoding::kUtf8, ""},
          {"UTF-8 BOM", Encoding::kUtf8, "\xEF\xBB\xBF"},
          {"UTF-16LE", Encoding::kUtf16Le, "\xFF\xFE"},
          {"CP932", Encoding::kCp932, ""}}) {
        for (const auto& [lineEnd, endName] :
             {std::pair<std::string, const char*>{"\n", "LF"}, {"\r\n", "CRLF"}, {"\r", "CR"}}) {
            for (const auto& write : writes) {
                SCOPED_TRACE(std::string(name) + " [" + write.section + "] " + endName);
                CodePageConverter converter(encoding);
                // Init-captures: clang before 16 cannot capture a structured binding itself.
                auto encode = [&converter, &mark = bom, &ends = lineEnd](const std::string& text) {
                    return mark + converter.FromUtf8(WithLineEnds(text, ends)).value();
                };
                TempDir dir;
                const std::string file = dir.Write("board.ini", encode(kTemplate));
                PosixProfileFile profile;
                ASSERT_EQ(ReadSection(profile, "Second", file), Lines{"x=日本"});
                ASSERT_TRUE(profile.WritePrivateProfileSection(write.section, write.block, file));
                EXPECT_EQ(ReadBytes(file), encode(write.expected));
                if (write.section == "second") {
                    EXPECT_EQ(ReadSection(profile, "Second", file), (Lines{"x=テスト", "y=2"}));
                }
            }
        }
    }
}

// A write gives exactly the bytes expected, or is refused leaving the file as it was (with no
// temporary beside it) when what it holds would not read back as written.
TEST(ProfileWriteTest, WritesAtTheEdgesOfTheFileAndRefusesWhatWouldNotReadBack) {
    const std::string cp932 = "[A]\nk=\x93\xFA\n";
    const std::nullopt_t kRefused = std::nullopt;
    const struct {
        const char* name;
        std::optional<std::string> before;  // none: the file does not exist
        std::string section;
        std::string block;
        std::optional<std::string> after;
    } cases[] = {
        {"missing file", std::nullopt, "S", Block({"a=1"}), "[S]\na=1\n"},
        {"no final line end", "[A]\na=1", "B", Block({"b=2"}), "[A]\na=1\n[B]\nb=2\n"},
        {"header ends the file", "[A]", "a", Block({"x=1"}), "[A]\nx=1\n"},
        {"first line end sets the style", "[A]\r\nk=1\n[B]\n", "A", Block({"x", "y"}),
         "[A]\r\nx\r\ny\r\n[B]\n"},
        {"only the first of a repeated section", "[A]\nk=1\n[a]\nk=2\n", "A", Block({"k=3"}),
         "[A]\nk=3\n[a]\nk=2\n"},
        {"name in other case, beyond ASCII", "[É]\nk=1\n", "é", Block({"k=2"}), "[É]\nk=2\n"},
        {"before the first header, after the BOM", "\xEF\xBB\xBF[A]\n", "", Block({"top=1"}),
         "\xEF\xBB\xBFtop=1\n[A]\n"},
        {"block without its closing NULs", "[A]\nk=1\n", "A", "k=2", "[A]\nk=2\n"},
        {"CP932 file left with ASCII only", cp932, "A", Block({"k=x"}), "[A]\nk=x\n"},
        {"character outside CP932", cp932, "A", Block({"k=😀"}), kRefused},
        // The bytes C2 B1 would read back as the UTF-8 "±".
        {"CP932 file would read as UTF-8", cp932, "A", Block({"k=ﾂｱ"}), kRefused},
        {"line feed in a line", "[A]\n", "A", Block({"k=1\nj=2"}), kRefused},
        {"carriage return in a line", "[A]\n", "A", Block({"k=1\rj=2"}), kRefused},
        {"line break in the name", "[A]\n", "A\n", Block({"k=1"}), kRefused},
        {"block is not UTF-8", "[A]\n", "A", Block({"k=\xFF"}), kRefused},
        {"odd-length UTF-16 file", "\xFF\xFE[\0A\0]\0x"s, "B", Block({"k=1"}), kRefused},
        {"odd-length UTF-16 file, section replaced", "\xFF\xFE[\0A\0]\0x"s, "A", Block({"k=1"}),
         kRefused},
        // Lines and names that would not read back as written; a second "[B]" would make the
        // whole board list fail to load.
        {"line that reads as a header", "[A]\n[B]\n", "A", Block({"[B]=x"}), kRefused},
        {"line that reads as a comment", "[A]\n", "A", Block({" ;k=1"}), kRefused},
        {"blank line", "[A]\n", "A", Block({" \t"}), kRefused},
        {"name with a space before it", "[S]\n", " S", Block({"k=1"}), kRefused},
        {"name with a tab after it", "[S]\n", "S\t", Block({"k=1"}), kRefused},
        {"name with a closing bracket", "[S]\n", "S]", Block({"k=1"}), kRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = c.before ? dir.Write("f.ini", *c.before) : dir.File("f.ini");
        PosixProfileFile profile;
        EXPECT_EQ(profile.WritePrivateProfileSection(c.section, c.block, file),
                  c.after.has_value());
        EXPECT_EQ(ReadBytes(file), c.after.value_or(c.before.value_or("")));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    }
}

}  // namespace
}  // namespace tessel
