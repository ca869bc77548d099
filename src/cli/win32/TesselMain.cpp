// tessel.exe: the command-line companion of the TesselCustom window on Windows. The commands are
// portable; this file joins them to WinINet, kernel32's profile files and the console.
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
#include "win32/Win32Clock.h"
#include "win32/Win32JournalFile.h"
#include "win32/Win32ProfileFile.h"
#include "win32/WinInetCookieStore.h"

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

int Run(const cli::Invocation& invocation, const std::optional<std::string>& boardList,
        Console& console) {
    Win32Clock clock;
    WinInetCookieStore store;
    Win32ProfileFile profile;
    ModuleExecutable self;
    cli::CompanionExecutable executable(self);
    cli::NoMessages messages;
    cli::NoWindow window;
    mdlMain application(StartupServices{profile, store, clock, executable, messages, window},
                        boardList);
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
    UndoJournal journal{journalFile, kStoreIdentity, clock};
    cli::CommandContext context{
        *application.BBSList(),
        store,
        console.in,
        console.out,
        console.err,
        progress,
        [&] { return cli::PromptPassword(console.inBuffer, console.in, console.err); },
        "WinINet",
        &journal};
    return cli::RunCommand(invocation, context);
}

int Main(Console& console) {
    // WinINet is the only cookie store, so there is none to choose.
    const cli::ParsedCommandLine parsed =
        cli::ParseCommandLine(win32::CommandLineArguments(), kBoardListOption);
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
        // No user's board list to create here, and WinINet is the only store.
        cli::PlatformContext context{
            nullptr, parsed.shared.boardList, {}, console.out, console.err};
        return parsed.invocation.command->runAlone(parsed.invocation, context);
    }
    return Run(parsed.invocation, parsed.shared.boardList, console);
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
