#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/BoardMode.h"
#include "board/CBBSData.h"
#include "board/CookieLayout.h"
#include "support/FakeCookieStore.h"

namespace tessel {
namespace {

const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";

// The number members in layout order, NoReadPoint_R last.
std::vector<std::int32_t> Numbers(const CBBSData& b) {
    return {b.ViewCount(),   b.ViewOrder(),     b.NoReadView(),
            b.NoReadPoint(), b.DownloadCount(), b.NoReadPoint_R()};
}
using N = std::vector<std::int32_t>;

class CBBSDataReadTest : public ::testing::Test {
  protected:
    testing::FakeCookieStore store;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    CBBSData board{store, clock};

    bool Read(std::int32_t mode, const std::string& value) {
        board.URL(kUrl);
        board.Mode(mode);
        store.SetText(kUrl, "other=1; " + kUrl + "=" + value);
        return board.GetCookie();
    }

    // Marks every preference member so that a read that changes nothing can be seen.
    void Mark() {
        board.PostName("before");
        board.ViewCount(-9);
        board.NoReadPoint(-9);
        board.NoReadPoint_R(-9);
    }
    void ExpectUnchanged() {
        EXPECT_EQ(board.PostName(), "before");
        EXPECT_EQ(board.ViewCount(), -9);
        EXPECT_EQ(board.NoReadPoint(), -9);
        EXPECT_EQ(board.NoReadPoint_R(), -9);
    }
};

TEST_F(CBBSDataReadTest, FieldsAreReadInLayoutOrderAndNumbersRoundOrTakeTheKindsDefaults) {
    const struct {
        std::int32_t mode;
        const char* value;
        N numbers;
    } cases[] = {
        {kModeFernoBBS,
         "T&lt$aro,t&#45$m@x.jp,http://x.jp/&#44$,p&amp$w,15,1,0,7,40",
         {15, 1, 0, 7, 40, 0}},
        {kModeFernoBBS, ",,,,,,,,", {20, 0, 1, 0, 30, 0}},
        {kModeQuill, "a,,,,,,,,,", {30, 0, 1, 0, 50, 0}},
        {kModeQuill, "a,b,c,d,2.5, 7 ,2,-32768,32767,3.5", {2, 7, 2, -32768, 32767, 4}},
        {kModeQuill, "a,,,,-0,0099,-12,9999,-9999,-1", {0, 99, -12, 9999, -9999, -1}},
    };
    board.ID("sec");
    board.Name("名前");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_TRUE(Read(c.mode, c.value));
        EXPECT_EQ(Numbers(board), c.numbers);
    }
    ASSERT_TRUE(Read(kModeFernoBBS, cases[0].value));
    EXPECT_EQ(board.PostName(), "T<aro");
    EXPECT_EQ(board.Mail(), "t-m@x.jp");
    EXPECT_EQ(board.HomePage(), "http://x.jp/,");
    EXPECT_EQ(board.Password(), "p&w");
    // The identity members never change on a read.
    EXPECT_EQ(board.ID(), "sec");
    EXPECT_EQ(board.Name(), "名前");
    EXPECT_EQ(board.URL(), kUrl);
    EXPECT_EQ(board.CookieExpirationDate(), 120);
}

TEST_F(CBBSDataReadTest, UnusableValuesChangeNothing) {
    struct Case {
        std::int32_t mode;
        std::string value;
    };
    const Case cases[] = {
        {kModeFernoBBS, ""},
        {kModeFernoBBS, "a,,,,1,0,1,0"},       // 8 fields
        {kModeFernoBBS, "a,,,,1,0,1,0,30,0"},  // 10 fields
        {kModeQuill, "a,,,,1,0,1,0,30"},       // 9 fields
        {kModeQuill, "a,,,,1,0,1,0,30,0,0"},   // 11 fields
        {kModeFernoBBS, "a,,,,40000,0,1,0,30"},
        {kModeFernoBBS, "a,,,,abc,0,1,0,30"},
        {kModeFernoBBS, "a,,,,20,0,1,0,1e3"},
        {kModeQuill, "a,,,,20,0,1,0,30,x"},  // the last field is tested too
        {kModeFernoBBS, "a,,,,20,0,1,0,+-1"},
        {kModeFernoBBS, "a,,,,-,0,1,0,30"},
        {kModeFernoBBS, "a,,,,1-2,0,1,0,30"},
        {kModeFernoBBS, std::string(100 * 1024, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.substr(0, 40));
        Mark();
        EXPECT_FALSE(Read(c.mode, c.value));
        ExpectUnchanged();
        EXPECT_EQ(board.LastFailure().kind,
                  c.value.empty() ? CookieFailureKind::kNoCookie : CookieFailureKind::kUnreadable);
    }
}

TEST_F(CBBSDataReadTest, HarborReadsAsTrueOthersWithoutACookieAsFalseAndEachSaysWhy) {
    Mark();
    EXPECT_TRUE(Read(kModeHarbor, "Taro,,,,20,0,1,0,30"));
    board.Mode(kModeFernoBBS);
    store.SetText(kUrl, "other=1");
    EXPECT_FALSE(board.GetCookie());  // no cookie at all: not a fault
    EXPECT_EQ(board.LastFailure().kind, CookieFailureKind::kNoCookie);
    store.HideUnreadableCookie(kUrl);
    EXPECT_FALSE(board.GetCookie());
    EXPECT_EQ(board.LastFailure().kind, CookieFailureKind::kUnreadable);
    store.FailReads();
    EXPECT_FALSE(board.GetCookie());
    EXPECT_EQ(board.LastFailure().kind, CookieFailureKind::kStoreUnusable);
    board.Mode(kModeHarbor);
    EXPECT_TRUE(board.GetCookie());
    board.Mode(kModeFernoBBS);
    board.URL("");
    EXPECT_FALSE(board.GetCookie());
    EXPECT_EQ(board.LastFailure().kind, CookieFailureKind::kBadAddress);
    ExpectUnchanged();
}

TEST(CookieLayoutTest, DefaultsAreWhatAnEmptyCookieReadsAs) {
    testing::FakeCookieStore store;
    testing::FixedClock clock{SystemTime{}};
    for (std::int32_t mode : {kModeFernoBBS, kModeQuill}) {
        SCOPED_TRACE(mode);
        CBBSData fromDefaults(store, clock), fromCookie(store, clock);
        fromDefaults.Mode(mode);
        fromCookie.Mode(mode);
        fromCookie.URL(kUrl);
        store.SetText(kUrl, kUrl + "=" + std::string(LayoutOf(mode)->fieldCount - 1, ','));
        ASSERT_TRUE(ApplyLayoutDefaults(fromDefaults));
        ASSERT_TRUE(fromCookie.GetCookie());
        EXPECT_EQ(Numbers(fromDefaults), Numbers(fromCookie));
    }
    CBBSData harbor(store, clock);
    harbor.Mode(kModeHarbor);
    EXPECT_FALSE(ApplyLayoutDefaults(harbor));
    EXPECT_EQ(LayoutOf(kModeHarbor), nullptr);
}

class CBBSDataWriteTest : public CBBSDataReadTest {
  protected:
    void SetUp() override {
        clock.Set({2026, 12, 5, 9, 7, 3, 456});  // the milliseconds never reach the expiry
        board.URL(kUrl);
        board.ViewCount(20);
        board.NoReadView(1);
        board.DownloadCount(30);
    }

    std::string Written() {
        EXPECT_EQ(store.writes.size(), 1u);
        return store.writes.empty() ? std::string() : store.writes.back().data;
    }
};

TEST_F(CBBSDataWriteTest, FernoWritesNineFieldsWithExpiry120DaysAfterEachWrite) {
    board.PostName("Taro");
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(Written(), "Taro,,,,20,0,1,0,30; expires=Sun, 04-Apr-2027 09:07:03 GMT");
    clock.Set({2027, 11, 1, 0, 0, 5, 0});  // each write expires from its own moment
    ASSERT_TRUE(board.SetCookie());
    EXPECT_NE(store.writes.back().data.find("; expires=Tue, 29-Feb-2028 00:00:05 GMT"),
              std::string::npos);
}

TEST_F(CBBSDataWriteTest, TextIsEscapedNumbersAreNotAndQuillAddsTheSecondUnreadMarker) {
    board.PostName("a,b;c");
    board.Mail("x-y@z");
    board.HomePage("h<");
    board.Password("p&");
    board.ViewOrder(-1);
    board.DownloadCount(40000);  // written in full (it reads back as unusable)
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(store.ValueOf(kUrl, kUrl), "a&#44$b$c,x&#45$y@z,h&lt$,p&amp$,20,-1,1,0,40000");
    board.Mode(kModeQuill);  // Quill adds the second unread marker
    board.NoReadPoint(5);
    board.NoReadPoint_R(-2);
    ASSERT_TRUE(board.SetCookie());
    EXPECT_EQ(store.ValueOf(kUrl, kUrl), "a&#44$b$c,x&#45$y@z,h&lt$,p&amp$,20,-1,1,5,40000,-2");
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
        {"empty address (the rules: CookieTextTest)", kModeFernoBBS, "", "Taro", kBadAddress},
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
        EXPECT_TRUE(store.writes.empty());
    }
}

TEST_F(CBBSDataWriteTest, AStoreRefusalKeepsItsReasonAndNamesTheField) {
    store.RefuseWritesFor(kUrl, MakeFailure(CookieProblem::kCannotSend,
                                            CookieDetails().Character("ë").Name("Shift_JIS")));
    const struct {
        const char* mail;
        const char* password;
        CookieField field;
    } cases[] = {
        {"Zoë@example.jp", "", CookieField::kMail},
        {"", "zoë", CookieField::kPassword},
    };
    for (const auto& c : cases) {
        board.Mail(c.mail);
        board.Password(c.password);
        EXPECT_FALSE(board.SetCookie());
        EXPECT_EQ(board.LastFailure().problem, CookieProblem::kCannotSend);
        EXPECT_EQ(board.LastFailure().details.field, c.field);
    }
    store.RefuseWritesFor(kUrl, MakeFailure(CookieProblem::kJarBusy));
    EXPECT_FALSE(board.SetCookie());
    EXPECT_EQ(board.LastFailure().problem, CookieProblem::kJarBusy);
}

}  // namespace
}  // namespace tessel
