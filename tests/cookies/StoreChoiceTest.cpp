#include <fcntl.h>
#include <gtest/gtest.h>
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
#include "posix/browsers/ChromiumCipher.h"
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
    Home home;  // the order of the candidates is the starting store's test
    const std::string root = home.dir.Path().string();
    home.dir.Write(".config/mimeapps.list",
                   "[Default Applications]\nx-scheme-handler/http=chromium.desktop\n");
    const testing::ProcessResult listed =
        testing::RunProgram(testing::BuiltProgram("tessel"), {"stores", "--json"}, "", root,
                            {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "HOME=" + root});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const auto stores = nlohmann::json::parse(listed.out);
    const auto used = std::find_if(stores.begin(), stores.end(),
                                   [](const auto& store) { return store["inUse"] == true; });
    ASSERT_NE(used, stores.end()) << listed.out;
    EXPECT_EQ((*used)["store"], "chromium:" + root + "/.config/chromium/Default");
    EXPECT_EQ((*used)["chosenBy"], "default browser");
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

// Firefox keeps only UTF-8: tessel writes it so without being told, and says so.
TEST(StoreChoiceTest, TesselWritesFirefoxInUtf8ByItselfAndSaysSo) {
    Home home;
    const std::string boards = home.dir.Write(
        "boards.ini",
        "[z]\nname=雑談\nnickname=z\nurl=http://bbs.example.jp/z/bbs.cgi\nmode=Ferno-BBS\n");
    const std::string profile = home.dir.File(".mozilla/firefox/p.default-esr");
    const testing::ProcessResult result =
        testing::RunTessel({"--board-list", boards, "--cookie-store", "firefox:" + profile, "apply",
                            "z", "--name", "太郎"},
                           "", home.dir.Path().string());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "雑談\nDone.\n");
    EXPECT_EQ(result.err, "tessel: cookie store: Firefox " + profile + "/cookies.sqlite (UTF-8)\n");
}

// A keyring holding both Chrome's and Chromium's passwords, in a private session bus: a Chrome
// profile named as Chromium's gets its value under Chrome's password, the one its values prove.
TEST(StoreChoiceTest, ValueWrittenIntoChromeProfileDecryptsWithChromesKeyringPassword) {
    for (const char* tool : {"dbus-run-session", "gnome-keyring-daemon", "secret-tool"}) {
        if (access(("/usr/bin/" + std::string(tool)).c_str(), X_OK) != 0)
            GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
    }
    Home home;
    const std::string profile = home.dir.File(".config/google-chrome/Default");
    std::filesystem::create_directories(profile);
    testing::CreateChromiumDatabase(profile + "/Cookies");
    testing::SeedChromiumValue(profile + "/Cookies", "seed.example.jp", "v11", "chrome-secret");
    const std::string boards = home.dir.Write(
        "boards.ini",
        "[z]\nname=雑談\nnickname=z\nurl=http://bbs.example.jp/z/bbs.cgi\nmode=Ferno-BBS\n");
    std::filesystem::create_directories(home.dir.File("run"));
    std::filesystem::permissions(home.dir.File("run"), std::filesystem::perms::owner_all);
    const std::string keyring =
        "printf pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null && "
        "printf chromium-secret | secret-tool store --label=s application chromium && "
        "printf chrome-secret | secret-tool store --label=s application chrome && exec \"$@\"";
    const testing::ProcessResult result = testing::RunProgram(
        "/usr/bin/dbus-run-session",
        {"--", "sh", "-c", keyring, "sh", testing::BuiltProgram("tessel"), "--board-list", boards,
         "--cookie-store", "chromium:" + profile, "apply", "z", "--name", "taro"},
        "", home.dir.Path().string(),
        {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "DBUS_SESSION_BUS_ADDRESS",
         "HOME=" + home.dir.Path().string(), "XDG_RUNTIME_DIR=" + home.dir.File("run")});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const auto rows = testing::TestDatabase(profile + "/Cookies")
                          .Rows("SELECT encrypted_value FROM cookies WHERE name <> 's'");
    ASSERT_EQ(rows.size(), 1u);
    // Under Chrome's password, or v10, which needs none.
    ChromiumCipher chrome({"chrome"}, [](const std::string&) { return "chrome-secret"; });
    EXPECT_TRUE(chrome.Decrypt("bbs.example.jp", rows[0][0]));
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
    const std::string flatpak = ".var/app/org.chromium.Chromium/config/chromium";
    const struct {
        std::string folder, target;
        pid_t instance;  // a running flatpak instance's process; 0: none, -1: no runtime folder
        CookieProblem reason;  // kNone: not in use
    } cases[] = {
        {"chromium", LockTarget(getpid()), 0, CookieProblem::kChromiumRunning},
        {"chromium", LockTarget(999999999), 0, CookieProblem::kNone},  // stale: the process is gone
        {"chromium", "elsewhere.example-1", 0, CookieProblem::kChromiumElsewhere},
        // A snap's numbers are the host's.
        {"snap/chromium/common/chromium", LockTarget(999999999), 0, CookieProblem::kNone},
        // A flatpak's numbers are its sandbox's: its instances tell whether it runs.
        {flatpak, LockTarget(2), 0, CookieProblem::kNone},
        {flatpak, LockTarget(2), getpid(), CookieProblem::kFlatpakRunning},
        {flatpak, LockTarget(2), 999999999, CookieProblem::kNone},
        {flatpak, LockTarget(2), -1, CookieProblem::kFlatpakUnsure},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder + " " + c.target + " " + std::to_string(c.instance));
        testing::TempDir dir;
        std::filesystem::create_directories(dir.File(c.folder));
        std::filesystem::create_symlink(c.target, dir.File(c.folder + "/SingletonLock"));
        if (c.instance > 0) {
            std::filesystem::create_directories(dir.File("run/.flatpak/123"));
            dir.Write("run/.flatpak/123/info", "[Application]\nname=org.chromium.Chromium\n");
            dir.Write("run/.flatpak/123/bwrapinfo.json",
                      "{\"child-pid\": " + std::to_string(c.instance) + "}");
        }
        EXPECT_EQ(ChromiumProfileLock(dir.File(c.folder), "Chromium",
                                      c.instance < 0 ? "" : dir.File("run"))
                      .InUseReason()
                      .problem,
                  c.reason);
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
        for (const BrowserProfile& profile :
             FindBrowserProfiles(CookieStoreLocation::Kind::kFirefox, home.Variables())) {
            if (profile.isDefault)
                return profile.name;
        }
        return std::string();
    };
    EXPECT_EQ(defaultName(), "old");  // no installation names one
    home.dir.Write(".mozilla/firefox/installs.ini", "[4F96D1932A9F858E]\nDefault=p.default-esr\n");
    EXPECT_EQ(defaultName(), "default-esr");
    EXPECT_EQ(
        FindBrowserProfiles(CookieStoreLocation::Kind::kFirefox, home.Variables())[1].location.path,
        home.dir.File(".mozilla/firefox/p.default-esr"));
}

// Every place a browser keeps its profiles: each found as its kind under its browser's name, the
// first installation of a kind giving its default, and the form stores prints opening it again.
TEST(BrowserProfilesTest, EveryInstallationIsFoundAndNamedAsItOpens) {
    using Kind = CookieStoreLocation::Kind;
    const struct {
        std::string root;  // a Firefox root, or a user-data folder
        Kind kind;
        std::string browser;
    } cases[] = {
        {".mozilla/firefox", Kind::kFirefox, "Firefox"},
        {".config/mozilla/firefox", Kind::kFirefox, "Firefox"},
        {"snap/firefox/common/.mozilla/firefox", Kind::kFirefox, "Firefox (snap)"},
        {".var/app/org.mozilla.firefox/.mozilla/firefox", Kind::kFirefox, "Firefox (flatpak)"},
        {".var/app/org.mozilla.firefox/config/mozilla/firefox", Kind::kFirefox,
         "Firefox (flatpak)"},
        {".config/chromium", Kind::kChromium, "Chromium"},
        {"snap/chromium/common/chromium", Kind::kChromium, "Chromium (snap)"},
        {".var/app/org.chromium.Chromium/config/chromium", Kind::kChromium, "Chromium (flatpak)"},
        {".config/google-chrome", Kind::kChrome, "Google Chrome"},
        {".config/google-chrome-beta", Kind::kChrome, "Google Chrome Beta"},
        {".config/google-chrome-unstable", Kind::kChrome, "Google Chrome Dev"},
        {".var/app/com.google.Chrome/config/google-chrome", Kind::kChrome,
         "Google Chrome (flatpak)"},
        {".config/BraveSoftware/Brave-Browser", Kind::kBrave, "Brave"},
        {".config/microsoft-edge", Kind::kEdge, "Microsoft Edge"},
        {".config/vivaldi", Kind::kVivaldi, "Vivaldi"},
        {".config/opera", Kind::kOpera, "Opera"},
        {".var/app/com.opera.Opera/config/opera", Kind::kOpera, "Opera (flatpak)"},
    };
    Home home;  // with a Firefox profile where the first case puts its own
    std::filesystem::remove_all(home.dir.File(".config/chromium"));
    // Local State names a profile and says it was used last, which the browser opens next.
    const std::string state = R"({"profile": {"last_used": "Profile 1", "info_cache":
                                 {"Profile 1": {"name": "仕事", "active_time": 1800000000.5}}}})";
    for (const auto& c : cases) {
        // Opera keeps its one profile in the user-data folder itself.
        const std::string folder =
            home.dir.File(c.root + (c.kind == Kind::kFirefox ? "/p"
                                    : c.kind == Kind::kOpera ? ""
                                                             : "/Profile 1"));
        std::filesystem::create_directories(folder);
        if (c.kind == Kind::kFirefox) {
            home.dir.Write(c.root + "/profiles.ini",
                           "[Profile0]\nName=p\nIsRelative=1\nPath=p\nDefault=1\n");
            testing::CreateFirefoxDatabase(folder + "/cookies.sqlite");
        } else {
            home.dir.Write(c.root + "/Local State", state);
            testing::CreateChromiumDatabase(folder + "/Cookies");
        }
    }
    std::filesystem::remove(home.dir.File(".mozilla/firefox/installs.ini"));
    const std::vector<BrowserProfile> found = FindBrowserProfiles(home.Variables());
    ASSERT_EQ(found.size(), std::size(cases));
    for (std::size_t i = 0; i < found.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.root);
        EXPECT_EQ(std::tie(found[i].location.kind, found[i].browser), std::tie(c.kind, c.browser));
        EXPECT_EQ(found[i].isDefault, i == 0 || cases[i - 1].kind != c.kind);
        const bool named = c.kind != Kind::kFirefox && c.kind != Kind::kOpera;
        EXPECT_EQ(found[i].name, named ? "仕事" : c.kind == Kind::kOpera ? "Default" : "p");
        EXPECT_EQ(found[i].lastUsed, named ? 1800000000 : 0);
        // The form stores prints opens the profile; the kind alone opens the default.
        CookieFailure error;
        const auto opened = ResolveBrowserPaths(
            *ParseCookieStoreArgument(FormatCookieStoreArgument(found[i].location)).location,
            home.Variables(), error);
        ASSERT_TRUE(opened) << error.details.path;
        EXPECT_EQ(opened->database.rfind(home.dir.File(c.root), 0), 0u) << opened->database;
        if (found[i].isDefault) {
            EXPECT_EQ(ResolveBrowserPaths({c.kind, ""}, home.Variables(), error)->database,
                      opened->database);
            // A user-data folder names the profile the browser opens in it.
            if (c.kind != Kind::kFirefox) {
                EXPECT_EQ(
                    ResolveBrowserPaths({c.kind, home.dir.File(c.root)}, home.Variables(), error)
                        .value_or(BrowserPaths{})
                        .database,
                    opened->database);
            }
        }
    }
}

}  // namespace
}  // namespace tessel
