// A console front end until the window exists: loads the board list beside the executable (or
// the one named by --board-list) and prints its boards.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include "posix/PosixProfileFile.h"
#include "settings/CIniFile.h"
#include "settings/RuntimeError.h"

namespace {

std::string DefaultBoardList() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "TesselCustom.ini";
    const std::filesystem::path exe(std::string(path, static_cast<std::size_t>(length)));
    return (exe.parent_path() / exe.stem()).string() + ".ini";
}

}  // namespace

int main(int argc, char** argv) {
    std::string boardList = DefaultBoardList();
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--board-list")
            boardList = argv[i + 1];
    }

    tessel::PosixProfileFile profile;
    tessel::CIniFile ini(profile);
    try {
        ini.Load(boardList);
    } catch (const tessel::RuntimeError&) {
        std::fprintf(stderr, "設定ファイルをロードできませんでした。\n");
        return 1;
    }
    std::printf("%s\n", boardList.c_str());
    for (const std::string& section : ini.Sections()) {
        ini.NowSection(section);
        std::printf("%-10s %-20s %-18s %s\n", ini.Data("nickname").c_str(),
                    ini.Data("name").c_str(), ini.Data("mode").c_str(), ini.Data("url").c_str());
    }
    return 0;
}
