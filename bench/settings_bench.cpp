// Start-up cost of reading a board list: CIniFile::Load over the real profile-file layer, then one
// NowSection/Data pass over every section, as the board registry loader does; and the load alone.
//
// TESSEL_BENCH_FILE=path adds a benchmark over that file, so that a script can time another
// reader on exactly the same bytes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "posix/profile/PosixProfileFile.h"
#include "settings/CIniFile.h"

namespace {

std::string WriteBoardList(int sections) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("tessel-bench-" + std::to_string(sections) + ".ini");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const char* modes[] = {"Ferno-BBS", "Ferno-BBS Quill", "Ferno-BBS Harbor"};
    for (int i = 0; i < sections; ++i) {
        out << "[board" << i << "]\n"
            << "name=雑談掲示板 その" << i << "（みんなの広場）\n"
            << "nickname=雑談" << i << "\n"
            << "url=http://bbs" << i % 97 << ".example.jp/cgi-bin/bbs" << i << ".cgi\n"
            << "mode=" << modes[i % 3] << "\n"
            << "memo=毎週日曜日に更新\n\n";
    }
    return path.string();
}

void LoadAndReadEverySection(benchmark::State& state, const std::string& path) {
    std::size_t boards = 0;
    for (auto _ : state) {
        tessel::PosixProfileFile profile;  // a fresh reader: nothing cached from the last pass
        tessel::CIniFile ini(profile);
        ini.Load(path);
        boards = 0;
        for (const std::string& section : ini.Sections()) {
            ini.NowSection(section);
            benchmark::DoNotOptimize(ini.Data("name"));
            benchmark::DoNotOptimize(ini.Data("nickname"));
            benchmark::DoNotOptimize(ini.Data("url"));
            benchmark::DoNotOptimize(ini.Data("mode"));
            ++boards;
        }
    }
    state.counters["boards"] = static_cast<double>(boards);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * boards));
}

// CIniFile::Load alone: the file read once and every section's entries built.
void BM_IniLoadOnly(benchmark::State& state) {
    const std::string path = WriteBoardList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        tessel::PosixProfileFile profile;
        tessel::CIniFile ini(profile);
        ini.Load(path);
        benchmark::DoNotOptimize(ini.Sections().Count());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_IniLoadOnly)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_LoadBoardList(benchmark::State& state) {
    const std::string path = WriteBoardList(static_cast<int>(state.range(0)));
    LoadAndReadEverySection(state, path);
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadBoardList)
    ->Arg(1000)
    ->Arg(3277)
    ->Arg(10000)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (const char* file = std::getenv("TESSEL_BENCH_FILE")) {
        benchmark::RegisterBenchmark("BM_LoadBoardListFile", [path = std::string(file)](
                                                                 benchmark::State& state) {
            LoadAndReadEverySection(state, path);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
