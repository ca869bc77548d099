// Tells where a control of TesselCustom.exe's window is on the screen, so that a test can click it
// with real mouse events whatever the font and DPI:
//   gui_locate ID      prints the screen position of the centre of the control with that identifier
//   gui_locate dpi N   tells the window it moved to a monitor of N dots per inch, as Windows does
//                      (wine has no monitors of different scales), and prints the window's new size
// Exit status 1 when the window or the control does not appear within 30 seconds.
#include <windows.h>

#include <cstdio>
#include <string>

#include "win32/CommandLine.h"

namespace {

HWND FindControl(int id) {
    for (int waited = 0; waited < 30000; waited += 100) {
        HWND main = FindWindowW(L"TesselCustomMainWindow", nullptr);
        if (HWND control = main != nullptr && id != 0 ? GetDlgItem(main, id) : main)
            return control;
        Sleep(100);
    }
    return nullptr;
}

}  // namespace

int main() {
    const auto args = tessel::win32::CommandLineArguments();
    if (args.size() == 3 && args[1] == "dpi") {
        HWND main = FindControl(0);
        if (main == nullptr)
            return 1;
        const int dpi = std::stoi(args[2]);
        RECT rect{};
        GetWindowRect(main, &rect);
        RECT suggested{rect.left, rect.top, rect.left + MulDiv(rect.right - rect.left, dpi, 96),
                       rect.top + MulDiv(rect.bottom - rect.top, dpi, 96)};
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(main, &rect);
        std::printf("%ld %ld\n", rect.right - rect.left, rect.bottom - rect.top);
        return 0;
    }
    HWND control = args.size() == 2 ? FindControl(std::stoi(args[1])) : nullptr;
    if (control == nullptr)
        return 1;
    RECT rect{};
    GetWindowRect(control, &rect);
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}
