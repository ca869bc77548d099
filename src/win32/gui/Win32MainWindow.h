#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindowView.h"
#include "win32/gui/Win32SpinButton.h"

namespace tessel {

class frmMain;

// A modal message box over owner (none: over the desktop), with the icon the logic asked for.
void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                    MessageIcon icon);

// The main window on Win32: the board list and the preference fields at their places in twips
// (scaled to the window's DPI, in the system's message font), access keys, focus order, menus and
// message boxes. It keeps the focus as a dialog box does: on the list at start, moved by access
// keys, Tab and arrows, and given back to the control that had it when the window is activated
// again. The logic lives in frmMain; this class only turns window messages into its handlers and
// its requests into control calls.
class Win32MainWindow : public MainWindowView {
  public:
    explicit Win32MainWindow(std::string storeDescription);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    void Attach(frmMain& logic) { logic_ = &logic; }
    // The file menu's command that opens the board list for editing.
    void SetEditBoardList(std::function<void()> edit) { editBoardList_ = std::move(edit); }
    HWND Window() const { return window_; }

    // The store menu's items, asked for each time the menu opens, and what choosing the item at
    // an index does.
    struct StoreMenuItem {
        std::string text;
        bool checked = false;
        bool enabled = true;
        bool separatorBefore = false;
    };
    using StoreMenuSource = std::function<std::vector<StoreMenuItem>()>;
    void SetStoreMenu(StoreMenuSource source, std::function<void(std::size_t)> choose);
    // The store in use, for the status bar.
    void SetStoreDescription(const std::string& text);
    // For the message loop: the accelerator table (F1).
    HACCEL Accelerators() const { return accelerators_; }

    // MainWindowView
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void SetWindowCaption(const std::string& text) override;
    void SetFrameCaption(const std::string& text) override;
    void SetStatusText(const std::string& text) override;
    void ClearRows() override;
    void AddRow(const std::string& text) override;
    std::int32_t RowCount() override;
    bool IsRowMarked(std::int32_t row) override;
    std::int32_t CurrentRow() override;
    void SetCurrentRow(std::int32_t row) override;
    void ShowListNotice(const std::string& text) override;
    std::string Text(Field field) override;
    void SetText(Field field, const std::string& text) override;
    uSpinButton& ViewCountSpin() override { return viewCount_->Logic(); }
    uSpinButton& DownloadCountSpin() override { return downloadCount_->Logic(); }
    bool IsOptionSelected(OptionGroup group, std::int32_t index) override;
    void SelectOption(OptionGroup group, std::int32_t index) override;
    void Close() override;

  private:
    // How a control's box gives way to a text wider or taller than the layout's twips: it grows
    // to the left (right-aligned labels, the button) or to the right (options, left-aligned
    // labels) as far as its container allows, and takes a smaller font only when even that is not
    // enough; an edit grows in height only.
    enum class Fit { kNone, kHeight, kLeft, kRight, kOption, kButton };
    struct Placed {
        HWND window;
        RECT twips;       // in the client area
        int least, most;  // how far it may grow, in client twips
        Fit fit;
        HFONT font = nullptr;  // its own smaller font, when it needed one
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void BuildControls();
    HWND Add(const wchar_t* className, const std::wstring& text, DWORD style, RECT twips, Fit fit,
             int id = 0, DWORD exStyle = 0, int least = 0, int most = 0);
    HWND Option(OptionGroup group, std::int32_t index) const;
    void Layout();
    void FitWindowToLayout();
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void RestoreFocus();
    void MoveFocus(WPARAM wParam, LPARAM lParam);
    void OnEnter();
    void MarkAllRows(bool marked);
    void ShowStatus();
    void PaintListNotice();
    void FillStoreMenu(HMENU menu);

    HWND window_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HFONT font_ = nullptr;
    UINT dpi_ = 96;
    std::vector<Placed> placed_;
    HWND update_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the window was last deactivated
    std::wstring statusText_;
    std::wstring listNotice_;
    std::function<void()> editBoardList_;
    StoreMenuSource storeSource_;
    std::function<void(std::size_t)> chooseStore_;
    HWND list_ = nullptr;
    HWND frame_ = nullptr;
    HWND status_ = nullptr;
    std::array<HWND, 4> fields_{};
    std::array<HWND, 2> viewOrder_{};
    std::array<HWND, 2> noReadView_{};
    std::unique_ptr<Win32SpinButton> viewCount_;
    std::unique_ptr<Win32SpinButton> downloadCount_;
    std::wstring storeDescription_;
    frmMain* logic_ = nullptr;
};

}  // namespace tessel
