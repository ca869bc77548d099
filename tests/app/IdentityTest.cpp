#include <gtest/gtest.h>

#include "app/mdlApp.h"
#include "support/FakeAppHost.h"

namespace tessel {
namespace {

struct VersionCase {
    std::uint16_t major, minor, revision;
    const char* shortText;
    const char* longText;
};

TEST(IdentityTest, TitleAndVersionTextsFillButNeverCutAndThePathEndsWithOneSeparator) {
    const VersionCase cases[] = {
        {1, 1, 1, "Ver.1.01", "Ver.1.01.0001"},
        {1, 123, 12345, "Ver.1.123", "Ver.1.123.12345"},
        {0, 0, 0, "Ver.0.00", "Ver.0.00.0000"},
        {65535, 65535, 65535, "Ver.65535.65535", "Ver.65535.65535.65535"},
    };
    testing::FakeExecutable exe;
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.longText);
        exe.version.major = c.major;
        exe.version.minor = c.minor;
        exe.version.revision = c.revision;
        EXPECT_EQ(mdlApp::GetVersionString(exe, false), c.shortText);
        EXPECT_EQ(mdlApp::GetVersionString(exe, true), c.longText);
    }
    exe.version = {"TesselCustom", "(C) Test", 1, 1, 1};
    testing::RecordingMessages messages;
    EXPECT_EQ(mdlApp::GetAppTitle(exe), "TesselCustom Ver.1.01");
    mdlApp::ShowVersionInfo(exe, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "TesselCustom Ver.1.01.0001\r\n(C) Test");
    EXPECT_EQ(messages.shown[0].caption, "TesselCustom のバージョン情報");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::kInformation);
    exe.version.productName = "";
    EXPECT_EQ(mdlApp::GetAppTitle(exe), " Ver.1.01");
    // The application path always ends with one separator.
    EXPECT_EQ(mdlApp::AddPathSeparator("D:\\", '\\'), "D:\\");
    EXPECT_EQ(mdlApp::AddPathSeparator("D:\\a", '\\'), "D:\\a\\");
    EXPECT_EQ(mdlApp::AddPathSeparator("", '\\'), "\\");
    EXPECT_EQ(mdlApp::AddPathSeparator("/", '/'), "/");
    EXPECT_EQ(mdlApp::AddPathSeparator("/opt/tessel", '/'), "/opt/tessel/");
}

}  // namespace
}  // namespace tessel
