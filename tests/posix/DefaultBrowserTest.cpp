#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "posix/desktop/DefaultBrowser.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using Packaging = DefaultBrowser::Packaging;

TEST(DefaultBrowserTest, NamesTheBrowserOfEachDesktopFileAndProgram) {
    struct Case {
        const char* id;
        const char* browser;  // empty: not a browser whose cookies we reach
        Packaging packaging = Packaging::kNative;
    };
    const Case cases[] = {
        {"firefox-esr.desktop", "firefox"},
        {"firefox_firefox.desktop", "firefox", Packaging::kSnap},
        {"org.mozilla.firefox.desktop", "firefox", Packaging::kFlatpak},
        {"/snap/bin/firefox", "firefox", Packaging::kSnap},
        {"chromium.desktop", "chromium"},
        {"chromium_chromium.desktop", "chromium", Packaging::kSnap},
        {"org.chromium.Chromium.desktop", "chromium", Packaging::kFlatpak},
        {"google-chrome-beta.desktop", "chrome"},
        {"com.google.Chrome.desktop", "chrome", Packaging::kFlatpak},
        {"/opt/google/chrome/google-chrome", "chrome"},
        {"brave-browser.desktop", "brave"},
        {"com.brave.Browser.desktop", "brave", Packaging::kFlatpak},
        {"microsoft-edge.desktop", "edge"},
        {"vivaldi-stable.desktop", "vivaldi"},
        {"opera.desktop", "opera"},
        {"brave-browser %s", "brave"},
        {"thunderbird.desktop", ""},
        {"w3m", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const auto found = BrowserNamedBy(c.id);
        ASSERT_EQ(found.has_value(), *c.browser != '\0');
        if (found) {
            EXPECT_EQ(found->browser, c.browser);
            EXPECT_EQ(found->packaging, c.packaging);
        }
    }
}

class FindDefaultBrowserTest : public ::testing::Test {
  protected:
    Environment Env() {
        return [this](const char* name) -> const char* {
            const auto found = variables.find(name);
            return found == variables.end() ? nullptr : found->second.c_str();
        };
    }
    void List(const std::string& folder, const std::string& name, const std::string& text) {
        std::filesystem::create_directories(dir.File(folder));
        dir.Write(folder + "/" + name, text);
    }
    std::string Found() {
        const auto browser = FindDefaultBrowser(Env(), dir.File("x-www-browser"));
        return browser ? browser->browser : "";
    }

    testing::TempDir dir;
    std::map<std::string, std::string> variables{
        {"HOME", dir.File("home")},
        {"XDG_CONFIG_DIRS", dir.File("etc")},
        {"XDG_DATA_DIRS", dir.File("share")},
    };
};

TEST_F(FindDefaultBrowserTest, FollowsTheMimeappsListsInTheirOrderOfPrecedence) {
    EXPECT_EQ(Found(), "");
    List("share/applications", "mimeapps.list",
         "[Default Applications]\nx-scheme-handler/http=opera.desktop\n");
    EXPECT_EQ(Found(), "opera");
    List("home/.local/share/applications", "mimeapps.list",
         "[Default Applications]\nx-scheme-handler/http=vivaldi-stable.desktop\n");
    EXPECT_EQ(Found(), "vivaldi");
    // Another group's association, or another scheme's, is no default.
    List("home/.config", "mimeapps.list",
         "[Added Associations]\nx-scheme-handler/http=brave-browser.desktop;\n"
         "[Default Applications]\nx-scheme-handler/https=brave-browser.desktop;\n"
         "x-scheme-handler/http = chromium.desktop;firefox-esr.desktop;\n");
    EXPECT_EQ(Found(), "chromium");
    variables["XDG_CURRENT_DESKTOP"] = "ubuntu:GNOME";
    List("home/.config", "gnome-mimeapps.list",
         "[Default Applications]\nx-scheme-handler/http=firefox_firefox.desktop\n");
    EXPECT_EQ(Found(), "firefox");
}

TEST_F(FindDefaultBrowserTest, FallsBackToTheAlternativeThenToTheBrowserVariable) {
    variables["BROWSER"] = "w3m:brave-browser";
    EXPECT_EQ(Found(), "brave");
    std::filesystem::create_symlink("/usr/bin/chromium", dir.File("x-www-browser"));
    EXPECT_EQ(Found(), "chromium");
    // A handler that is no browser of ours leaves the choice to the next source.
    List("home/.config", "mimeapps.list",
         "[Default Applications]\nx-scheme-handler/http=w3m.desktop\n");
    EXPECT_EQ(Found(), "chromium");
}

}  // namespace
}  // namespace tessel
