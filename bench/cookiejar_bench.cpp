// The cookie jar at the size a long-used browser export reaches: 10,000 cookies. Measures one
// save of N boards (BeginWrites, N InternetSetCookie, CommitWrites, which includes reading the jar
// and one fsync'd replacement of the file), and one InternetGetCookie once the jar is parsed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "posix/desktop/SystemClock.h"
#include "posix/stores/NetscapeCookieJar.h"

namespace {

constexpr int kJarCookies = 10'000;

std::string BoardUrl(int board) {
    return "http://bbs" + std::to_string(board % 2'500) + ".example.jp/cgi-bin/board" +
           std::to_string(board) + "/bbs.cgi";
}

// A jar of kJarCookies cookies over 2,500 hosts, written once per run.
const std::string& JarBytes() {
    static const std::string bytes = [] {
        std::string text = "# Netscape HTTP Cookie File\n";
        for (int i = 0; i < kJarCookies; ++i) {
            const std::string url = BoardUrl(i);
            text += "bbs" + std::to_string(i % 2'500) + ".example.jp\tFALSE\t/cgi-bin/board" +
                    std::to_string(i) + "/\tFALSE\t1806829623\t" + url +
                    "\t\x91\xBE\x98\x59,,,,20,0,1,0,30\n";
        }
        return text;
    }();
    return bytes;
}

std::string JarPath() {
    return (std::filesystem::temp_directory_path() /
            ("tessel-cookiejar-bench-" + std::to_string(getpid()) + ".txt"))
        .string();
}

void WriteJar(const std::string& path) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << JarBytes();
}

void RemoveJar(const std::string& path) {
    std::filesystem::remove(path);
    std::filesystem::remove(path + ".lock");
}

// Half the boards already have a cookie in the jar (replaced in place), half are new (appended).
void BM_SaveBoards(benchmark::State& state) {
    const int boards = static_cast<int>(state.range(0));
    const std::string path = JarPath();
    tessel::SystemClock clock;
    const std::string data = "太郎,,,,20,0,1,0,30; expires=Sun, 04-Apr-2027 09:07:03 GMT";
    for (auto _ : state) {
        state.PauseTiming();
        WriteJar(path);
        state.ResumeTiming();
        tessel::NetscapeCookieJar jar(path, clock);
        jar.BeginWrites();
        for (int board = 0; board < boards; ++board) {
            const std::string url = BoardUrl(board % 2 == 0 ? board : kJarCookies + board);
            if (!jar.InternetSetCookie(url, url, data))
                state.SkipWithError("set failed");
        }
        if (!jar.CommitWrites())
            state.SkipWithError("commit failed");
    }
    state.counters["boards_per_s"] = benchmark::Counter(
        static_cast<double>(boards), benchmark::Counter::kIsIterationInvariantRate);
    RemoveJar(path);
}
BENCHMARK(BM_SaveBoards)->Arg(100)->Arg(300)->Arg(1'000)->Unit(benchmark::kMillisecond);

// The same save without its constant part: the jar is read and locked before timing starts.
void BM_SetCookiesInOpenBatch(benchmark::State& state) {
    const int boards = static_cast<int>(state.range(0));
    const std::string path = JarPath();
    tessel::SystemClock clock;
    const std::string data = "太郎,,,,20,0,1,0,30; expires=Sun, 04-Apr-2027 09:07:03 GMT";
    std::vector<std::string> urls;
    for (int board = 0; board < boards; ++board) {
        urls.push_back(BoardUrl(board % 2 == 0 ? board : kJarCookies + board));
    }
    WriteJar(path);
    std::unique_ptr<tessel::NetscapeCookieJar> jar;
    for (auto _ : state) {
        state.PauseTiming();
        // The last pass's jar goes uncommitted, so each pass starts from the same file.
        jar = std::make_unique<tessel::NetscapeCookieJar>(path, clock);
        jar->BeginWrites();
        state.ResumeTiming();
        for (const std::string& url : urls) {
            if (!jar->InternetSetCookie(url, url, data))
                state.SkipWithError("set failed");
        }
    }
    jar.reset();
    RemoveJar(path);
}
BENCHMARK(BM_SetCookiesInOpenBatch)->Arg(100)->Arg(300)->Arg(1'000)->Unit(benchmark::kMicrosecond);

void BM_GetCookie(benchmark::State& state) {
    const std::string path = JarPath();
    WriteJar(path);
    tessel::SystemClock clock;
    tessel::NetscapeCookieJar jar(path, clock);
    const std::string url = BoardUrl(4'321);
    if (!jar.InternetGetCookie(url, ""))
        state.SkipWithError("read failed");  // parses the jar
    for (auto _ : state)
        benchmark::DoNotOptimize(jar.InternetGetCookie(url, ""));
    RemoveJar(path);
}
BENCHMARK(BM_GetCookie)->Unit(benchmark::kMicrosecond);

// The first read: the whole jar is parsed and indexed.
void BM_FirstGetCookie(benchmark::State& state) {
    const std::string path = JarPath();
    WriteJar(path);
    tessel::SystemClock clock;
    const std::string url = BoardUrl(4'321);
    for (auto _ : state) {
        tessel::NetscapeCookieJar jar(path, clock);
        benchmark::DoNotOptimize(jar.InternetGetCookie(url, ""));
    }
    RemoveJar(path);
}
BENCHMARK(BM_FirstGetCookie)->Unit(benchmark::kMillisecond);

}  // namespace
