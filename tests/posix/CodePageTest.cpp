#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "posix/CodePage.h"

namespace tessel {
namespace {

using namespace std::string_literals;

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

TEST(CodePageTest, DetectsEncodingFromBytes) {
    struct Case {
        std::string bytes;
        Encoding encoding;
        std::size_t bomSize;
    };
    const Case cases[] = {
        {"", Encoding::kUtf8, 0},
        {"[a]\nk=v\n", Encoding::kUtf8, 0},
        {"\xEF\xBB\xBFk=v", Encoding::kUtf8, 3},
        {"\xEF\xBB\xBFk=\x93\xFA", Encoding::kUtf8, 3},  // a BOM wins over bad bytes
        {"\xFF\xFEk\0", Encoding::kUtf16Le, 2},
        {"k=\x93\xFA\x96\x7B", Encoding::kCp932, 0},
        {"k=\xC0\xAF", Encoding::kCp932, 0},          // overlong UTF-8
        {"k=\xED\xA0\x80", Encoding::kCp932, 0},      // UTF-8 of a surrogate
        {"k=\xF4\x90\x80\x80", Encoding::kCp932, 0},  // past U+10FFFF
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const DetectedEncoding detected = DetectEncoding(c.bytes);
        EXPECT_EQ(detected.encoding, c.encoding);
        EXPECT_EQ(detected.bomSize, c.bomSize);
    }
}

// Windows-31J and UTF-16 decoding is checked through the fixture files; ill-formed UTF-8 only
// reaches the decoder in a file that starts with a UTF-8 byte-order mark.
TEST(CodePageTest, IllFormedUtf8BecomesOneReplacementPerBadPart) {
    CodePageConverter converter(Encoding::kUtf8);
    EXPECT_EQ(converter.ToUtf8("a\xC3(b"), "a" + kBad + "(b");
    EXPECT_EQ(converter.ToUtf8("\xE6\x97x\xF0\x9F\x98"), kBad + "x" + kBad);
    EXPECT_EQ(converter.ToUtf8("\xC0\xAF"), kBad + kBad);
}

TEST(CodePageTest, EncodesOnlyWhatReadsBackUnchanged) {
    struct Case {
        Encoding encoding;
        std::string utf8;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {Encoding::kCp932, "表=ソ", "\x95\x5C=\x83\x5C"},
        {Encoding::kCp932, "😀", std::nullopt},             // no code at all
        {Encoding::kCp932, "\xC2\xA5", std::nullopt},      // the yen sign would come back as '\'
        {Encoding::kCp932, "\xE2\x88\x92", std::nullopt},  // the minus sign: full-width hyphen
        {Encoding::kCp932, "a\xFF", std::nullopt},         // not UTF-8
        {Encoding::kUtf8, "a\xFF", std::nullopt},
        {Encoding::kUtf8, "日本", "日本"},
        {Encoding::kUtf16Le, "a😀", "a\0\x3D\xD8\x00\xDE"s},
        {Encoding::kUtf16Le, "\xED\xA0\x80", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        CodePageConverter converter(c.encoding);
        EXPECT_EQ(converter.FromUtf8(c.utf8), c.bytes);
    }
}

}  // namespace
}  // namespace tessel
