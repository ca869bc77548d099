#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TesselProcess.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using testing::ProcessResult;
using testing::ReadBytes;

std::string Board(const std::string& id, const std::string& nickname, const std::string& name,
                  const std::string& script, const std::string& kind) {
    return "[" + id + "]\nname=" + name + "\nnickname=" + nickname +
           "\nurl=http://bbs.example.jp/" + id + "/" + script + "\nmode=" + kind + "\n";
}

const std::string kBoardList =
    Board("zatsudan", "雑談", "雑談掲示板", "bbs.cgi", "Ferno-BBS") +
    Board("shumi", "趣味", "趣味の部屋", "quill.cgi", "Ferno-BBS Quill") +
    Board("shitsumon", "質問", "質問掲示板", "harbor.cgi", "Ferno-BBS Harbor") +
    Board("kaigai", "海外", "海外掲示板", "bbs.cgi", "Ferno-BBS");

const std::vector<std::string> kUrls = {"http://bbs.example.jp/zatsudan/bbs.cgi",
                                        "http://bbs.example.jp/shumi/quill.cgi",
                                        "http://bbs.example.jp/kaigai/bbs.cgi"};

class TesselEndToEndTest : public ::testing::Test {
  protected:
    // Runs tessel on the test's board list and jar (or another jar).
    ProcessResult Run(std::vector<std::string> args, const std::string& input = "",
                      const std::string& jar = "") {
        // First, so that a case's own platform options come later and win.
        args.insert(args.begin(), {"--board-list", boardList, "--cookie-store",
                                   "jar:" + (jar.empty() ? jarPath : jar)});
        return testing::RunTessel(args, input, dir.Path().string());
    }

    // The cookies a browser would send to each board, as the jar holds them.
    std::vector<std::string> Cookies(const std::string& path) {
        NetscapeCookieJar jar(path, clock);
        std::vector<std::string> texts;
        for (const std::string& url : kUrls)
            texts.push_back(jar.InternetGetCookie(url, "").value_or("(unreadable)"));
        return texts;
    }

    void SeedAll() {
        ASSERT_EQ(Run({"apply", "--name", "太郎, \"T\"", "--mail", "t-m@example.jp", "--view-count",
                       "30", "--order", "oldest", "--unread", "on", "--password-stdin", "zatsudan",
                       "趣味", "KAIGAI"},
                      "秘密\n")
                      .exitCode,
                  0);
    }

    testing::TempDir dir;
    std::string boardList = dir.Write("boards.ini", kBoardList);
    std::string jarPath = dir.File("cookies.txt");
    testing::FixedClock clock{SystemTime{2026, 1, 1, 0, 0, 0, 0}};
};

TEST_F(TesselEndToEndTest, ListsTheBoardsInListOrder) {
    const ProcessResult text = Run({"list"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out,
              "1  雑談  雑談掲示板  Ferno-BBS         http://bbs.example.jp/zatsudan/bbs.cgi\n"
              "2  趣味  趣味の部屋  Ferno-BBS Quill   http://bbs.example.jp/shumi/quill.cgi\n"
              "3  質問  質問掲示板  Ferno-BBS Harbor  http://bbs.example.jp/shitsumon/harbor.cgi\n"
              "4  海外  海外掲示板  Ferno-BBS         http://bbs.example.jp/kaigai/bbs.cgi\n");
    const ProcessResult after = Run({"list", "--json"});
    EXPECT_NE(
        after.out.find("    \"position\": 4,\n    \"id\": \"kaigai\",\n    \"nickname\": "
                       "\"海外\",\n    \"name\": \"海外掲示板\",\n    \"kind\": \"Ferno-BBS\""),
        std::string::npos)
        << after.out;
}

TEST_F(TesselEndToEndTest, WithoutABoardListOptionTheWindowsListIsRead) {
    // tessel sits beside the window's executable and must read its list, not a "tessel.ini".
    const ProcessResult result =
        testing::RunTessel({"list", "--cookie-store", "jar:" + jarPath}, "", dir.Path().string());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out, "");
}

TEST_F(TesselEndToEndTest, ApplyWritesTheGivenFieldsAndShowReadsThemBack) {
    SeedAll();
    const ProcessResult applied = Run({"apply", "--view-count", "10", "1"});
    EXPECT_EQ(applied.out, "雑談掲示板\nDone.\n");
    EXPECT_EQ(applied.err, "tessel: cookie store: cookies.txt " + jarPath + " (Shift_JIS)\n");
    const ProcessResult shown = Run({"show", "雑談"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    for (const std::string line :
         {"post name:       太郎, \"T\"\n", "mail:            t-m@example.jp\n",
          "password:        ******** (--show-password shows it)\n", "view count:      10\n",
          "order:           oldest first\n", "unread:          on\n"}) {
        EXPECT_NE(shown.out.find(line), std::string::npos) << line << shown.out;
    }
    const ProcessResult quill = Run({"show", "shumi", "--show-password"});
    for (const std::string line : {"password:        秘密\n", "\nunread marker R: 0\n"})
        EXPECT_NE(quill.out.find(line), std::string::npos) << line << quill.out;
    const ProcessResult json = Run({"show", "--json", "--show-password", "ZATSUDAN"});
    EXPECT_NE(json.out.find("\"name\": \"太郎, \\\"T\\\"\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"password\": \"秘密\""), std::string::npos) << json.out;
}

TEST_F(TesselEndToEndTest, EveryFailureSaysWhyOnItsSecondLineAndWritesNothing) {
    const std::string blocked = dir.Write("plain-file", "x") + "/cookies.txt";
    // Three fields: a cookie is there, but not one of this board kind.
    const std::string foreign = dir.File("foreign.txt");
    ASSERT_TRUE(NetscapeCookieJar(foreign, clock).InternetSetCookie(kUrls[0], kUrls[0], "a,b,c"));
    const struct {
        const char* why;
        std::vector<std::string> args;
        std::string jar;  // another jar than the test's
        int exitCode;
        std::string out;  // expected in standard output
    } cases[] = {
        {"a board kind without a cookie is skipped",
         {"apply", "--all", "--name", "全員"},
         "",
         0,
         "趣味の部屋\n質問掲示板 (skipped: this kind of board keeps its preferences in the board "
         "itself, so a cookie cannot set them)\n海外掲示板\nDone.\n"},
        {"a character Shift_JIS lacks",
         {"apply", "1", "--mail", "zoë@example.jp"},
         "",
         1,
         "cannot set the cookie of 雑談掲示板.\nmail: \"ë\" cannot be sent in Shift_JIS "
         "(--cookie-charset utf-8 stores it as UTF-8)\n"},
        {"an unreadable cookie is not written over",
         {"apply", "--view-count", "10", "zatsudan"},
         foreign,
         1,
         "cannot set the cookie of 雑談掲示板.\nthe stored cookie has 3 fields, where this kind of "
         "board has 9\nset 0 boards; 1 could not be set.\n"},
        {"a board named that keeps no cookie",
         {"apply", "shitsumon", "--name", "x"},
         "",
         1,
         "cannot set the cookie of 質問掲示板.\nthis kind of board keeps its preferences in the "
         "board itself, so a cookie cannot set them\nset 0 boards; 1 could not be set.\n"},
        {"no board at all",
         {"apply", "--all", "--name", "x", "--board-list", dir.Write("empty.ini", "")},
         "",
         1,
         "the board list has no boards.\n"},
        {"the store is a directory",
         {"apply", "1", "--name", "x"},
         dir.Path().string(),
         1,
         dir.Path().string() + " is a folder: "},
        // An import the store cannot take is a failure, not a usage error.
        {"the store's folder is a file: one message, for import too",
         {"import", dir.Write("one.json", R"({"zatsudan": {}, "kaigai": {}})")},
         blocked,
         1,
         "the cookie store cannot be used, so the write was stopped.\ncannot read the cookie "
         "file " +
             blocked + ": a part of the path is not a folder\nset 0 boards; 2 could not be set.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string& jar = c.jar.empty() ? jarPath : c.jar;
        const std::string before = ReadBytes(jar);
        const ProcessResult result = Run(c.args, "", jar);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
        if (c.exitCode != 0) {
            EXPECT_EQ(ReadBytes(jar), before);
        }
    }
}

TEST_F(TesselEndToEndTest, ReadsSayWhetherACookieIsMissingOrUnreadable) {
    const ProcessResult fresh = Run({"show", "kaigai"});
    EXPECT_EQ(fresh.exitCode, 0) << fresh.err;
    EXPECT_NE(fresh.out.find("preferences:     not set in this cookie store yet\n"),
              std::string::npos)
        << fresh.out;
    ASSERT_EQ(Run({"apply", "--name", "太郎", "1"}, "", "").exitCode, 0);
    // Read as UTF-8, the Shift_JIS cookie is there but unreadable (that it is never written over
    // is the failure table's case).
    const ProcessResult shown = Run({"--cookie-charset", "utf-8", "show", "zatsudan"});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_NE(
        shown.err.find("\ntessel: cannot get the cookie of 雑談掲示板.\ntessel: the stored cookie"),
        std::string::npos)
        << shown.err;
    const ProcessResult exported = Run({"export"});
    EXPECT_EQ(exported.exitCode, 0) << "boards without a cookie have nothing to export";
    EXPECT_NE(exported.out.find("\"zatsudan\": {"), std::string::npos);
    EXPECT_EQ(exported.out.find("shitsumon"), std::string::npos) << "Harbor boards keep no cookie";
}

// JSON output escapes the same characters: see JsonOutputTest.
TEST_F(TesselEndToEndTest, TextFromOutsideCannotActOnTheTerminal) {
    const std::string list = dir.Write("hostile.ini",
                                       "[a\x1b[2J]\nname=\xE2\x80\xAE"
                                       "evil\xC2\x9B\x7F\nnickname=n\nmode=Ferno-BBS\n");
    const ProcessResult text = Run({"list", "--board-list", list});
    EXPECT_EQ(text.out,
              "1  n  \xEF\xBF\xBD"
              "evil\xEF\xBF\xBD\xEF\xBF\xBD  Ferno-BBS\n");
}

TEST_F(TesselEndToEndTest, AFailedWriteToStandardOutputFails) {
    const ProcessResult full = testing::RunTessel({"--board-list", boardList, "list"}, "",
                                                  dir.Path().string(), "/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "tessel: cannot write to standard output\n");
}

// Usage errors, and inputs past their bounds, exit with 2.
TEST_F(TesselEndToEndTest, UsageErrorsExitWithTwoAndWriteNothing) {
    SeedAll();
    const std::string before = ReadBytes(jarPath);
    std::string array = "[";
    for (int i = 0; i < 100000; ++i)
        array += "0,";
    const struct {
        std::vector<std::string> args;
        std::string error;
        std::string input = "";
    } cases[] = {
        {{"apply", "1", "--password-prompt"}, "needs a terminal"},
        {{"apply", "1", "--password-stdin"}, "longer than 4096 bytes", std::string(5000, 'p')},
        {{"apply", "1", "--password-stdin"}, "the password has 9 characters", "123456789\n"},
        {{"apply", "nosuch", "--name", "x"}, "no board is called \"nosuch\""},
        {{"import", dir.Write("array.json", array + "0]")},
         "more values than the document can hold"},
        {{"list", "--cookie-store", "tin:x"}, "unknown cookie store \"tin:x\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const ProcessResult result = Run(c.args, c.input);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    }
    EXPECT_EQ(ReadBytes(jarPath), before);
}

TEST_F(TesselEndToEndTest, ExportThenImportIntoAFreshJarGivesTheSameCookies) {
    SeedAll();
    const ProcessResult exported = Run({"export", "--with-passwords"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const std::string freshJar = dir.File("fresh.txt");
    const ProcessResult imported = Run({"import", "-"}, exported.out, freshJar);
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "雑談掲示板\n趣味の部屋\n海外掲示板\nDone.\n");
    EXPECT_EQ(Cookies(freshJar), Cookies(jarPath));
    EXPECT_NE(Cookies(jarPath)[1].find("30,1,1,0,50,0"), std::string::npos) << Cookies(jarPath)[1];
}

TEST_F(TesselEndToEndTest, AFaultyImportFileChangesNothing) {
    SeedAll();
    const std::string before = ReadBytes(jarPath);
    // What the document says is wrong is the import reader's test; here, nothing is written.
    for (const std::string document :
         {"\xFF",
          // Well-formed, but the store refuses one board: the others are not written either.
          R"({"zatsudan": {"viewCount": 40}, "kaigai": {"name": "tab\there"}})",
          R"({"zatsudan": {"viewCount": 40}, "shitsumon": {"name": "x"}})"}) {
        SCOPED_TRACE(document);
        const ProcessResult result = Run({"import", dir.Write("bad.json", document)});
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("(nothing written)"), std::string::npos) << result.err;
        EXPECT_EQ(ReadBytes(jarPath), before);
    }
}

// Both programs answer --help and --version without a display, the window's before it opens one;
// tessel's own text follows the locale.
TEST_F(TesselEndToEndTest, HelpVersionAndMessagesFollowTheLocaleWithoutADisplay) {
    const std::string tessel = testing::BuiltProgram("tessel"),
                      window = testing::BuiltProgram("TesselCustom");
    const std::string badList = dir.Write("bad.ini", "[a]\nname=A\nmode=Ferno\n");
    const struct {
        std::string program, lang;
        std::vector<std::string> args;
        int exitCode;
        std::string out, err;       // how each begins; no error output at all when err is empty
        std::string language = {};  // LANGUAGE, which gettext heeds over LANG unless it is C
    } cases[] = {
        {tessel, "C.UTF-8", {"--version"}, 0, "tessel (TesselCustom) Ver.1.01.0001\nCopyright", ""},
        {window, "C.UTF-8", {"--version"}, 0, "TesselCustom Ver.1.01.0001\nCopyright", ""},
        {window, "C.UTF-8", {"--help"}, 0, "使い方: TesselCustom ", ""},
        {tessel, "ja_JP.UTF-8", {"--help"}, 0, "使い方: tessel [オプション]", ""},
        {tessel, "C.UTF-8", {"--help"}, 0, "Usage: tessel [options]", ""},
        {tessel, "ja_JP.UTF-8", {"frob"}, 2, "", "tessel: 知らないコマンド 'frob'\n詳しくは"},
        {tessel, "C.UTF-8", {"frob"}, 2, "", "tessel: 知らないコマンド 'frob'", "ja"},
        {tessel, "ja_JP.UTF-8", {"show", "1"}, 0, "掲示板: ", "tessel: クッキーの保存先: "},
        {tessel, "C.UTF-8", {"show", "1"}, 0, "board:           1 ", "tessel: cookie store: "},
        {tessel, "C.UTF-8", {"undo"}, 1, "there is no write to undo.\n", "tessel: cookie store: "},
        {tessel,
         "C.UTF-8",
         {"list", "--board-list", badList},
         2,
         "",
         "tessel: the board list could not be loaded.\ntessel: " + badList +
             ": the section [a] has the mode \"Ferno\", which is no known kind of board"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lang + " " + c.args[0]);
        std::vector<std::string> args = c.args;
        if (c.program == tessel)
            args.insert(args.begin(),
                        {"--board-list", boardList, "--cookie-store", "jar:" + jarPath});
        const ProcessResult result = testing::RunProgram(
            c.program, args, "", dir.Path().string(),
            {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES",
             c.language.empty() ? "LANGUAGE" : "LANGUAGE=" + c.language, "LANG=" + c.lang});
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.out.rfind(c.out, 0), 0u) << result.out;
        EXPECT_EQ(result.err.rfind(c.err, 0), 0u) << result.err;
        if (c.err.empty()) {
            EXPECT_EQ(result.err, "");
        }
        // Under C, tessel's own words are all ASCII: only board names and the user's text are not.
        if (c.program == tessel && c.lang == "C.UTF-8" && c.language.empty()) {
            std::string own = result.out + result.err;
            for (const std::string mine : {"雑談掲示板", "雑談"}) {
                for (std::size_t at; (at = own.find(mine)) != std::string::npos;)
                    own.erase(at, mine.size());
            }
            EXPECT_TRUE(std::all_of(own.begin(), own.end(), [](char byte) { return byte >= 0; }))
                << own;
        }
    }
}

TEST_F(TesselEndToEndTest, UndoPutsTheJarBackByteForByteAndLeavesAChangedCookieAlone) {
    SeedAll();
    const std::string seeded = ReadBytes(jarPath);
    ASSERT_EQ(Run({"apply", "--mail", "x@y", "--view-count", "5", "1", "2"}).exitCode, 0);
    const ProcessResult undone = Run({"undo"});
    EXPECT_EQ(undone.exitCode, 0) << undone.err;
    EXPECT_EQ(ReadBytes(jarPath), seeded);
    ASSERT_EQ(Run({"apply", "--name", "二", "1", "2"}).exitCode, 0);
    ASSERT_TRUE(NetscapeCookieJar(jarPath, clock).InternetSetCookie(kUrls[1], kUrls[1], "mine"));
    const ProcessResult kept = Run({"undo"});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_EQ(kept.out.substr(0, kept.out.find('\n') + 1), "雑談掲示板\n");
    EXPECT_NE(kept.out.find("the cookie of 趣味の部屋 was changed after the write"),
              std::string::npos)
        << kept.out;
    EXPECT_NE(kept.out.find("put back 1 boards; 1 were not put back.\n"), std::string::npos);
    EXPECT_EQ(Cookies(jarPath)[1], kUrls[1] + "=mine");
}

}  // namespace
}  // namespace tessel
