// The Linux profile reader, compiled for Windows, against kernel32's own functions under the same
// code page: over every board-list fixture both must give the same sections and lines, byte for
// byte, as the program sees them through the 8-bit functions.
#include <windows.h>
#undef GetPrivateProfileSectionNames
#undef GetPrivateProfileSection

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "posix/profile/ProfileDocument.h"
#include "support/TempDir.h"
#include "win32/WideText.h"

namespace tessel {
namespace {

// Section names in listing order, and each listed name's lines.
struct Sections {
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::string>> lines;
};

// The items of a NUL-separated list, each passed through convert.
template <typename Convert>
std::vector<std::string> SplitList(std::string_view list, Convert convert) {
    std::vector<std::string> items;
    for (std::size_t pos = 0, end; pos < list.size(); pos = end + 1) {
        end = list.find('\0', pos);
        items.push_back(convert(list.substr(pos, end - pos)));
    }
    return items;
}

// What a profile function places in a large buffer, as UTF-8 items.
template <typename Read>
std::vector<std::string> ReadList(Read read) {
    std::string buffer(1 << 16, '\0');
    buffer.resize(read(buffer.data(), static_cast<DWORD>(buffer.size())));
    return SplitList(buffer,
                     [](std::string_view item) { return win32::FromAnsi(std::string(item)); });
}

Sections FromKernel32(const std::string& file) {
    Sections sections;
    sections.names = ReadList([&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesA(buffer, size, file.c_str());
    });
    for (const std::string& name : sections.names) {
        std::string reason;
        const std::string ansi = win32::ToAnsi(name, reason).value_or(name);
        sections.lines[name] = ReadList([&](char* buffer, DWORD size) {
            return GetPrivateProfileSectionA(ansi.c_str(), buffer, size, file.c_str());
        });
    }
    return sections;
}

// Text as it comes through the 8-bit profile functions: in the ANSI code page, where a character
// the code page lacks has become "?".
std::string ThroughAnsi(std::string_view utf8) {
    const std::wstring wide = win32::Widen(utf8);
    std::string ansi(wide.size() * 2 + 1, '\0');
    ansi.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                            static_cast<int>(ansi.size()), nullptr, nullptr)));
    return win32::FromAnsi(ansi);
}

// What the Linux reader lists: every non-empty header in order, and the lines of the first
// section of each name (names compared without regard to ASCII letter case).
Sections FromLinuxReader(const std::string& bytes) {
    Sections sections;
    // Each header's name and where its section's texts begin, as the reader indexes them.
    std::vector<std::pair<std::string, std::size_t>> all{{"", 0}};
    const std::string texts =
        ProfileDocument::SectionTexts(bytes, [&](std::string_view name, std::size_t at) {
            all.emplace_back(ThroughAnsi(name), at);
            if (!name.empty())
                sections.names.push_back(ThroughAnsi(name));
        });
    for (const std::string& name : sections.names) {
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, all[i].first.c_str(), -1,
                               name.c_str(), -1) == CSTR_EQUAL) {
                const std::size_t end = i + 1 < all.size() ? all[i + 1].second : texts.size();
                sections.lines[name] =
                    SplitList(std::string_view(texts).substr(all[i].second, end - all[i].second),
                              ThroughAnsi);
                break;
            }
        }
    }
    return sections;
}

TEST(ProfileReaderDifferentialTest, LinuxReaderReadsEveryFixtureAsKernel32Does) {
    ASSERT_EQ(GetACP(), 932u) << "run under a Japanese locale (LC_ALL=ja_JP.UTF-8)";
    for (const auto& entry : std::filesystem::directory_iterator(testing::DataFile("."))) {
        if (entry.path().extension() != ".ini")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string bytes = testing::ReadBytes(entry.path().string());
        // Without a byte-order mark kernel32 reads every file in the ANSI code page, where the
        // Linux reader takes valid UTF-8 for UTF-8 (the encoding Linux board lists are written
        // in): such files are read differently on purpose.
        const DetectedEncoding encoding = DetectEncoding(bytes);
        if (encoding.encoding == Encoding::kUtf8 && encoding.bomSize == 0 &&
            std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; })) {
            continue;
        }
        const Sections windows = FromKernel32(entry.path().string());
        const Sections posixReader = FromLinuxReader(bytes);
        EXPECT_EQ(posixReader.names, windows.names);
        EXPECT_EQ(posixReader.lines, windows.lines);
    }
}

}  // namespace
}  // namespace tessel
