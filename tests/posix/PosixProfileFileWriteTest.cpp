#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "posix/CodePage.h"
#include "posix/PosixProfileFile.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using namespace std::string_literals;

using testing::ReadBytes;
using testing::TempDir;

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

std::vector<std::string> ReadSection(ProfileFile& profile, const std::string& section,
                                     const std::string& file) {
    std::vector<char> buffer(4096);
    const std::uint32_t length =
        profile.GetPrivateProfileSection(section, buffer.data(), 4096, file);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < length; i += lines.back().size() + 1) {
        lines.emplace_back(buffer.data() + i);
    }
    return lines;
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
    struct Encoded {
        const char* name;
        Encoding encoding;
        std::string bom;
    };
    const Encoded encodings[] = {
        {"UTF-8", Encoding::kUtf8, ""},
        {"UTF-8 BOM", Encoding::kUtf8, "\xEF\xBB\xBF"},
        {"UTF-16LE", Encoding::kUtf16Le, "\xFF\xFE"},
        {"CP932", Encoding::kCp932, ""},
    };
    struct Write {
        std::string section;
        std::string block;
        std::string expected;  // the template afterwards, with "\n" line ends
    };
    const std::string base = kTemplate;
    const Write writes[] = {
        {"second", Block({"x=テスト", "y = 2"}),
         "; head\ntop=1\n[First]\na=1\n; note\nb=2\n\n; about second\n[Second]\nx=テスト\ny = "
         "2\n[Third]\nz=3\n"},
        {"First", Block({"n=1"}),
         "; head\ntop=1\n[First]\nn=1\n\n; about second\n[Second]\nx=日本\n[Third]\nz=3\n"},
        {"THIRD", Block({}),
         "; head\ntop=1\n[First]\na=1\n; note\nb=2\n\n; about second\n[Second]\nx=日本\n[Third]\n"},
        {"New", Block({"k=値"}), base + "[New]\nk=値\n"},
        {"", Block({"top=2"}), "top=2\n" + base.substr(base.find("[First]"))},
    };
    for (const Encoded& encoded : encodings) {
        for (const std::string lineEnd : {"\n", "\r\n", "\r"}) {
            for (const Write& write : writes) {
                SCOPED_TRACE(std::string(encoded.name) + " [" + write.section + "] " +
                             (lineEnd == "\n"   ? "LF"
                              : lineEnd == "\r" ? "CR"
                                                : "CRLF"));
                CodePageConverter converter(encoded.encoding);
                auto encode = [&](const std::string& text) {
                    return encoded.bom + converter.FromUtf8(WithLineEnds(text, lineEnd)).value();
                };
                TempDir dir;
                const std::string file = dir.Write("board.ini", encode(kTemplate));
                PosixProfileFile profile;
                ASSERT_EQ(ReadSection(profile, "Second", file), std::vector<std::string>{"x=日本"});
                ASSERT_TRUE(profile.WritePrivateProfileSection(write.section, write.block, file));
                EXPECT_EQ(ReadBytes(file), encode(write.expected));
                if (write.section == "second") {
                    EXPECT_EQ(ReadSection(profile, "Second", file),
                              (std::vector<std::string>{"x=テスト", "y=2"}));
                }
            }
        }
    }
}

TEST(ProfileWriteTest, EdgesOfTheFile) {
    struct Case {
        const char* name;
        std::optional<std::string> before;  // none: the file does not exist
        std::string section;
        std::string block;
        std::string after;
    };
    const Case cases[] = {
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
        {"CP932 file left with ASCII only", "[A]\nk=\x93\xFA\n", "A", Block({"k=x"}), "[A]\nk=x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = c.before ? dir.Write("f.ini", *c.before) : dir.File("f.ini");
        PosixProfileFile profile;
        ASSERT_TRUE(profile.WritePrivateProfileSection(c.section, c.block, file));
        EXPECT_EQ(ReadBytes(file), c.after);
    }
}

TEST(ProfileWriteTest, RefusesWhatCannotBeWrittenFaithfully) {
    const std::string cp932 = "[A]\nk=\x93\xFA\n";
    struct Case {
        const char* name;
        std::string before;
        std::string section;
        std::string block;
    };
    const Case cases[] = {
        {"character outside CP932", cp932, "A", "k=😀"},
        {"character CP932 only approximates", cp932, "A", "k=\xC2\xA5"},
        {"CP932 file would read as UTF-8", cp932, "A", "k=ﾂｱ"},  // bytes C2 B1 are UTF-8 "±"
        {"line feed in a line", "[A]\n", "A", "k=1\nj=2"},
        {"carriage return in a line", "[A]\n", "A", "k=1\rj=2"},
        {"line break in the name", "[A]\n", "A\n", "k=1"},
        {"block is not UTF-8", "[A]\n", "A", "k=\xFF"},
        {"odd-length UTF-16 file", "\xFF\xFE[\0A\0]\0x"s, "B", "k=1"},
        {"odd-length UTF-16 file, section replaced", "\xFF\xFE[\0A\0]\0x"s, "A", "k=1"},
        // Lines and names that would not read back as written; a second "[B]" would make the
        // whole board list fail to load.
        {"line that reads as a header", "[A]\n[B]\n", "A", "[B]=x"},
        {"line that reads as a comment", "[A]\n", "A", " ;k=1"},
        {"blank line", "[A]\n", "A", " \t"},
        {"name with a space before it", "[S]\n", " S", "k=1"},
        {"name with a tab after it", "[S]\n", "S\t", "k=1"},
        {"name with a closing bracket", "[S]\n", "S]", "k=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = dir.Write("f.ini", c.before);
        PosixProfileFile profile;
        EXPECT_FALSE(profile.WritePrivateProfileSection(c.section, c.block + '\0' + '\0', file));
        EXPECT_EQ(ReadBytes(file), c.before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    }
}

}  // namespace
}  // namespace tessel
