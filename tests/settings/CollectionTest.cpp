#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/Collection.h"
#include "support/ErrorNumber.h"

namespace tessel {
namespace {

std::vector<std::string> Items(const Collection<std::string>& c) {
    return {c.begin(), c.end()};
}

using testing::ErrorNumberOf;

TEST(CollectionTest, KeysIgnoreLetterCaseAndAbsentOnesFail) {
    Collection<std::string> c;
    c.Add("value", "Board1");
    EXPECT_EQ(c.Item("BOARD1"), "value");
    EXPECT_EQ(ErrorNumberOf([&] { c.Add("other", "bOaRd1"); }), kErrKeyAlreadyExists);
    EXPECT_EQ(c.Count(), 1u);
    c.Add("empty", "");  // an empty key is a key too
    EXPECT_EQ(c.Item(""), "empty");
    // Absent keys and positions fail with invalid argument.
    EXPECT_EQ(ErrorNumberOf([&] { c.Item("y"); }), kErrInvalidArgument);
    EXPECT_EQ(ErrorNumberOf([&] { c.Remove("y"); }), kErrInvalidArgument);
    EXPECT_EQ(ErrorNumberOf([&] { c.Item(0); }), kErrInvalidArgument);
    EXPECT_EQ(ErrorNumberOf([&] { c.Item(3); }), kErrInvalidArgument);
    EXPECT_EQ(c.Find("y"), nullptr);
}

TEST(CollectionTest, KeysFoldEveryLetterAsWindowsDoes) {
    struct Case {
        const char* added;
        const char* other;
        bool same;
    };
    const Case cases[] = {
        {"É", "é", true},
        {"Ａ", "ａ", true},          // full-width letters
        {"\u212A", "k", true},       // KELVIN SIGN folds to an ASCII letter, in fewer bytes
        {"\u023A", "\u2C65", true},  // and here to a longer sequence
        {"ΣΑΣ", "σας", true},
        {"İ", "i", false},  // Turkish dotted I: no simple folding
        {"あ", "ア", false},
        {"ß", "ss", false},  // full folding only
        {"\xFF\xC3", "\xFF\xC3", true},
        {"a\xC3", "A\xC3", true},  // cut sequences are kept as bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.added) + " / " + c.other);
        EXPECT_EQ(NamesEqualIgnoreCase(c.added, c.other), c.same);
        EXPECT_EQ(NamesEqualIgnoreCase(c.other, c.added), c.same);
        EXPECT_EQ(FoldNameCase(c.added) == FoldNameCase(c.other), c.same);
        Collection<std::string> small;
        small.Add("first", c.added);
        EXPECT_EQ(small.Contains(c.other), c.same);
        Collection<std::string> large;  // past the size where the hash index takes over
        for (int i = 0; i < 100; ++i)
            large.Add("filler", "n" + std::to_string(i));
        large.Add("first", c.added);
        EXPECT_EQ(ErrorNumberOf([&] { large.Add("second", c.other); }),
                  c.same ? kErrKeyAlreadyExists : 0);
    }
}

TEST(CollectionTest, KeepsOrderOfAdditionAndRemovalKeepsKeyLookupsOfLaterItemsRight) {
    Collection<std::string> c;
    for (std::string key : {"c", "b", "d", "a"})  // not in key order
        c.Add(key + "!", key);
    c.Add("no key");
    EXPECT_EQ(Items(c), (std::vector<std::string>{"c!", "b!", "d!", "a!", "no key"}));
    EXPECT_EQ(c.Item(1), "c!");
    EXPECT_EQ(c.Item(5), "no key");
    c.Remove("b");
    EXPECT_EQ(Items(c), (std::vector<std::string>{"c!", "d!", "a!", "no key"}));
    EXPECT_EQ(c.Item("d"), "d!");
    EXPECT_EQ(c.Item("a"), "a!");
    c.Add("b again", "B");  // the key is free again
    EXPECT_EQ(c.Item(5), "b again");
}

}  // namespace
}  // namespace tessel
