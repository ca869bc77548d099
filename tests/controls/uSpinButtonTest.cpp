#include <gtest/gtest.h>

#include <climits>

#include "controls/uSpinButton.h"
#include "support/FakeSpinHost.h"

namespace tessel {
namespace {

class uSpinButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host.spin.UserControl_ReadProperties(PropertyBag(uSpinButton::kClassId));
        host.changeEvents = 0;
        host.changedProperties.clear();
    }

    void ExpectShows(std::int32_t value, const std::string& text) {
        EXPECT_EQ(host.spin.Value(), value);
        EXPECT_EQ(host.text, text);
    }
    bool AllSelected() const {
        return host.selStart == 0 && host.selLength == static_cast<std::int32_t>(host.text.size());
    }

    testing::FakeSpinHost host;
    uSpinButton& spin = host.spin;
};

TEST_F(uSpinButtonTest, ValueAcceptsTheBoundsAndIgnoresBeyondWithoutAChange) {
    EXPECT_EQ(spin.Min(), 0);
    EXPECT_EQ(spin.Max(), 50);
    ExpectShows(0, "0");
    spin.Value(50);
    ExpectShows(50, "50");
    spin.Value(0);
    host.changedProperties.clear();
    spin.Value(-1);
    spin.Value(51);
    ExpectShows(0, "0");
    EXPECT_TRUE(host.changedProperties.empty());
    spin.Value(33);  // from the program: no change event, even through the text
    host.Select(0, 2);
    host.Type('4');
    host.PressKey(38);
    EXPECT_EQ(host.changeEvents, 0);
    EXPECT_EQ(spin.Value(), 5);
}

TEST_F(uSpinButtonTest, StepsStayWithinTheBoundsEvenBelowALoweredMaxOrAtTheLongLimits) {
    spin.Value(40);
    spin.Max(30);
    EXPECT_EQ(spin.Value(), 40);
    host.ClickDown();
    EXPECT_EQ(host.PressKey(40), 0);
    ExpectShows(40, "40");
    host.Select(0, 2);
    host.Type('2');
    ExpectShows(2, "2");
    // Steps never overflow at the Long limits.
    spin.Max(INT_MAX);
    spin.Min(INT_MIN);
    spin.Value(INT_MAX);
    host.ClickUp();
    EXPECT_EQ(spin.Value(), INT_MAX);
    spin.Value(INT_MIN);
    host.PressKey(40);
    EXPECT_EQ(spin.Value(), INT_MIN);
    EXPECT_EQ(host.text, "-2147483648");
}

TEST_F(uSpinButtonTest, AnArrowClickStepsOnceSelectsAndRaisesChangeTwiceEvenAtABound) {
    spin.Value(7);
    host.ClickUp();
    ExpectShows(8, "8");
    EXPECT_EQ(host.changeEvents, 2);
    EXPECT_EQ(host.spinValue, 1);
    EXPECT_TRUE(AllSelected());
    host.ClickDown();
    host.ClickDown();
    ExpectShows(6, "6");
    EXPECT_EQ(host.changeEvents, 6);

    spin.Value(50);
    host.Select(1, 0);
    host.ClickUp();
    ExpectShows(50, "50");
    EXPECT_EQ(host.changeEvents, 8);
    EXPECT_TRUE(AllSelected());
    spin.Value(0);
    host.ClickDown();
    ExpectShows(0, "0");

    spin.Value(12);  // focus on the arrows goes to the text
    host.Select(1, 0);
    spin.Spin_GotFocus();
    EXPECT_TRUE(host.focused);
    EXPECT_TRUE(AllSelected());
}

TEST_F(uSpinButtonTest, OnlyDigitsMinusAndBackspaceReachTheTextAfterTheContainerSawThem) {
    for (int c = 1; c < 128; ++c) {
        std::int16_t key = static_cast<std::int16_t>(c);
        spin.Text_KeyPress(key);
        const bool passes = (c >= '0' && c <= '9') || c == '-' || c == 8;
        EXPECT_EQ(key != 0, passes) << "character " << c;
    }
    std::int16_t negative = -3;  // signed comparison: below "0"
    spin.Text_KeyPress(negative);
    EXPECT_EQ(negative, 0);

    std::vector<std::int16_t> seen;
    host.onKeyPress = [&](std::int16_t& key) {
        seen.push_back(key);
        if (key == '5')
            key = 0;
        if (key == '6')
            key = 'a';
    };
    host.Select(0, 1);
    host.Type('5');
    host.Type('6');
    ExpectShows(0, "0");
    EXPECT_EQ(seen, (std::vector<std::int16_t>{'5', '6'}));
}

TEST_F(uSpinButtonTest, UpAndDownStepOnlyWithoutModifiers) {
    spin.Value(10);
    EXPECT_EQ(host.PressKey(38), 0);
    EXPECT_EQ(spin.Value(), 11);
    EXPECT_TRUE(AllSelected());
    EXPECT_EQ(host.PressKey(40), 0);
    EXPECT_EQ(spin.Value(), 10);
    EXPECT_EQ(host.PressKey(38, 1), 38);  // Shift
    EXPECT_EQ(host.PressKey(40, 2), 40);  // Ctrl
    EXPECT_EQ(host.PressKey(38, 4), 38);  // Alt
    EXPECT_EQ(host.PressKey(33), 33);     // Page Up is the text part's
    EXPECT_EQ(spin.Value(), 10);
}

TEST_F(uSpinButtonTest, TypedNumbersAreTakenInDecimalFormAndInvalidTextRevertsKeepingTheCaret) {
    host.Select(0, 1);
    host.Type('5');
    ExpectShows(5, "5");
    host.UserEdits("007", 3);
    ExpectShows(7, "7");
    EXPECT_EQ(host.changeEvents, 0);
    spin.Min(-10);
    host.UserEdits("-5", 2);
    ExpectShows(-5, "-5");
    spin.Min(0);
    spin.Value(12);
    host.Select(0, 2);
    host.Type('-');
    ExpectShows(12, "12");
    EXPECT_EQ(host.selStart, 1);

    const char* invalid[] = {"1-2", "--", "12a", "5-", "-", "12345678901", "99999999999999999999",
                             " 5",  "+5", "51",  "-5"};  // the last two are beyond the bounds
    for (const char* text : invalid) {
        SCOPED_TRACE(text);
        host.UserEdits(text, 2);
        ExpectShows(12, "12");
        EXPECT_EQ(host.selStart, 2);
    }
}

TEST_F(uSpinButtonTest, EmptiedTextShowsMinSelectedAndTheChangingGuardIsClearedOnEveryPath) {
    spin.Min(3);
    spin.Value(20);
    host.Select(0, 2);
    host.Type('\b');
    ExpectShows(3, "3");
    EXPECT_TRUE(AllSelected());
    spin.Min(0);
    host.UserEdits("", 0);
    host.UserEdits("x", 1);
    host.UserEdits("99", 2);
    host.UserEdits("9", 1);
    // Arrow passes after those select all again, which they do only when not changing.
    host.Select(1, 0);
    host.ClickUp();
    EXPECT_TRUE(AllSelected());
    EXPECT_EQ(spin.Value(), 10);
}

TEST_F(uSpinButtonTest, LockedRefusesTheUserButNotTheProgramAndArrowsNeedEnabledToo) {
    int keyEvents = 0;
    host.onKeyPress = [&](std::int16_t&) { ++keyEvents; };
    spin.Locked(true);
    EXPECT_FALSE(host.spinEnabled);
    host.Type('7');
    EXPECT_EQ(keyEvents, 0);
    EXPECT_EQ(host.PressKey(38), 38);
    host.ClickUp();
    ExpectShows(0, "0");
    spin.Value(9);
    ExpectShows(9, "9");

    spin.Enabled(true);
    EXPECT_FALSE(host.spinEnabled);
    spin.Enabled(false);
    spin.Locked(false);
    EXPECT_FALSE(host.spinEnabled);
    EXPECT_FALSE(host.textEnabled);
    spin.Enabled(true);
    EXPECT_TRUE(host.spinEnabled);
    EXPECT_TRUE(host.textEnabled);
}

TEST_F(uSpinButtonTest, ResizeFillsTheWidthKeepsTheTextHeightAndSkipsOnlyARefusedStep) {
    const struct {
        std::int32_t scaleWidth, textWidth;
    } cases[] = {{100, 855}, {735, 540}};  // narrower than the arrows: the text keeps its width
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scaleWidth);
        host.scaleWidth = c.scaleWidth;
        host.height = 999;
        spin.UserControl_Resize();
        EXPECT_EQ(host.textLeft, 0);
        EXPECT_EQ(host.textWidth, c.textWidth);
        EXPECT_EQ(host.spinLeft, c.textWidth);
        EXPECT_EQ(host.spinWidth, 195);
        EXPECT_EQ(host.height, 330);
    }
}

TEST_F(uSpinButtonTest, SettingsRoundTripThroughTheBagStoringOnlyWhatDiffersFromTheDefaults) {
    PropertyBag defaults(uSpinButton::kClassId);
    spin.UserControl_WriteProperties(defaults);
    EXPECT_TRUE(defaults.Entries().empty());
    EXPECT_TRUE(spin.Enabled());
    EXPECT_FALSE(spin.Locked());
    EXPECT_TRUE(host.spinEnabled);

    spin.Min(-5);
    spin.Max(99);
    spin.Value(-2);
    spin.Locked(true);
    PropertyBag bag(uSpinButton::kClassId);
    spin.UserControl_WriteProperties(bag);
    EXPECT_EQ(bag.Entries().size(), 4u);  // Enabled is at its default
    testing::FakeSpinHost other;
    other.spin.UserControl_ReadProperties(bag);
    EXPECT_EQ(other.spin.Min(), -5);
    EXPECT_EQ(other.spin.Max(), 99);
    EXPECT_EQ(other.spin.Value(), -2);
    EXPECT_EQ(other.text, "-2");
    EXPECT_TRUE(other.spin.Locked());
    EXPECT_FALSE(other.spinEnabled);

    PropertyBag outside(uSpinButton::kClassId);  // a stored value outside its bounds loads empty
    outside.WriteProperty("Min", std::int32_t{10}, std::int32_t{0});
    outside.WriteProperty("Value", std::int32_t{5}, std::int32_t{0});
    testing::FakeSpinHost third;
    third.spin.UserControl_ReadProperties(outside);
    EXPECT_EQ(third.spin.Value(), 0);
    EXPECT_EQ(third.text, "");
}

}  // namespace
}  // namespace tessel
