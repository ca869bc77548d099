#include "win32/gui/Win32MainWindow.h"

#include <commctrl.h>
#include <imm.h>

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
constexpr int kSettingLeft = 2940, kSettingTop = 0;
constexpr int kViewOrderLeft = kSettingLeft + 720, kViewOrderTop = kSettingTop + 3060;
constexpr int kNoReadLeft = kSettingLeft + 3600, kNoReadTop = kSettingTop + 3060;
constexpr int kLabelSlack = 300;

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

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
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

}  // namespace

Win32MainWindow::Win32MainWindow(std::string storeDescription)
    : storeDescription_(win32::Widen(storeDescription)) {
    RegisterClassOnce();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // A fixed size: no sizing border and no maximise box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    window_ = CreateWindowExW(
        WS_EX_CONTROLPARENT, kClassName, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
        nullptr, LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)), instance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    dpi_ = win32::WindowDpi(window_);
    // 9 points of the Japanese user-interface face, at this window's DPI.
    font_ = CreateFontW(-MulDiv(9, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                        FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH, L"MS UI Gothic");
    BuildControls();

    RECT status{};
    GetWindowRect(status_, &status);
    RECT frame{0, 0, win32::ToPixels(kClientWidth, dpi_),
               win32::ToPixels(kClientHeight, dpi_) + (status.bottom - status.top)};
    AdjustWindowRectEx(&frame, style, TRUE, WS_EX_CONTROLPARENT);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(status_, WM_SIZE, 0, 0);
}

Win32MainWindow::~Win32MainWindow() {
    if (IsWindow(window_))
        DestroyWindow(window_);
    DeleteObject(font_);
}

HWND Win32MainWindow::Add(const wchar_t* className, const std::wstring& text, DWORD style, int left,
                          int top, int width, int height, int id, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   win32::ToPixels(left, dpi_), win32::ToPixels(top, dpi_),
                                   win32::ToPixels(width, dpi_), win32::ToPixels(height, dpi_),
                                   window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

// Created in focus order, each frame before what it holds; positions are in twips.
void Win32MainWindow::BuildControls() {
    Add(L"STATIC", L"掲示板一覧(&L):", 0, 60, 60, 2775, 255);
    list_ = Add(
        WC_LISTVIEWW, L"",
        WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
        60, 300, 2775, 4260, kList, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = win32::ToPixels(2775 - 420, dpi_);
    ListView_InsertColumn(list_, 0, &column);

    frame_ = Add(L"BUTTON", L"設定", BS_GROUPBOX, kSettingLeft, kSettingTop, 6195, 4725);
    const auto field = [&](const wchar_t* label, int labelLeft, int labelWidth, int top, int width,
                           Field which, DWORD style) {
        // A right-aligned static wraps what does not fit: a little room to the left keeps the
        // access key's "(&N):" on the line whatever the font's widths.
        Add(L"STATIC", label, SS_RIGHT, kSettingLeft + labelLeft - kLabelSlack,
            kSettingTop + top + 60, labelWidth + kLabelSlack, 180);
        const int id = kFirstField + static_cast<int>(which);
        fields_[static_cast<std::size_t>(which)] =
            Add(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | style, kSettingLeft + 2250,
                kSettingTop + top, width, 315, id, WS_EX_CLIENTEDGE);
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

    Add(L"STATIC", L"1ページあたりの表示記事数(&V):", SS_RIGHT, kSettingLeft + 990 - kLabelSlack,
        kSettingTop + 2220, 2415 + kLabelSlack, 180);
    viewCount_ = std::make_unique<Win32SpinButton>(window_, kViewCount, kSettingLeft + 3540,
                                                   kSettingTop + 2160, 735, 330);
    Add(L"STATIC", L"一度にダウンロードするログの記事数(&D):", SS_RIGHT,
        kSettingLeft + 300 - kLabelSlack + 60, kSettingTop + 2640, 3090 + kLabelSlack - 60, 180);
    downloadCount_ = std::make_unique<Win32SpinButton>(window_, kDownloadCount, kSettingLeft + 3540,
                                                       kSettingTop + 2580, 735, 330);
    for (Win32SpinButton* spin : {viewCount_.get(), downloadCount_.get()})
        SendMessageW(spin->Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    Add(L"BUTTON", L"表示順(&O)", BS_GROUPBOX, kViewOrderLeft, kViewOrderTop, 1995, 1020);
    viewOrder_[0] = Add(L"BUTTON", L"新しい → 古い(&1)", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON,
                        kViewOrderLeft + 180, kViewOrderTop + 315, 1635, 255, kViewOrder0);
    viewOrder_[1] = Add(L"BUTTON", L"古い → 新しい(&2)", BS_AUTORADIOBUTTON, kViewOrderLeft + 180,
                        kViewOrderTop + 630, 1695, 255, kViewOrder1);
    Add(L"BUTTON", L"未読読み(&R)", BS_GROUPBOX | WS_GROUP, kNoReadLeft, kNoReadTop, 1695, 1020);
    noReadView_[1] = Add(L"BUTTON", L"設定する(&3)", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON,
                         kNoReadLeft + 180, kNoReadTop + 300, 1335, 255, kNoReadView1);
    noReadView_[0] = Add(L"BUTTON", L"設定しない(&4)", BS_AUTORADIOBUTTON, kNoReadLeft + 180,
                         kNoReadTop + 630, 1335, 255, kNoReadView0);
    Add(L"BUTTON", L"クッキー反映", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, kSettingLeft + 4560,
        kSettingTop + 4200, 1455, 375, kUpdate);
    SelectOption(OptionGroup::kViewOrder, 0);
    SelectOption(OptionGroup::kNoReadView, 0);

    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatus)),
                              GetModuleHandleW(nullptr), nullptr);
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    const int parts[] = {win32::ToPixels(4000, dpi_), -1};
    SendMessageW(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(storeDescription_.c_str()));
}

LRESULT CALLBACK Win32MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self->OnMessage(message, wParam, lParam);
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
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void Win32MainWindow::OnCommand(WPARAM wParam, LPARAM) {
    if (logic_ == nullptr)
        return;
    switch (LOWORD(wParam)) {
        case IDM_FILE_EXIT:
            logic_->mnuFileExit_Click();
            break;
        case IDM_HELP_HELP:
            logic_->mnuHelpHelp_Click();
            break;
        case IDM_HELP_VERINFO:
            logic_->mnuHelpVerInfo_Click();
            break;
        case kUpdate:
            if (HIWORD(wParam) == BN_CLICKED)
                logic_->cmdUpdate_Click();
            break;
        default:
            break;
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
    SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(win32::Widen(text).c_str()));
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

void Win32MainWindow::SetCurrentRow(std::int32_t row) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0)
        ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
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
