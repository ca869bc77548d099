#pragma once

#include <cstdint>
#include <string>

namespace tessel {

// What the spin button's logic needs from the toolkit that hosts it: the control itself, its
// one-line text part and its vertical scroll bar (positions 0 to 2). Geometry is in twips.
//
// The host delivers the parts' notifications to the uSpinButton handlers synchronously: setting a
// different text, or a different scroll position, runs the change handler before the set returns.
// Setting a text equal to the present one changes nothing and notifies nothing.
class SpinButtonHost {
  public:
    virtual ~SpinButtonHost() = default;

    // The control.
    virtual std::int32_t ScaleWidth() = 0;
    virtual void SetHeight(std::int32_t height) = 0;
    virtual bool Enabled() = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void PropertyChanged(const std::string& name) = 0;
    virtual void RaiseChange() = 0;
    // The container may change the code or cancel the key by setting it to 0.
    virtual void RaiseKeyPress(std::int16_t& KeyAscii) = 0;

    // The text part. A caret position beyond the end stands at the end.
    virtual std::string Text() = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual std::int32_t SelStart() = 0;
    virtual void SetSelStart(std::int32_t start) = 0;
    virtual void SetSelLength(std::int32_t length) = 0;
    virtual void SetTextFocus() = 0;
    virtual void SetTextEnabled(bool enabled) = 0;
    virtual bool TextLocked() = 0;
    virtual void SetTextLocked(bool locked) = 0;
    virtual std::int32_t TextWidth() = 0;
    virtual std::int32_t TextHeight() = 0;
    // Moves the text part, keeping its height; false when the host refuses (a negative width).
    virtual bool MoveText(std::int32_t left, std::int32_t top, std::int32_t width) = 0;

    // The spin part.
    virtual std::int32_t SpinValue() = 0;
    virtual void SetSpinValue(std::int32_t position) = 0;
    virtual void SetSpinEnabled(bool enabled) = 0;
    virtual std::int32_t SpinWidth() = 0;
    virtual bool MoveSpin(std::int32_t left, std::int32_t top, std::int32_t width) = 0;
};

}  // namespace tessel
