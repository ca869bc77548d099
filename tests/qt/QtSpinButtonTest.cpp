#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "qt/QtSpinButton.h"
#include "qt/Twips.h"

namespace tessel {
namespace {

class QtSpinButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const Twips twips = Twips::For(&spin);
        spin.resize(twips.ToPixels(735), twips.ToPixels(330));
        spin.show();
        spin.TextPart()->setFocus();
    }

    // Clicks the upper (up) or lower (down) arrow of the scroll bar.
    void ClickArrow(bool up) {
        QScrollBar* bar = spin.SpinPart();
        const QPoint at(bar->width() / 2, up ? 1 : bar->height() - 2);
        QTest::mouseClick(bar, Qt::LeftButton, {}, at);
    }

    QtSpinButton spin;
};

TEST_F(QtSpinButtonTest, StartsAtZeroLaysOutTextAndArrowsAndLockedRefusesTheUser) {
    EXPECT_EQ(spin.Logic().Value(), 0);
    EXPECT_EQ(spin.TextPart()->text(), "0");
    const Twips twips = Twips::For(&spin);
    EXPECT_NEAR(spin.TextPart()->width(), twips.ToPixels(540), 1);
    EXPECT_NEAR(spin.SpinPart()->x(), twips.ToPixels(540), 1);
    EXPECT_EQ(spin.height(), spin.TextPart()->height());
    // Locked, it refuses the user but not the program.
    spin.Logic().Locked(true);
    EXPECT_FALSE(spin.SpinPart()->isEnabled());
    QTest::keyClick(spin.TextPart(), Qt::Key_Up);
    QTest::keyClicks(spin.TextPart(), "5");
    EXPECT_EQ(spin.Logic().Value(), 0);
    spin.Logic().Value(4);
    EXPECT_EQ(spin.TextPart()->text(), "4");
}

TEST_F(QtSpinButtonTest, UpAndDownKeysAndArrowClicksStepSelectingTheNumber) {
    spin.Logic().Value(10);
    QTest::keyClick(spin.TextPart(), Qt::Key_Up);
    EXPECT_EQ(spin.Logic().Value(), 11);
    EXPECT_EQ(spin.TextPart()->selectedText(), "11");
    QTest::keyClick(spin.TextPart(), Qt::Key_Down);
    EXPECT_EQ(spin.Logic().Value(), 10);
    QTest::keyClick(spin.TextPart(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(spin.Logic().Value(), 10);
    QSignalSpy changes(&spin, &QtSpinButton::changed);
    spin.Logic().Value(7);
    ClickArrow(true);
    EXPECT_EQ(spin.Logic().Value(), 8);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(spin.SpinPart()->value(), 1);
    ClickArrow(false);
    EXPECT_EQ(spin.Logic().Value(), 7);
}

TEST_F(QtSpinButtonTest, TypingTakesDigitsEmptiedTextShowsTheMinimumAndANonNumberIsPutBack) {
    spin.TextPart()->selectAll();
    QTest::keyClicks(spin.TextPart(), "1a .+2");
    EXPECT_EQ(spin.TextPart()->text(), "12");
    EXPECT_EQ(spin.Logic().Value(), 12);
    spin.Logic().Value(25);
    spin.TextPart()->selectAll();
    QTest::keyClick(spin.TextPart(), Qt::Key_Backspace);
    EXPECT_EQ(spin.TextPart()->text(), "0");
    EXPECT_EQ(spin.TextPart()->selectedText(), "0");
    EXPECT_EQ(spin.Logic().Value(), 0);

    spin.Logic().Value(12);
    spin.TextPart()->selectAll();
    spin.TextPart()->insert("3x");  // as a paste through the context menu would
    EXPECT_EQ(spin.TextPart()->text(), "12");
}

// Cut, paste, Enter and Escape reach the text part only through the key filter, which discards
// their control characters: the number stays and the clipboard keeps what it had.
TEST_F(QtSpinButtonTest, CutPasteEnterAndEscapeGoThroughTheKeyFilter) {
    std::vector<int> seen;
    spin.onKeyPress = [&](std::int16_t& key) { seen.push_back(key); };
    QApplication::clipboard()->setText("7");
    spin.Logic().Value(12);
    spin.TextPart()->selectAll();
    QTest::keyClick(spin.TextPart(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(spin.TextPart(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(spin.TextPart(), Qt::Key_Return);
    QTest::keyClick(spin.TextPart(), Qt::Key_Escape);
    EXPECT_EQ(seen, (std::vector<int>{24, 22, 13, 27}));
    EXPECT_EQ(spin.TextPart()->text(), "12");
    EXPECT_EQ(QApplication::clipboard()->text(), "7");

    spin.onKeyPress = [](std::int16_t& key) { key = key == 13 ? '5' : key; };
    spin.TextPart()->selectAll();
    QTest::keyClick(spin.TextPart(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(spin.Logic().Value(), 5);  // the container turned Enter into a digit
}

}  // namespace
}  // namespace tessel
