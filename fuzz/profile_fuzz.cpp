// The profile-file reader: the line splitter, the section writer and CIniFile::Load over a file.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "posix/profile/PosixProfileFile.h"
#include "posix/profile/ProfileDocument.h"
#include "settings/CIniFile.h"
#include "settings/RuntimeError.h"

using namespace tessel;

namespace {

// The text lines of the first section called name, as the reader finds them in a file of bytes.
std::vector<std::string> SectionLines(const std::string& bytes, const std::string& name) {
    static const std::string path = fuzz::ScratchPath("written.ini");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    PosixProfileFile profile;
    std::vector<char> buffer(bytes.size() * 3 + 2);  // room for any text in UTF-8
    std::string_view list(
        buffer.data(), profile.GetPrivateProfileSection(
                           name, buffer.data(), static_cast<std::uint32_t>(buffer.size()), path));
    std::vector<std::string> lines;
    for (std::size_t end; !list.empty(); list.remove_prefix(end + 1)) {
        end = std::min(list.find('\0'), list.size());
        lines.emplace_back(list.substr(0, end));
    }
    return lines;
}

void LoadThroughIniFile(const std::string& bytes) {
    static const std::string path = fuzz::ScratchPath("profile.ini");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    PosixProfileFile profile;
    CIniFile ini(profile);
    try {
        ini.Load(path);
    } catch (const RuntimeError&) {
        return;  // two sections of one name: refused by design
    }
    for (std::size_t i = 1; i <= ini.Sections().Count(); ++i) {
        ini.NowSection(ini.Sections().Item(i));
        for (std::size_t k = 1; k <= ini.Keys().Count(); ++k)
            ini.Data(ini.Keys().Item(k));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(fuzz::AsText(data, size));
    const ProfileDocument document(bytes);
    for (const ProfileLine& line : document.Lines())
        fuzz::Check(line.begin <= line.end && line.end <= bytes.size(), "line inside the file");

    const std::vector<std::string> written = {"key=値"};
    if (const auto updated = document.WithSection("fuzz", written))
        fuzz::Check(SectionLines(*updated, "fuzz") == written, "a written section reads back");

    LoadThroughIniFile(bytes);
    return 0;
}
