#pragma once

#include <cstdint>
#include <string>

#include "controls/PropertyBag.h"
#include "controls/SpinButtonHost.h"

namespace tessel {

// A whole-number entry: a text part with two arrows at its right edge. The user types a number,
// clicks an arrow or presses Up or Down to change it by one. The number stays within Min..Max;
// text that is not an acceptable number is put back to the last accepted number; only digits, "-"
// and backspace can be typed.
//
// Property setters never fail: a Value outside Min..Max is ignored and leaves everything as it was.
class uSpinButton {
  public:
    static constexpr const char* kClassId = "prjTesselCustom.uSpinButton";

    explicit uSpinButton(SpinButtonHost& host) : host_(host) {}

    std::int32_t Value() const { return m_Value; }
    void Value(std::int32_t NewValue);
    std::int32_t Max() const { return m_Max; }
    void Max(std::int32_t NewMax);
    std::int32_t Min() const { return m_Min; }
    void Min(std::int32_t NewMin);
    bool Enabled() const { return host_.Enabled(); }
    void Enabled(bool NewEnabled);
    bool Locked() const { return host_.TextLocked(); }
    void Locked(bool NewLocked);

    // Notifications from the host.
    void Spin_Change();
    void Spin_GotFocus();
    void Text_Change();
    void Text_GotFocus();
    void Text_KeyPress(std::int16_t& KeyAscii);
    void Text_KeyDown(std::int16_t& KeyCode, std::int16_t Shift);
    void Text_KeyUp(std::int16_t& KeyCode, std::int16_t Shift);
    void UserControl_Resize();
    void UserControl_InitProperties();
    void UserControl_ReadProperties(const PropertyBag& PropBag);
    void UserControl_WriteProperties(PropertyBag& PropBag) const;

  private:
    // Steps the number by delta when the result lies within the bounds; never overflows.
    void Step(std::int32_t delta);
    void SelectAll();
    void RevertText();
    bool ArrowsUsable() const;

    SpinButtonHost& host_;
    std::int32_t m_Value = 0;
    std::int32_t m_Max = 0;
    std::int32_t m_Min = 0;
    bool m_Changing = false;
};

}  // namespace tessel
