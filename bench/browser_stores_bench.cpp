// Applying one preference set to 1,000 boards, as "tessel apply --all" does (each board's cookie
// read, then written; one transaction), in a Firefox and a Chromium profile that already hold
// 10,000 cookies. Each pass opens a new store, as a run of the program does, so Chromium's pass
// includes the backup made before a session's first write.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "BrowserDatabases.h"
#include "app/BoardList.h"
#include "app/BoardWriteBatch.h"
#include "cookies/ChromiumCookieStore.h"
#include "cookies/FirefoxCookieStore.h"
#include "posix/browsers/ChromiumCipher.h"
#include "posix/charset/CharsetCookieCodec.h"
#include "posix/desktop/SystemClock.h"

namespace {

constexpr int kProfileCookies = 10'000;
constexpr int kBoards = 1'000;
const std::string kExpires = "; expires=Sun, 04-Apr-2027 09:07:03 GMT";

std::string BoardUrl(int board) {
    return "http://bbs" + std::to_string(board % 2'500) + ".example.jp/cgi-bin/board" +
           std::to_string(board) + "/bbs.cgi";
}

class NoLock : public tessel::BrowserLock {
  public:
    std::string InUseReason() override { return {}; }
};

struct Profile {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("tessel-browser-bench-" + std::to_string(getpid()));
    tessel::SystemClock clock;
    NoLock lock;
    tessel::ChromiumCipher cipher{{}, nullptr};
    tessel::CharsetCookieCodec codec{tessel::CookieCharset::kCp932};

    Profile() { std::filesystem::create_directories(dir); }
    ~Profile() { std::filesystem::remove_all(dir); }

    std::unique_ptr<tessel::CookieStore> Open(bool firefox) {
        if (firefox) {
            return std::make_unique<tessel::FirefoxCookieStore>((dir / "cookies.sqlite").string(),
                                                                clock, lock, true);
        }
        return std::make_unique<tessel::ChromiumCookieStore>((dir / "Cookies").string(), clock,
                                                             lock, cipher, codec);
    }

    // kProfileCookies cookies over 2,500 hosts; the first half of the boards already have one.
    bool Fill(bool firefox) {
        if (firefox)
            tessel::testing::CreateFirefoxDatabase((dir / "cookies.sqlite").string());
        else
            tessel::testing::CreateChromiumDatabase((dir / "Cookies").string());
        const std::unique_ptr<tessel::CookieStore> store = Open(firefox);
        store->BeginWrites();
        for (int i = 0; i < kProfileCookies; ++i) {
            const int board = i < kBoards / 2 ? i : kBoards + i;
            store->InternetSetCookie(BoardUrl(board), BoardUrl(board),
                                     "太郎,,,,20,0,1,0,30" + kExpires);
        }
        return store->CommitWrites();
    }
};

void ApplyToBoards(benchmark::State& state, bool firefox) {
    Profile profile;
    if (!profile.Fill(firefox)) {
        state.SkipWithError("could not fill the profile");
        return;
    }
    tessel::PreferenceChanges changes;
    changes.postName = "名無しさん";
    changes.viewCount = 40;
    std::vector<tessel::BoardUpdate> updates;
    for (int i = 0; i < kBoards; ++i)
        updates.push_back({static_cast<std::size_t>(i + 1), changes});
    tessel::NoProgress progress;
    for (auto _ : state) {
        const std::unique_ptr<tessel::CookieStore> store = profile.Open(firefox);
        tessel::BoardList boards;
        for (int i = 0; i < kBoards; ++i) {
            auto board = std::make_unique<tessel::CBBSData>(*store, profile.clock);
            board->URL(BoardUrl(i));
            boards.Add(std::move(board));
        }
        const tessel::BatchResult result =
            tessel::WriteBoards(boards, *store, updates, tessel::BatchRules{}, progress);
        if (!result.Succeeded())
            state.SkipWithError(store->LastFailure().reason.c_str());
    }
}

void BM_ApplyFirefox(benchmark::State& state) {
    ApplyToBoards(state, true);
}
void BM_ApplyChromium(benchmark::State& state) {
    ApplyToBoards(state, false);
}
BENCHMARK(BM_ApplyFirefox)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ApplyChromium)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
