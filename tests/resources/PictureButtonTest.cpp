#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "resources/PictureButton.h"

namespace quillon::test {
namespace {

// A window with a text box followed by two picture buttons, the second keeping its face.
class PictureButtonTest : public ::testing::Test {
  protected:
    PictureButtonTest() {
        box_->setGeometry(10, 10, 100, 24);
        add_->setGeometryTwips(150, 600, 1335, 375);
        ok_->setGeometryTwips(1650, 600, 1335, 375);
        ok_->setKeepsFace(true);
        window_.resize(300, 120);
        window_.show();
        window_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
        box_->setFocus();
    }

    QWidget window_;
    QLineEdit* box_ = new QLineEdit(&window_);
    PictureButton* add_ = new PictureButton(&window_, "cmdAdd", "Label1", "Add");
    PictureButton* ok_ = new PictureButton(&window_, "cmdOK", "Label2", "Ok");
    QSignalSpy addClicks_{add_, &PictureButton::clicked};
    QSignalSpy okClicks_{ok_, &PictureButton::clicked};
};

TEST_F(PictureButtonTest, AssistiveTechnologySeesAButtonNamedByItsCaptionThatPresses) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(add_->picture());
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::Button);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Add"));
    add_->setCaption(QStringLiteral("Update/Add"));
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Update/Add"));

    QAccessibleActionInterface* actions = face->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(addClicks_.count(), 1);
    // A disabled button is not pressed by assistive technology either.
    add_->setEnabled(false);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(addClicks_.count(), 1);
}

TEST_F(PictureButtonTest, TabReachesEachButtonAndSpaceOrEnterRunsIt) {
    const QImage unfocused = add_->picture()->grab().toImage();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), add_->picture());
    EXPECT_NE(add_->picture()->grab().toImage(), unfocused) << "the focus is not drawn";

    // Space runs the button on its release and shows the pressed face while held.
    QTest::keyPress(add_->picture(), Qt::Key_Space);
    EXPECT_TRUE(add_->isDown());
    EXPECT_EQ(addClicks_.count(), 0);
    QTest::keyRelease(add_->picture(), Qt::Key_Space);
    EXPECT_FALSE(add_->isDown());
    EXPECT_EQ(addClicks_.count(), 1);
    QTest::keyClick(add_->picture(), Qt::Key_Return);
    EXPECT_EQ(addClicks_.count(), 2);

    QTest::keyClick(add_->picture(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), ok_->picture());
    QTest::keyPress(ok_->picture(), Qt::Key_Space);
    EXPECT_FALSE(ok_->isDown()) << "a button that keeps its face went down";
    QTest::keyRelease(ok_->picture(), Qt::Key_Space);
    EXPECT_EQ(okClicks_.count(), 1);
    EXPECT_EQ(addClicks_.count(), 2);
}

TEST_F(PictureButtonTest, AClickRunsTheButtonAndLeavesTheFocusWhereItWas) {
    QTest::mouseClick(add_->label(), Qt::LeftButton);
    EXPECT_EQ(addClicks_.count(), 1);
    EXPECT_EQ(QApplication::focusWidget(), box_);
}

}  // namespace
}  // namespace quillon::test
