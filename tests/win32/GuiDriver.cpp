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

// Closes the message boxes the window shows within a moment, printing their texts.
void CloseMessageBoxes() {
    while (HWND box = WaitForWindow(L"#32770", 1500)) {
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        std::printf("message: %s\n", tessel::win32::Narrow(text).c_str());
        std::fflush(stdout);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        Sleep(300);
    }
}

int Drive(HWND main, const std::string& name) {
    HWND list = GetDlgItem(main, kList);
    RECT client{};
    GetClientRect(list, &client);
    const auto perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    const int rowHeight = perPage > 0 ? client.bottom / perPage : 16;

    Click(list, 40, rowHeight / 2, true);  // double-click the first board
    CloseMessageBoxes();
    HWND field = GetDlgItem(main, kPostName);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : tessel::win32::Widen(name))
        PostMessageW(field, WM_CHAR, c, 1);
    Sleep(300);
    for (int row = 0; row < 2; ++row)  // the check boxes stand at the rows' left
        Click(list, 9, row * rowHeight + rowHeight / 2, false);
    PostMessageW(GetDlgItem(main, kUpdate), BM_CLICK, 0, 0);
    CloseMessageBoxes();
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
