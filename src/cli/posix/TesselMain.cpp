// tessel: the command-line companion of the TesselCustom window. The commands themselves are
// portable; this file only joins them to the Linux platform and the terminal.
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Messages.h"
#include "app/mdlApp.h"
#include "app/mdlMain.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/HeadlessStartup.h"
#include "cli/Translate.h"
#include "cli/commands/CommandTable.h"
#include "cli/posix/TerminalPassword.h"
#include "cli/terminal/ProgressBar.h"
#include "cli/terminal/TerminalSafeText.h"
#include "posix/browsers/LinuxBrowserStores.h"
#include "posix/desktop/PosixAppPlaces.h"
#include "posix/desktop/ProcExecutable.h"
#include "posix/desktop/SystemClock.h"
#include "posix/files/PosixJournalFile.h"
#include "posix/profile/PosixProfileFile.h"
#include "posix/stores/CookieStoreCatalog.h"
#include "posix/stores/PlatformOptions.h"
#include "posix/stores/StartingStore.h"

namespace tessel {

// The board list of the command run, left for the process's exit to take back. Outside the
// unnamed namespace so that the write to it stays and leak checkers find the list reachable.
mdlMain* boardsAtExit = nullptr;
// The heap's stretch below its huge pages, held for the process's life so that nothing later is
// placed there (see BackHeapWithHugePages).
void* heapBelowHugePages = nullptr;

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSEL_SANITIZER_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_SANITIZER_HEAP 1
#endif

// A command that reads the store touches a few megabytes of fresh heap: the jar as read, its
// index, the boards, the records and the journal's text. Faulted in 4 KB at a time that is about a
// thousand page faults, a millisecond on a virtual machine (a fifth of a large batch's own work);
// in 2 MB pages it is a handful. So the heap reserves its next stretch ahead (address space only),
// and the kernel is asked for huge pages from the first 2 MB boundary in it on. What the heap has
// below the boundary is taken up but for a small room, which start-up fills: a command that does
// little, --version say, touches no huge page. The read-ahead thread allocates from the same heap.
// Where huge pages are off or none is free, the kernel gives small pages as before.
void BackHeapWithHugePages() {
#ifndef TESSEL_SANITIZER_HEAP
    constexpr std::size_t kReach = 16 << 20;
    constexpr std::uintptr_t kHugePage = 2 << 20;
    constexpr std::uintptr_t kSmallRoom = 64 << 10;
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_TOP_PAD, kReach);
    // Before anything else the heap has no free chunk this large: the room comes from its top,
    // and the filler after it. Chunk headers stay within the margin, so that the filler ends, and
    // the heap's top begins, just below the boundary.
    constexpr std::uintptr_t kMargin = 128;
    void* const room = std::malloc(kSmallRoom);
    if (room == nullptr)
        return;
    const auto next = reinterpret_cast<std::uintptr_t>(room) + kSmallRoom + kMargin;
    const std::uintptr_t boundary = (next + kHugePage - 1) & ~(kHugePage - 1);
    heapBelowHugePages = std::malloc(boundary - next);
    std::free(room);
    // Only a heap that grew by the break, as glibc's does unless the break cannot move, ends
    // there: advice past a heap mapped elsewhere could reach other mappings.
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t top = end & ~(kHugePage - 1);
    if (heapBelowHugePages != nullptr && end > next && end - next <= kReach + 2 * kHugePage &&
        top > boundary)
        madvise(reinterpret_cast<void*>(boundary), top - boundary, MADV_HUGEPAGE);
#endif
}

const char* GetEnvironment(const char* name) {
    return std::getenv(name);
}

// Without --cookie-store, the store (and character set) chosen in the window, so that both work
// on the same cookies; without either, the default browser's, as the window starts with.
StartingStore StartWith(const SharedOptions& given, Clock& clock) {
    return ChooseStartingStore(given, GetEnvironment, OpenableBrowserStore(clock, GetEnvironment));
}

// How tessel stores names the reason; English for --json, translated for the text.
const char* ChosenBy(StoreChoiceReason reason) {
    constexpr const char* kReasons[] = {
        cli::TrLater("--cookie-store"),   cli::TrLater("remembered"),
        cli::TrLater("default browser"),  cli::TrLater("most recently used"),
        cli::TrLater("no browser found"),
    };
    return kReasons[static_cast<int>(reason)];
}

std::vector<cli::StoreListing> FindStores(const SharedOptions& given) {
    SystemClock clock;
    const StartingStore starting = StartWith(given, clock);
    const SharedOptions& options = starting.options;
    std::vector<cli::StoreListing> listings;
    for (const FoundStore& found :
         FindCookieStores(clock, ChosenCharset(options), GetEnvironment)) {
        listings.push_back({FormatCookieStoreArgument(found.location),
                            std::string(CookieStoreKindName(found.location.kind)),
                            found.browser,
                            found.name,
                            found.path,
                            found.isDefault,
                            found.lastUsed,
                            IsChosenStore(found, options.cookieStore),
                            {},
                            found.writable,
                            found.failure ? cli::FailureText(found.failure) : found.error});
        if (listings.back().inUse)
            listings.back().chosenBy = ChosenBy(starting.reason);
    }
    return listings;
}

// The commands that need neither the board list nor a store run before either is loaded.
int RunAlone(const cli::Invocation& invocation, const SharedOptions& options,
             ProcExecutable& self) {
    PosixAppPlaces places(self.Directory());
    cli::PlatformContext context{&places, options.boardList, [&] { return FindStores(options); },
                                 std::cout, std::cerr};
    return invocation.command->runAlone(invocation, context);
}

int Run(const cli::Invocation& invocation, const SharedOptions& given, ProcExecutable& self,
        std::ostream& rawErr) {
    SystemClock clock;
    const StartingStore starting = StartWith(given, clock);
    const bool remembered = starting.reason == StoreChoiceReason::kRemembered;
    const SharedOptions& options = starting.options;
    CookieFailure error;
    const std::unique_ptr<CookieStore> store = OpenCookieStore(options, clock, error, [] {
        if (isatty(STDERR_FILENO) == 1) {
            cli::Diagnose(std::cerr,
                          cli::Tr("waiting for another program to release the cookie store..."));
            std::cerr << std::flush;
        }
    });
    if (!store) {
        cli::Diagnose(std::cerr, cli::FailureText(error));
        if (remembered && options.cookieStore) {
            cli::Diagnose(std::cerr,
                          cli::Fill(cli::Tr("the store chosen in the window, %s, cannot be used: "
                                            "give --cookie-store"),
                                    {FormatCookieStoreArgument(*options.cookieStore)}));
        }
        return cli::kExitUsage;
    }
    PosixProfileFile profile;
    cli::CompanionExecutable executable(self);
    cli::NoMessages messages;
    cli::NoWindow window;
    auto application = std::make_unique<mdlMain>(
        StartupServices{profile, *store, clock, executable, messages, window}, options.boardList);
    PosixAppPlaces places(self.Directory());
    application->SearchBoardList(places);
    PosixJournalFile journalFile(UndoJournalPath(GetEnvironment));
    bool loaded;
    {
        // A command that reads cookies has its store read on the other processor while the
        // board list loads: on a large jar the two take about as long. Loading the list does not
        // touch the store. The batch the last write dropped from the undo journal is removed
        // beside them: a thread started as the write begins waits for that processor to wake,
        // and its removal then meets the write's own flushes.
        std::jthread prefetch;
        if (invocation.command->touchesCookies) {
            journalFile.ClearForgotten();
            prefetch = std::jthread([&store] {
                try {
                    store->Prefetch();
                } catch (const std::exception&) {
                    // The command's own first read meets the same failure and reports it.
                }
            });
        }
        loaded = application->LoadBBSList();
    }
    if (!loaded) {
        cli::Diagnose(std::cerr, cli::Tr("the board list could not be loaded."),
                      cli::BoardListFailureText(application->LoadFailure()));
        return cli::kExitUsage;
    }
    if (application->BoardListMissing()) {
        std::string looked;
        for (const std::string& place : application->PlacesLooked())
            looked += (looked.empty() ? "" : ", ") + place;
        cli::Diagnose(std::cerr,
                      cli::Fill(cli::Tr("no board list in %s; the list is empty ('tessel init' "
                                        "creates one)"),
                                {looked}));
    }
    // The bar draws with carriage returns of its own, so it writes past the filter.
    cli::ProgressBar progress(clock, rawErr, isatty(STDERR_FILENO) == 1);
    UndoJournal journal{journalFile, IdentifyCookieStore(options, *store), clock};
    cli::CommandContext context{*application->BBSList(),
                                *store,
                                std::cin,
                                std::cout,
                                std::cerr,
                                progress,
                                [] { return cli::PromptPassword(std::cin, std::cerr); },
                                NameCookieStore(options, *store),
                                &journal};
    const int exitCode = cli::RunCommand(invocation, context);
    if (WroteWithoutKeyring(*store)) {
        cli::Diagnose(std::cerr, cli::Tr("no keyring password proved itself on this profile: the "
                                         "values were written as v10, which every Chromium-family "
                                         "browser reads"));
    }
    // The board list ends with the process: freeing a long list board by board costs more than
    // anything tessel does after the command, and the exit takes its memory back anyway.
    boardsAtExit = application.release();
    return exitCode;
}

int Main(int argc, char** argv, std::ostream& rawErr) {
    ProcExecutable self;
    cli::InitTranslations(self.Directory());
    const cli::ParsedCommandLine parsed =
        cli::ParseCommandLine({argv, argv + argc}, kEverySharedOption);
    if (!parsed.error.empty())
        return cli::UsageError(std::cerr, parsed.error);
    if (parsed.invocation.help) {
        std::cout << cli::HelpText(parsed.invocation.command);
        return cli::kExitOk;
    }
    if (parsed.invocation.version) {
        const VersionResource version = self.Version();  // the window's: tessel ships with it
        std::cout << "tessel (" << version.productName << ") "
                  << mdlApp::GetVersionString(self, true) << '\n'
                  << version.legalCopyright << '\n';
        return cli::kExitOk;
    }
    if (parsed.invocation.command->runAlone != nullptr)
        return RunAlone(parsed.invocation, parsed.shared, self);
    return Run(parsed.invocation, parsed.shared, self, rawErr);
}

// Runs tessel with everything it prints made safe for a terminal (text from a board list, a
// cookie or an import file cannot act on it), and fails when standard output could not be
// written: a result lost on a full disk must not look like success.
int MainSafely(int argc, char** argv) {
    std::streambuf* const out = std::cout.rdbuf();
    std::streambuf* const err = std::cerr.rdbuf();
    std::ostream rawErr(err);
    int status;
    bool written;
    {
        cli::TerminalSafeBuffer safeOut(out);
        cli::TerminalSafeBuffer safeErr(err);
        std::cout.rdbuf(&safeOut);
        std::cerr.rdbuf(&safeErr);
        try {
            status = Main(argc, argv, rawErr);
        } catch (const std::exception& failure) {
            cli::Diagnose(std::cerr, failure.what());
            status = cli::kExitSomeFailed;
        }
        written = static_cast<bool>(std::cout.flush());
        std::cerr.flush();
        std::cout.rdbuf(out);  // which clears the stream's state
        std::cerr.rdbuf(err);
    }
    if (!written || !std::cout.flush()) {
        rawErr << "tessel: " << cli::Tr("cannot write to standard output") << '\n';
        return cli::kExitSomeFailed;
    }
    return status;
}

}  // namespace
}  // namespace tessel

int main(int argc, char** argv) {
    // tessel lives for one command: its large buffers (a jar, the jar rewritten, the journal's
    // batch) come from the heap and reuse what the one before freed, rather than each being
    // mapped, faulted in page by page and unmapped again.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    tessel::BackHeapWithHugePages();
    return tessel::MainSafely(argc, argv);
}
