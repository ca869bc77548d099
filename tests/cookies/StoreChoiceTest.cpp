#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "BrowserDatabases.h"
#include "TesselProcess.h"
#include "posix/browsers/BrowserProfileLocks.h"
#include "posix/browsers/BrowserProfiles.h"
#include "posix/browsers/LinuxBrowserStores.h"
#include "posix/stores/CookieStoreChooser.h"
#include "posix/stores/RememberedCookieStore.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

// What Chromium's SingletonLock names: this host and a process.
std::string LockTarget(pid_t process) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return std::string(host) + "-" + std::to_string(process);
}

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
        std::filesystem::create_symlink(LockTarget(getpid()),
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
    const testing::ProcessResult listed = testing::RunProgram(
        testing::BuiltProgram("tessel"), {"stores"}, "", home.dir.Path().string(),
        {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "LC_ALL", "LC_MESSAGES", "LANGUAGE",
         "HOME=" + home.dir.Path().string(), "LANG=ja_JP.UTF-8"});
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

// Without a store given or remembered, the desktop's default browser decides, even when it is
// running (the write then says so); it is never remembered.
TEST(StoreChoiceTest, WithoutAChoiceTheDefaultBrowsersStoreIsInUse) {
    Home home;
    const std::string root = home.dir.Path().string();
    const struct {
        std::string handler, inUse;
    } cases[] = {
        {"firefox-esr.desktop", "firefox:" + root + "/.mozilla/firefox/p.default-esr"},
        {"chromium.desktop", "chromium:" + root + "/.config/chromium/Default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handler);
        home.dir.Write(".config/mimeapps.list",
                       "[Default Applications]\nx-scheme-handler/http=" + c.handler + "\n");
        const testing::ProcessResult listed = testing::RunProgram(
            testing::BuiltProgram("tessel"), {"stores", "--json"}, "", root,
            {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "HOME=" + root});
        ASSERT_EQ(listed.exitCode, 0) << listed.err;
        const auto stores = nlohmann::json::parse(listed.out);
        const auto used = std::find_if(stores.begin(), stores.end(),
                                       [](const auto& store) { return store["inUse"] == true; });
        ASSERT_NE(used, stores.end()) << listed.out;
        EXPECT_EQ((*used)["store"], c.inUse);
        EXPECT_EQ((*used)["chosenBy"], "default browser");
    }
    EXPECT_FALSE(LoadRememberedCookieStore(home.Variables()));
}

TEST(StoreChoiceTest, ChooserSwitchesTheStoreAndRemembersIt) {
    Home home;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    testing::FakeCookieStore first;
    first.SetText("http://a.example/", "from=first");
    ChosenCookieStore chosen(std::make_unique<testing::FakeCookieStore>(first));
    CookieStoreChooser chooser(chosen, clock, SharedOptions{}, home.Variables());
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
    // Firefox keeps only UTF-8; the jar and Chromium let the reader choose, and it is remembered.
    EXPECT_FALSE(chooser.CharsetChoosable());
    EXPECT_EQ(chooser.Charset(), CookieCharset::kUtf8);
    ASSERT_TRUE(chooser.Choose(stores[0], error)) << error;
    EXPECT_EQ(chooser.Charset(), CookieCharset::kCp932);
    ASSERT_TRUE(chooser.ChooseCharset(CookieCharset::kUtf8, error)) << error;
    EXPECT_EQ(LoadRememberedCookieCharset(home.Variables()), CookieCharset::kUtf8);
    EXPECT_NE(chooser.Description().find("（UTF-8）"), std::string::npos) << chooser.Description();
}

TEST(StoreChoiceTest, TesselWritesFirefoxInUtf8ByItselfAndSaysSo) {
    Home home;
    const std::string boards = home.dir.Write(
        "boards.ini",
        "[z]\nname=雑談\nnickname=z\nurl=http://bbs.example.jp/z/bbs.cgi\nmode=Ferno-BBS\n");
    const std::string profile = home.dir.File(".mozilla/firefox/p.default-esr");
    const struct {
        std::vector<std::string> charset;
        int exitCode;
        std::string out, err;  // how each begins
    } cases[] = {
        {{},
         0,
         "雑談\nDone.\n",
         "tessel: cookie store: Firefox " + profile + "/cookies.sqlite (UTF-8)\n"},
        {{"--cookie-charset", "cp932"},
         1,
         "cannot set the cookie of 雑談.\npost name: \"太\" cannot be stored in Firefox as CP932",
         "tessel: cookie store: Firefox " + profile + "/cookies.sqlite (Shift_JIS)\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{
            "--board-list", boards, "--cookie-store", "firefox:" + profile,
            "apply",        "z",    "--name",         "太郎"};
        args.insert(args.end(), c.charset.begin(), c.charset.end());
        const testing::ProcessResult result =
            testing::RunTessel(args, "", home.dir.Path().string());
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.out.rfind(c.out, 0), 0u) << result.out;
        EXPECT_EQ(result.err, c.err);
    }
}

TEST(StoreChoiceTest, TheChromiumBackupIsBornPrivate) {
    Home home;
    std::filesystem::remove(home.dir.File(".config/chromium/SingletonLock"));
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    std::string error;
    const mode_t umaskWas = umask(0);  // SQLite would make a file readable by all
    const auto store = OpenBrowserStore({CookieStoreLocation::Kind::kChromium, ""}, clock,
                                        CookieCharset::kCp932, home.Variables(), error);
    ASSERT_TRUE(store) << error;
    const bool written = store->InternetSetCookie("http://a.example/", "n",
                                                  "v; expires=Sun, 04-Apr-2027 09:07:03 GMT");
    umask(umaskWas);
    ASSERT_TRUE(written);
    EXPECT_EQ(
        std::filesystem::status(home.dir.File(".config/chromium/Default/Cookies.tessel-backup"))
            .permissions(),
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(BrowserLockTest, FirefoxLockIsTheFcntlLockOfARunningProcess) {
    testing::TempDir dir;
    const std::string lockFile = dir.Write(".parentlock", "");
    FirefoxProfileLock lock(dir.Path().string());
    EXPECT_FALSE(lock.InUseReason());
    std::filesystem::create_symlink("127.0.0.1:+1", dir.File("lock"));  // left by a crash
    EXPECT_FALSE(lock.InUseReason());

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(lockFile.c_str(), O_RDWR);
        struct flock hold {};
        hold.l_type = F_WRLCK;
        hold.l_whence = SEEK_SET;
        fcntl(fd, F_SETLK, &hold);
        (void)write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_EQ(lock.InUseReason().problem, CookieProblem::kFirefoxRunning);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(lock.InUseReason());
}

TEST(BrowserLockTest, ChromiumSingletonLockCountsOnlyALivingProcess) {
    const struct {
        std::string target;
        bool inUse;
    } cases[] = {
        {LockTarget(getpid()), true},
        {LockTarget(999999999), false},  // stale: the process is gone
        {"elsewhere.example-1", true},   // another host cannot be checked
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        testing::TempDir dir;
        std::filesystem::create_symlink(c.target, dir.File("SingletonLock"));
        EXPECT_EQ(ChromiumProfileLock(dir.Path().string()).InUseReason().kind,
                  c.inUse ? CookieFailureKind::kStoreBusy : CookieFailureKind::kNone);
    }
}

TEST(BrowserProfilesTest, FirefoxDefaultIsTheInstallationsProfile) {
    Home home;
    home.dir.Write(".mozilla/firefox/profiles.ini",
                   "[Profile1]\nName=old\nIsRelative=1\nPath=a.old\nDefault=1\n\n"
                   "[Profile0]\nName=default-esr\nIsRelative=1\nPath=p.default-esr\n\n"
                   "[General]\nStartWithLastProfile=1\n");
    std::filesystem::remove(home.dir.File(".mozilla/firefox/installs.ini"));
    const auto defaultName = [&] {
        for (const BrowserProfile& profile : FindFirefoxProfiles(home.Variables())) {
            if (profile.isDefault)
                return profile.name;
        }
        return std::string();
    };
    EXPECT_EQ(defaultName(), "old");  // no installation names one
    home.dir.Write(".mozilla/firefox/installs.ini", "[4F96D1932A9F858E]\nDefault=p.default-esr\n");
    EXPECT_EQ(defaultName(), "default-esr");
    EXPECT_EQ(FindFirefoxProfiles(home.Variables())[1].location.path,
              home.dir.File(".mozilla/firefox/p.default-esr"));
}

}  // namespace
}  // namespace tessel
