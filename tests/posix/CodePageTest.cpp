#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "posix/charset/CodePage.h"

namespace tessel {
namespace {

using namespace std::string_literals;

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

TEST(CodePageTest, DetectsEncodingFromBytesAndReplacesEachBadPartOfUtf8) {
    struct Case {
        std::string bytes;
        Encoding encoding;
        std::size_t bomSize;
    };
    const Case cases[] = {
        {"", Encoding::kUtf8, 0},
        {"[a]\nk=v\n", Encoding::kUtf8, 0},
        {"\xEF\xBB\xBFk=\x93\xFA", Encoding::kUtf8, 3},  // a BOM wins over bad bytes
        {"k=\xC0\xAF", Encoding::kCp932, 0},             // overlong UTF-8
        {"k=\xED\xA0\x80", Encoding::kCp932, 0},         // UTF-8 of a surrogate
        {"k=\xF4\x90\x80\x80", Encoding::kCp932, 0},     // past U+10FFFF
        // Runs of ASCII and of three-byte characters, each of which is stepped over in bulk.
        {"name=\u65E5\u672C\u8A9E\u306E\u677F, long enough", Encoding::kUtf8, 0},
        {"name=long enough\x93\xFA\x96\x7B", Encoding::kCp932, 0},
        {"\u3042\xED\xA0\x80 and more", Encoding::kCp932, 0},  // a surrogate after a kana
        {"\u3042\xE0\x80\x80 and more", Encoding::kCp932, 0},  // an overlong form after one
        {"\u3042\xE3\x81\x41 and more", Encoding::kCp932, 0},  // a cut-off character after one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const DetectedEncoding detected = DetectEncoding(c.bytes);
        EXPECT_EQ(detected.encoding, c.encoding);
        EXPECT_EQ(detected.bomSize, c.bomSize);
    }
    // Each mark, Windows-31J and UTF-16 are detected and decoded in the fixtures' reads (ReadTest);
    // ill-formed UTF-8 only reaches the decoder in a file that starts with a UTF-8 byte-order mark,
    // and becomes one replacement per bad part.
    CodePageConverter converter(Encoding::kUtf8);
    EXPECT_EQ(converter.ToUtf8("a\xC3(b"), "a" + kBad + "(b");
    EXPECT_EQ(converter.ToUtf8("\xE6\x97x\xF0\x9F\x98"), kBad + "x" + kBad);
    EXPECT_EQ(converter.ToUtf8("\xC0\xAF"), kBad + kBad);
}

// Only what reads back as written is encoded, except that what Linux input methods type for
// some keys is sent as Windows sends it and reads back as the Windows character. A character
// without any code refuses the whole text; it is never replaced.
TEST(CodePageTest, EncodesOnlyWhatReadsBackAsWindowsHasIt) {
    struct Case {
        Encoding encoding;
        std::string utf8;
        std::optional<std::string> bytes;
        std::string readBack = "";  // empty: utf8 itself
    };
    const Case cases[] = {
        {Encoding::kCp932, "表=ソ", "\x95\x5C=\x83\x5C"},
        {Encoding::kCp932, "😀", std::nullopt},             // no code at all
        {Encoding::kCp932, "\xC2\xA5", std::nullopt},      // the yen sign would come back as '\'
        {Encoding::kCp932, "\xE2\x80\xBE", std::nullopt},  // the overline would come back as '~'
        {Encoding::kCp932, "a\xFF", std::nullopt},         // not UTF-8
        {Encoding::kCp932, "10\u301C\u2212\u2016\u2014\u00A2\u00A3\u00AC",
         "10\x81\x60\x81\x7C\x81\x61\x81\x5C\x81\x91\x81\x92\x81\xCA",
         "10\uFF5E\uFF0D\u2225\u2015\uFFE0\uFFE1\uFFE2"},
        {Encoding::kCp932, "\uFF5E", "\x81\x60"},  // the Windows form itself
        {Encoding::kCp932, "\u301C\u00E9", std::nullopt},
        {Encoding::kUtf8, "a\xFF", std::nullopt},
        {Encoding::kUtf8, "日本", "日本"},
        {Encoding::kUtf16Le, "a😀", "a\0\x3D\xD8\x00\xDE"s},
        {Encoding::kUtf16Le, "\xED\xA0\x80", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        CodePageConverter converter(c.encoding);
        const std::optional<std::string> bytes = converter.FromUtf8(c.utf8);
        EXPECT_EQ(bytes, c.bytes);
        if (bytes) {
            EXPECT_EQ(converter.ToUtf8(*bytes), c.readBack.empty() ? c.utf8 : c.readBack);
        }
    }
}

}  // namespace
}  // namespace tessel
