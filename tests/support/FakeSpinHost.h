#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controls/SpinButtonHost.h"
#include "controls/uSpinButton.h"

namespace tessel::testing {

// A host that behaves like a real toolkit: a text set to a different value notifies before the set
// returns, a caret beyond the end stands at the end, a changed scroll position notifies. It also
// plays the user: typing, arrow clicks and key presses.
class FakeSpinHost : public SpinButtonHost {
  public:
    FakeSpinHost() : spin(*this) {}

    uSpinButton spin;

    // The control.
    std::int32_t scaleWidth = 1035;
    std::int32_t height = 330;
    bool enabled = true;
    std::vector<std::string> changedProperties;
    int changeEvents = 0;
    std::function<void(std::int16_t&)> onKeyPress;

    // The parts.
    std::string text;
    std::int32_t selStart = 0, selLength = 0;
    bool focused = false, textEnabled = true, locked = false;
    std::int32_t textLeft = 0, textWidth = 855, textHeight = 330;
    std::int32_t spinValue = 1, spinLeft = 840, spinWidth = 195;
    bool spinEnabled = true;

    std::int32_t ScaleWidth() override { return scaleWidth; }
    void SetHeight(std::int32_t h) override { height = h; }
    bool Enabled() override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    void PropertyChanged(const std::string& name) override { changedProperties.push_back(name); }
    void RaiseChange() override { ++changeEvents; }
    void RaiseKeyPress(std::int16_t& key) override {
        if (onKeyPress)
            onKeyPress(key);
    }

    std::string Text() override { return text; }
    void SetText(const std::string& t) override {
        if (t == text)
            return;
        text = t;
        selStart = 0;
        selLength = 0;
        spin.Text_Change();
    }
    std::int32_t SelStart() override { return selStart; }
    void SetSelStart(std::int32_t s) override {
        selStart = std::clamp<std::int32_t>(s, 0, static_cast<std::int32_t>(text.size()));
        selLength = 0;
    }
    void SetSelLength(std::int32_t l) override {
        selLength =
            std::clamp<std::int32_t>(l, 0, static_cast<std::int32_t>(text.size()) - selStart);
    }
    void SetTextFocus() override {
        focused = true;
        spin.Text_GotFocus();
    }
    void SetTextEnabled(bool e) override { textEnabled = e; }
    bool TextLocked() override { return locked; }
    void SetTextLocked(bool l) override { locked = l; }
    std::int32_t TextWidth() override { return textWidth; }
    std::int32_t TextHeight() override { return textHeight; }
    bool MoveText(std::int32_t left, std::int32_t, std::int32_t width) override {
        if (width < 0)
            return false;
        textLeft = left;
        textWidth = width;
        return true;
    }

    std::int32_t SpinValue() override { return spinValue; }
    void SetSpinValue(std::int32_t p) override {
        if (p == spinValue)
            return;
        spinValue = p;
        spin.Spin_Change();
    }
    void SetSpinEnabled(bool e) override { spinEnabled = e; }
    std::int32_t SpinWidth() override { return spinWidth; }
    bool MoveSpin(std::int32_t left, std::int32_t, std::int32_t width) override {
        if (width < 0)
            return false;
        spinLeft = left;
        spinWidth = width;
        return true;
    }

    // The user types one character over the selection.
    void Type(char c) {
        std::int16_t key = static_cast<unsigned char>(c);
        spin.Text_KeyPress(key);
        if (key == 0 || locked)
            return;
        std::string edited = text;
        std::int32_t caret = selStart;
        if (key == 8) {
            if (selLength > 0) {
                edited.erase(selStart, selLength);
            } else if (caret > 0) {
                edited.erase(--caret, 1);
            }
        } else {
            edited.replace(selStart, selLength, 1, static_cast<char>(key));
            ++caret;
        }
        UserEdits(edited, caret);
    }

    // The user replaces the whole text (a paste over everything, say).
    void UserEdits(const std::string& edited, std::int32_t caret) {
        if (edited == text)
            return;
        text = edited;
        selStart = caret;
        selLength = 0;
        spin.Text_Change();
    }

    void Select(std::int32_t start, std::int32_t length) {
        selStart = start;
        selLength = length;
    }

    // An arrow click moves the scroll bar by one and the toolkit notifies.
    void ClickUp() { UserMovesSpin(0); }
    void ClickDown() { UserMovesSpin(2); }

    // Returns the key code as the text part would see it after the handlers.
    std::int16_t PressKey(std::int16_t code, std::int16_t shift = 0) {
        spin.Text_KeyDown(code, shift);
        std::int16_t up = code;
        spin.Text_KeyUp(up, shift);
        return code;
    }

  private:
    void UserMovesSpin(std::int32_t p) {
        if (!spinEnabled)
            return;
        spinValue = p;
        spin.Spin_Change();
    }
};

}  // namespace tessel::testing
