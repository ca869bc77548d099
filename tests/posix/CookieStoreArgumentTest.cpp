#include <gtest/gtest.h>

#include <map>
#include <string>

#include "posix/CookieCharset.h"
#include "posix/CookieStoreArgument.h"

namespace tessel {
namespace {

TEST(CookieStoreArgumentTest, NamesAJarOrSaysWhatIsWrong) {
    const struct {
        const char* text;
        const char* path;       // nullptr when the text is refused
        const char* errorPart;  // a piece of the message that points at the mistake
    } cases[] = {
        {"jar:/home/taro/cookies.txt", "/home/taro/cookies.txt", ""},
        {"JAR:relative/c.txt", "relative/c.txt", ""},
        {"jar:C:x", "C:x", ""},  // only the first colon separates the kind
        {"jar:", nullptr, "needs a file path"},
        {"firefox:default", nullptr, "\"firefox\" is not supported"},
        {"chromium:", nullptr, "\"chromium\" is not supported"},
        {"/home/taro/cookies.txt", nullptr, "jar:PATH"},
        {":x", nullptr, "jar:PATH"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CookieStoreChoice choice = ParseCookieStoreArgument(c.text);
        if (c.path == nullptr) {
            EXPECT_FALSE(choice.location);
            EXPECT_NE(choice.error.find(c.errorPart), std::string::npos) << choice.error;
        } else {
            ASSERT_TRUE(choice.location) << choice.error;
            EXPECT_EQ(choice.location->path, c.path);
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
