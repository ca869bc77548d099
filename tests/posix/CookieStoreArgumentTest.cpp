#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "posix/CookieCharset.h"
#include "posix/CookieStoreArgument.h"

namespace tessel {
namespace {

TEST(CookieStoreArgumentTest, NamesAStoreOrSaysWhatIsWrong) {
    using Kind = CookieStoreLocation::Kind;
    const struct {
        const char* text;
        std::optional<CookieStoreLocation> location;  // empty when the text is refused
        const char* errorPart;  // a piece of the message that points at the mistake
    } cases[] = {
        {"jar:/home/taro/cookies.txt", CookieStoreLocation{Kind::kJar, "/home/taro/cookies.txt"},
         ""},
        {"JAR:relative/c.txt", CookieStoreLocation{Kind::kJar, "relative/c.txt"}, ""},
        {"jar:C:x", CookieStoreLocation{Kind::kJar, "C:x"}, ""},  // the first colon separates
        {"jar", CookieStoreLocation{Kind::kJar, ""}, ""},
        {"firefox", CookieStoreLocation{Kind::kFirefox, ""}, ""},
        {"Firefox:/p/x.default", CookieStoreLocation{Kind::kFirefox, "/p/x.default"}, ""},
        {"chromium:/c", CookieStoreLocation{Kind::kChromium, "/c"}, ""},
        {"jar:", std::nullopt, "needs a path after the colon"},
        {"chromium:", std::nullopt, "needs a path after the colon"},
        {"/home/taro/cookies.txt", std::nullopt, "jar[:PATH]"},
        {"edge:x", std::nullopt, "unknown cookie store"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CookieStoreChoice choice = ParseCookieStoreArgument(c.text);
        EXPECT_EQ(choice.location, c.location);
        EXPECT_NE(choice.error.find(c.errorPart), std::string::npos) << choice.error;
        if (c.location) {
            EXPECT_EQ(ParseCookieStoreArgument(FormatCookieStoreArgument(*c.location)).location,
                      c.location);
        }
    }
}

TEST(CookieStoreArgumentTest, CharsetNamesIgnoreCase) {
    EXPECT_EQ(ParseCookieCharset("CP932").charset, CookieCharset::kCp932);
    EXPECT_EQ(ParseCookieCharset("Utf-8").charset, CookieCharset::kUtf8);
    for (const char* name : {"utf8", "sjis", ""}) {
        SCOPED_TRACE(name);
        const CookieCharsetChoice choice = ParseCookieCharset(name);
        EXPECT_FALSE(choice.charset);
        EXPECT_NE(choice.error.find("cp932 or utf-8"), std::string::npos);
    }
}

TEST(CookieStoreArgumentTest, DefaultJarFollowsXdgDataHome) {
    const struct {
        std::map<std::string, std::string> variables;
        std::string path;
    } cases[] = {
        {{{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/t"}}, "/data/TesselCustom/cookies.txt"},
        {{{"XDG_DATA_HOME", ""}, {"HOME", "/home/t"}},
         "/home/t/.local/share/TesselCustom/cookies.txt"},
        {{{"HOME", "/home/t"}}, "/home/t/.local/share/TesselCustom/cookies.txt"},
        // The XDG rules say a relative path is to be ignored.
        {{{"XDG_DATA_HOME", "data"}, {"HOME", "/home/t"}},
         "/home/t/.local/share/TesselCustom/cookies.txt"},
        {{{"HOME", ""}}, ""},
        {{}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto environment = [&](const char* name) -> const char* {
            const auto found = c.variables.find(name);
            return found == c.variables.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(DefaultCookieJarPath(environment), c.path);
    }
}

}  // namespace
}  // namespace tessel
