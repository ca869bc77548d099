#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "app/MainWindowView.h"
#include "win32/gui/Win32SpinButton.h"

namespace tessel {

class frmMain;

// A modal message box over owner (none: over the desktop), with the icon the logic asked for.
void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                    MessageIcon icon);

// The main window on Win32: the board list and the preference fields at their places in twips
// (scaled to the window's DPI), access keys, focus order, menus and message boxes. The logic lives
// in frmMain; this class only turns window messages into its handlers and its requests into
// control calls.
class Win32MainWindow : public MainWindowView {
  public:
    explicit Win32MainWindow(std::string storeDescription);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    void Attach(frmMain& logic) { logic_ = &logic; }
    HWND Window() const { return window_; }
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
    std::string Text(Field field) override;
    void SetText(Field field, const std::string& text) override;
    uSpinButton& ViewCountSpin() override { return viewCount_->Logic(); }
    uSpinButton& DownloadCountSpin() override { return downloadCount_->Logic(); }
    bool IsOptionSelected(OptionGroup group, std::int32_t index) override;
    void SelectOption(OptionGroup group, std::int32_t index) override;
    void Close() override;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void BuildControls();
    HWND Add(const wchar_t* className, const std::wstring& text, DWORD style, int left, int top,
             int width, int height, int id = 0, DWORD exStyle = 0);
    HWND Option(OptionGroup group, std::int32_t index) const;

    HWND window_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HFONT font_ = nullptr;
    UINT dpi_ = 96;
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
