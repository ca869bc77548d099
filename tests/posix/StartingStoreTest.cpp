#include <gtest/gtest.h>

#include <map>

#include "posix/stores/RememberedCookieStore.h"
#include "posix/stores/StartingStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using Kind = CookieStoreLocation::Kind;
using Reason = StoreChoiceReason;
using Packaging = DefaultBrowser::Packaging;

BrowserCandidate Candidate(Kind kind, std::string folder, bool isDefault, std::int64_t used) {
    const char* browser = kind == Kind::kFirefox ? "firefox" : "chromium";
    return {{kind, folder}, browser, folder, isDefault, used};
}

TEST(StartingStoreTest, TriesTheDefaultBrowsersDefaultProfileThenTheMostRecentlyUsed) {
    const std::string a = "/h/.mozilla/firefox/a", b = "/h/.mozilla/firefox/b",
                      snap = "/h/snap/chromium/common/chromium/Default",
                      native = "/h/.config/chromium/Default";
    const std::vector<BrowserCandidate> found = {
        Candidate(Kind::kFirefox, a, true, 100),
        Candidate(Kind::kFirefox, b, false, 300),
        Candidate(Kind::kChromium, snap, true, 200),
        Candidate(Kind::kChromium, native, true, 50),
    };
    using Order = std::vector<std::pair<std::string, Reason>>;
    const auto recent = Reason::kRecentBrowser, byDefault = Reason::kDefaultBrowser;
    const struct {
        std::optional<DefaultBrowser> browser;
        Order order;
    } cases[] = {
        {std::nullopt, {{b, recent}, {snap, recent}, {a, recent}, {native, recent}}},
        // The snap's own profile comes before the native one, and neither is tried twice.
        {DefaultBrowser{"chromium", Packaging::kSnap, ""},
         {{snap, byDefault}, {native, byDefault}, {b, recent}, {a, recent}}},
        {DefaultBrowser{"firefox", Packaging::kNative, ""},
         {{a, byDefault}, {b, recent}, {snap, recent}, {native, recent}}},
        {DefaultBrowser{"opera", Packaging::kNative, ""},
         {{b, recent}, {snap, recent}, {a, recent}, {native, recent}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.browser ? c.browser->browser : "no default browser");
        Order order;
        for (const auto& [candidate, reason] : CandidateOrder(found, c.browser))
            order.emplace_back(candidate.folder, reason);
        EXPECT_EQ(order, c.order);
    }
}

TEST(StartingStoreTest, TheGivenStoreComesFirstThenTheRememberedOneThenTheJar) {
    testing::TempDir dir;
    std::map<std::string, std::string> variables{{"HOME", dir.Path().string()}};
    const Environment environment = [&](const char* name) -> const char* {
        const auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    };
    const auto never = [](const BrowserCandidate&) { return false; };

    auto chosen = ChooseStartingStore({}, environment, never);
    EXPECT_EQ(chosen.reason, Reason::kNoBrowser);
    EXPECT_FALSE(chosen.options.cookieStore);
    // The window tells a choice it made by itself once for each store.
    EXPECT_TRUE(FirstTimeChosen(chosen, environment));
    EXPECT_FALSE(FirstTimeChosen(chosen, environment));
    StartingStore other = {chosen.options, Reason::kDefaultBrowser};
    other.options.cookieStore = CookieStoreLocation{Kind::kFirefox, "/p"};
    EXPECT_TRUE(FirstTimeChosen(other, environment));

    ASSERT_TRUE(RememberCookieStore({Kind::kFirefox, "/p"}, environment, CookieCharset::kUtf8));
    chosen = ChooseStartingStore({}, environment, never);
    EXPECT_EQ(chosen.reason, Reason::kRemembered);
    EXPECT_FALSE(FirstTimeChosen(chosen, environment));
    EXPECT_EQ(chosen.options.cookieStore, (CookieStoreLocation{Kind::kFirefox, "/p"}));
    EXPECT_EQ(chosen.options.charset, CookieCharset::kUtf8);

    SharedOptions given;
    given.cookieStore = CookieStoreLocation{Kind::kJar, "/j"};
    chosen = ChooseStartingStore(given, environment, never);
    EXPECT_EQ(chosen.reason, Reason::kGiven);
    EXPECT_EQ(chosen.options.cookieStore, given.cookieStore);
}

}  // namespace
}  // namespace tessel
