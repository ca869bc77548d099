// TesselCustom's window on Windows. Starts in mdlMain::Main, which loads the board list and opens
// the window or says that the list could not be loaded; the message loop then runs while the
// window is open.
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/SharedOptions.h"
#include "app/mdlMain.h"
#include "win32/CommandLine.h"
#include "win32/ModuleExecutable.h"
#include "win32/ShellExecuteShell.h"
#include "win32/Win32Clock.h"
#include "win32/Win32JournalFile.h"
#include "win32/Win32ProfileFile.h"
#include "win32/WinInetCookieStore.h"
#include "win32/gui/Win32WindowFactory.h"

namespace tessel {

void Win32MessageBox::ShowMessage(const std::string& text, const std::string& caption,
                                  MessageIcon icon) {
    ShowMessageBox(nullptr, text, caption, icon);
}

namespace {

constexpr char kStoreDescription[] = "クッキーの保存先: WinINet";

// The window takes the board list of the shared options (WinINet is its only cookie store).
// Anything else on its command line is passed over, as is a --board-list without a file: a
// window has no console to tell of it.
std::optional<std::string> BoardListOption(const std::vector<std::string>& args) {
    SharedOptions options;
    std::string error;
    for (std::size_t i = 1; i < args.size(); ++i)
        TakeSharedOption(args, i, kBoardListOption, options, error);
    return options.boardList;
}

// With TESSEL_REPORT_STARTUP set, reports once the window has been painted and quits: the
// start-up benchmark's measuring point.
void ReportStartupWhenPainted(HWND window) {
    const wchar_t* report = _wgetenv(L"TESSEL_REPORT_STARTUP");
    if (window == nullptr || report == nullptr || *report == L'\0')
        return;
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::printf("painted\n");
    std::fflush(stdout);
    DestroyWindow(window);
}

int MessageLoop(Win32MainWindow& window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(window.Window(), window.Accelerators(), &message))
            continue;
        if (IsDialogMessageW(window.Window(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace
}  // namespace tessel

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    tessel::Win32Clock clock;
    tessel::WinInetCookieStore store;
    tessel::Win32ProfileFile profile;
    tessel::ModuleExecutable executable;
    tessel::Win32MessageBox messages;
    tessel::ShellExecuteShell shell;
    tessel::Win32WindowFactory windows(shell, tessel::kStoreDescription);
    tessel::mdlMain application({profile, store, clock, executable, messages, windows},
                                tessel::BoardListOption(tessel::win32::CommandLineArguments()));
    tessel::Win32JournalFile journalFile;
    tessel::UndoJournal journal{journalFile, tessel::kStoreIdentity, clock};
    application.KeepUndoJournal(journal);
    if (!application.Main())
        return 0;
    tessel::ReportStartupWhenPainted(windows.Window()->Window());
    return tessel::MessageLoop(*windows.Window());
}
