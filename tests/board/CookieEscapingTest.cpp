#include <gtest/gtest.h>

#include "board/CookieEscaping.h"

namespace tessel {
namespace {

struct EscapeCase {
    const char* plain;  // none: a case for decoding only
    const char* encoded;
    const char* decoded;  // DecodeValue(encoded)
};

TEST(CookieEscapingTest, EncodesInTableOrderAndDecodesInReverse) {
    const EscapeCase cases[] = {
        {"", "", ""},
        {"a-b", "a&#45$b", "a-b"},
        {"a,b", "a&#44$b", "a,b"},
        {"x;y", "x$y", "x$y"},  // ";" is one-way
        {"&amp;", "&amp$amp$", "&amp$"},
        {"&lt$", "&amp$lt$", "&lt$"},  // a typed escape is not decoded twice
        {"<\"q\">", "&lt$&quot$q&quot$&gt$", "<\"q\">"},
        {"$=; 太郎", "$=$ 太郎", "$=$ 太郎"},
        {"-,;&", "&#45$&#44$$&amp$", "-,$&"},
        // Decoding is exact and leaves unknown escapes; "&amp$" goes last so "&amp$lt$" stays.
        {nullptr, "&GT$", "&GT$"},
        {nullptr, "&lt$&gt$", "<>"},
        {nullptr, "&#46$&amp", "&#46$&amp"},
        {nullptr, "&amp$lt$", "&lt$"},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.encoded);
        if (c.plain != nullptr) {
            EXPECT_EQ(EncodeValue(c.plain), c.encoded);
        }
        EXPECT_EQ(DecodeValue(c.encoded), c.decoded);
    }
}

TEST(CookieEscapingTest, EncodedTextNeverHoldsCommaOrSemicolon) {
    std::string every;
    for (int c = 0x20; c < 0x7F; ++c)
        every += static_cast<char>(c);
    const std::string encoded = EncodeValue(every + every);
    EXPECT_EQ(encoded.find(','), std::string::npos);
    EXPECT_EQ(encoded.find(';'), std::string::npos);
}

TEST(CookieEscapingTest, ReplaceAllDoesNotRescanInsertedText) {
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

}  // namespace
}  // namespace tessel
