#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include "LoginFixture.h"
#include "account/ProgramFlags.h"
#include "resources/PictureButton.h"

namespace quillon::test {
namespace {

class LoginKeyboardTest : public LoginFixture {};

TEST_F(LoginKeyboardTest, TabReachesLoginAndExitAndEnterOnExitLeavesWithoutALogin) {
    startSim();
    showActive();
    typeLogin("demo", "demo");
    control<QCheckBox>("chkSaveLogin")->setFocus();
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(focused(), control<QLabel>("imgHelpDomain"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(focused(), control<QLabel>("cmdLogin"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), control<QLabel>("cmdExit"));
    // Enter runs the focused button, not the window's login.
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_TRUE(bExiting);
    EXPECT_TRUE(loginRequests().isEmpty());
}

TEST_F(LoginKeyboardTest, TheAdvancedPanelTakesTheKeyboardAndItsOkKeepsItsFace) {
    // The port list, first in the panel's order, takes the keyboard while SSL is off.
    storeDword(QStringLiteral("bSSL"), 0);
    showActive();
    control<QLineEdit>("txtUsername")->setFocus();
    window().mnuAdvanced_Click();
    EXPECT_EQ(focused(), control<QComboBox>("cboPorts"));
    QLabel* ok = control<QLabel>("cmdOKAdvanced");
    const QImage face = ok->pixmap().toImage();
    ok->setFocus();
    QTest::keyPress(ok, Qt::Key_Space);
    EXPECT_EQ(ok->pixmap().toImage(), face);
    QTest::keyRelease(ok, Qt::Key_Space);
    EXPECT_TRUE(control<QFrame>("frameAdvanced")->isHidden()) << "Space did not run Ok";
    EXPECT_EQ(storedValue(QStringLiteral("RefreshRate")),
              control<QComboBox>("cboRefreshRate")->currentText());

    const QStringList captions = {"Username", "Password"};
    for (const char* box : {"txtUsername", "txtPassword"}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control<QWidget>(box));
        EXPECT_TRUE(captions.contains(iface->text(QAccessible::Name))) << box;
    }
}

}  // namespace
}  // namespace quillon::test
