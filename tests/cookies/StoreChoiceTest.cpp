#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "BrowserDatabases.h"
#include "TesselProcess.h"
#include "posix/CookieStoreChooser.h"
#include "posix/RememberedCookieStore.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

// A home folder with a Firefox profile, and a Chromium one that is running (its SingletonLock
// names this very process).
struct Home {
    Home() {
        std::filesystem::create_directories(dir.File(".mozilla/firefox/p.default-esr"));
        dir.Write(".mozilla/firefox/profiles.ini",
                  "[Profile0]\nName=default-esr\nIsRelative=1\nPath=p.default-esr\n");
        dir.Write(".mozilla/firefox/installs.ini", "[46F9]\nDefault=p.default-esr\n");
        testing::CreateFirefoxDatabase(dir.File(".mozilla/firefox/p.default-esr/cookies.sqlite"));
        std::filesystem::create_directories(dir.File(".config/chromium/Default"));
        testing::CreateChromiumDatabase(dir.File(".config/chromium/Default/Cookies"));
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        std::filesystem::create_symlink(std::string(host) + "-" + std::to_string(getpid()),
                                        dir.File(".config/chromium/SingletonLock"));
        variables["HOME"] = dir.Path().string();
    }
    Environment Variables() const {
        return [this](const char* name) -> const char* {
            const auto found = variables.find(name);
            return found == variables.end() ? nullptr : found->second.c_str();
        };
    }
    testing::TempDir dir;
    std::map<std::string, std::string> variables;
};

TEST(StoreChoiceTest, StoresCommandSaysWhichCanBeWrittenAndWhy) {
    Home home;
    // The store chosen in the window is tessel's too when none is named.
    ASSERT_TRUE(RememberCookieStore({CookieStoreLocation::Kind::kFirefox, ""}, home.Variables()));
    const testing::ProcessResult listed =
        testing::RunProgram(TESSEL_EXECUTABLE, {"stores"}, "", home.dir.Path().string(),
                            {"HOME=" + home.dir.Path().string(), "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                             "LC_ALL", "LC_MESSAGES", "LANGUAGE", "LANG=ja_JP.UTF-8"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    const std::string root = home.dir.Path().string();
    // Each store's line: its mark, its --cookie-store text, then whether it can be written.
    const struct {
        std::string store, state;
    } lines[] = {
        {"  jar:" + root + "/.local/share/TesselCustom/cookies.txt", "書き込み可"},
        {"* firefox:" + root + "/.mozilla/firefox/p.default-esr", "書き込み可"},
        {"  chromium:" + root + "/.config/chromium/Default", "書き込み不可: Chromium が起動中です"},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.store);
        const std::size_t at = listed.out.find(line.store + " ");
        ASSERT_NE(at, std::string::npos) << listed.out;
        const std::string rest = listed.out.substr(at, listed.out.find('\n', at) - at);
        EXPECT_NE(rest.find(line.state), std::string::npos) << rest;
    }
}

TEST(StoreChoiceTest, ChooserSwitchesTheStoreAndRemembersIt) {
    Home home;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    testing::FakeCookieStore first;
    first.SetText("http://a.example/", "from=first");
    ChosenCookieStore chosen(std::make_unique<testing::FakeCookieStore>(first));
    CookieStoreChooser chooser(chosen, clock, PlatformOptions{}, home.Variables());
    EXPECT_EQ(chosen.InternetGetCookie("http://a.example/", ""), "from=first");

    const std::vector<FoundStore> stores = chooser.Stores();
    ASSERT_EQ(stores.size(), 3u);
    EXPECT_TRUE(chooser.IsCurrent(stores[0]));  // the jar, when nothing was chosen
    std::string error;
    ASSERT_TRUE(chooser.Choose(stores[1], error)) << error;
    EXPECT_EQ(error, "");
    EXPECT_TRUE(chooser.IsCurrent(stores[1]));
    EXPECT_EQ(chosen.InternetGetCookie("http://a.example/", ""), "");
    EXPECT_TRUE(chosen.InternetSetCookie("http://a.example/", "n",
                                         "v; expires=Sun, 04-Apr-2027 09:07:03 GMT"));
    EXPECT_EQ(LoadRememberedCookieStore(home.Variables()), stores[1].location);
    EXPECT_NE(chooser.Description().find("Firefox: "), std::string::npos);
}

}  // namespace
}  // namespace tessel
