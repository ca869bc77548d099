#pragma once

#include <QWidget>
#include <functional>

#include "controls/SpinButtonHost.h"
#include "controls/uSpinButton.h"

class QLineEdit;
class QScrollBar;

namespace tessel {

// The spin button on Qt: a one-line text field with a vertical scroll bar (positions 0 to 2,
// resting at 1) at its right edge, hosting the toolkit-free uSpinButton logic. Qt delivers the
// parts' change notifications synchronously, as the logic expects; keys are turned into the
// logic's key codes (Up 38, Down 40; Shift 1, Ctrl 2, Alt 4).
class QtSpinButton : public QWidget, private SpinButtonHost {
    Q_OBJECT

  public:
    explicit QtSpinButton(QWidget* parent = nullptr);

    uSpinButton& Logic() { return logic_; }
    QLineEdit* TextPart() const { return text_; }
    QScrollBar* SpinPart() const { return spin_; }

    // The container's KeyPress handler; it may change the code or cancel it with 0.
    std::function<void(std::int16_t&)> onKeyPress;

  signals:
    void changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    bool FilterKeyPress(class QKeyEvent* event);
    bool FilterKeyRelease(class QKeyEvent* event);

    // SpinButtonHost
    std::int32_t ScaleWidth() override;
    void SetHeight(std::int32_t height) override;
    bool Enabled() override;
    void SetEnabled(bool enabled) override;
    void PropertyChanged(const std::string&) override {}
    void RaiseChange() override { emit changed(); }
    void RaiseKeyPress(std::int16_t& KeyAscii) override;
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

    QLineEdit* text_;
    QScrollBar* spin_;
    bool selectOnRelease_ = false;  // the text part got the focus from a click not yet released
    uSpinButton logic_;
};

}  // namespace tessel
