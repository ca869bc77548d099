// tessel.exe: the command-line companion of the TesselCustom window on Windows. The commands are
// portable; this file joins them to the cookie stores, kernel32's profile files and the console.
#include <windows.h>

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "app/mdlApp.h"
#include "app/mdlMain.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/HeadlessStartup.h"
#include "cli/Translate.h"
#include "cli/commands/CommandTable.h"
#include "cli/terminal/ProgressBar.h"
#include "cli/terminal/TerminalSafeText.h"
#include "cli/win32/ConsolePassword.h"
#include "cli/win32/ConsoleStream.h"
#include "win32/CommandLine.h"
#include "win32/ModuleExecutable.h"
#include "win32/Win32AppPlaces.h"
#include "win32/Win32Clock.h"
#include "win32/Win32JournalFile.h"
#include "win32/Win32ProfileFile.h"
#include "win32/browsers/WindowsCookieStores.h"

namespace tessel {
namespace {

// The standard handles as UTF-8 streams; what tessel prints goes through the terminal-safe filter
// (text from a board list, a cookie or an import file cannot act on the console), except the
// progress bar, which draws with carriage returns of its own.
struct Console {
    cli::ConsoleStream inBuffer{STD_INPUT_HANDLE};
    cli::ConsoleStream outBuffer{STD_OUTPUT_HANDLE};
    cli::ConsoleStream errBuffer{STD_ERROR_HANDLE};
    cli::TerminalSafeBuffer safeOut{&outBuffer};
    cli::TerminalSafeBuffer safeErr{&errBuffer};
    std::istream in{&inBuffer};
    std::ostream out{&safeOut};
    std::ostream err{&safeErr};
    std::ostream rawErr{&errBuffer};
};

// Without --cookie-store, the store (and character set) chosen in the window, so that both work
// on the same cookies.
SharedOptions WithRememberedStore(SharedOptions options) {
    if (!options.cookieStore) {
        options.cookieStore = LoadRememberedCookieStore();
        if (!options.charset)
            options.charset = LoadRememberedCookieCharset();
    }
    return options;
}

std::vector<cli::StoreListing> FindStores(const SharedOptions& given) {
    const SharedOptions options = WithRememberedStore(given);
    // WinINet is the store when none was chosen, as the program has always written.
    const char* chosenBy = given.cookieStore     ? "--cookie-store"
                           : options.cookieStore ? "remembered"
                                                 : "default";
    Win32Clock clock;
    std::vector<cli::StoreListing> listings;
    for (const FoundStore& found : FindCookieStores(clock, ChosenCharset(options))) {
        const bool inUse = IsChosenStore(found, options.cookieStore);
        cli::StoreListing listing;
        listing.store = FormatCookieStoreArgument(found.location);
        listing.kind = std::string(CookieStoreKindName(found.location.kind));
        listing.browser = found.location.kind == CookieStoreLocation::Kind::kWinInet
                              ? std::string()
                              : BrowserTitle(found.location.kind);
        listing.name = found.name;
        listing.path = found.path;
        listing.isDefault = found.isDefault;
        listing.inUse = inUse;
        listing.chosenBy = inUse ? chosenBy : "";
        listing.writable = found.writable;
        listing.reason = found.failure ? cli::FailureText(found.failure) : found.error;
        listings.push_back(std::move(listing));
    }
    return listings;
}

int Run(const cli::Invocation& invocation, const SharedOptions& given, Console& console) {
    const bool remembered = !given.cookieStore;
    const SharedOptions options = WithRememberedStore(given);
    Win32Clock clock;
    std::string error;
    const std::unique_ptr<CookieStore> store = OpenCookieStore(options, clock, error);
    if (!store) {
        cli::Diagnose(console.err, error);
        if (remembered && options.cookieStore) {
            cli::Diagnose(console.err,
                          cli::Fill(cli::Tr("the store chosen in the window, %s, cannot be used: "
                                            "give --cookie-store"),
                                    {FormatCookieStoreArgument(*options.cookieStore)}));
        }
        return cli::kExitUsage;
    }
    Win32ProfileFile profile;
    ModuleExecutable self;
    cli::CompanionExecutable executable(self);
    cli::NoMessages messages;
    cli::NoWindow window;
    mdlMain application(StartupServices{profile, *store, clock, executable, messages, window},
                        options.boardList);
    if (!application.LoadBBSList()) {
        cli::Diagnose(console.err, cli::Tr("the board list could not be loaded."),
                      cli::BoardListFailureText(application.LoadFailure()));
        return cli::kExitUsage;
    }
    if (application.BoardListMissing()) {
        cli::Diagnose(console.err, cli::Fill(cli::Tr("no board list at %s; the list is empty"),
                                             {application.BoardListPath()}));
    }
    cli::ProgressBar progress(clock, console.rawErr, console.errBuffer.IsConsole());
    Win32JournalFile journalFile;
    UndoJournal journal{journalFile, IdentifyCookieStore(options, *store), clock};
    cli::CommandContext context{
        *application.BBSList(),
        *store,
        console.in,
        console.out,
        console.err,
        progress,
        [&] { return cli::PromptPassword(console.inBuffer, console.in, console.err); },
        NameCookieStore(options, *store),
        &journal};
    return cli::RunCommand(invocation, context);
}

int Main(Console& console) {
    const cli::ParsedCommandLine parsed =
        cli::ParseCommandLine(win32::CommandLineArguments(), kEverySharedOption);
    if (!parsed.error.empty())
        return cli::UsageError(console.err, parsed.error);
    if (parsed.invocation.help) {
        console.out << cli::HelpText(parsed.invocation.command);
        return cli::kExitOk;
    }
    if (parsed.invocation.version) {
        ModuleExecutable self;  // tessel carries the window's version resource
        const VersionResource version = self.Version();
        console.out << "tessel (" << version.productName << ") "
                    << mdlApp::GetVersionString(self, true) << '\n'
                    << version.legalCopyright << '\n';
        return cli::kExitOk;
    }
    if (parsed.invocation.command->runAlone != nullptr) {
        // The reader's own board list is the one beside the programs, which the package ships
        // from the sample; init makes another only where --board-list says.
        ModuleExecutable self;
        cli::CompanionExecutable executable(self);
        const std::string shipped = mdlApp::GetAppPath(executable) + executable.BaseName() + ".ini";
        Win32AppPlaces places(shipped);
        cli::PlatformContext context{&places, parsed.shared.boardList.value_or(shipped),
                                     [&] { return FindStores(parsed.shared); }, console.out,
                                     console.err};
        return parsed.invocation.command->runAlone(parsed.invocation, context);
    }
    return Run(parsed.invocation, parsed.shared, console);
}

}  // namespace
}  // namespace tessel

int wmain(int, wchar_t**) {
    tessel::cli::InitTranslations({});
    tessel::Console console;
    int status;
    try {
        status = tessel::Main(console);
    } catch (const std::exception& failure) {
        tessel::cli::Diagnose(console.err, failure.what());
        status = tessel::cli::kExitSomeFailed;
    }
    // A result lost on a full disk must not look like success.
    if (!console.out.flush()) {
        console.rawErr << "tessel: " << tessel::cli::Tr("cannot write to standard output") << '\n';
        return tessel::cli::kExitSomeFailed;
    }
    console.err.flush();
    return status;
}
