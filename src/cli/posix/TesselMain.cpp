// tessel: the command-line companion of the TesselCustom window. The commands themselves are
// portable; this file only joins them to the Linux platform and the terminal.
#include <unistd.h>

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "app/mdlApp.h"
#include "app/mdlMain.h"
#include "cli/Commands.h"
#include "cli/CompanionExecutable.h"
#include "cli/HelpText.h"
#include "cli/ProgressBar.h"
#include "cli/UsageError.h"
#include "cli/posix/GettextTranslate.h"
#include "cli/posix/TerminalPassword.h"
#include "posix/PlatformOptions.h"
#include "posix/PosixProfileFile.h"
#include "posix/ProcExecutable.h"
#include "posix/SystemClock.h"

namespace tessel {
namespace {

// Start-up's services that only the window uses: loading the list shows no message and opens no
// window.
class NoMessages : public MessageBoxHost {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

class NoWindow : public MainWindowFactory {
  public:
    void OpenMainWindow(mdlMain&) override {}
};

cli::ForeignOption FromMatch(OptionMatch match) {
    switch (match) {
        case OptionMatch::kTaken:
            return cli::ForeignOption::kTaken;
        case OptionMatch::kError:
            return cli::ForeignOption::kError;
        case OptionMatch::kNotOurs:
            break;
    }
    return cli::ForeignOption::kNotOurs;
}

int Run(const cli::Invocation& invocation, const PlatformOptions& options) {
    SystemClock clock;
    std::string error;
    const std::unique_ptr<CookieStore> store = OpenCookieStore(options, clock, error);
    if (!store) {
        std::cerr << "tessel: " << error << '\n';
        return cli::kExitUsage;
    }
    PosixProfileFile profile;
    ProcExecutable self;
    cli::CompanionExecutable executable(self);
    NoMessages messages;
    NoWindow window;
    mdlMain application(StartupServices{profile, *store, clock, executable, messages, window},
                        options.boardList);
    if (!application.LoadBBSList()) {
        std::cerr << messages::kLoadFailed << '\n';
        return cli::kExitUsage;
    }
    cli::ProgressBar progress(clock, std::cerr, isatty(STDERR_FILENO) == 1);
    cli::CommandContext context{
        *application.BBSList(), *store, std::cin, std::cout, std::cerr, progress, [] {
            return cli::PromptPassword(std::cin, std::cerr);
        }};
    return cli::RunCommand(invocation, context);
}

int Main(int argc, char** argv) {
    {
        ProcExecutable self;
        cli::InitTranslations(self.Directory());
    }
    PlatformOptions options;
    const std::vector<std::string> args(argv, argv + argc);
    const cli::ParsedCommandLine parsed =
        cli::ParseCommandLine(args, [&](int& index, std::string& error) {
            return FromMatch(TakePlatformOption(argc, argv, index, options, error));
        });
    if (!parsed.error.empty())
        return cli::UsageError(std::cerr, parsed.error);
    if (parsed.invocation.help) {
        std::cout << cli::HelpText(parsed.invocation.command);
        return cli::kExitOk;
    }
    if (parsed.invocation.version) {
        ProcExecutable self;  // the window's identity: tessel ships with it
        const VersionResource version = self.Version();
        std::cout << "tessel (" << version.productName << ") "
                  << mdlApp::GetVersionString(self, true) << '\n'
                  << version.legalCopyright << '\n';
        return cli::kExitOk;
    }
    return Run(parsed.invocation, options);
}

}  // namespace
}  // namespace tessel

int main(int argc, char** argv) {
    try {
        return tessel::Main(argc, argv);
    } catch (const std::exception& failure) {
        std::cerr << "tessel: " << failure.what() << '\n';
        return tessel::cli::kExitSomeFailed;
    }
}
