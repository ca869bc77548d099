#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/Collection.h"

namespace tessel {
namespace {

std::vector<std::string> Items(const Collection<std::string>& c) {
    return {c.begin(), c.end()};
}

int FailureNumber(auto action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

TEST(CollectionTest, KeepsOrderOfAdditionAndNumbersFromOne) {
    Collection<std::string> c;
    c.Add("first", "b");
    c.Add("second");
    c.Add("third", "a");
    EXPECT_EQ(Items(c), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(c.Item(1), "first");
    EXPECT_EQ(c.Item(3), "third");
}

TEST(CollectionTest, KeysIgnoreLetterCase) {
    Collection<std::string> c;
    c.Add("value", "Board1");
    EXPECT_EQ(c.Item("BOARD1"), "value");
    EXPECT_TRUE(c.Contains("board1"));
    EXPECT_EQ(FailureNumber([&] { c.Add("other", "bOaRd1"); }), kErrKeyAlreadyExists);
    EXPECT_EQ(c.Count(), 1u);
}

TEST(CollectionTest, AbsentKeysAndPositionsFailWithInvalidArgument) {
    Collection<std::string> c;
    c.Add("x", "x");
    EXPECT_EQ(FailureNumber([&] { c.Item("y"); }), kErrInvalidArgument);
    EXPECT_EQ(FailureNumber([&] { c.Remove("y"); }), kErrInvalidArgument);
    EXPECT_EQ(FailureNumber([&] { c.Item(0); }), kErrInvalidArgument);
    EXPECT_EQ(FailureNumber([&] { c.Item(2); }), kErrInvalidArgument);
    EXPECT_EQ(c.Find("y"), nullptr);
}

TEST(CollectionTest, RemovalKeepsKeyLookupsOfLaterItemsRight) {
    Collection<std::string> c;
    for (std::string key : {"a", "b", "c", "d"})
        c.Add(key + "!", key);
    c.Remove("b");
    EXPECT_EQ(Items(c), (std::vector<std::string>{"a!", "c!", "d!"}));
    EXPECT_EQ(c.Item("d"), "d!");
    EXPECT_EQ(c.Item("c"), "c!");
    c.Add("b again", "B");  // the key is free again
    EXPECT_EQ(c.Item(4), "b again");
}

TEST(CollectionTest, AcceptsAnEmptyKey) {
    Collection<std::string> c;
    c.Add("empty", "");
    EXPECT_EQ(c.Item(""), "empty");
}

}  // namespace
}  // namespace tessel
