// The jar's rules on a jar whose file is a string: what a read is sent, which bytes a write
// changes, what it refuses, batches and undo. The real file's part is the system jar's tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "cookies/jar/CookieJarStore.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"
#include "text/Utf8.h"

namespace tessel {
namespace {

using testing::DataFile;
using testing::ReadBytes;

const std::string kHeader = "# Netscape HTTP Cookie File\n";
const std::string kUrl = "http://bbs.example.jp/cgi-bin/bbs.cgi";
const std::string kExpires = "; expires=Sun, 04-Apr-2027 09:07:03 GMT";
const std::string kPast = "; expires=Thu, 01-Jan-1970 00:00:00 GMT";

// The line a board cookie for kUrl is stored as.
std::string BoardLine(const std::string& value, const std::string& expires = "1806829623") {
    return "bbs.example.jp\tFALSE\t/cgi-bin/\tFALSE\t" + expires + "\t" + kUrl + "\t" + value;
}

// text with the first from replaced; a from that is not there throws, and fails the test.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// UTF-8, or Windows-31J as far as ASCII and the three kanji of these cases go.
class SmallCodec : public CookieCodec {
  public:
    explicit SmallCodec(bool utf8) : utf8_(utf8) {}

    std::optional<std::string> Encode(std::string_view text) override { return Convert(text, 0); }
    std::optional<std::string> Decode(std::string_view bytes) override { return Convert(bytes, 1); }
    bool IsUtf8() const override { return utf8_; }

  private:
    std::optional<std::string> Convert(std::string_view text, int from) const {
        static const std::string_view kTable[][2] = {
            {"太", "\x91\xBE"}, {"郎", "\x98\x59"}, {"漢", "\x8A\xBF"}};
        if (utf8_)
            return IsValidUtf8(text) ? std::optional<std::string>(text) : std::nullopt;
        std::string converted;
        for (std::size_t at = 0; at < text.size();) {
            const auto* row = std::find_if(std::begin(kTable), std::end(kTable), [&](auto& r) {
                return text.substr(at).starts_with(r[from]);
            });
            if (row != std::end(kTable)) {
                converted += (*row)[1 - from];
                at += (*row)[from].size();
            } else if (static_cast<unsigned char>(text[at]) < 0x80) {
                converted += text[at++];
            } else {
                return std::nullopt;
            }
        }
        return converted;
    }

    bool utf8_;
};

// The jar's file is file (none: there is no file yet); each write replaces it.
class MemoryJar : public CookieJarStore {
  public:
    explicit MemoryJar(Clock& clock, bool utf8 = false)
        : CookieJarStore("jar-in-memory", clock, std::make_unique<SmallCodec>(utf8)) {}

    std::optional<std::string> file;
    bool locked = false;
    int writes = 0;

  private:
    // Like a file's stamp, the bytes last loaded tell whether the document is still the file's.
    bool Load() override {
        if (HasDocument() && file == loaded_)
            return true;
        loaded_ = file;
        return TakeFileBytes(file.value_or(""));
    }
    bool LockAndLoad() override { return locked = Load(); }
    bool Locked() const override { return locked; }
    void Unlock() override { locked = false; }
    bool Write(std::string bytes) override {
        file = loaded_ = bytes;
        ++writes;
        KeepWrittenDocument();
        return true;
    }

    std::optional<std::string> loaded_;
};

class CookieJarStoreTest : public ::testing::Test {
  protected:
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    MemoryJar jar{clock};
};

TEST_F(CookieJarStoreTest, ReadsWhatABrowserWouldSend) {
    jar.file = ReadBytes(DataFile("jar_rfc6265_matching.txt"));
    const struct {
        std::string url, text;
    } cases[] = {
        // Longest path first, then file order; host-only, secure and expired cookies left out.
        {kUrl, "exact=4; dir=3; parentdir=6; nodir=2; root=1; parent=5; httponly=12"},
        {"http://example.jp/", "parent=5; hostonlyparent=7"},
        {"http://deep.bbs.example.jp/cgi-bin/", "parentdir=6; parent=5"},
        {"ftp://bbs.example.jp/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(jar.InternetGetCookie(c.url, ""), c.text);
    }
}

TEST_F(CookieJarStoreTest, AWriteChangesOnlyItsCookiesLinesAndKeepsEveryOtherByte) {
    const std::string tools = ReadBytes(DataFile("jar_other_tools.txt"));
    const std::string old = BoardLine("Old,,,,20,0,1,0,30", "4102444800") + "\n";
    const std::string shadow = BoardLine("Shadow,,,,20,0,1,0,30", "0") + "\n";
    const std::string toolsDeleted = Replaced(Replaced(tools, old, ""), shadow, "");
    const std::string line = BoardLine("New");
    const std::string expiredDomain =
        ".bbs.example.jp\tTRUE\t/cgi-bin/\tFALSE\t9\t" + kUrl + "\tD\n";
    const std::string expired =
        kHeader + BoardLine("A", "9") + "\n" + expiredDomain + BoardLine("B", "9") + "\n";
    const std::string domainFirst =
        ".bbs.example.jp\tTRUE\t/cgi-bin/\tFALSE\t1806829623\t" + kUrl + "\t";
    const struct {
        const char* why;
        std::optional<std::string> file;  // none: no file yet
        std::string expected;
        std::string data = "New" + kExpires;
        bool utf8 = false;
    } cases[] = {
        {"no file", std::nullopt, kHeader + line + "\n"},
        {"Windows-31J", std::nullopt, kHeader + BoardLine("\x91\xBE\x98\x59") + "\n",
         "太郎" + kExpires},
        {"UTF-8", std::nullopt, kHeader + BoardLine("太郎😀") + "\n", "太郎😀" + kExpires, true},
        // A second copy of the same cookie would shadow the new value for some readers: it goes.
        {"other tools' jar", tools, Replaced(Replaced(tools, old, line + "\n"), shadow, "")},
        {"deleted by a past date", tools, toolsDeleted, "x" + kPast},
        {"deleting what is not there", toolsDeleted, toolsDeleted, "x" + kPast},
        {"no final newline", ReadBytes(DataFile("jar_no_final_newline.txt")),
         ReadBytes(DataFile("jar_no_final_newline.txt")) + "\n" + line + "\n"},
        {"CRLF", ReadBytes(DataFile("jar_crlf_lines.txt")),
         Replaced(ReadBytes(DataFile("jar_crlf_lines.txt")), BoardLine("Old", "0") + "\r\n",
                  line + "\r\n")},
        {"damaged lines", ReadBytes(DataFile("jar_garbage_lines.txt")),
         ReadBytes(DataFile("jar_garbage_lines.txt")) + line + "\n"},
        // A new cookie takes the place of the first expired host-only line of its name and path,
        // and the others go; an expired domain cookie is not one of them.
        {"expired copies", expired, kHeader + line + "\n" + expiredDomain},
        {"expired copies deleted", expired, kHeader + expiredDomain, "x" + kPast},
        // The domain cookie is sent first and takes the value; the host-only one is not its copy.
        {"a domain cookie first", kHeader + domainFirst + "Old\n" + BoardLine("Own") + "\n",
         kHeader + domainFirst + "New\n" + BoardLine("Own") + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        MemoryJar store(clock, c.utf8);
        store.file = c.file;
        ASSERT_TRUE(store.InternetSetCookie(kUrl, kUrl, c.data));
        EXPECT_EQ(store.file, c.expected);
    }
    // Damaged lines are skipped when reading.
    jar.file = ReadBytes(DataFile("jar_garbage_lines.txt"));
    EXPECT_EQ(jar.InternetGetCookie("http://bbs.example.jp/", ""), "empty=; good=1");
}

TEST_F(CookieJarStoreTest, NameAndValueMayHold4096BytesInTheJarsCharset) {
    // 2,000 kanji are 4,000 bytes in Windows-31J (and 6,000 in the UTF-8 they are given in).
    std::string kanji;
    for (int i = 0; i < 2000; ++i)
        kanji += "漢";
    const std::string room(4096 - 4000 - kUrl.size(), 'x');
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, kanji + room));
    EXPECT_EQ(jar.InternetGetCookie(kUrl, kUrl), kUrl + "=" + kanji + room);
    EXPECT_FALSE(jar.InternetSetCookie(kUrl, kUrl, kanji + room + "x"));
    EXPECT_EQ(jar.LastFailure().kind, CookieFailureKind::kTooLong);
}

TEST_F(CookieJarStoreTest, EachWriteTakesItsOwnExpiry) {
    // Writes in a row share their expiry text mostly, but not always.
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "a" + kExpires));
    EXPECT_FALSE(jar.InternetSetCookie(kUrl, kUrl, "b; expires=someday"));
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, " c ; expires=Mon, 05-Apr-2027 09:07:03 GMT"));
    EXPECT_EQ(jar.file, kHeader + BoardLine("c", "1806916023") + "\n");
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "f; expires=Mon, 05-Apr-2027 09:07:03 GMT"));
    EXPECT_EQ(jar.file, kHeader + BoardLine("f", "1806916023") + "\n");
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "d" + kPast));
    EXPECT_EQ(jar.file, kHeader);
}

TEST_F(CookieJarStoreTest, RefusalsLeaveTheJarUntouched) {
    const std::string tools = ReadBytes(DataFile("jar_other_tools.txt"));
    const struct {
        std::string file, name, data;
        CookieFailureKind kind;
        bool utf8 = false;
        std::string url = kUrl;
    } cases[] = {
        {tools, kUrl, "😀", CookieFailureKind::kUnencodable},
        {tools, kUrl, "\xFF", CookieFailureKind::kUnencodable, true},
        {tools, kUrl, "a\tb", CookieFailureKind::kBadCharacter},
        {tools, "a\rb", "v", CookieFailureKind::kBadCharacter},
        {tools, "a\nb", "v", CookieFailureKind::kBadCharacter},
        {tools, std::string("a\0b", 3), "v", CookieFailureKind::kBadCharacter},
        {tools, "", "v", CookieFailureKind::kBadCharacter},
        {tools, kUrl, "v; expires=someday", CookieFailureKind::kBadCharacter},
        {tools, "n", "v", CookieFailureKind::kBadAddress, false, "ftp://bbs.example.jp/"},
        // A stored cookie that no read can see is not ours to replace: HttpOnly, or in another
        // character set.
        {tools, "SID", "v", CookieFailureKind::kUnreadable, false, "http://example.org/"},
        {kHeader + BoardLine("太郎,mail,,pw") + "\n", kUrl, "v", CookieFailureKind::kUnreadable},
        {kHeader + BoardLine("\x91\xBE\x98\x59") + "\n", kUrl, "v", CookieFailureKind::kUnreadable,
         true},
        // Nor is a file that does not look like a jar.
        {std::string("SQLite format 3\0\x10\0\x02\x02", 21) + "moz_cookies", kUrl, "v",
         CookieFailureKind::kStoreUnusable},
        {"# ~/.profile\nexport PATH=$HOME/bin:$PATH\n", kUrl, "v",
         CookieFailureKind::kStoreUnusable},
        {ReadBytes(DataFile("jar_nul_bytes.txt")), kUrl, "v", CookieFailureKind::kStoreUnusable},
        {kHeader + BoardLine("a\x1F") + "\n" + BoardLine("b"), kUrl, "v",
         CookieFailureKind::kStoreUnusable},
        {kHeader + BoardLine("b") + "\n" + BoardLine("c\x0B"), kUrl, "v",
         CookieFailureKind::kStoreUnusable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.substr(0, 20) + " " + c.name + " " + c.data);
        MemoryJar store(clock, c.utf8);
        store.file = c.file;
        EXPECT_FALSE(store.InternetSetCookie(c.url, c.name, c.data));
        EXPECT_EQ(store.LastFailure().kind, c.kind);
        EXPECT_EQ(store.writes, 0);
        // Nor does a read give what a write may not replace.
        if (c.kind == CookieFailureKind::kUnreadable) {
            EXPECT_EQ(store.InternetGetCookie(c.url, c.name), "");
            EXPECT_EQ(store.LastFailure().kind, c.kind);
        }
        // Only a refused file is named.
        EXPECT_EQ(store.LastFailure().details.path == "jar-in-memory",
                  c.kind == CookieFailureKind::kStoreUnusable);
    }
}

TEST_F(CookieJarStoreTest, BatchAnswersEachCookieAndWritesOnceUnderTheLockOrNotAtAll) {
    jar.BeginWrites();
    EXPECT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "A" + kExpires));
    EXPECT_FALSE(jar.InternetSetCookie("http://bbs.example.jp/c/bbs.cgi", "c", "😀"));
    EXPECT_TRUE(jar.InternetSetCookie("http://bbs.example.jp/d/bbs.cgi", "d", "D"));
    EXPECT_EQ(jar.InternetGetCookie("http://bbs.example.jp/d/", ""), "d=D");
    EXPECT_EQ(jar.file, std::nullopt);
    EXPECT_TRUE(jar.locked);
    EXPECT_TRUE(jar.CommitWrites());
    EXPECT_FALSE(jar.locked);
    EXPECT_EQ(jar.writes, 1);
    EXPECT_EQ(jar.file,
              kHeader + BoardLine("A") + "\nbbs.example.jp\tFALSE\t/d/\tFALSE\t0\td\tD\n");

    // A cancelled batch stores nothing and frees the lock.
    const std::string committed = *jar.file;
    jar.BeginWrites();
    ASSERT_TRUE(jar.InternetSetCookie("http://bbs.example.jp/e/bbs.cgi", "e", "E"));
    jar.CancelWrites();
    EXPECT_FALSE(jar.locked);
    EXPECT_EQ(jar.file, committed);
    EXPECT_EQ(jar.InternetGetCookie("http://bbs.example.jp/e/", ""), "");

    // A batch that could not begin refuses each write with its reason, and stores nothing.
    jar.file = "SQLite format 3";
    jar.BeginWrites();
    EXPECT_FALSE(jar.InternetSetCookie(kUrl, kUrl, "B"));
    EXPECT_EQ(jar.LastFailure().kind, CookieFailureKind::kStoreUnusable);
    EXPECT_FALSE(jar.CommitWrites());
    EXPECT_EQ(jar.writes, 1);
}

// A store keeps its answer about a cookie while the jar is unchanged and brings it up to date
// after its own write: it must read, record and write what a store asking afresh each time does.
TEST_F(CookieJarStoreTest, AnAnswerKeptAcrossWritesIsTheFreshOne) {
    const std::string deep = "http://bbs.example.jp/cgi-bin//x/bbs.cgi";
    const std::string line = "\tFALSE\t1806829623\t" + kUrl + "\t";
    const std::string files[] = {
        "",
        ReadBytes(DataFile("jar_other_tools.txt")),
        kHeader + BoardLine("A", "9") + "\n.bbs.example.jp\tTRUE\t/cgi-bin/" + line + "D\n" +
            BoardLine("B", "9") + "\n",
        kHeader + ".bbs.example.jp\tTRUE\t/cgi-bin/" + line + "Dom\n" + BoardLine("Own") + "\n",
        kHeader + "bbs.example.jp\tFALSE\t/cgi-bin/bbs.cgi" + line + "Long\n" + BoardLine("1") +
            "\n" + BoardLine("2") + "\nbbs.example.jp\tFALSE\t/" + line + "Root\n",
    };
    for (const std::string& file : files) {
        for (const std::string& url : {kUrl, deep}) {
            SCOPED_TRACE(url + "\n" + file);
            MemoryJar kept(clock), fresh(clock);
            kept.file = fresh.file = file;
            kept.BeginWrites();
            fresh.BeginWrites();
            // Asking about another cookie in between makes the fresh store look again.
            const auto again = [&] { fresh.RecordCookie("http://other.example.jp/", "o"); };
            for (const std::string& data :
                 {"One" + kExpires, std::string("Two"), "x" + kPast, std::string("Three")}) {
                again();
                EXPECT_EQ(kept.RecordCookie(url, url), fresh.RecordCookie(url, url));
                again();
                EXPECT_EQ(kept.InternetGetCookie(url, url), fresh.InternetGetCookie(url, url));
                again();
                EXPECT_EQ(kept.InternetSetCookie(url, url, data),
                          fresh.InternetSetCookie(url, url, data));
            }
            again();
            EXPECT_EQ(kept.RecordCookie(url, url), fresh.RecordCookie(url, url));
            ASSERT_TRUE(kept.CommitWrites());
            ASSERT_TRUE(fresh.CommitWrites());
            EXPECT_EQ(kept.file, fresh.file);
        }
    }
}

// The codec's answers for the last few texts are kept: each value must be stored and read as
// itself whichever texts came before it, here and by a store that reads the file afresh.
TEST_F(CookieJarStoreTest, KeptCodecAnswersAreEachTextsOwn) {
    const std::string values[] = {"太", "郎", "漢", "太郎", "郎漢", "a", "漢,1", "漢,2"};
    const auto url = [](std::size_t i) {
        return "http://bbs.example.jp/" + std::to_string(i) + "/";
    };
    jar.BeginWrites();
    for (std::size_t round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < std::size(values); ++i) {
            const std::string& value = values[(i + round) % std::size(values)];
            SCOPED_TRACE(url(i) + " " + value);
            ASSERT_TRUE(jar.InternetSetCookie(url(i), "n", value));
            EXPECT_EQ(jar.InternetGetCookie(url(i), "n"), "n=" + value);
        }
    }
    ASSERT_TRUE(jar.CommitWrites());
    MemoryJar fresh(clock);
    fresh.file = jar.file;
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(fresh.InternetGetCookie(url(i), ""), "n=" + values[(i + 2) % std::size(values)]);
}

TEST_F(CookieJarStoreTest, UndoGivesBackTheFileByteForByte) {
    const std::string original = kHeader + BoardLine("Old") + "\r\n# kept";  // no final newline
    jar.file = original;
    jar.BeginWrites();
    const auto before = jar.RecordCookie(kUrl, kUrl);
    const auto beforeNew = jar.RecordCookie("http://new.example.jp/", "n");
    ASSERT_TRUE(jar.InternetSetCookie(kUrl, kUrl, "New" + kExpires));
    ASSERT_TRUE(jar.InternetSetCookie("http://new.example.jp/", "n", "v" + kExpires));
    const auto written = jar.RecordCookie(kUrl, kUrl);
    const auto writtenNew = jar.RecordCookie("http://new.example.jp/", "n");
    ASSERT_TRUE(jar.CommitWrites());
    jar.BeginWrites();
    EXPECT_TRUE(jar.RestoreCookie("http://new.example.jp/", "n", *beforeNew, *writtenNew));
    EXPECT_TRUE(jar.RestoreCookie(kUrl, kUrl, *before, *written));
    ASSERT_TRUE(jar.CommitWrites());
    EXPECT_EQ(jar.file, original);
}

}  // namespace
}  // namespace tessel
