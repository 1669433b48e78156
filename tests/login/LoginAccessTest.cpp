#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include "LoginFixture.h"
#include "account/ProgramFlags.h"

namespace quillon::test {
namespace {

// The login panel's controls, which the advanced panel and the expiry notice cover.
const char* const kLoginPanelControls[] = {"txtUsername",   "txtPassword", "chkSaveLogin",
                                           "imgHelpDomain", "cmdLogin",    "Label3",
                                           "cmdExit",       "Label4",      "llblRegister"};

const QString kExpiredReply =
    QStringLiteral("<p>DNS LOGIN:SUCCESS</p><p>ExpirationDate:2020-01-31</p>");

class LoginAccessTest : public LoginFixture {
  protected:
    static QAccessibleInterface* accessible(QWidget* w) {
        return QAccessible::queryAccessibleInterface(w);
    }

    // The controls Tab visits, starting from the focus, until it comes round again.
    static QList<QWidget*> tabRound() {
        QList<QWidget*> visited;
        QWidget* start = focused();
        for (int i = 0; i < 40 && focused() != nullptr; ++i) {
            QTest::keyClick(focused(), Qt::Key_Tab);
            if (focused() == start) {
                break;
            }
            visited.append(focused());
        }
        return visited;
    }

    // Checks that nothing of the login panel shows, is reported as showing or is reached by Tab.
    void expectLoginPanelCovered() {
        for (const char* name : kLoginPanelControls) {
            QWidget* w = control<QWidget>(name);
            EXPECT_FALSE(w->isVisible()) << name;
            EXPECT_TRUE(accessible(w)->state().invisible) << name;
        }
        QFrame* panel = control<QFrame>("frmLogin");
        for (QWidget* reached : tabRound()) {
            EXPECT_FALSE(panel->isAncestorOf(reached)) << reached->objectName().toStdString();
        }
    }
};

TEST_F(LoginAccessTest, UnderTheAdvancedPanelNothingOfTheLoginShowsOrActs) {
    showActive();
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    FakeTransfer transfer({true, QStringLiteral("<p>DNS LOGIN:SUCCESS</p>"), {}});
    window().mnuAdvanced_Click();
    expectLoginPanelCovered();

    // Space sent to the covered Login, and its press action, log nobody in.
    QLabel* login = control<QLabel>("cmdLogin");
    QTest::keyClick(login, Qt::Key_Space);
    accessible(login)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(transfer.urls.isEmpty());
    EXPECT_FALSE(bLoggedIn);
}

TEST_F(LoginAccessTest, EscapeLeavesTheAdvancedPanelWithoutSaving) {
    showActive();
    const QString storedRate = storedValue(QStringLiteral("RefreshRate"));
    auto* rate = control<QComboBox>("cboRefreshRate");
    auto* ssl = control<QCheckBox>("chkSSL");
    const int rateBefore = rate->currentIndex();
    const bool sslBefore = ssl->isChecked();
    window().mnuAdvanced_Click();
    rate->setCurrentIndex(rateBefore == 0 ? 1 : 0);
    ssl->setChecked(!sslBefore);
    QTest::keyClick(focused(), Qt::Key_Escape);

    EXPECT_TRUE(control<QFrame>("frameAdvanced")->isHidden());
    EXPECT_TRUE(control<QFrame>("frmLogin")->isVisible());
    EXPECT_TRUE(control<QFrame>("frmLogin")->isAncestorOf(focused()));
    EXPECT_EQ(storedValue(QStringLiteral("RefreshRate")), storedRate);
    EXPECT_EQ(rate->currentIndex(), rateBefore);
    EXPECT_EQ(ssl->isChecked(), sslBefore);
}

TEST_F(LoginAccessTest, TheExpiryNoticeCoversTheLoginIsReadWithItsOkAndItsLinkRuns) {
    showActive();
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    {
        FakeTransfer transfer({true, kExpiredReply, {}});
        window().cmdLogin_Click();
    }
    ASSERT_FALSE(control<QFrame>("frameExpire")->isHidden());
    auto* notice = control<QLabel>("lblExpire");
    ASSERT_EQ(focused(), control<QLabel>("cmdExpireOK"))
        << (focused() ? focused()->objectName().toStdString() : "none");
    // The Ok that has the focus tells why it is there.
    EXPECT_EQ(accessible(focused())->text(QAccessible::Description), notice->text());

    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), notice);
    EXPECT_EQ(accessible(notice)->role(), QAccessible::Link);
    QTest::keyClick(focused(), Qt::Key_Return);
    ASSERT_EQ(pages_.opened().size(), 1);
    EXPECT_TRUE(pages_.opened().first().endsWith(QLatin1String("/support.asp")));

    expectLoginPanelCovered();
}

TEST_F(LoginAccessTest, TheRegisterLinkAndTheHelpPictureAreReachedAndRunByKeys) {
    showActive();
    auto* help = control<QLabel>("imgHelpDomain");
    auto* registerLink = control<QLabel>("llblRegister");
    control<QCheckBox>("chkSaveLogin")->setFocus();
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), help);
    QTest::keyClick(focused(), Qt::Key_Space);
    control<QLabel>("cmdExit")->setFocus();
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), registerLink);
    QTest::keyClick(focused(), Qt::Key_Enter);
    ASSERT_EQ(pages_.opened().size(), 2);
    EXPECT_TRUE(pages_.opened()[0].endsWith(QLatin1String("/help")));
    EXPECT_TRUE(pages_.opened()[1].endsWith(QLatin1String("/services.asp")));

    EXPECT_EQ(accessible(registerLink)->role(), QAccessible::Link);
    EXPECT_EQ(accessible(registerLink)->text(QAccessible::Name),
              QStringLiteral("First Time Here? Please Register With Us."));
    EXPECT_EQ(accessible(help)->role(), QAccessible::Link);
    EXPECT_EQ(accessible(help)->text(QAccessible::Name), QStringLiteral("Help"));
    EXPECT_EQ(accessible(help)->text(QAccessible::Description),
              QStringLiteral("Click here for help page."));
}

TEST_F(LoginAccessTest, APictureButtonIsAnnouncedOnceAndTheLogoByItsName) {
    window();
    QLabel* login = control<QLabel>("cmdLogin");
    EXPECT_EQ(accessible(login)->role(), QAccessible::Button);
    EXPECT_EQ(accessible(login)->text(QAccessible::Name), QStringLiteral("Login"));
    // The caption lying on the picture is not read a second time.
    QAccessibleInterface* caption = accessible(control<QLabel>("Label3"));
    EXPECT_TRUE(caption->state().invisible);
    EXPECT_TRUE(caption->text(QAccessible::Name).isEmpty());
    EXPECT_EQ(accessible(control<QLabel>("Image1"))->text(QAccessible::Name),
              QStringLiteral("Corvane"));
}

}  // namespace
}  // namespace quillon::test
