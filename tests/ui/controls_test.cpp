// Check boxes, scroll bars and the number field driven through Qt's input.
#include "window_fixture.h"

#include "runtime/ui/controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>

namespace {

using ControlsTest = WindowTest;

int procedureRuns = 0;
std::vector<int> positionsSeen;

void countRun() {
    ++procedureRuns;
    positionsSeen.push_back(controlState(1));
}

QRect thumbOf(QScrollBar* bar) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    if (bar->orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
}

QPoint lineDownArrow(QScrollBar* bar) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.pageStep = bar->pageStep();
    return bar->style()
        ->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, bar)
        .center();
}

TEST_F(ControlsTest, CheckBoxClickTogglesAndPostsWhileProgramChangesStaySilent) {
    ASSERT_NE(createCheckBox(3, 0, 0, 80, 20, "inverse"), 0);
    auto* box = qobject_cast<QCheckBox*>(controlWidget(3));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(controlText(3), "inverse");
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(controlState(3), 1);
    EXPECT_EQ(takeAll(), (std::vector<QueuedEvent>{{EventCode::Control, 3, 0}}));

    EXPECT_NE(setControlState(3, 5), 0);
    EXPECT_EQ(controlState(3), 1) << "any non-zero value checks the box";
    setControlState(3, 0);
    EXPECT_EQ(controlState(3), 0);
    setControlState(3, -1);
    EXPECT_EQ(controlState(3), 1) << "a two-state box has no third state";
    EXPECT_TRUE(eventQueueEmpty());
}

TEST_F(ControlsTest, ThumbDragRunsTheProcedureForEveryMovementAndLeavesOneEvent) {
    ASSERT_NE(createScrollBar(1, 300, 0, 20, 240, 0, 100, 1, 1), 0);
    procedureRuns = 0;
    positionsSeen.clear();
    ASSERT_NE(bindControlEvent(1, countRun), 0);
    auto* bar = qobject_cast<QScrollBar*>(controlWidget(1));
    ASSERT_NE(bar, nullptr);
    const QPoint origin = bar->mapTo(frame, QPoint(0, 0));
    QPoint at = origin + thumbOf(bar).center();

    QTest::mousePress(native, Qt::LeftButton, Qt::NoModifier, at);
    for (int step = 0; step < 10; ++step) {
        at += QPoint(0, 8);
        QTest::mouseMove(native, at);
    }
    EXPECT_EQ(procedureRuns, 10) << "once per movement while dragging";
    ASSERT_EQ(positionsSeen.size(), 10u);
    for (size_t i = 1; i < positionsSeen.size(); ++i)
        EXPECT_GT(positionsSeen[i], positionsSeen[i - 1]) << "the procedure reads the new position";
    const int dragged = controlState(1);
    EXPECT_GT(dragged, 0);
    EXPECT_EQ(positionsSeen.back(), dragged);

    QTest::mouseRelease(native, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(procedureRuns, 12) << "and once for each closing notification";
    EXPECT_EQ(controlState(1), dragged);
    EXPECT_EQ(takeAll(), (std::vector<QueuedEvent>{{EventCode::Control, 1, 0}}));
}

TEST_F(ControlsTest, LineDownAtTheMaximumStillPosts) {
    ASSERT_NE(createScrollBar(1, 300, 0, 20, 240, 0, 32, 1, 1), 0);
    setControlState(1, 32);
    EXPECT_EQ(controlState(1), 32);
    procedureRuns = 0;
    positionsSeen.clear();
    bindControlEvent(1, countRun);
    auto* bar = qobject_cast<QScrollBar*>(controlWidget(1));
    const QPoint arrow = bar->mapTo(frame, lineDownArrow(bar));
    QTest::mouseClick(native, Qt::LeftButton, Qt::NoModifier, arrow);
    EXPECT_EQ(controlState(1), 32);
    EXPECT_EQ(procedureRuns, 2) << "the step and the end of scrolling";
    EXPECT_EQ(takeAll(), (std::vector<QueuedEvent>{{EventCode::Control, 1, 0}}));
}

TEST_F(ControlsTest, ScrollBarRangeAndAttributesClampWithoutEvents) {
    ASSERT_NE(createScrollBar(2, 0, 200, 300, 20, 1, 255, 1, 0), 0);
    procedureRuns = 0;
    bindControlEvent(2, countRun);
    setControlState(2, 999);
    EXPECT_EQ(controlState(2), 255);
    setControlState(2, -5);
    EXPECT_EQ(controlState(2), 1);

    setControlState(2, 200);
    setControlAttribute(2, 2, 100);
    EXPECT_EQ(controlState(2), 100) << "a lower maximum pulls the position down";
    EXPECT_EQ(controlAttribute(2, 1), 1);
    EXPECT_EQ(controlAttribute(2, 2), 100);

    setControlAttribute(2, 3, 10);
    EXPECT_EQ(controlAttribute(2, 3), 10);
    EXPECT_EQ(controlState(2), 91) << "the last position is maximum - page + 1";
    EXPECT_EQ(procedureRuns, 0);
    EXPECT_TRUE(eventQueueEmpty());
}

struct SpinParts {
    QLineEdit* text = nullptr;
    QToolButton* up = nullptr;
    QToolButton* down = nullptr;
};

SpinParts spinParts(int control) {
    SpinParts parts;
    parts.text = qobject_cast<QLineEdit*>(controlWidget(control));
    if (!parts.text) return parts;
    for (QToolButton* button : parts.text->parentWidget()->findChildren<QToolButton*>()) {
        if (button->arrowType() == Qt::UpArrow) parts.up = button;
        if (button->arrowType() == Qt::DownArrow) parts.down = button;
    }
    return parts;
}

TEST_F(ControlsTest, NumberFieldArrowsStepClampAndAlwaysPost) {
    ASSERT_NE(createSpinField(7, 100, 100, 80, 20, -4, 4), 0);
    const SpinParts parts = spinParts(7);
    ASSERT_TRUE(parts.text && parts.up && parts.down);
    EXPECT_EQ(parts.text->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(parts.up->parentWidget()->geometry(), QRect(180 - 18, 100, 18, 20));
    EXPECT_EQ(parts.text->geometry(), QRect(100, 100, 80 - 18 + 1, 20));
    EXPECT_EQ(controlState(7), 0);

    setControlState(7, 4);
    QTest::mouseClick(parts.up, Qt::LeftButton);
    EXPECT_EQ(controlState(7), 4);
    QTest::mouseClick(parts.down, Qt::LeftButton);
    EXPECT_EQ(controlState(7), 3);
    QTest::keyClick(parts.text, Qt::Key_Down);
    EXPECT_EQ(controlState(7), 2);
    EXPECT_EQ(takeAll(), (std::vector<QueuedEvent>{{EventCode::Control, 7, 4}, {EventCode::Control, 7, 5}}))
        << "the up event at the limit, then the two down steps as one";
    EXPECT_EQ(parts.text->text(), "2") << "the text follows each step at once";
}

// The program writes the text after the field's own events; a value changed from elsewhere (a
// narrower range, setting the state) rewrites it at once, or it would show a number the value
// no longer is.
TEST_F(ControlsTest, NumberFieldTextFollowsEveryChangeOfTheValue) {
    ASSERT_NE(createSpinField(7, 100, 100, 80, 20, -8, 8), 0);
    const SpinParts parts = spinParts(7);
    EXPECT_EQ(parts.text->text(), "") << "no text until the value first changes";
    setControlState(7, 6);
    EXPECT_EQ(parts.text->text(), "6");
    setControlAttribute(7, 2, 2);
    EXPECT_EQ(controlState(7), 2);
    EXPECT_EQ(parts.text->text(), "2") << "clamped by the narrower range";
    setControlAttribute(7, 1, -2);
    setControlState(7, -100);
    EXPECT_EQ(parts.text->text(), "-2");
    setControlText(7, "-02");
    setControlAttribute(7, 2, 9);
    EXPECT_EQ(parts.text->text(), "-02") << "a range that keeps the value leaves the text";
    EXPECT_TRUE(eventQueueEmpty()) << "none of these is the user's";
}

TEST_F(ControlsTest, NumberFieldAdoptsOnlyValidTypedNumbersInRange) {
    ASSERT_NE(createSpinField(7, 100, 100, 80, 20, -4, 4), 0);
    const SpinParts parts = spinParts(7);
    setControlState(7, 2);
    EXPECT_NE(setControlText(7, "2"), 0);
    EXPECT_TRUE(eventQueueEmpty()) << "setting the text by program posts nothing";

    parts.text->clear();
    QTest::keyClicks(parts.text, "12");
    EXPECT_EQ(takeAll(), (std::vector<QueuedEvent>{{EventCode::Control, 7, 768}}));
    EXPECT_EQ(controlState(7), 2) << "12 lies outside -4..4";
    parts.text->setText("x3");
    EXPECT_EQ(controlState(7), 2);
    parts.text->setText("-3");
    EXPECT_EQ(controlState(7), -3);

    setControlAttribute(7, 1, -1);
    setControlAttribute(7, 2, 1);
    setControlText(7, "-1");
    EXPECT_EQ(controlAttribute(7, 1), -1);
    EXPECT_EQ(controlAttribute(7, 2), 1);
    EXPECT_EQ(controlState(7), -1) << "the value follows a narrower range";
    EXPECT_TRUE(eventQueueEmpty());
}

TEST_F(ControlsTest, UnknownControlsAndMissingOperationsAnswerZero) {
    EXPECT_EQ(setControlState(40, 1), 0);
    EXPECT_EQ(controlState(40), 0);
    EXPECT_EQ(controlAttribute(-3, 1), 0);
    EXPECT_EQ(setToolTip(40, "x"), 0);
    EXPECT_EQ(canvasTarget(40), nullptr);
    ASSERT_NE(createCheckBox(120, 0, 0, 80, 20, "far"), 0) << "the table grows past its first step";
    EXPECT_EQ(setControlAttribute(120, 1, 5), 0);
    EXPECT_EQ(canvasTarget(120), nullptr);
    EXPECT_NE(setToolTip(120, "a & b"), 0);
    EXPECT_EQ(controlWidget(120)->toolTip(), "a & b");
    ASSERT_NE(createCheckBox(120, 0, 0, 80, 20, "again"), 0);
    EXPECT_EQ(controlText(120), "again") << "a new control replaces the old one under its number";
    EXPECT_EQ(windowRecord(WINDOW)->client->findChildren<QCheckBox*>().size(), 1);
}

}  // namespace

namespace {

TEST_F(ControlsTest, NoControlHasTheFocusAtFirstAndArrowKeysNeverMoveIt) {
    ASSERT_NE(createCheckBox(3, 0, 0, 80, 20, "inverse"), 0);
    ASSERT_NE(createCheckBox(4, 80, 0, 80, 20, "reverse"), 0);
    ASSERT_NE(createSpinField(7, 160, 0, 80, 20, -4, 4), 0);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    EXPECT_EQ(QApplication::focusWidget(), frame) << "the window, not its first check box";

    ASSERT_NE(setKeyboardFocus(3), 0);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) QTest::keyClick(native, key);
    EXPECT_EQ(QApplication::focusWidget(), controlWidget(3));
    EXPECT_EQ(controlState(7), 0);

    setKeyboardFocus(-1);
    EXPECT_EQ(QApplication::focusWidget(), frame);
}

}  // namespace
