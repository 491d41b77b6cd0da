// The spin edit under QTest: stepping, limits, decimals, and text that is no number.
#include "corvane/widgets/qvtSpinEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

class SpinEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.setLimits(0, 20);
        edit.setIncrement(2);
        edit.OnChange = [this](TqvtSpinEdit*) { ++changes; };
        edit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
        edit.setFocus();
    }
    std::string shown() const { return edit.Editor()->text().toStdString(); }

    TqvtSpinEdit edit;
    int changes = 0;
};

TEST_F(SpinEditTest, ButtonsKeysAndWheelStepWithinTheLimitsAndAHeldButtonRepeats)
{
    QTest::mouseClick(edit.Buttons()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(edit.Value(), 2);
    QTest::keyClick(edit.Editor(), Qt::Key_Up);
    EXPECT_EQ(edit.Value(), 4);
    QTest::keyClick(edit.Editor(), Qt::Key_PageUp);
    EXPECT_EQ(edit.Value(), 20) << "ten steps, held at the maximum";
    QTest::mouseClick(edit.Buttons()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(edit.Value(), 18);
    QWheelEvent wheel(QPointF(5, 5), edit.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&edit, &wheel);
    EXPECT_EQ(edit.Value(), 14);
    QTest::keyClick(edit.Editor(), Qt::Key_PageDown);
    EXPECT_EQ(edit.Value(), 0);
    EXPECT_EQ(shown(), "0");
    EXPECT_EQ(changes, 6);

    // A held button repeats.
    QTest::mousePress(edit.Buttons()->UpButton(), Qt::LeftButton);
    QTest::qWait(TTimerSpeedButton::InitialDelay + 4 * TTimerSpeedButton::RepeatInterval);
    QTest::mouseRelease(edit.Buttons()->UpButton(), Qt::LeftButton);
    EXPECT_GE(edit.Value(), 4) << "at least two repeats after the first delay";
}

TEST_F(SpinEditTest, TextThatIsNoNumberIsRefusedAndSettingsAreKeptSane)
{
    edit.setValue(6);
    for (const char* text : {"abc", "12x", "0x10", "", "1.2.3", "inf", "-"}) {
        edit.Editor()->setText(text);
        QTest::keyClick(edit.Editor(), Qt::Key_Return);
        EXPECT_EQ(edit.Value(), 6) << text;
        EXPECT_EQ(shown(), "6") << text;
    }
    edit.Editor()->setText(" 12 ");
    QTest::keyClick(edit.Editor(), Qt::Key_Return);
    EXPECT_EQ(edit.Value(), 12);
    edit.Editor()->setText("99");
    QTest::keyClick(edit.Editor(), Qt::Key_Return);
    EXPECT_EQ(edit.Value(), 20) << "clamped to the maximum";

    // Decimals, limits and increments are kept sane.
    edit.setDecimals(2);
    edit.setIncrement(0.25);
    edit.Editor()->setText("3,456");
    QTest::keyClick(edit.Editor(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(edit.Value(), 3.46);
    EXPECT_EQ(shown(), "3.46");
    QTest::keyClick(edit.Editor(), Qt::Key_Down);
    EXPECT_DOUBLE_EQ(edit.Value(), 3.21);
    edit.setIncrement(0);
    edit.setIncrement(-1);
    EXPECT_EQ(edit.Increment(), 0.25);
    edit.setLimits(10, 5);
    EXPECT_EQ(edit.MinValue(), 5);
    EXPECT_EQ(edit.MaxValue(), 10);
    EXPECT_EQ(edit.Value(), 5);
    // Both limits 0: no limits at all.
    edit.setLimits(0, 0);
    edit.setValue(-1e6);
    EXPECT_EQ(edit.Value(), -1e6);
}

} // namespace
