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

#include "app/FailureText.h"
#include "app/SharedOptions.h"
#include "app/mdlMain.h"
#include "cookies/ChosenCookieStore.h"
#include "win32/CommandLine.h"
#include "win32/ModuleExecutable.h"
#include "win32/ShellExecuteShell.h"
#include "win32/Win32Clock.h"
#include "win32/Win32JournalFile.h"
#include "win32/Win32ProfileFile.h"
#include "win32/browsers/WindowsStoreChooser.h"
#include "win32/gui/Win32WindowFactory.h"

namespace tessel {

void Win32MessageBox::ShowMessage(const std::string& text, const std::string& caption,
                                  MessageIcon icon) {
    ShowMessageBox(nullptr, text, caption, icon);
}

namespace {

// The window takes the shared options. Anything else on its command line is passed over, as is
// an option without a usable value: a window has no console to tell of it.
SharedOptions WindowOptions(const std::vector<std::string>& args) {
    SharedOptions options;
    std::string error;
    for (std::size_t i = 1; i < args.size(); ++i)
        TakeSharedOption(args, i, kEverySharedOption, options, error);
    return options;
}

// The store named on the command line, else the one chosen in an earlier run, else WinINet. A
// remembered store that cannot be opened (a profile since removed) gives way to WinINet, as the
// window has always written; a named one is refused with the reason (null).
std::unique_ptr<CookieStore> OpenChosenStore(SharedOptions& options, Clock& clock) {
    const bool named = options.cookieStore.has_value();
    if (!named) {
        options.cookieStore = LoadRememberedCookieStore();
        if (!options.charset)
            options.charset = LoadRememberedCookieCharset();
    }
    std::string error;
    if (auto store = OpenCookieStore(options, clock, error))
        return store;
    if (named) {
        ShowMessageBox(nullptr, "クッキーの保存先を開けません: " + error, "TesselCustom",
                       MessageIcon::kStop);
        return nullptr;
    }
    options = {options.boardList, std::nullopt, std::nullopt};
    return OpenCookieStore(options, clock, error);
}

std::string MenuText(const FoundStore& found) {
    std::string text = BrowserTitle(found.location.kind);
    if (!found.name.empty())
        text += "（" + found.name + "）";
    if (!found.location.path.empty())
        text += "  " + found.location.path;
    if (!found.writable)
        text += " — 書き込み不可: " + (found.failure ? FailureText(found.failure) : found.error);
    return text;
}

// The character sets a store can be written in, as the store menu offers them after the stores.
constexpr struct {
    const char* text;
    CookieCharset charset;
} kCharsetItems[] = {
    {"Shift_JIS（CP932）で保存(&J)", CookieCharset::kCp932},
    {"UTF-8 で保存(&U)", CookieCharset::kUtf8},
};

// Lets the window's menu switch the store and its character set (Firefox keeps only UTF-8), with
// the status bar following.
void ConnectStoreMenu(Win32MainWindow& window, WindowsStoreChooser& chooser, UndoJournal& journal) {
    auto found = std::make_shared<std::vector<FoundStore>>();
    window.SetStoreMenu(
        [&chooser, found] {
            *found = chooser.Stores();
            std::vector<Win32MainWindow::StoreMenuItem> items;
            for (const FoundStore& store : *found)
                items.push_back({MenuText(store), chooser.IsCurrent(store)});
            for (const auto& item : kCharsetItems) {
                items.push_back({item.text, chooser.Charset() == item.charset,
                                 chooser.CharsetChoosable(), items.size() == found->size()});
            }
            return items;
        },
        [&window, &chooser, &journal, found](std::size_t index) {
            std::string error;
            const bool chosen =
                index < found->size()
                    ? chooser.Choose(found->at(index), error)
                    : chooser.ChooseCharset(kCharsetItems[index - found->size()].charset, error);
            window.SetStoreDescription(chooser.Description());
            journal.store = chooser.Identity();
            if (!error.empty())
                window.ShowMessage(chosen ? error : "保存先を開けません: " + error, "TesselCustom",
                                   MessageIcon::kNone);
        });
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
    tessel::SharedOptions options = tessel::WindowOptions(tessel::win32::CommandLineArguments());
    std::unique_ptr<tessel::CookieStore> opened = tessel::OpenChosenStore(options, clock);
    if (!opened)
        return 2;
    tessel::ChosenCookieStore store(std::move(opened));
    tessel::WindowsStoreChooser chooser(store, clock, options);
    tessel::Win32ProfileFile profile;
    tessel::ModuleExecutable executable;
    tessel::Win32MessageBox messages;
    tessel::ShellExecuteShell shell;
    tessel::Win32WindowFactory windows(shell, chooser.Description());
    tessel::mdlMain application({profile, store, clock, executable, messages, windows},
                                options.boardList);
    tessel::Win32JournalFile journalFile;
    tessel::UndoJournal journal{journalFile, chooser.Identity(), clock};
    application.KeepUndoJournal(journal);
    if (!application.Main())
        return 0;
    tessel::ConnectStoreMenu(*windows.Window(), chooser, journal);
    tessel::ReportStartupWhenPainted(windows.Window()->Window());
    return tessel::MessageLoop(*windows.Window());
}
