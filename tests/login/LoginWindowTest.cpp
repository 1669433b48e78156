// The login window's panels, handlers and keys.

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "LoginFixture.h"
#include "account/ProgramFlags.h"
#include "desktop/ProgramForm.h"
#include "desktop/Twips.h"
#include "diagnostics/frmAbout.h"
#include "protocol/basDNS.h"
#include "resources/PictureButton.h"
#include "support/Wait.h"

namespace quillon::test {
namespace {

using LoginWindowTest = LoginFixture;

TEST_F(LoginWindowTest, FourPanelsOfOneWidthAtOneLeftEdgeWithTheLoginPanelShowing) {
    window();
    EXPECT_EQ(window().windowTitle(), "Login  version 1.2");
    auto* login = control<QFrame>("frmLogin");
    for (const char* name : {"frmLogin", "frameAdvanced", "frmLoggingIn", "frameExpire"}) {
        auto* panel = control<QFrame>(name);
        EXPECT_EQ(panel->width(), twipsToPixels(4455)) << name;
        EXPECT_EQ(panel->x(), login->x()) << name;
        EXPECT_EQ(panel->isHidden(), qstrcmp(name, "frmLogin") != 0) << name;
    }
    QStringList menu;
    for (QAction* a : control<QMenu>("mnuHelp")->actions()) {
        menu << (a->isSeparator() ? a->objectName() : a->objectName() + "=" + a->text());
    }
    EXPECT_EQ(menu, QStringList({"mnuAdvanced=A&dvanced", "mnuOnlineHelp=&Online Help",
                                 "mnuRegister=&Register", "mnuSeperator1", "mnuAbout=&About"}));
}

TEST_F(LoginWindowTest, AdvancedPanelCoversTheLoginPanelAndItsOkSavesTheSettings) {
    storeDword("bSSL", 0);
    window().show();
    window().mnuAdvanced_Click();
    auto* advanced = control<QFrame>("frameAdvanced");
    EXPECT_TRUE(advanced->isVisible());
    EXPECT_EQ(advanced->geometry(), control<QFrame>("frmLogin")->geometry());

    control<QComboBox>("cboPorts")->setCurrentText("8080");
    control<QComboBox>("cboRefreshRate")->setCurrentText("90");
    // The Ok button keeps its picture: a press shows no pressed face, the release runs it.
    auto* ok = window().findChild<PictureButton*>("cmdOKAdvancedButton");
    QTest::mousePress(ok->label(), Qt::LeftButton);
    EXPECT_FALSE(ok->isDown());
    QTest::mouseRelease(ok->label(), Qt::LeftButton);

    EXPECT_TRUE(advanced->isHidden());
    EXPECT_TRUE(control<QFrame>("frmLogin")->isVisible());
    EXPECT_EQ(storedValue("Port"), "8080");
    EXPECT_EQ(storedValue("RefreshRate"), "90");
    EXPECT_EQ(storedValue("bSSL"), "0");
    // The address keeps the old port until the next SSL click or settings load.
    EXPECT_EQ(sServiceURL, "http://update.corvane.example:80/dnslogin3.asp");

    // The stored types, as the store's own tool shows them.
    QProcess reg;
    reg.start(qEnvironmentVariable("QUILLON_BIN_DIR") + "/hivekit-reg",
              {"query", "HKLM\\SOFTWARE\\Corvane\\Init"});
    ASSERT_TRUE(reg.waitForFinished(10000));
    const QString out = QString::fromUtf8(reg.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QRegularExpression("bSSL\\s+REG_DWORD\\s+0x0+\\b")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("Port\\s+REG_SZ\\s+8080"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("RefreshRate\\s+REG_SZ\\s+90")))
        << out.toStdString();

    // A new window reads what was saved.
    delete window_.data();
    window();
    EXPECT_EQ(control<QComboBox>("cboPorts")->currentText(), "8080");
    EXPECT_EQ(control<QComboBox>("cboRefreshRate")->currentText(), "90");
    EXPECT_EQ(sServiceURL, "http://update.corvane.example:8080/dnslogin3.asp");
}

TEST_F(LoginWindowTest, AdvancedOkWithTickedSslStoresTheNumberOne) {
    window();
    control<QCheckBox>("chkSSL")->setChecked(true);
    window().cmdOKAdvanced_Click();
    EXPECT_EQ(storedValue("bSSL"), "1");
    EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(LoginWindowTest, AdvancedOkThatCannotWriteIsReportedUnderItsOwnName) {
    window();
    {
        // A store the component cannot open: its folder would have to be a plain file.
        QFile blocker(dir_.filePath("blocker"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ScopedEnv broken("HIVEKIT_STORE", dir_.filePath("blocker/registry.db").toLocal8Bit());
        window().mnuAdvanced_Click();
        window().cmdOKAdvanced_Click();
    }
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].title, "Error");
    EXPECT_TRUE(messages_.shown()[0].text.startsWith("frmLogin.cmdOKAdvanced_Click()"))
        << messages_.shown()[0].text.toStdString();
    EXPECT_EQ(beeps_.count(), 1);
    // The report's record went to the day's log in the program's (here: the test's) folder.
    QFile log(dir_.filePath("Logs/Pindrel_" + QDate::currentDate().toString("MMdd") + ".log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(":: frmLogin.cmdOKAdvanced_Click()\r\n"));
    // The panels were switched before the save.
    EXPECT_TRUE(control<QFrame>("frameAdvanced")->isHidden());
}

TEST_F(LoginWindowTest, SslClickSwitchesTheAddressBothWays) {
    storeDword("bSSL", 0);
    window();
    auto* ssl = control<QCheckBox>("chkSSL");
    auto* ports = control<QComboBox>("cboPorts");
    QTest::mouseClick(ssl, Qt::LeftButton);
    EXPECT_TRUE(ssl->isChecked());
    EXPECT_FALSE(ports->isEnabled());
    EXPECT_EQ(sServiceURL, "https://secure.corvane.example/autoupdate/dnslogin3.asp");

    ports->setCurrentText("1400");
    QTest::mouseClick(ssl, Qt::LeftButton);
    EXPECT_FALSE(ssl->isChecked());
    EXPECT_TRUE(ports->isEnabled());
    EXPECT_EQ(sServiceURL, "http://update.corvane.example:1400/dnslogin3.asp");
}

// The stored port is taken up when there is one (see the advanced settings' tests); a port that
// is not in the list gives 80.
TEST_F(LoginWindowTest, ClearingSslAfterALoadWithoutAPortUsesPort80WhenNoneIsStored) {
    storeText("bSSL", "1");
    storeText("Port", "8081");
    window();
    control<QCheckBox>("chkSSL")->setChecked(false);
    EXPECT_EQ(control<QComboBox>("cboPorts")->currentText(), "80");
    EXPECT_EQ(sServiceURL, "http://update.corvane.example:80/dnslogin3.asp");
}

TEST_F(LoginWindowTest, TickedSslSendsTheLoginToTheSecureAddress) {
    SimProcess& sim = startSim(true);
    window();
    control<QCheckBox>("chkSSL")->setChecked(true);
    typeLogin("demo", "demo");
    window().cmdLogin_Click();
    EXPECT_TRUE(messages_.shown().empty()) << messages_.texts().join('|').toStdString();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_EQ(sim.requestLog(),
              QStringList({"/autoupdate/dnslogin3.asp?fxn=login&usr=demo&pwd=demo"}));
}

TEST_F(LoginWindowTest, EnterInThePasswordBoxLogsInOnce) {
    startSim();
    window().show();
    typeLogin("demo", "demo");
    QTest::keyClick(control<QLineEdit>("txtPassword"), Qt::Key_Return);
    EXPECT_EQ(loginRequests().size(), 1);
    EXPECT_TRUE(bLoggedIn);
}

TEST_F(LoginWindowTest, EnterReachingTheWindowLogsInWhileTheLoginPanelShows) {
    startSim();
    window().show();
    typeLogin("demo", "wrong");
    // The user-name box does not use Enter; the window's own key handler gets it.
    QTest::keyClick(control<QLineEdit>("txtUsername"), Qt::Key_Enter);
    EXPECT_EQ(loginRequests().size(), 1);

    typeLogin("demo", "wrong");
    window().mnuAdvanced_Click();
    QTest::keyClick(&window(), Qt::Key_Return);
    EXPECT_EQ(loginRequests().size(), 1);

    window().cmdOKAdvanced_Click();
    QTest::keyClick(&window(), Qt::Key_Return);
    EXPECT_EQ(loginRequests().size(), 2);
    EXPECT_FALSE(window_.isNull());
}

TEST_F(LoginWindowTest, ExitUnloadsEveryWindow) {
    window().show();
    // Unloading deletes a window, so the others live on the heap.
    QPointer<QDialog> other = new QDialog;
    other->setObjectName("frmAbout");
    MarkAsForm(other);
    other->show();
    // A window that is not one of the program's forms (Qt's own window for a tray icon, a
    // message box) is not the program's to unload.
    QPointer<QWidget> notAForm = new QWidget(nullptr, Qt::Window);
    notAForm->show();
    window().cmdExit_Click();
    EXPECT_TRUE(bExiting);
    EXPECT_TRUE(waitUnloaded());
    EXPECT_TRUE(other.isNull());
    EXPECT_FALSE(notAForm.isNull());
    EXPECT_TRUE(notAForm->isVisible());
    EXPECT_FALSE(bLoggedIn);
    delete notAForm.data();
}

// A stand-in main window that records its close.
class MainStandIn : public QWidget {
  public:
    int closes = 0;

  protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

TEST_F(LoginWindowTest, ExitStopsAtTheMainWindow) {
    window().show();
    QPointer<MainStandIn> main = new MainStandIn;
    main->setObjectName("FRMMAIN");
    MarkAsForm(main);
    main->show();
    QPointer<QDialog> other = new QDialog;
    other->setObjectName("frmAbout");
    MarkAsForm(other);
    other->show();
    const QList<QWidget*> order = QApplication::topLevelWidgets();
    const bool otherFirst = order.indexOf(other.data()) < order.indexOf(main.data());
    const bool loginFirst = order.indexOf(&window()) < order.indexOf(main.data());

    window().cmdExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The main window is closed once, not deleted (its own close handling unloads the rest);
    // the walk unloads the windows before it in the list and none after it.
    ASSERT_FALSE(main.isNull());
    EXPECT_EQ(main->closes, 1);
    EXPECT_EQ(other.isNull(), otherFirst);
    EXPECT_EQ(window_.isNull(), loginFirst);
    delete main.data();
    delete other.data();
}

TEST_F(LoginWindowTest, PagesOpenOnTheServicesSites) {
    storeText("WebSite", "http://127.0.0.1:1400");
    storeText("SecureHost", "127.0.0.1:14443");
    window().show();
    window().findChild<QAction*>("mnuOnlineHelp")->trigger();
    QTest::mouseClick(control<QLabel>("imgHelpDomain"), Qt::LeftButton);
    window().findChild<QAction*>("mnuRegister")->trigger();
    QTest::mouseClick(control<QLabel>("llblRegister"), Qt::LeftButton);
    window().cmdOKAdvanced_Click();
    control<QFrame>("frameExpire")->show();
    QTest::mouseClick(control<QLabel>("lblExpire"), Qt::LeftButton);
    EXPECT_EQ(
        pages_.opened(),
        QStringList({"http://127.0.0.1:1400/help", "http://127.0.0.1:1400/help",
                     "http://127.0.0.1:1400/services.asp", "http://127.0.0.1:1400/services.asp",
                     "https://127.0.0.1:14443/v.1.3/support.asp"}));
}

TEST_F(LoginWindowTest, AboutOpensModally) {
    window().show();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = waitUntil(
            [] { return frmAbout::loaded() != nullptr && frmAbout::loaded()->isVisible(); });
        if (frmAbout::loaded()) {
            frmAbout::loaded()->close();
        }
    });
    window().findChild<QAction*>("mnuAbout")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(waitUntil([] { return frmAbout::loaded() == nullptr; }));
}

TEST_F(LoginWindowTest, LoginAndExitButtonsShowThePressedFace) {
    window().show();
    for (const char* name : {"cmdLoginButton", "cmdExitButton"}) {
        auto* button = window().findChild<PictureButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mousePress(button->picture(), Qt::LeftButton);
        EXPECT_TRUE(button->isDown()) << name;
        // Releasing outside the control shows the raised face and runs nothing.
        QTest::mouseRelease(button->picture(), Qt::LeftButton, {}, QPoint(-5, -5));
        EXPECT_FALSE(button->isDown()) << name;
    }
    EXPECT_TRUE(messages_.shown().empty());
    EXPECT_FALSE(bExiting);
}

}  // namespace
}  // namespace quillon::test
