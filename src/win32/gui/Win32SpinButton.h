#pragma once

#include <windows.h>

#include "controls/SpinButtonHost.h"
#include "controls/uSpinButton.h"

namespace tessel {

// The spin button on Win32: a child window hosting an EDIT and an SBS_VERT scroll bar (positions
// 0 to 2, resting at 1), delivering their notifications to the toolkit-free uSpinButton logic:
// EN_CHANGE and WM_VSCROLL, and WM_CHAR, WM_KEYDOWN, WM_KEYUP and focus through subclassing.
class Win32SpinButton : private SpinButtonHost {
  public:
    // Creates the control at left, top, width, height (twips) in parent.
    Win32SpinButton(HWND parent, int id, int left, int top, int width, int height);
    Win32SpinButton(const Win32SpinButton&) = delete;
    Win32SpinButton& operator=(const Win32SpinButton&) = delete;

    uSpinButton& Logic() { return logic_; }
    HWND Window() const { return window_; }
    HWND TextPart() const { return text_; }
    // Gives the parts their design sizes at a new DPI (the window moved to another monitor) and
    // lays them out again.
    void Rescale(UINT dpi);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    LRESULT OnPartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam);
    void OnScroll(WPARAM wParam);
    UINT Dpi() const;

    // SpinButtonHost
    std::int32_t ScaleWidth() override;
    void SetHeight(std::int32_t height) override;
    bool Enabled() override;
    void SetEnabled(bool enabled) override;
    void PropertyChanged(const std::string&) override {}
    void RaiseChange() override {}
    void RaiseKeyPress(std::int16_t&) override {}
    std::string Text() override;
    void SetText(const std::string& text) override;
    std::int32_t SelStart() override;
    void SetSelStart(std::int32_t start) override;
    void SetSelLength(std::int32_t length) override;
    void SetTextFocus() override;
    void SetTextEnabled(bool enabled) override;
    bool TextLocked() override;
    void SetTextLocked(bool locked) override;
    std::int32_t TextWidth() override;
    std::int32_t TextHeight() override;
    bool MoveText(std::int32_t left, std::int32_t top, std::int32_t width) override;
    std::int32_t SpinValue() override;
    void SetSpinValue(std::int32_t position) override;
    void SetSpinEnabled(bool enabled) override;
    std::int32_t SpinWidth() override;
    bool MoveSpin(std::int32_t left, std::int32_t top, std::int32_t width) override;

    HWND window_ = nullptr;
    HWND text_ = nullptr;
    HWND spin_ = nullptr;
    UINT dpi_ = 96;
    uSpinButton logic_;
};

}  // namespace tessel
