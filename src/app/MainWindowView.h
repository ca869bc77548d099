#pragma once

#include <cstdint>
#include <string>

#include "app/MessageBoxHost.h"
#include "controls/uSpinButton.h"

namespace tessel {

// The controls of the main window as its logic sees them. A toolkit implements this over real
// widgets; tests implement it in memory.
class MainWindowView : public MessageBoxHost {
  public:
    enum class Field { kPostName, kMail, kPassword, kHomePage };
    // Option groups: the index of a button is the preference value it stands for.
    enum class OptionGroup { kViewOrder, kNoReadView };

    virtual void SetWindowCaption(const std::string& text) = 0;
    virtual void SetFrameCaption(const std::string& text) = 0;
    // A note in the status bar, beside the name of the cookie store; empty clears it.
    virtual void SetStatusText(const std::string& text) = 0;

    // The board list: rows count from 0; each row is marked on its own.
    virtual void ClearRows() = 0;
    virtual void AddRow(const std::string& text) = 0;
    virtual std::int32_t RowCount() = 0;
    virtual bool IsRowMarked(std::int32_t row) = 0;
    virtual std::int32_t CurrentRow() = 0;  // -1: none
    virtual void SetCurrentRow(std::int32_t row) = 0;
    // A note shown in the empty list's area (how to get boards); empty removes it.
    virtual void ShowListNotice(const std::string& text) { (void)text; }

    virtual std::string Text(Field field) = 0;
    virtual void SetText(Field field, const std::string& text) = 0;

    virtual uSpinButton& ViewCountSpin() = 0;
    virtual uSpinButton& DownloadCountSpin() = 0;

    virtual bool IsOptionSelected(OptionGroup group, std::int32_t index) = 0;
    // Selects one button of a group, which deselects the other.
    virtual void SelectOption(OptionGroup group, std::int32_t index) = 0;

    // Unloads the window.
    virtual void Close() = 0;
};

}  // namespace tessel
