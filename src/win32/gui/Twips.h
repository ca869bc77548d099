#pragma once

#include <windows.h>

namespace tessel::win32 {

// Twips (1/1440 inch) to pixels at a window's DPI, so that the layout keeps its size in inches on
// every monitor.
UINT WindowDpi(HWND window);

inline int ToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}
inline int ToTwips(int pixels, UINT dpi) {
    return MulDiv(pixels, 1440, static_cast<int>(dpi));
}

}  // namespace tessel::win32
