// Drives TesselCustom.exe's window from another process with posted messages, as a user would:
//   gui_driver NAME   double-clicks the first board, types NAME, marks the first two boards and
//                     presses the update button, closing every message box on the way (their texts
//                     go to standard output)
//   gui_driver close  closes the window
// Exit status 1 when the window does not appear.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "win32/CommandLine.h"
#include "win32/WideText.h"

namespace {

// The window's control identifiers.
constexpr int kList = 10, kPostName = 11, kUpdate = 21;

HWND WaitForWindow(const wchar_t* className, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        if (HWND window = FindWindowW(className, nullptr))
            return window;
        Sleep(100);
    }
    return nullptr;
}

void Click(HWND window, int x, int y, bool twice) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(window, WM_LBUTTONUP, 0, at);
    }
    Sleep(300);
}

// A message box of the window's own thread, shown now; null when there is none.
HWND FindMessageBox(HWND main) {
    struct Search {
        DWORD thread;
        HWND found;
    } search{GetWindowThreadProcessId(main, nullptr), nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) == L"#32770" && IsWindowVisible(window) &&
                GetWindowThreadProcessId(window, nullptr) == s->thread) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Closes the message boxes the window shows within a moment, printing their texts.
void CloseMessageBoxes(HWND main) {
    for (;;) {
        HWND box = nullptr;
        for (int waited = 0; box == nullptr && waited < 1500; waited += 100) {
            box = FindMessageBox(main);
            if (box == nullptr)
                Sleep(100);
        }
        if (box == nullptr)
            return;
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        std::printf("message: %s\n", tessel::win32::Narrow(text).c_str());
        std::fflush(stdout);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        while (IsWindow(box) && IsWindowVisible(box))
            Sleep(50);
    }
}

int Drive(HWND main, const std::string& name) {
    HWND list = GetDlgItem(main, kList);
    RECT client{};
    GetClientRect(list, &client);
    const auto perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    const int rowHeight = perPage > 0 ? client.bottom / perPage : 16;

    Click(list, 40, rowHeight / 2, true);  // double-click the first board
    CloseMessageBoxes(main);
    HWND field = GetDlgItem(main, kPostName);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : tessel::win32::Widen(name))
        PostMessageW(field, WM_CHAR, c, 1);
    Sleep(300);
    for (int row = 0; row < 2; ++row)  // the check boxes stand at the rows' left
        Click(list, 9, row * rowHeight + rowHeight / 2, false);
    PostMessageW(GetDlgItem(main, kUpdate), BM_CLICK, 0, 0);
    CloseMessageBoxes(main);
    return 0;
}

}  // namespace

int main() {
    const auto args = tessel::win32::CommandLineArguments();
    HWND main = WaitForWindow(L"TesselCustomMainWindow", 30000);
    if (main == nullptr || args.size() != 2)
        return 1;
    if (args[1] == "close") {
        PostMessageW(main, WM_CLOSE, 0, 0);
        return 0;
    }
    return Drive(main, args[1]);
}
