// The profile-file reader: the line splitter, the section writer and CIniFile::Load over a file.
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "posix/PosixProfileFile.h"
#include "posix/ProfileDocument.h"
#include "settings/CIniFile.h"
#include "settings/RuntimeError.h"
#include "settings/TextCase.h"

using namespace tessel;

namespace {

// The text lines of the first section called name, as a reader finds them.
std::vector<std::string> SectionLines(std::string_view bytes, std::string_view name) {
    std::vector<std::string> lines;
    int state = 0;  // 0 before the section, 1 inside, 2 after
    ProfileDocument::ForEachLine(bytes, [&](ProfileLine::Kind kind, std::string_view text) {
        if (kind == ProfileLine::Kind::kHeader)
            state = state == 0 && NamesEqualIgnoreCase(text, name) ? 1 : (state == 0 ? 0 : 2);
        else if (state == 1 && kind == ProfileLine::Kind::kText)
            lines.emplace_back(text);
    });
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
