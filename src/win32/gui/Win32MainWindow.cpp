#include "win32/gui/Win32MainWindow.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <cstdlib>

#include "app/frmMain.h"
#include "win32/WideText.h"
#include "win32/gui/ResourceIds.h"
#include "win32/gui/Twips.h"

namespace tessel {
namespace {

constexpr wchar_t kClassName[] = L"TesselCustomMainWindow";
// The client area of the layout, in twips; the status bar comes below it.
constexpr int kClientWidth = 9180, kClientHeight = 4785;
// Where the preference frame and its inner frames stand, in twips from the client's corner.
constexpr int kSettingLeft = 2940, kSettingTop = 0, kSettingWidth = 6195;
constexpr int kViewOrderLeft = kSettingLeft + 720, kViewOrderTop = kSettingTop + 3060;
constexpr int kViewOrderWidth = 1995;
constexpr int kNoReadLeft = kSettingLeft + 3600, kNoReadTop = kSettingTop + 3060;
constexpr int kNoReadWidth = 1695;
// A frame's border: what grows inside it stops this far from its edges.
constexpr int kFrameInset = 90;

enum ControlId {
    kList = 10,
    kFirstField = 11,  // the four text fields, in Field order
    kViewCount = 15,
    kDownloadCount = 16,
    kViewOrder0 = 17,
    kViewOrder1 = 18,
    kNoReadView1 = 19,
    kNoReadView0 = 20,
    kUpdate = 21,
    kStatus = 30,
};

RECT Box(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

bool IsEdit(HWND window) {
    wchar_t name[8] = {};
    GetClassNameW(window, name, 8);
    return lstrcmpiW(name, L"Edit") == 0;
}

// The message font of the system, as dialog boxes take it, at dpi.
HFONT MessageFont(UINT dpi) {
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi != nullptr &&
        forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi) != FALSE) {
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) != FALSE) {
        // Older systems give it at the screen's DPI.
        HDC screen = GetDC(nullptr);
        const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        LOGFONTW font = metrics.lfMessageFont;
        font.lfHeight =
            MulDiv(font.lfHeight, static_cast<int>(dpi), systemDpi > 0 ? systemDpi : 96);
        return CreateFontIndirectW(&font);
    }
    return CreateFontW(-MulDiv(9, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH, L"MS UI Gothic");
}

// The size of a text in a font (its access-key marker aside), and the font's line height.
SIZE TextSize(HWND window, HFONT font, const std::wstring& text) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    RECT rect{};
    DrawTextW(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {rect.right - rect.left, std::max<LONG>(rect.bottom - rect.top, metrics.tmHeight)};
}

// A text too wide for width pixels loses its middle to "…", so that both ends stay readable (a
// path's drive and file name).
std::wstring ElideMiddle(HWND window, HFONT font, const std::wstring& text, int width) {
    if (TextSize(window, font, text).cx <= width)
        return text;
    std::size_t low = 0, high = text.size();
    std::wstring best = L"…";
    while (low < high) {
        const std::size_t keep = (low + high + 1) / 2;
        std::wstring tried =
            text.substr(0, keep - keep / 2) + L"…" + text.substr(text.size() - keep / 2);
        if (TextSize(window, font, tried).cx <= width) {
            best = std::move(tried);
            low = keep;
        } else {
            high = keep - 1;
        }
    }
    return best;
}

// Turns the input method off when the field gets the focus: mail addresses and home pages are
// typed in ASCII.
LRESULT CALLBACK AsciiFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    if (message == WM_SETFOCUS) {
        if (HIMC context = ImmGetContext(window)) {
            ImmSetOpenStatus(context, FALSE);
            ImmReleaseContext(window, context);
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void RegisterClassOnce() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TESSEL));
        windowClass.hIconSm = static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TESSEL), IMAGE_ICON, 16, 16, 0));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

Win32MainWindow::Win32MainWindow(std::string storeDescription)
    : storeDescription_(win32::Widen(storeDescription)) {
    RegisterClassOnce();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // A fixed size: no sizing border and no maximise box.
    window_ = CreateWindowExW(
        WS_EX_CONTROLPARENT, kClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
        nullptr, LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)), instance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    dpi_ = win32::WindowDpi(window_);
    font_ = MessageFont(dpi_);
    BuildControls();
    Layout();
    // Twice: the first size was too narrow for the menu bar's one line.
    FitWindowToLayout();
    FitWindowToLayout();
}

Win32MainWindow::~Win32MainWindow() {
    if (IsWindow(window_))
        DestroyWindow(window_);
    for (const Placed& placed : placed_)
        DeleteObject(placed.font);
    DeleteObject(font_);
}

// Controls are made empty and placed by Layout, which knows the DPI and the font.
HWND Win32MainWindow::Add(const wchar_t* className, const std::wstring& text, DWORD style,
                          RECT twips, Fit fit, int id, DWORD exStyle, int least, int most) {
    HWND control = CreateWindowExW(
        exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    placed_.push_back({control, twips, least, most, fit});
    return control;
}

// Created in focus order, each frame before what it holds; positions are in twips.
void Win32MainWindow::BuildControls() {
    Add(L"STATIC", L"掲示板一覧(&L):", SS_CENTERIMAGE, Box(60, 60, 2775, 255), Fit::kRight, 0, 0,
        60, kSettingLeft);
    list_ = Add(
        WC_LISTVIEWW, L"",
        WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
        Box(60, 300, 2775, 4260), Fit::kNone, kList, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    ListView_InsertColumn(list_, 0, &column);
    SetWindowSubclass(list_, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));

    frame_ = Add(L"BUTTON", L"設定", BS_GROUPBOX,
                 Box(kSettingLeft, kSettingTop, kSettingWidth, 4725), Fit::kNone);
    constexpr int labelLeast = kSettingLeft + kFrameInset;
    const auto label = [&](const wchar_t* text, int left, int top, int width) {
        Add(L"STATIC", text, SS_RIGHT | SS_CENTERIMAGE,
            Box(kSettingLeft + left, kSettingTop + top, width, 180), Fit::kLeft, 0, 0, labelLeast);
    };
    const auto field = [&](const wchar_t* text, int labelLeft, int labelWidth, int top, int width,
                           Field which, DWORD style) {
        label(text, labelLeft, top + 60, labelWidth);
        fields_[static_cast<std::size_t>(which)] =
            Add(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | style,
                Box(kSettingLeft + 2250, kSettingTop + top, width, 315), Fit::kHeight,
                kFirstField + static_cast<int>(which), WS_EX_CLIENTEDGE);
    };
    field(L"名前(&N):", 1515, 630, 420, 2835, Field::kPostName, 0);
    field(L"メール(&M):", 1365, 780, 840, 2835, Field::kMail, 0);
    field(L"パスワード(&W):", 1050, 1095, 1260, 855, Field::kPassword, ES_PASSWORD);
    field(L"自分のホームページ(&H):", 300, 1845, 1680, 3570, Field::kHomePage, 0);
    HWND password = fields_[static_cast<std::size_t>(Field::kPassword)];
    SendMessageW(password, EM_SETPASSWORDCHAR, L'*', 0);
    // The typing limit; text the program sets is kept whole.
    SendMessageW(password, EM_LIMITTEXT, 8, 0);
    ImmAssociateContext(password, nullptr);  // no input method at all for the password
    SetWindowSubclass(fields_[static_cast<std::size_t>(Field::kMail)], AsciiFieldProc, 1, 0);
    SetWindowSubclass(fields_[static_cast<std::size_t>(Field::kHomePage)], AsciiFieldProc, 1, 0);

    label(L"1ページあたりの表示記事数(&V):", 990, 2220, 2415);
    viewCount_ = std::make_unique<Win32SpinButton>(window_, kViewCount, 0, 0, 735, 330);
    placed_.push_back({viewCount_->Window(), Box(kSettingLeft + 3540, kSettingTop + 2160, 735, 330),
                       0, 0, Fit::kNone});
    label(L"一度にダウンロードするログの記事数(&D):", 300, 2640, 3090);
    downloadCount_ = std::make_unique<Win32SpinButton>(window_, kDownloadCount, 0, 0, 735, 330);
    placed_.push_back({downloadCount_->Window(),
                       Box(kSettingLeft + 3540, kSettingTop + 2580, 735, 330), 0, 0, Fit::kNone});

    const auto option = [&](const wchar_t* text, DWORD style, int left, int top, int width, int id,
                            int most) {
        return Add(L"BUTTON", text, style | BS_AUTORADIOBUTTON, Box(left, top, width, 255),
                   Fit::kOption, id, 0, 0, most);
    };
    Add(L"BUTTON", L"表示順(&O)", BS_GROUPBOX,
        Box(kViewOrderLeft, kViewOrderTop, kViewOrderWidth, 1020), Fit::kNone);
    constexpr int viewOrderMost = kViewOrderLeft + kViewOrderWidth - kFrameInset;
    viewOrder_[0] = option(L"新しい → 古い(&1)", WS_TABSTOP | WS_GROUP, kViewOrderLeft + 180,
                           kViewOrderTop + 315, 1635, kViewOrder0, viewOrderMost);
    viewOrder_[1] = option(L"古い → 新しい(&2)", 0, kViewOrderLeft + 180, kViewOrderTop + 630, 1695,
                           kViewOrder1, viewOrderMost);
    Add(L"BUTTON", L"未読読み(&R)", BS_GROUPBOX | WS_GROUP,
        Box(kNoReadLeft, kNoReadTop, kNoReadWidth, 1020), Fit::kNone);
    constexpr int noReadMost = kNoReadLeft + kNoReadWidth - kFrameInset;
    noReadView_[1] = option(L"設定する(&3)", WS_TABSTOP | WS_GROUP, kNoReadLeft + 180,
                            kNoReadTop + 300, 1335, kNoReadView1, noReadMost);
    noReadView_[0] = option(L"設定しない(&4)", 0, kNoReadLeft + 180, kNoReadTop + 630, 1335,
                            kNoReadView0, noReadMost);
    update_ = Add(L"BUTTON", L"クッキー反映(&U)", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON,
                  Box(kSettingLeft + 4560, kSettingTop + 4200, 1455, 375), Fit::kButton, kUpdate, 0,
                  kSettingLeft + kFrameInset);
    SelectOption(OptionGroup::kViewOrder, 0);
    SelectOption(OptionGroup::kNoReadView, 0);

    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatus)),
                              GetModuleHandleW(nullptr), nullptr);
    // The whole of each part's text, which may be shown elided.
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, window_,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    for (UINT_PTR part = 0; part < 2; ++part) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = status_;
        tool.uId = part;
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// Places every control at this DPI in the message font. A text that does not fit its box in this
// font (a font wider or taller than the one the layout was drawn with) widens or heightens the
// box within its container, and only then takes a smaller size of the font.
void Win32MainWindow::Layout() {
    LOGFONTW base{};
    GetObjectW(font_, sizeof base, &base);
    const auto px = [this](int twips) { return win32::ToPixels(twips, dpi_); };
    for (Placed& placed : placed_) {
        RECT box{px(placed.twips.left), px(placed.twips.top), px(placed.twips.right),
                 px(placed.twips.bottom)};
        DeleteObject(placed.font);
        placed.font = nullptr;
        HFONT font = font_;
        if (placed.fit != Fit::kNone) {
            const std::wstring text = WindowText(placed.window);
            SIZE size = TextSize(placed.window, font, text);
            // The room a text needs beside it: an option's circle, a button's or edit's border.
            const bool option = placed.fit == Fit::kOption, button = placed.fit == Fit::kButton;
            const int extra = option ? px(300) : button ? px(240) : px(30);
            const int border = placed.fit == Fit::kHeight || button ? px(120) : 0;
            const int height = std::max<LONG>(box.bottom - box.top, size.cy + border);
            box.top -= (height - (box.bottom - box.top)) / 2;
            box.bottom = box.top + height;
            const int needed = size.cx + extra;
            const bool growsLeft = placed.fit == Fit::kLeft || button;
            if (growsLeft && needed > box.right - box.left)
                box.left = std::max<LONG>(px(placed.least), box.right - needed);
            if (!growsLeft && needed > box.right - box.left)
                box.right = std::min<LONG>(px(placed.most), box.left + needed);
            const int room = static_cast<int>(box.right - box.left);
            // Glyph widths do not follow the size exactly (hinting): one pixel smaller at a time.
            LOGFONTW smaller = base;
            while (placed.fit != Fit::kHeight && size.cx + extra > room &&
                   std::abs(smaller.lfHeight) > std::abs(base.lfHeight) / 2) {
                smaller.lfHeight += smaller.lfHeight < 0 ? 1 : -1;
                DeleteObject(placed.font);
                placed.font = font = CreateFontIndirectW(&smaller);
                size = TextSize(placed.window, font, text);
            }
        }
        SetWindowPos(placed.window, nullptr, box.left, box.top, box.right - box.left,
                     box.bottom - box.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(placed.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    viewCount_->Rescale(dpi_);
    downloadCount_->Rescale(dpi_);
    ListView_SetColumnWidth(list_, 0, px(2775 - 420));
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(status_, WM_SIZE, 0, 0);
}

// Makes the client area the layout's size plus the status bar, keeping the window's corner.
void Win32MainWindow::FitWindowToLayout() {
    RECT window{}, client{}, status{};
    GetWindowRect(window_, &window);
    GetClientRect(window_, &client);
    GetWindowRect(status_, &status);
    const int width =
        win32::ToPixels(kClientWidth, dpi_) + (window.right - window.left) - client.right;
    const int height = win32::ToPixels(kClientHeight, dpi_) + (status.bottom - status.top) +
                       (window.bottom - window.top) - client.bottom;
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(status_, WM_SIZE, 0, 0);
    ShowStatus();
}

void Win32MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    DeleteObject(font_);
    font_ = MessageFont(dpi_);
    Layout();
    FitWindowToLayout();
    FitWindowToLayout();
    InvalidateRect(window_, nullptr, TRUE);
}

// The status bar: the store in use, then the note. A note (a missing list, a count put in range)
// matters more than the store's name and takes the width it needs; what does not fit is elided in
// the middle and shown whole in the part's tooltip.
void Win32MainWindow::ShowStatus() {
    RECT client{};
    GetClientRect(status_, &client);
    const int width = client.right;
    const int padding = win32::ToPixels(240, dpi_);
    const auto needs = [&](const std::wstring& text) {
        return text.empty() ? 0 : static_cast<int>(TextSize(status_, font_, text).cx) + padding;
    };
    int first = std::min(needs(storeDescription_), width);
    if (const int note = needs(statusText_); note > 0)
        first = std::clamp(width - note, std::min(first, width / 5), first);
    const int parts[] = {first, -1};
    SendMessageW(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    const std::wstring* texts[] = {&storeDescription_, &statusText_};
    for (int part = 0; part < 2; ++part) {
        RECT rect{};
        SendMessageW(status_, SB_GETRECT, part, reinterpret_cast<LPARAM>(&rect));
        const std::wstring shown =
            ElideMiddle(status_, font_, *texts[part], rect.right - rect.left - padding / 2);
        SendMessageW(status_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(shown.c_str()));
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = status_;
        tool.uId = static_cast<UINT_PTR>(part);
        tool.rect = rect;
        tool.lpszText = const_cast<wchar_t*>(texts[part]->c_str());
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, win32::ToPixels(9180, dpi_));
}

LRESULT CALLBACK Win32MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self->OnMessage(message, wParam, lParam);
}

LRESULT CALLBACK Win32MainWindow::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_PAINT)
        reinterpret_cast<Win32MainWindow*>(self)->PaintListNotice();
    return result;
}

// The note of an empty list, drawn over its blank area.
void Win32MainWindow::PaintListNotice() {
    if (listNotice_.empty() || ListView_GetItemCount(list_) > 0)
        return;
    HDC dc = GetDC(list_);
    RECT area{};
    GetClientRect(list_, &area);
    InflateRect(&area, -win32::ToPixels(90, dpi_), -win32::ToPixels(90, dpi_));
    HGDIOBJ old = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, listNotice_.c_str(), -1, &area, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
}

LRESULT Win32MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == kList && header->code == NM_DBLCLK && logic_ != nullptr)
                logic_->lstBBSList_DblClick();
            return 0;
        }
        // The focus as a dialog box keeps it: the control that had it when the window was left
        // (for a message box, another window) gets it back when the window is active again.
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (HWND focus = GetFocus(); focus != nullptr && IsChild(window_, focus))
                    focus_ = focus;
            } else if (HIWORD(wParam) == 0) {
                RestoreFocus();
            }
            return 0;
        case WM_SETFOCUS:
            RestoreFocus();
            return 0;
        // Sent by the dialog navigation of the message loop: an access key of a label or a
        // frame, a group's arrows.
        case WM_NEXTDLGCTL:
            MoveFocus(wParam, lParam);
            return 0;
        case WM_INITMENUPOPUP:
            FillStoreMenu(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void Win32MainWindow::RestoreFocus() {
    HWND focus = focus_;
    if (focus == nullptr || !IsWindow(focus) || !IsWindowVisible(focus) ||
        !IsWindowEnabled(focus)) {
        focus = list_;
    }
    SetFocus(focus);
}

// lParam set: the focus goes to the window in wParam; else to the next (wParam zero) or previous
// control in the focus order. A text field reached so has its text selected, as in a dialog box.
void Win32MainWindow::MoveFocus(WPARAM wParam, LPARAM lParam) {
    HWND next = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                    : GetNextDlgTabItem(window_, GetFocus(), wParam != 0);
    if (next == nullptr)
        return;
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(next, EM_SETSEL, 0, -1);
    SetFocus(next);
}

// Enter, which the dialog navigation turns into IDOK: on the list it reads the current board (the
// row with the focus mark when none is selected), on the update button it presses it.
void Win32MainWindow::OnEnter() {
    HWND focus = GetFocus();
    if (focus == list_) {
        if (CurrentRow() < 0)
            SetCurrentRow(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
        logic_->lstBBSList_DblClick();
    } else if (focus == update_) {
        logic_->cmdUpdate_Click();
    }
}

void Win32MainWindow::MarkAllRows(bool marked) {
    for (int row = 0; row < ListView_GetItemCount(list_); ++row)
        ListView_SetCheckState(list_, row, marked);
}

void Win32MainWindow::OnCommand(WPARAM wParam, LPARAM) {
    if (logic_ == nullptr)
        return;
    const bool fromAccelerator = HIWORD(wParam) == 1;
    switch (LOWORD(wParam)) {
        case IDOK:
            OnEnter();
            break;
        case IDM_FILE_EDIT_LIST:
            if (editBoardList_)
                editBoardList_();
            break;
        case IDM_FILE_RELOAD_LIST:
            logic_->ReloadBoardList();
            break;
        case IDM_FILE_MARK_ALL:
            // In a text field Ctrl+A keeps its meaning there: all of the field's text.
            if (HWND focus = GetFocus(); fromAccelerator && IsEdit(focus))
                SendMessageW(focus, EM_SETSEL, 0, -1);
            else
                MarkAllRows(true);
            break;
        case IDM_FILE_UNDO:
            // In a text field Ctrl+Z keeps its meaning there: the field's own undo.
            if (HWND focus = GetFocus(); fromAccelerator && IsEdit(focus))
                SendMessageW(focus, EM_UNDO, 0, 0);
            else
                logic_->mnuFileUndo_Click();
            break;
        case IDM_FILE_UNMARK_ALL:
            MarkAllRows(false);
            break;
        case IDM_FILE_EXIT:
            logic_->mnuFileExit_Click();
            break;
        case IDM_HELP_HELP:
            logic_->mnuHelpHelp_Click();
            break;
        case IDM_HELP_VERINFO:
            logic_->mnuHelpVerInfo_Click();
            break;
        case IDM_UPDATE:
            logic_->cmdUpdate_Click();
            break;

        case kUpdate:
            if (HIWORD(wParam) == BN_CLICKED)
                logic_->cmdUpdate_Click();
            break;
        default:
            if (LOWORD(wParam) >= IDM_STORE_FIRST && LOWORD(wParam) <= IDM_STORE_LAST &&
                chooseStore_)
                chooseStore_(LOWORD(wParam) - IDM_STORE_FIRST);
            break;
    }
}

void Win32MainWindow::SetStoreMenu(StoreMenuSource source,
                                   std::function<void(std::size_t)> choose) {
    storeSource_ = std::move(source);
    chooseStore_ = std::move(choose);
}

void Win32MainWindow::SetStoreDescription(const std::string& text) {
    storeDescription_ = win32::Widen(text);
    ShowStatus();
}

// The store menu, the second of the menu bar, is made anew each time it opens: the stores found
// and whether each can be written change while the program runs.
void Win32MainWindow::FillStoreMenu(HMENU menu) {
    if (!storeSource_ || menu != GetSubMenu(GetMenu(window_), 1))
        return;
    while (GetMenuItemCount(menu) > 0)
        DeleteMenu(menu, 0, MF_BYPOSITION);
    const std::vector<StoreMenuItem> items = storeSource_();
    for (std::size_t i = 0; i < items.size() && IDM_STORE_FIRST + i <= IDM_STORE_LAST; ++i) {
        if (items[i].separatorBefore)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        const UINT flags = MF_STRING | (items[i].checked ? MF_CHECKED : MF_UNCHECKED) |
                           (items[i].enabled ? MF_ENABLED : MF_GRAYED);
        AppendMenuW(menu, flags, IDM_STORE_FIRST + i, win32::Widen(items[i].text).c_str());
    }
}

void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                    MessageIcon icon) {
    UINT flags = MB_OK;
    if (icon == MessageIcon::kStop)
        flags |= MB_ICONSTOP;
    else if (icon == MessageIcon::kInformation)
        flags |= MB_ICONINFORMATION;
    MessageBoxW(owner, win32::Widen(text).c_str(), win32::Widen(caption).c_str(), flags);
}

void Win32MainWindow::ShowMessage(const std::string& text, const std::string& caption,
                                  MessageIcon icon) {
    ShowMessageBox(window_, text, caption, icon);
}

void Win32MainWindow::SetWindowCaption(const std::string& text) {
    SetWindowTextW(window_, win32::Widen(text).c_str());
}

void Win32MainWindow::SetFrameCaption(const std::string& text) {
    SetWindowTextW(frame_, win32::Widen(text).c_str());
}

void Win32MainWindow::SetStatusText(const std::string& text) {
    statusText_ = win32::Widen(text);
    ShowStatus();
}

void Win32MainWindow::ShowListNotice(const std::string& text) {
    listNotice_ = win32::Widen(text);
    InvalidateRect(list_, nullptr, TRUE);
}

void Win32MainWindow::ClearRows() {
    ListView_DeleteAllItems(list_);
}

void Win32MainWindow::AddRow(const std::string& text) {
    std::wstring wide = win32::Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = wide.data();
    ListView_InsertItem(list_, &item);
}

std::int32_t Win32MainWindow::RowCount() {
    return ListView_GetItemCount(list_);
}

bool Win32MainWindow::IsRowMarked(std::int32_t row) {
    return ListView_GetCheckState(list_, row) != FALSE;
}

std::int32_t Win32MainWindow::CurrentRow() {
    return ListView_GetNextItem(list_, -1, LVNI_SELECTED);
}

// No current row leaves the focus mark on the first row, so that the keyboard has a row to mark
// with Space and to read with Enter.
void Win32MainWindow::SetCurrentRow(std::int32_t row) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0) {
        ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    } else if (ListView_GetItemCount(list_) > 0) {
        ListView_SetItemState(list_, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    }
}

std::string Win32MainWindow::Text(Field field) {
    return win32::Narrow(WindowText(fields_[static_cast<std::size_t>(field)]));
}

void Win32MainWindow::SetText(Field field, const std::string& text) {
    SetWindowTextW(fields_[static_cast<std::size_t>(field)], win32::Widen(text).c_str());
}

HWND Win32MainWindow::Option(OptionGroup group, std::int32_t index) const {
    if (index != 0 && index != 1)
        return nullptr;
    const auto& buttons = group == OptionGroup::kViewOrder ? viewOrder_ : noReadView_;
    return buttons[static_cast<std::size_t>(index)];
}

bool Win32MainWindow::IsOptionSelected(OptionGroup group, std::int32_t index) {
    HWND button = Option(group, index);
    return button != nullptr && SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32MainWindow::SelectOption(OptionGroup group, std::int32_t index) {
    HWND button = Option(group, index);
    if (button == nullptr)
        return;  // no button stands for such a value: the group stays as it is
    SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Option(group, 1 - index), BM_SETCHECK, BST_UNCHECKED, 0);
}

void Win32MainWindow::Close() {
    DestroyWindow(window_);
}

}  // namespace tessel
