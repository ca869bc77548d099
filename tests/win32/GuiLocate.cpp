// Tells where a control of TesselCustom.exe's window is on the screen, so that a test can click it
// with real mouse events whatever the font and DPI:
//   gui_locate ID   prints the screen position of the centre of the control with that identifier
// Exit status 1 when the window or the control does not appear within 30 seconds.
#include <windows.h>

#include <cstdio>
#include <string>

#include "win32/CommandLine.h"

int main() {
    const auto args = tessel::win32::CommandLineArguments();
    if (args.size() != 2)
        return 2;
    for (int waited = 0; waited < 30000; waited += 100) {
        HWND main = FindWindowW(L"TesselCustomMainWindow", nullptr);
        if (HWND control = main ? GetDlgItem(main, std::stoi(args[1])) : nullptr) {
            RECT rect{};
            GetWindowRect(control, &rect);
            std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}
