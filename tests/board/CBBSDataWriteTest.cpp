#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST_F(CBBSDataWriteTest, FernoWritesNineFieldsWithExpiry120DaysAfterEachWrite) {
    board.PostName("Taro");
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(store.writes[0].url, kUrl);
    EXPECT_EQ(store.writes[0].name, kUrl);
    EXPECT_EQ(Written(), "Taro,,,,20,0,1,0,30; expires=Sun, 04-Apr-2027 09:07:03 GMT");
    clock.Set({2027, 11, 1, 0, 0, 5, 0});  // each write expires from its own moment
    ASSERT_TRUE(board.SetCookie());
    EXPECT_NE(store.writes.back().data.find("; expires=Tue, 29-Feb-2028 00:00:05 GMT"),
              std::string::npos);
}

TEST_F(CBBSDataWriteTest, TextIsEscapedNumbersAreNotAndQuillAddsTheSecondUnreadMarker) {
    board.PostName("a,b;c");
    board.Mail("x-y@z");
    board.ViewOrder(-1);
    board.DownloadCount(40000);  // written in full; such a cookie later reads as false
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(store.ValueOf(kUrl, kUrl), "a&#44$b$c,x&#45$y@z,,,20,-1,1,0,40000");
    EXPECT_FALSE(board.GetCookie());
    board.Mode(kModeQuill);  // Quill adds the second unread marker
    board.NoReadPoint(5);
    board.NoReadPoint_R(-1);
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(store.ValueOf(kUrl, kUrl), "a&#44$b$c,x&#45$y@z,,,20,-1,1,5,40000,-1");
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
    EXPECT_EQ(std::vector<std::int32_t>({again.ViewCount(), again.ViewOrder(), again.NoReadView(),
                                         again.NoReadPoint(), again.DownloadCount(),
                                         again.NoReadPoint_R()}),
              std::vector<std::int32_t>({12, 1, 0, 3, 44, 9}));
}

TEST_F(CBBSDataWriteTest, CookiesAStoreWouldMisreadAreNeverWrittenAndSayWhy) {
    using enum CookieFailureKind;
    struct Case {
        const char* why;
        std::int32_t mode;
        std::string url;
        std::string postName;
        CookieFailureKind kind;
    };
    const Case cases[] = {
        {"Harbor has no layout", kModeHarbor, kUrl, "Taro", kNoLayout},
        {"unknown kind", 5, kUrl, "Taro", kNoLayout},
        {"empty address", kModeFernoBBS, "", "Taro", kBadAddress},
        {"not http", kModeFernoBBS, "file:///etc/passwd", "Taro", kBadAddress},
        {"semicolon in address", kModeFernoBBS, "http://a.jp/x;y", "Taro", kBadAddress},
        {"newline in address", kModeFernoBBS, "http://a.jp/x\ny", "Taro", kBadAddress},
        {"another host for browsers", kModeFernoBBS, "http://[::1]evil.example/", "Taro",
         kBadAddress},
        {"CR LF in value", kModeFernoBBS, kUrl, "Taro\r\nSet-Cookie: x=y", kBadCharacter},
        {"tab in value", kModeFernoBBS, kUrl, "Ta\tro", kBadCharacter},
        {"NUL in value", kModeFernoBBS, kUrl, std::string("Ta\0ro", 5), kBadCharacter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        board.Mode(c.mode);
        board.URL(c.url);
        board.PostName(c.postName);
        EXPECT_FALSE(board.SetCookie());
        EXPECT_EQ(board.LastFailure().kind, c.kind);
        EXPECT_FALSE(board.LastFailure().reason.empty());
        EXPECT_TRUE(store.writes.empty());
    }
}

TEST_F(CBBSDataWriteTest, AStoreRefusalKeepsItsReasonAndNamesTheField) {
    store.RefuseWritesFor(kUrl,
                          {CookieFailureKind::kUnencodable, "「ë」は Shift_JIS で送れません", "ë"});
    const struct {
        const char* mail;
        const char* password;
        std::string reason;
    } cases[] = {
        {"Zoë@example.jp", "", "メールの「ë」は Shift_JIS で送れません"},
        {"", "zoë", "パスワードの「ë」は Shift_JIS で送れません"},
    };
    for (const auto& c : cases) {
        board.Mail(c.mail);
        board.Password(c.password);
        EXPECT_FALSE(board.SetCookie());
        EXPECT_EQ(board.LastFailure().reason, c.reason);
    }
    store.RefuseWritesFor(kUrl, {CookieFailureKind::kStoreBusy, "busy", {}});
    EXPECT_FALSE(board.SetCookie());
    EXPECT_EQ(board.LastFailure().reason, "busy");
}

}  // namespace
}  // namespace tessel
