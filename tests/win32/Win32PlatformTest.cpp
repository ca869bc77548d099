// The Windows platform layer against the real system functions (under wine in CI).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/mdlApp.h"
#include "app/mdlExecuteLite.h"
#include "board/CBBSData.h"
#include "cookies/CookieText.h"
#include "settings/CIniFile.h"
#include "support/TempDir.h"
#include "win32/ModuleExecutable.h"
#include "win32/ShellExecuteShell.h"
#include "win32/WideText.h"
#include "win32/Win32Clock.h"
#include "win32/Win32JournalFile.h"
#include "win32/Win32ProfileFile.h"
#include "win32/WinInetCookieStore.h"

// Last: its macros would rewrite the names of the platform interfaces above.
#include <windows.h>
// After windows.h; the store's names are the ones it maps onto the A and W functions.
#include <wininet.h>
#undef InternetGetCookie
#undef InternetSetCookie

namespace tessel {
namespace {

// Runs a program and returns what it wrote to standard output, or nullopt when it failed.
std::optional<std::string> RunProgram(const std::string& commandLine) {
    FILE* pipe = _popen(commandLine.c_str(), "rb");
    if (pipe == nullptr)
        return std::nullopt;
    std::string output;
    char chunk[4096];
    for (std::size_t read; (read = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        output.append(chunk, read);
    return _pclose(pipe) == 0 ? std::optional(output) : std::nullopt;
}

// The program that reads a cookie through WinINet in a process of its own, built beside the suite.
std::string CookieProbe() {
    return ModuleExecutable().Directory() + "\\cookie_probe.exe";
}

// An address no earlier run has used, so that each run starts without cookies.
std::string FreshUrl(const std::string& path) {
    return "http://bbs" + std::to_string(GetTickCount64()) + std::to_string(GetCurrentProcessId()) +
           ".example.jp/" + path;
}

TEST(WinInetCookieStoreTest, ABoardCookieRoundTripsAndAnotherProcessReadsIt) {
    ASSERT_EQ(GetACP(), 932u) << "run under a Japanese locale (LC_ALL=ja_JP.UTF-8)";
    WinInetCookieStore store;
    Win32Clock clock;
    const std::string url = FreshUrl("cgi-bin/bbs.cgi");
    CBBSData board(store, clock);
    board.URL(url);
    EXPECT_FALSE(board.GetCookie());  // nothing stored yet: no cookie, and no store fault
    EXPECT_EQ(store.LastFailure().kind, CookieFailureKind::kNone);

    board.PostName("雑談好き");
    board.ViewCount(25);
    ASSERT_TRUE(board.SetCookie());
    CBBSData again(store, clock);
    again.URL(url);
    ASSERT_TRUE(again.GetCookie());
    EXPECT_EQ(again.PostName(), "雑談好き");
    EXPECT_EQ(again.ViewCount(), 25);

    const std::optional<std::string> seen = RunProgram("\"" + CookieProbe() + "\" " + url);
    ASSERT_TRUE(seen.has_value());
    EXPECT_NE(seen->find(url + "=" + "雑談好き,,,,25"), std::string::npos) << *seen;
}

TEST(WinInetCookieStoreTest, AnExpiryInThePastDeletesAndUnencodableTextIsRefused) {
    WinInetCookieStore store;
    const std::string url = FreshUrl("bbs.cgi");
    ASSERT_TRUE(store.InternetSetCookie(url, url, "a,b; expires=Fri, 30-Apr-2100 23:59:59 GMT"));
    EXPECT_NE(store.InternetGetCookie(url, url).value_or(""), "");
    ASSERT_TRUE(store.InternetSetCookie(url, url, "a,b; expires=Thu, 01-Jan-1998 00:00:00 GMT"));
    EXPECT_EQ(store.InternetGetCookie(url, url), std::optional<std::string>(""));

    // A character Shift-JIS cannot carry is refused, never stored as "?".
    EXPECT_FALSE(store.InternetSetCookie(url, url, "caf\xC3\xA9\xF0\x9F\x99\x82,x"));
    EXPECT_EQ(store.LastFailure().kind, CookieFailureKind::kUnencodable);
    EXPECT_EQ(store.LastFailure().details.number, 932);
    EXPECT_EQ(store.InternetGetCookie(url, url), std::optional<std::string>(""));
}

TEST(WinInetCookieStoreTest, AWriteTakesEffectOrIsRefusedAndIsUndone) {
    const std::string expires = "; expires=Fri, 30-Apr-2100 23:59:59 GMT";
    // A domain of its own, so that the domain cookie reaches no other test's address.
    const std::string fresh = FreshUrl("");
    const std::string domain = fresh.substr(7, fresh.size() - 8);
    const struct {
        const char* why;
        std::string scheme, data;  // what another program stored before
        DWORD flags;
    } cases[] = {
        {"Secure, on http", "https", "Old; secure", 0},
        {"HttpOnly", "http", "Old; httponly", INTERNET_COOKIE_HTTPONLY},
        {"a domain cookie sent first", "http", "Old; domain=" + domain + "; path=/", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        WinInetCookieStore store;
        const std::string url = "http://bbs." + domain + "/x/" + std::to_string(&c - cases);
        const std::string stored = c.scheme + url.substr(url.find(':'));
        ASSERT_TRUE(InternetSetCookieExA(stored.c_str(), url.c_str(), (c.data + expires).c_str(),
                                         c.flags, 0));
        // Wine sends a Secure cookie over http and the host's own cookie first: there the write
        // takes effect; WinINet refuses it. Either way, success means the board reads it.
        const bool written = store.InternetSetCookie(url, url, "New" + expires);
        const CookieFailure failure = store.LastFailure();
        EXPECT_EQ(written, FindCookieValue(store.InternetGetCookie(url, url).value_or(""), url) ==
                               std::optional<std::string>("New"));
        EXPECT_EQ(failure.kind,
                  written ? CookieFailureKind::kNone : CookieFailureKind::kUnreadable);
    }
    // A cookie that was not there is removed again.
    WinInetCookieStore store;
    const std::string url = "http://bbs." + domain + "/bbs.cgi";
    const std::optional<std::string> before = store.RecordCookie(url, url);
    ASSERT_TRUE(store.InternetSetCookie(url, url, "New" + expires));
    const std::optional<std::string> written = store.RecordCookie(url, url);
    EXPECT_TRUE(store.RestoreCookie(url, url, *before, *written));
    EXPECT_EQ(FindCookieValue(store.InternetGetCookie(url, url).value_or(""), url), std::nullopt);
}

TEST(Win32ProfileFileTest, ShiftJisRoundTripsAndUnencodableTextIsRefused) {
    ASSERT_EQ(GetACP(), 932u) << "run under a Japanese locale (LC_ALL=ja_JP.UTF-8)";
    testing::TempDir dir;
    // Built by hand: std::filesystem would take the UTF-8 name for the ANSI code page.
    const std::string file = dir.Path().string() + "\\板一覧.ini";
    Win32ProfileFile profile;
    {
        CIniFile ini(profile);
        ini.Load(file);
        ini.NowSection("雑談");
        ini.Data("name", "雑談掲示板");
        ASSERT_TRUE(ini.Save()) << profile.LastFailure();
    }
    std::ifstream written(std::filesystem::path(win32::Widen(file)), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(written), {}};
    EXPECT_EQ(bytes, "[\x8e\x47\x92\x6b]\r\nname=\x8e\x47\x92\x6b\x8c\x66\x8e\xa6\x94\xc2\r\n");

    CIniFile ini(profile);
    ini.Load(file);
    ASSERT_EQ(ini.Sections().Count(), 1);
    ini.NowSection("雑談");
    EXPECT_EQ(ini.Data("name"), "雑談掲示板");
    ini.Data("name", "\xF0\x9F\x99\x82");
    EXPECT_FALSE(ini.Save());
    EXPECT_NE(profile.LastFailure().find("932"), std::string::npos) << profile.LastFailure();
}

// The undo journal's folder holds each batch whole, knows no other file, and never takes a batch
// over one already there.
TEST(Win32JournalFileTest, TheJournalFolderKeepsEachBatchAsAFile) {
    testing::TempDir dir;
    const std::wstring local = win32::Widen(dir.Path().string());
    ASSERT_TRUE(SetEnvironmentVariableW(L"LOCALAPPDATA", local.c_str()));
    Win32JournalFile journal;
    CookieFailure error;
    ASSERT_TRUE(journal.Prepare(error)) << error.details.system;
    ASSERT_TRUE(journal.Add(1, "one", error) && journal.Add(12, "twelve", error))
        << error.details.system;
    EXPECT_FALSE(journal.Add(12, "again", error));
    dir.Write("TesselCustom/undo/batch-5.tmp", "x");
    dir.Write("TesselCustom/undo/batch-", "x");
    std::vector<std::uint64_t> numbers = journal.Numbers(error).value();
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<std::uint64_t>{1, 12}));
    EXPECT_EQ(journal.Read(12, error), "twelve");
    EXPECT_TRUE(journal.Remove(12, error) && journal.Remove(12, error));
    EXPECT_EQ(journal.Numbers(error).value(), std::vector<std::uint64_t>{1});
    EXPECT_FALSE(journal.Read(12, error));
}

TEST(ShellExecuteShellTest, AnExistingFileIsAcceptedAndAMissingOneRefusedWithoutADialog) {
    ShellExecuteShell shell;
    EXPECT_NE(mdlExecuteLite::ExecuteLite(shell, CookieProbe(), std::nullopt, "open"), 0);
    testing::TempDir dir;
    EXPECT_EQ(mdlExecuteLite::ExecuteLite(shell, dir.File("ReadMe.txt"), std::nullopt, "open"), 0);
}

TEST(ModuleExecutableTest, VersionTextsComeFromTheResource) {
    ModuleExecutable self;
    EXPECT_EQ(mdlApp::GetAppTitle(self), "TesselCustom Ver.1.01");
    EXPECT_EQ(mdlApp::GetVersionString(self, true), "Ver.1.01.0001");
    EXPECT_FALSE(self.Version().legalCopyright.empty());

    const std::wstring path = ModulePath();
    std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"FileVersion", L"1.01.0001"},
        {L"ProductVersion", L"1.01.0001"},
        {L"InternalName", L"TesselCustom"},
        {L"OriginalFilename", L"TesselCustom.exe"},
    };
    for (const auto& [name, value] : expected) {
        SCOPED_TRACE(win32::Narrow(name));
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        ASSERT_TRUE(
            VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &length));
        EXPECT_EQ(std::wstring(text), value);
    }
    EXPECT_EQ(self.BaseName(), "win32_tests");
}

}  // namespace
}  // namespace tessel
