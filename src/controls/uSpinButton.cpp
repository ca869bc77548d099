#include "controls/uSpinButton.h"

#include <limits>
#include <optional>
#include <string_view>

namespace tessel {
namespace {

constexpr std::int16_t kKeyBackspace = 8;
constexpr std::int16_t kKeyMinus = 45;
constexpr std::int16_t kKeyZero = 48;
constexpr std::int16_t kKeyNine = 57;
constexpr std::int16_t kKeyUp = 38;
constexpr std::int16_t kKeyDown = 40;

constexpr std::int32_t kSpinUp = 0;  // the upper arrow moves the scroll bar towards 0
constexpr std::int32_t kSpinRest = 1;
constexpr std::int32_t kSpinDown = 2;  // the lower arrow towards 2

// The text as a whole number: an optional leading "-" and at least one decimal digit (leading
// zeros allowed), within the Long range. "5-", "1-2" and "--" are not numbers.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > std::int64_t{1} << 31)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

void uSpinButton::Value(std::int32_t NewValue) {
    if (NewValue < m_Min || NewValue > m_Max)
        return;
    m_Value = NewValue;
    host_.SetText(std::to_string(m_Value));  // runs Text_Change when the text differs
    host_.PropertyChanged("Value");
}

void uSpinButton::Max(std::int32_t NewMax) {
    m_Max = NewMax;
    host_.PropertyChanged("Max");
}

void uSpinButton::Min(std::int32_t NewMin) {
    m_Min = NewMin;
    host_.PropertyChanged("Min");
}

// The arrows work only while the control is enabled and not locked, whichever was set last.
bool uSpinButton::ArrowsUsable() const {
    return host_.Enabled() && !host_.TextLocked();
}

void uSpinButton::Enabled(bool NewEnabled) {
    host_.SetEnabled(NewEnabled);
    host_.SetTextEnabled(NewEnabled);
    host_.SetSpinEnabled(ArrowsUsable());
    host_.PropertyChanged("Enabled");
}

void uSpinButton::Locked(bool NewLocked) {
    host_.SetTextLocked(NewLocked);
    host_.SetSpinEnabled(ArrowsUsable());
    host_.PropertyChanged("Locked");
}

void uSpinButton::Step(std::int32_t delta) {
    const std::int64_t target = std::int64_t{m_Value} + delta;
    if (target < m_Min || target > m_Max)
        return;
    Value(static_cast<std::int32_t>(target));
}

void uSpinButton::SelectAll() {
    host_.SetSelStart(0);
    host_.SetSelLength(static_cast<std::int32_t>(host_.Text().size()));
}

void uSpinButton::RevertText() {
    const std::int32_t caret = host_.SelStart();
    host_.SetText(std::to_string(m_Value));
    host_.SetSelStart(caret);
}

void uSpinButton::Spin_Change() {
    const std::int32_t position = host_.SpinValue();
    if (position == kSpinUp || position == kSpinDown) {
        Step(position == kSpinUp ? 1 : -1);
        host_.SetSpinValue(kSpinRest);  // runs this handler again, nested, which makes no step
    }
    if (!m_Changing)
        SelectAll();
    host_.RaiseChange();
}

void uSpinButton::Spin_GotFocus() {
    host_.SetTextFocus();
}

void uSpinButton::Text_Change() {
    if (m_Changing)
        return;
    m_Changing = true;

    const std::string text = host_.Text();
    if (text.empty()) {
        // Show the lower bound and take it as the number, so that what is written is what is shown.
        host_.SetText(std::to_string(m_Min));
        SelectAll();
        Value(m_Min);
    } else if (const std::optional<std::int32_t> number = ParseWholeNumber(text);
               !number || *number > m_Max || *number < m_Min) {
        RevertText();
    } else {
        Value(*number);  // also rewrites the text in its decimal form: "007" becomes "7"
    }

    m_Changing = false;
}

void uSpinButton::Text_GotFocus() {
    SelectAll();
}

void uSpinButton::Text_KeyPress(std::int16_t& KeyAscii) {
    if (host_.TextLocked())
        return;
    host_.RaiseKeyPress(KeyAscii);
    const std::int16_t key = KeyAscii;
    if ((key > kKeyNine || key < kKeyZero) && key != kKeyMinus && key != kKeyBackspace) {
        KeyAscii = 0;
    }
}

void uSpinButton::Text_KeyDown(std::int16_t& KeyCode, std::int16_t Shift) {
    if (host_.TextLocked() || Shift != 0)
        return;
    if (KeyCode == kKeyUp || KeyCode == kKeyDown) {
        Step(KeyCode == kKeyUp ? 1 : -1);
        SelectAll();
        KeyCode = 0;
    }
}

void uSpinButton::Text_KeyUp(std::int16_t& KeyCode, std::int16_t Shift) {
    if (host_.TextLocked() || Shift != 0)
        return;
    if (KeyCode == kKeyUp || KeyCode == kKeyDown) {
        SelectAll();
        KeyCode = 0;
    }
}

void uSpinButton::UserControl_Resize() {
    // Each step runs even when the host refused the one before.
    host_.MoveText(0, 0, host_.ScaleWidth() - host_.SpinWidth());
    host_.MoveSpin(host_.TextWidth(), 0, host_.SpinWidth());
    host_.SetHeight(host_.TextHeight());
}

void uSpinButton::UserControl_InitProperties() {
    Min(0);
    Max(50);
    Value(0);
}

void uSpinButton::UserControl_ReadProperties(const PropertyBag& PropBag) {
    Min(std::get<std::int32_t>(PropBag.ReadProperty("Min", std::int32_t{0})));
    Max(std::get<std::int32_t>(PropBag.ReadProperty("Max", std::int32_t{50})));
    Value(std::get<std::int32_t>(PropBag.ReadProperty("Value", std::int32_t{0})));
    Enabled(std::get<bool>(PropBag.ReadProperty("Enabled", true)));
    Locked(std::get<bool>(PropBag.ReadProperty("Locked", false)));
}

void uSpinButton::UserControl_WriteProperties(PropertyBag& PropBag) const {
    PropBag.WriteProperty("Min", m_Min, std::int32_t{0});
    PropBag.WriteProperty("Max", m_Max, std::int32_t{50});
    PropBag.WriteProperty("Value", m_Value, std::int32_t{0});
    PropBag.WriteProperty("Enabled", Enabled(), true);
    PropBag.WriteProperty("Locked", Locked(), false);
}

}  // namespace tessel
