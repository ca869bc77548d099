#include <gtest/gtest.h>

#include <string>

#include "board/BoardMode.h"
#include "board/CBBSData.h"
#include "support/FakeCookieStore.h"

namespace tessel {
namespace {

const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";

class CBBSDataWriteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        board.URL(kUrl);
        board.ViewCount(20);
        board.NoReadView(1);
        board.DownloadCount(30);
    }

    std::string Written() {
        EXPECT_EQ(store.writes.size(), 1u);
        return store.writes.empty() ? std::string() : store.writes.back().data;
    }

    testing::FakeCookieStore store;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 456}};
    CBBSData board{store, clock};
};

TEST_F(CBBSDataWriteTest, FernoWritesNineFieldsWithExpiry120DaysAhead) {
    board.PostName("Taro");
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(store.writes[0].url, kUrl);
    EXPECT_EQ(store.writes[0].name, kUrl);
    EXPECT_EQ(Written(), "Taro,,,,20,0,1,0,30; expires=Sun, 04-Apr-2027 09:07:03 GMT");
}

TEST_F(CBBSDataWriteTest, QuillAddsTheSecondUnreadMarker) {
    board.Mode(kModeQuill);
    board.NoReadPoint(5);
    board.NoReadPoint_R(-1);
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(store.ValueOf(kUrl, kUrl), ",,,,20,0,1,5,30,-1");
}

TEST_F(CBBSDataWriteTest, TextIsEscapedNumbersAreNot) {
    board.PostName("a,b;c");
    board.Mail("x-y@z");
    board.ViewOrder(-1);
    board.DownloadCount(40000);  // written in full; such a cookie later reads as false
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(store.ValueOf(kUrl, kUrl), "a&#44$b$c,x&#45$y@z,,,20,-1,1,0,40000");
    EXPECT_FALSE(board.GetCookie());
}

TEST_F(CBBSDataWriteTest, WriteThenReadRestoresTheLayoutWithSemicolonsAsDollars) {
    board.Mode(kModeQuill);
    board.PostName("太郎 <&\"-,;>");
    board.Mail("a@b");
    board.HomePage("http://h/?a=b");
    board.Password("p&ss");
    board.ViewCount(12);
    board.ViewOrder(1);
    board.NoReadView(0);
    board.NoReadPoint(3);
    board.DownloadCount(44);
    board.NoReadPoint_R(9);
    ASSERT_TRUE(board.SetCookie());

    CBBSData again(store, clock);
    again.URL(kUrl);
    again.Mode(kModeQuill);
    ASSERT_TRUE(again.GetCookie());
    EXPECT_EQ(again.PostName(), "太郎 <&\"-,$>");
    EXPECT_EQ(again.Mail(), "a@b");
    EXPECT_EQ(again.HomePage(), "http://h/?a=b");
    EXPECT_EQ(again.Password(), "p&ss");
    EXPECT_EQ(again.ViewCount(), 12);
    EXPECT_EQ(again.ViewOrder(), 1);
    EXPECT_EQ(again.NoReadView(), 0);
    EXPECT_EQ(again.NoReadPoint(), 3);
    EXPECT_EQ(again.DownloadCount(), 44);
    EXPECT_EQ(again.NoReadPoint_R(), 9);
}

TEST_F(CBBSDataWriteTest, StoreRefusalIsFalse) {
    store.RefuseWritesFor(kUrl);
    EXPECT_FALSE(board.SetCookie());
}

TEST_F(CBBSDataWriteTest, CookiesAStoreWouldMisreadAreNeverWritten) {
    struct Case {
        const char* why;
        std::int32_t mode;
        std::string url;
        std::string postName;
    };
    const Case cases[] = {
        {"Harbor has no layout", kModeHarbor, kUrl, "Taro"},
        {"unknown kind", 5, kUrl, "Taro"},
        {"empty address", kModeFernoBBS, "", "Taro"},
        {"not http", kModeFernoBBS, "file:///etc/passwd", "Taro"},
        {"semicolon in address", kModeFernoBBS, "http://a.jp/x;y", "Taro"},
        {"newline in address", kModeFernoBBS, "http://a.jp/x\ny", "Taro"},
        {"CR LF in value", kModeFernoBBS, kUrl, "Taro\r\nSet-Cookie: x=y"},
        {"tab in value", kModeFernoBBS, kUrl, "Ta\tro"},
        {"NUL in value", kModeFernoBBS, kUrl, std::string("Ta\0ro", 5)},
        {"over 4096 bytes", kModeFernoBBS, kUrl, std::string(4096, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        board.Mode(c.mode);
        board.URL(c.url);
        board.PostName(c.postName);
        EXPECT_FALSE(board.SetCookie());
        EXPECT_TRUE(store.writes.empty());
    }
}

TEST_F(CBBSDataWriteTest, TheLimitCountsNameAndValueTogether) {
    // ",,,,20,0,1,0,30" is 15 bytes after the name.
    board.PostName(std::string(4096 - kUrl.size() - 15, 'x'));
    EXPECT_TRUE(board.SetCookie());
    board.PostName(board.PostName() + "x");
    EXPECT_FALSE(board.SetCookie());
    EXPECT_EQ(store.writes.size(), 1u);
}

TEST_F(CBBSDataWriteTest, EachWriteExpiresFromItsOwnMoment) {
    clock.Set({2027, 11, 1, 0, 0, 5, 0});
    ASSERT_TRUE(board.SetCookie());
    EXPECT_NE(Written().find("; expires=Tue, 29-Feb-2028 00:00:05 GMT"), std::string::npos);
}

}  // namespace
}  // namespace tessel
