// The stores against the real browsers: a cookie written by the program must reach the web site
// when the browser next visits it, next to the site's own cookies, and a cookie the browser
// stored from the site must read back through tessel. Each browser runs headless, kept off the
// network, against a site on 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "BrowserDatabases.h"
#include "TesselProcess.h"
#include "posix/browsers/LinuxBrowserStores.h"
#include "posix/desktop/SystemClock.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

// Waits for child up to limit; kills it past that. True when it ended by itself.
bool Finish(pid_t child, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            return true;
        std::this_thread::sleep_for(50ms);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return false;
}

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The site, run by Python for as long as the test lasts.
class Site {
  public:
    explicit Site(const testing::TempDir& dir) : log_(dir.File("requests.log")) {
        const std::string portFile = dir.File("port");
        pid_ = testing::StartProcess(
            {"python3", testing::SourceFile("tests/cookies/cookie_server.py"), log_}, "/dev/null",
            portFile, portFile);
        for (int i = 0; i < 100 && port_ == 0; ++i) {
            std::this_thread::sleep_for(50ms);
            std::ifstream(portFile) >> port_;
        }
    }
    ~Site() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    // The Cookie header of the last request for path.
    std::string CookieSentTo(const std::string& path) const {
        std::ifstream log(log_, std::ios::binary);
        std::string line, cookie;
        while (std::getline(log, line)) {
            if (line.compare(0, path.size() + 1, path + "\t") == 0)
                cookie = line.substr(path.size() + 1);
        }
        return cookie;
    }
    bool Up() const { return port_ != 0; }

  private:
    std::string log_;
    pid_t pid_ = -1;
    int port_ = 0;
};

struct BrowserCase {
    const char* name;
    const char* program;
    const char* folder;  // the profile or user-data folder, laid out as the store kind keeps it
    CookieStoreLocation::Kind kind;
    CookieCharset charset;
    const char* charsetName;
    std::string japaneseBytes;  // how the header carries "名無し"
    int olderSchema = 0;        // a database as an older release made it; 0: the browser's own
};

class BrowserEndToEndTest : public ::testing::TestWithParam<BrowserCase> {
  protected:
    void SetUp() override {
        if (!OnPath(GetParam().program))
            GTEST_SKIP() << GetParam().program
                         << " is not installed (scripts/setup.sh installs it)";
        ASSERT_TRUE(site.Up()) << "the test site did not start";
        std::filesystem::create_directories(profile);
        // Firefox reads user.js at start: no updates, telemetry or remote services.
        std::ofstream prefs(profile + "/user.js");
        for (const char* off :
             {"app.update.enabled", "app.update.auto", "datareporting.policy.dataSubmissionEnabled",
              "datareporting.healthreport.uploadEnabled", "toolkit.telemetry.enabled",
              "browser.safebrowsing.update.enabled",
              "browser.safebrowsing.downloads.remote.enabled", "extensions.update.enabled",
              "network.captive-portal-service.enabled", "network.connectivity-service.enabled",
              "browser.shell.checkDefaultBrowser"})
            prefs << "user_pref(\"" << off << "\", false);\n";
        prefs << "user_pref(\"services.settings.server\", \"http://127.0.0.1:9/\");\n";
    }

    // Lets the browser visit path once and end.
    void Visit(const std::string& path) {
        const std::string log = dir.File("browser.log");
        const pid_t browser = testing::StartProcess(Command(path, true), "/dev/null", log, log);
        ASSERT_GT(browser, 0);
        ASSERT_TRUE(Finish(browser, 90s))
            << "the browser did not end: see " << dir.File("browser.log");
    }

    // The browser's command line for a visit to path; once: it ends after the page is loaded.
    std::vector<std::string> Command(const std::string& path, bool once) {
        std::vector<std::string> words;
        if (GetParam().kind == CookieStoreLocation::Kind::kFirefox) {
            words = {"firefox-esr", "--headless", "--no-remote", "--profile", profile};
            if (once)
                words.insert(words.end(), {"--screenshot", dir.File("shot.png")});
        } else {
            words = {"chromium",
                     "--headless",
                     "--no-sandbox",
                     "--disable-gpu",
                     "--disable-quic",
                     "--no-first-run",
                     "--disable-background-networking",
                     "--disable-component-update",
                     "--disable-sync",
                     "--password-store=basic",
                     "--user-data-dir=" + profile};
            if (once)
                words.push_back("--dump-dom");
        }
        words.push_back(site.Url(path));
        return words;
    }

    CookieStoreLocation Location() const { return {GetParam().kind, profile}; }
    std::unique_ptr<BrowserCookieStore> OpenStore() {
        return OpenBrowserStore(
            Location(), clock, GetParam().charset,
            [](const char* name) { return std::getenv(name); }, error);
    }

    SystemClock clock;
    CookieFailure error;

    testing::TempDir dir;
    Site site{dir};
    std::string profile = dir.File(GetParam().folder);
};

TEST_P(BrowserEndToEndTest, CookiesReachTheSiteAndBackAndWaitWhileTheBrowserRuns) {
    const bool firefox = GetParam().kind == CookieStoreLocation::Kind::kFirefox;
    const std::string database = profile + (firefox ? "/cookies.sqlite" : "/Default/Cookies");
    if (GetParam().olderSchema != 0) {  // written before the browser moves it to its version
        std::filesystem::create_directories(std::filesystem::path(database).parent_path());
        (firefox ? testing::CreateFirefoxDatabase : testing::CreateChromiumDatabase)(
            database, GetParam().olderSchema);
    } else {
        Visit("/set");  // the browser makes its database and keeps the site's own cookie
    }
    const std::unique_ptr<BrowserCookieStore> store = OpenStore();
    ASSERT_TRUE(store) << error.details.path;
    const std::string expires = "; expires=Sun, 04-Apr-2027 09:07:03 GMT";
    const std::string page = site.Url("/board/index.html");
    store->BeginWrites();
    EXPECT_TRUE(store->InternetSetCookie(page, "ascii", "hello" + expires));
    EXPECT_TRUE(store->InternetSetCookie(page, "jp", "名無し" + expires));
    ASSERT_TRUE(store->CommitWrites());
    if (GetParam().olderSchema != 0)
        Visit("/set");

    Visit("/board/index.html");
    // The expiry means the same date in the browser's own version, whichever it was written in.
    EXPECT_EQ(
        testing::TestDatabase(database).Rows(
            firefox ? "SELECT expiry FROM moz_cookies WHERE name = 'ascii'"
                    : "SELECT expires_utc FROM cookies WHERE name = 'ascii'"),
        (std::vector<std::vector<std::string>>{{firefox ? "1806829623000" : "13451303223000000"}}));
    const std::string sent = site.CookieSentTo("/board/index.html");
    EXPECT_NE(sent.find("ascii=hello"), std::string::npos) << sent;
    EXPECT_NE(sent.find("jp=" + GetParam().japaneseBytes), std::string::npos) << sent;
    EXPECT_NE(sent.find("site=kept"), std::string::npos) << sent;

    // The board script sets its cookie in the browser; tessel reads it from there.
    Visit("/bbs/set");
    const std::string boards =
        dir.Write("boards.ini", "[bbs]\nname=テスト\nnickname=t\nurl=" + site.Url("/bbs/bbs.cgi") +
                                    "\nmode=Ferno-BBS\n");
    const testing::ProcessResult shown = testing::RunTessel(
        {"--board-list", boards, "--cookie-store", FormatCookieStoreArgument(Location()),
         "--cookie-charset", GetParam().charsetName, "show", "1", "--json"},
        "", dir.Path().string());
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("taro@example.jp"), std::string::npos) << shown.out << shown.err;
    // The browser kept the program's cookies through its sessions: none was dropped as unreadable.
    EXPECT_EQ(store->InternetGetCookie(page, "jp"), "ascii=hello; jp=名無し; site=kept");

    // A running browser would write its own cookies back over the program's: the store refuses,
    // and says why, for as long as the browser runs.
    ASSERT_TRUE(store->CheckWritable());

    const std::string log = dir.File("browser.log");
    const pid_t browser = testing::StartProcess(Command("/running", false), "/dev/null", log, log);
    ASSERT_GT(browser, 0);
    for (int i = 0; i < 300 && site.CookieSentTo("/running").empty(); ++i)
        std::this_thread::sleep_for(100ms);
    const bool writable = store->CheckWritable();
    const CookieFailure failure = store->LastFailure();
    kill(browser, SIGTERM);
    Finish(browser, 30s);
    EXPECT_FALSE(writable);
    EXPECT_EQ(failure.kind, CookieFailureKind::kStoreBusy);
    EXPECT_EQ(failure.problem, GetParam().kind == CookieStoreLocation::Kind::kFirefox
                                   ? CookieProblem::kFirefoxRunning
                                   : CookieProblem::kChromiumRunning);
}

// Firefox ESR 140 keeps schema 15 and ESR 91 schema 12; Chromium before 130 keeps meta version 23
// (today's Chromium deletes the cookies of a version before 23 rather than move them on).
INSTANTIATE_TEST_SUITE_P(
    Browsers, BrowserEndToEndTest,
    ::testing::Values(
        BrowserCase{"Firefox", "firefox-esr", "profile", CookieStoreLocation::Kind::kFirefox,
                    CookieCharset::kUtf8, "utf-8", "名無し"},
        BrowserCase{"FirefoxFromSchema15", "firefox-esr", "profile",
                    CookieStoreLocation::Kind::kFirefox, CookieCharset::kUtf8, "utf-8", "名無し",
                    15},
        BrowserCase{"FirefoxFromSchema12", "firefox-esr", "profile",
                    CookieStoreLocation::Kind::kFirefox, CookieCharset::kUtf8, "utf-8", "名無し",
                    12},
        BrowserCase{"Chromium", "chromium", "profile", CookieStoreLocation::Kind::kChromium,
                    CookieCharset::kCp932, "cp932", "\x96\xBC\x96\xB3\x82\xB5"},
        BrowserCase{"ChromiumFromVersion23", "chromium", "profile",
                    CookieStoreLocation::Kind::kChromium, CookieCharset::kCp932, "cp932",
                    "\x96\xBC\x96\xB3\x82\xB5", 23},
        // Brave's folder, which Chromium reads as Brave does.
        BrowserCase{"BraveFolder", "chromium", ".config/BraveSoftware/Brave-Browser",
                    CookieStoreLocation::Kind::kBrave, CookieCharset::kUtf8, "utf-8", "名無し"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tessel
