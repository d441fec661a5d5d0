// The label-button and the limited text box of the send panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

TEST(LabelButton, ClicksWithTheLeftButtonInsideOnly) {
    LabelButton button(LabelButton::Look::Command);
    button.resize(60, 30);
    button.show();
    QSignalSpy clicks(&button, &LabelButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&button, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1);
    // Pressed inside, released outside: no command.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(200, 5));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(LabelButton, LooksLikeACommand) {
    LabelButton button(LabelButton::Look::Menu);
    EXPECT_EQ(button.cursor().shape(), Qt::BitmapCursor) << "the program's own pointing hand";
    EXPECT_EQ(button.palette().color(QPalette::WindowText), QColor(255, 255, 255));
    button.setHighlighted(true);
    EXPECT_EQ(button.palette().color(QPalette::WindowText), QColor(255, 144, 48));
    button.setHighlighted(false);
    EXPECT_EQ(button.palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_TRUE(button.font().bold() && button.font().italic());
    EXPECT_EQ(button.textFormat(), Qt::PlainText);
}

class LimitedTextBoxTest : public ::testing::Test {
protected:
    LimitedTextBoxTest() {
        box_.setMaxLength(10);
        box_.show();
        box_.setFocus();
    }
    LimitedTextBox box_;
};

TEST_F(LimitedTextBoxTest, TypingStopsAtTheLimit) {
    QTest::keyClicks(&box_, QStringLiteral("abcdefghijkl"));
    EXPECT_EQ(box_.text(), QStringLiteral("abcdefghij"));
    // Replacing a selection makes room.
    box_.selectAll();
    QTest::keyClicks(&box_, QStringLiteral("xy"));
    EXPECT_EQ(box_.text(), QStringLiteral("xy"));
}

TEST_F(LimitedTextBoxTest, ALineBreakCountsTwoAndIsHeldAsCrLf) {
    QTest::keyClicks(&box_, QStringLiteral("abcdefg"));
    QTest::keyClick(&box_, Qt::Key_Return);
    QTest::keyClicks(&box_, QStringLiteral("hij"));
    EXPECT_EQ(box_.text(), QStringLiteral("abcdefg\r\nh"));
    EXPECT_EQ(box_.text().size(), 10);
    // No room left for another line break.
    box_.setText(QStringLiteral("abcdefghi"));
    box_.moveCursor(QTextCursor::End);
    QTest::keyClick(&box_, Qt::Key_Return);
    EXPECT_EQ(box_.text(), QStringLiteral("abcdefghi"));
}

TEST_F(LimitedTextBoxTest, PastingIsCutToTheRoomLeft) {
    QTest::keyClicks(&box_, QStringLiteral("abc"));
    QApplication::clipboard()->setText(QStringLiteral("12345\n6789"));
    box_.paste();
    EXPECT_EQ(box_.text(), QStringLiteral("abc12345\r\n"));
    box_.setText(QStringLiteral("abcdefg"));
    box_.moveCursor(QTextCursor::End);
    box_.paste();
    EXPECT_EQ(box_.text(), QStringLiteral("abcdefg123"));
    // A character outside the basic plane is never cut in half.
    box_.setText(QStringLiteral("abcdefghi"));
    box_.moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("\U0001F600"));
    box_.paste();
    EXPECT_EQ(box_.text(), QStringLiteral("abcdefghi"));
}

TEST_F(LimitedTextBoxTest, TextSetByTheProgramIsTakenWhole) {
    box_.setText(QStringLiteral("line one\rline two\nthree that is long"));
    EXPECT_EQ(box_.text(), QStringLiteral("line one\r\nline two\r\nthree that is long"));
    EXPECT_EQ(LimitedTextBox::countedLength(QStringLiteral("a\nb")), 4);
}

}  // namespace
