#include "win32/gui/Win32SpinButton.h"

#include <commctrl.h>

#include "controls/PropertyBag.h"
#include "win32/WideText.h"
#include "win32/gui/Twips.h"

namespace tessel {
namespace {

constexpr wchar_t kClassName[] = L"TesselSpinButton";
// The parts' design geometry, in twips.
constexpr int kTextHeight = 330, kSpinWidth = 195, kSpinHeight = 315;

std::int16_t ShiftState() {
    std::int16_t shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= 2;
    if (GetKeyState(VK_MENU) < 0)
        shift |= 4;
    return shift;
}

void RegisterClassOnce() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;  // replaced per window once it exists
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

Win32SpinButton::Win32SpinButton(HWND parent, int id, int left, int top, int width, int height)
    : logic_(*this) {
    RegisterClassOnce();
    const UINT dpi = dpi_ = win32::WindowDpi(parent);
    const auto px = [dpi](int twips) { return win32::ToPixels(twips, dpi); };
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_VISIBLE, px(left),
                              px(top), px(width), px(height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
    text_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT, 0, 0,
                            px(width - kSpinWidth), px(kTextHeight), window_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    spin_ = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT,
                            px(width - kSpinWidth), 0, px(kSpinWidth), px(kSpinHeight), window_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    SetScrollRange(spin_, SB_CTL, 0, 2, FALSE);
    SetScrollPos(spin_, SB_CTL, 1, TRUE);
    SetWindowSubclass(text_, PartProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(spin_, PartProc, 2, reinterpret_cast<DWORD_PTR>(this));
    // A run-time load: every setting at its default.
    logic_.UserControl_ReadProperties(PropertyBag(uSpinButton::kClassId));
    logic_.UserControl_Resize();
}

void Win32SpinButton::Rescale(UINT dpi) {
    dpi_ = dpi;
    const auto px = [dpi](int twips) { return win32::ToPixels(twips, dpi); };
    RECT text{};
    GetWindowRect(text_, &text);
    SetWindowPos(text_, nullptr, 0, 0, text.right - text.left, px(kTextHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(spin_, nullptr, 0, 0, px(kSpinWidth), px(kSpinHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    logic_.UserControl_Resize();
}

UINT Win32SpinButton::Dpi() const {
    return dpi_;
}

LRESULT CALLBACK Win32SpinButton::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = reinterpret_cast<Win32SpinButton*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE)
                self->logic_.Text_Change();
            return 0;
        case WM_VSCROLL:
            self->OnScroll(wParam);
            return 0;
        case WM_SETFONT:
            SendMessageW(self->text_, WM_SETFONT, wParam, lParam);
            return 0;
        case WM_SETFOCUS:
            SetFocus(self->text_);
            return 0;
        case WM_SIZE:
            self->logic_.UserControl_Resize();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// An arrow click moves the bar to 0 (upper) or 2 (lower); the logic steps and puts it back to 1.
void Win32SpinButton::OnScroll(WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case SB_LINEUP:
        case SB_PAGEUP:
            SetSpinValue(0);
            break;
        case SB_LINEDOWN:
        case SB_PAGEDOWN:
            SetSpinValue(2);
            break;
        default:
            break;
    }
}

LRESULT CALLBACK Win32SpinButton::PartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    return reinterpret_cast<Win32SpinButton*>(self)->OnPartMessage(window, message, wParam, lParam);
}

LRESULT Win32SpinButton::OnPartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam) {
    if (part == spin_) {
        if (message == WM_SETFOCUS) {
            logic_.Spin_GotFocus();
            return 0;
        }
        return DefSubclassProc(part, message, wParam, lParam);
    }
    switch (message) {
        case WM_CHAR: {
            if (wParam > 0x7FFF)
                return DefSubclassProc(part, message, wParam, lParam);
            auto key = static_cast<std::int16_t>(wParam);
            logic_.Text_KeyPress(key);
            return key == 0 ? 0 : DefSubclassProc(part, message, static_cast<WPARAM>(key), lParam);
        }
        case WM_KEYDOWN:
        case WM_KEYUP: {
            auto key = static_cast<std::int16_t>(wParam);
            if (message == WM_KEYDOWN)
                logic_.Text_KeyDown(key, ShiftState());
            else
                logic_.Text_KeyUp(key, ShiftState());
            return key == 0 ? 0 : DefSubclassProc(part, message, wParam, lParam);
        }
        case WM_SETFOCUS: {
            const LRESULT result = DefSubclassProc(part, message, wParam, lParam);
            logic_.Text_GotFocus();
            return result;
        }
        case WM_GETDLGCODE:
            // Up and Down belong to the control, not to the dialog navigation.
            return DefSubclassProc(part, message, wParam, lParam) | DLGC_WANTARROWS;
        default:
            return DefSubclassProc(part, message, wParam, lParam);
    }
}

std::int32_t Win32SpinButton::ScaleWidth() {
    RECT client{};
    GetClientRect(window_, &client);
    return win32::ToTwips(client.right, Dpi());
}

void Win32SpinButton::SetHeight(std::int32_t height) {
    RECT rect{};
    GetWindowRect(window_, &rect);
    SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, win32::ToPixels(height, Dpi()),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32SpinButton::Enabled() {
    return IsWindowEnabled(window_) != FALSE;
}
void Win32SpinButton::SetEnabled(bool enabled) {
    EnableWindow(window_, enabled);
}

std::string Win32SpinButton::Text() {
    const int length = GetWindowTextLengthW(text_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(text_, text.data(), length + 1)));
    return win32::Narrow(text);
}

void Win32SpinButton::SetText(const std::string& text) {
    if (text != Text())
        SetWindowTextW(text_, win32::Widen(text).c_str());  // EN_CHANGE comes before this returns
}

std::int32_t Win32SpinButton::SelStart() {
    DWORD start = 0;
    SendMessageW(text_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<std::int32_t>(start);
}

void Win32SpinButton::SetSelStart(std::int32_t start) {
    SendMessageW(text_, EM_SETSEL, start, start);
}

void Win32SpinButton::SetSelLength(std::int32_t length) {
    const std::int32_t start = SelStart();
    SendMessageW(text_, EM_SETSEL, start, start + length);
}

void Win32SpinButton::SetTextFocus() {
    SetFocus(text_);
}
void Win32SpinButton::SetTextEnabled(bool enabled) {
    EnableWindow(text_, enabled);
}

bool Win32SpinButton::TextLocked() {
    return (GetWindowLongPtrW(text_, GWL_STYLE) & ES_READONLY) != 0;
}
void Win32SpinButton::SetTextLocked(bool locked) {
    SendMessageW(text_, EM_SETREADONLY, locked, 0);
}

std::int32_t Win32SpinButton::TextWidth() {
    RECT rect{};
    GetWindowRect(text_, &rect);
    return win32::ToTwips(rect.right - rect.left, Dpi());
}

std::int32_t Win32SpinButton::TextHeight() {
    RECT rect{};
    GetWindowRect(text_, &rect);
    return win32::ToTwips(rect.bottom - rect.top, Dpi());
}

namespace {

bool MovePart(HWND part, std::int32_t left, std::int32_t top, std::int32_t width, UINT dpi) {
    if (width < 0)
        return false;
    RECT rect{};
    GetWindowRect(part, &rect);
    return MoveWindow(part, win32::ToPixels(left, dpi), win32::ToPixels(top, dpi),
                      win32::ToPixels(width, dpi), rect.bottom - rect.top, TRUE) != FALSE;
}

}  // namespace

bool Win32SpinButton::MoveText(std::int32_t left, std::int32_t top, std::int32_t width) {
    return MovePart(text_, left, top, width, Dpi());
}

std::int32_t Win32SpinButton::SpinValue() {
    return GetScrollPos(spin_, SB_CTL);
}

void Win32SpinButton::SetSpinValue(std::int32_t position) {
    if (position == SpinValue())
        return;
    SetScrollPos(spin_, SB_CTL, position, TRUE);
    logic_.Spin_Change();  // the host notifies before the set returns
}

void Win32SpinButton::SetSpinEnabled(bool enabled) {
    EnableWindow(spin_, enabled);
}

std::int32_t Win32SpinButton::SpinWidth() {
    RECT rect{};
    GetWindowRect(spin_, &rect);
    return win32::ToTwips(rect.right - rect.left, Dpi());
}

bool Win32SpinButton::MoveSpin(std::int32_t left, std::int32_t top, std::int32_t width) {
    return MovePart(spin_, left, top, width, Dpi());
}

}  // namespace tessel
