// Hostile files, each named after its fault: every one is read or refused with a reason, never
// crashes, and the largest are read within a bounded amount of memory.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>

#include "app/FailureText.h"
#include "posix/ChildProcess.h"
#include "posix/profile/PosixProfileFile.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "settings/CIniFile.h"
#include "settings/RuntimeError.h"
#include "support/AddressSanitizer.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using testing::TempDir;

// What a board-list reader makes of a file: "section:key=value,..." for each section, values cut
// to 12 bytes; or why it refused.
std::string BoardListOutcome(const std::string& path) {
    PosixProfileFile profile;
    CIniFile ini(profile);
    try {
        if (!ini.Load(path))
            return "refused: " + profile.LastFailure();
    } catch (const RuntimeError& error) {
        return std::string("refused: ") + error.what();
    }
    if (!profile.LastFailure().empty())
        return "refused: " + profile.LastFailure();
    std::string outcome;
    const std::size_t sections = ini.Sections().Count();
    for (std::size_t i = 1; i <= std::min<std::size_t>(sections, 3); ++i) {
        ini.NowSection(ini.Sections().Item(i));
        outcome += "[" + ini.NowSection() + "]";
        for (std::size_t k = 1; k <= ini.Keys().Count(); ++k)
            outcome += ini.Keys().Item(k) + "=" + ini.Data(ini.Keys().Item(k)).substr(0, 12) + ";";
    }
    return sections > 3 ? outcome + "... " + std::to_string(sections) + " sections" : outcome;
}

// The cookie text a jar gives for the board, or why it refused.
std::string JarOutcome(const std::string& path) {
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    NetscapeCookieJar jar(path, clock);
    const auto text = jar.InternetGetCookie("http://bbs.example.jp/", "n");
    return text ? *text : "refused: " + FailureText(jar.LastFailure());
}

// The fixtures, then files too large to keep in the repository and files that kernel32 (under
// wine) reads otherwise and so stay out of the fixtures every reader is compared on, made here.
TEST(HostileInputTest, EveryHostileFileIsReadOrRefused) {
    TempDir dir;
    const struct {
        const char* file;
        std::string bytes;  // none for a fixture
        std::string (*read)(const std::string& path);
        const char* expected;
    } cases[] = {
        {"hostile_bom_utf32le.ini", {}, BoardListOutcome, "refused: UTF-32"},
        {"hostile_bom_utf32be.ini", {}, BoardListOutcome, "refused: UTF-32"},
        {"hostile_bom_utf7.ini", {}, BoardListOutcome, ""},   // a first line that is no header
        {"hostile_bom_twice.ini", {}, BoardListOutcome, ""},  // a first line that is no header
        {"hostile_truncated_utf8.ini",
         {},
         BoardListOutcome,
         "[a]k=\xE8\xAD\x8C\xEF\xBD\xA5\xE8\xAD\x8C;"},  // not UTF-8, so Windows-31J
        {"hostile_truncated_cp932.ini", {}, BoardListOutcome, "[a]k=日・;"},
        {"hostile_utf16le_lone_surrogate.ini", {}, BoardListOutcome, "[a]k=\xEF\xBF\xBD;"},
        {"hostile_invalid_utf8_forms.ini",
         {},
         BoardListOutcome,
         "[a]k=\xEF\xBE\x80\xEF\xBD\xAF\xE6\x81\x9D\xC2\x80\xEE;"},
        {"hostile_cr_only_no_final.ini", {}, BoardListOutcome, "[a]k=1;[b]k=2;"},
        {"nul_bytes.ini", {}, BoardListOutcome, "refused: 2 行目に NUL"},
        {"hostile_jar_cr_only.txt", {}, JarOutcome, ""},   // one line, and no cookie
        {"hostile_jar_utf8_bom.txt", {}, JarOutcome, ""},  // the first line is damaged
        {"hostile_jar_utf16_bom.txt", {}, JarOutcome, "refused: (cookies.txt) ではない"},
        {"hostile_jar_truncated_cp932.txt", {}, JarOutcome, ""},  // stored, but cannot be read
        {"hostile_jar_expiry_overflow.txt", {}, JarOutcome, "n=v"},
        {"huge_line.ini", "[a]\nk=" + std::string(20 << 20, 'x') + "\n[b]\nk=2\n", BoardListOutcome,
         "[a]k=xxxxxxxxxxxx;[b]k=2;"},
        {"bom_utf16be.ini", std::string("\xFE\xFF\0[\0a\0]\0\n\0k\0=\0\x31\0\n", 18),
         BoardListOutcome, "refused: UTF-16"},
        // A low surrogate alone, then half a code unit.
        {"utf16le_odd_length.ini", std::string("\xFF\xFE[\0a\0]\0\n\0k\0=\0\0\xDC\x41", 17),
         BoardListOutcome, "[a]k=\xEF\xBF\xBD\xEF\xBF\xBD;"},
        {"deep_brackets.ini", std::string(4 << 20, '['), BoardListOutcome, ""},
        {"huge_line.txt", std::string(20 << 20, '\t'), JarOutcome,
         "refused: (cookies.txt) ではない"},
        // Control bytes are looked for eight at a time, then one by one in the last few.
        {"crlf.txt", "bbs.example.jp\tFALSE\t/\tFALSE\t0\tn\tv\r\n", JarOutcome, "n=v"},
        {"escape_inside.txt", "bbs\x1B.example.jp\tFALSE\t/\tFALSE\t0\tn\tv\r\n", JarOutcome,
         "refused: (cookies.txt) ではない"},
        {"bell_last.txt", "bbs.example.jp\tFALSE\t/\tFALSE\t0\tn\tv\n\x07", JarOutcome,
         "refused: (cookies.txt) ではない"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path =
            c.bytes.empty() ? testing::DataFile(c.file) : dir.Write(c.file, c.bytes);
        const std::string outcome = c.read(path);
        const std::string expected = c.expected;
        // A refusal is matched by a part of its reason.
        if (expected.starts_with("refused: "))
            EXPECT_TRUE(outcome.starts_with("refused: ") &&
                        outcome.find(expected.substr(9)) != std::string::npos)
                << outcome;
        else
            EXPECT_EQ(outcome, expected);
    }
}

// A board list of 200,000 sections, read in a child whose address space is capped, so that a
// reader that copied the file per line would fail here.
TEST(HostileInputTest, TheLargestBoardListIsReadInBoundedMemory) {
#if defined(TESSEL_ADDRESS_SANITIZER)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the cap";
#else
    TempDir dir;
    std::string list;
    for (int i = 0; i < 200000; ++i)
        list += "[s" + std::to_string(i) + "]\nURL=http://bbs.example.jp/\n";
    const std::string listPath = dir.Write("TesselCustom.ini", list);
    list.clear();
    list.shrink_to_fit();

    constexpr rlim_t kCap = 640 << 20;
    const auto ran = testing::RunInChild(
        [] {
            const rlimit cap{kCap, kCap};
            return setrlimit(RLIMIT_AS, &cap) == 0;
        },
        [&] {
            const bool read = BoardListOutcome(listPath).ends_with("200000 sections");
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("peak resident memory: %ld MiB\n", usage.ru_maxrss >> 10);
            std::fflush(stdout);
            return read;
        });
    EXPECT_EQ(ran, true);
#endif
}

}  // namespace
}  // namespace tessel
