// tessel.exe: the command-line companion of the TesselCustom window on Windows. The commands are
// portable; this file joins them to WinINet, kernel32's profile files and the console.
#include <windows.h>

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/Messages.h"
#include "app/mdlMain.h"
#include "cli/Commands.h"
#include "cli/CompanionExecutable.h"
#include "cli/HelpText.h"
#include "cli/ProgressBar.h"
#include "cli/UsageError.h"
#include "cli/win32/ConsolePassword.h"
#include "cli/win32/ConsoleStream.h"
#include "win32/CommandLine.h"
#include "win32/ModuleExecutable.h"
#include "win32/Win32Clock.h"
#include "win32/Win32ProfileFile.h"
#include "win32/WinInetCookieStore.h"

namespace tessel {
namespace {

// Start-up's services that only the window uses.
class NoMessages : public MessageBoxHost {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

class NoWindow : public MainWindowFactory {
  public:
    void OpenMainWindow(mdlMain&) override {}
};

// The one option of the platform on Windows: --board-list FILE (or --board-list=FILE). WinINet is
// the only cookie store, so there is nothing to choose there.
cli::ForeignOption TakeBoardList(const std::vector<std::string>& args, int& index,
                                 std::optional<std::string>& boardList, std::string& error) {
    constexpr std::string_view kName = "--board-list";
    const std::string_view arg = args[static_cast<std::size_t>(index)];
    if (arg == kName) {
        if (static_cast<std::size_t>(index) + 1 >= args.size()) {
            error = "--board-list needs a file name";
            return cli::ForeignOption::kError;
        }
        boardList = args[static_cast<std::size_t>(++index)];
        return cli::ForeignOption::kTaken;
    }
    if (arg.starts_with(kName) && arg.size() > kName.size() && arg[kName.size()] == '=') {
        boardList = std::string(arg.substr(kName.size() + 1));
        if (boardList->empty()) {
            error = "--board-list needs a file name";
            return cli::ForeignOption::kError;
        }
        return cli::ForeignOption::kTaken;
    }
    return cli::ForeignOption::kNotOurs;
}

struct Console {
    cli::ConsoleStream inBuffer{STD_INPUT_HANDLE};
    cli::ConsoleStream outBuffer{STD_OUTPUT_HANDLE};
    cli::ConsoleStream errBuffer{STD_ERROR_HANDLE};
    std::istream in{&inBuffer};
    std::ostream out{&outBuffer};
    std::ostream err{&errBuffer};
};

int Run(const cli::Invocation& invocation, const std::optional<std::string>& boardList,
        Console& console) {
    Win32Clock clock;
    WinInetCookieStore store;
    Win32ProfileFile profile;
    ModuleExecutable self;
    cli::CompanionExecutable executable(self);
    NoMessages messages;
    NoWindow window;
    mdlMain application(StartupServices{profile, store, clock, executable, messages, window},
                        boardList);
    if (!application.LoadBBSList()) {
        console.err << messages::kLoadFailed << '\n';
        return cli::kExitUsage;
    }
    cli::ProgressBar progress(clock, console.err, console.errBuffer.IsConsole());
    cli::CommandContext context{
        *application.BBSList(), store, console.in, console.out, console.err, progress, [&] {
            return cli::PromptPassword(console.inBuffer, console.in, console.err);
        }};
    return cli::RunCommand(invocation, context);
}

int Main(Console& console) {
    const std::vector<std::string> args = win32::CommandLineArguments();
    std::optional<std::string> boardList;
    const cli::ParsedCommandLine parsed =
        cli::ParseCommandLine(args, [&](int& index, std::string& error) {
            return TakeBoardList(args, index, boardList, error);
        });
    if (!parsed.error.empty())
        return cli::UsageError(console.err, parsed.error);
    if (parsed.invocation.help) {
        console.out << cli::HelpText(parsed.invocation.command);
        return cli::kExitOk;
    }
    return Run(parsed.invocation, boardList, console);
}

}  // namespace
}  // namespace tessel

int wmain(int, wchar_t**) {
    tessel::Console console;
    try {
        return tessel::Main(console);
    } catch (const std::exception& failure) {
        console.err << "tessel: " << failure.what() << '\n';
        return tessel::cli::kExitSomeFailed;
    }
}
