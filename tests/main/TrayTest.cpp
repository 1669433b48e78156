// The tray, the menus and closing, against corvane-sim: the tray's dialog check and deferred
// commands, Show, the close questions, Log Off and the icon's notices.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "MainFixture.h"
#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "diagnostics/frmAbout.h"
#include "platform/ServiceDefaultAddress.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"

namespace quillon::test {
namespace {

const QString kCloseQuestion =
    QStringLiteral("Are you sure you want to close the Dynamic DNS Application?");
const QString kFreeCloseQuestion = QStringLiteral(
    "By closing this application you will remove your DNS records from the DNS Server \r\n"
    "making your server unreachable by it's Corvane domain name.\r\n\r\n"
    "Are you sure you want to close it?");

// Watches for popup menus while it lives: notes each one and chooses `choice` in it (or dismisses
// it), then runs `afterChoice` while the menu is still open.
class PopupChooser {
  public:
    explicit PopupChooser(QString choice = QString()) : choice_(std::move(choice)) {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) {
                return;
            }
            ++shown;
            if (!choice_.isEmpty()) {
                QAction* item = menu->findChild<QAction*>(choice_);
                EXPECT_NE(item, nullptr) << choice_.toStdString();
                if (item != nullptr) {
                    item->trigger();
                }
            }
            if (afterChoice) {
                afterChoice();
            }
            menu->close();
        });
        poll_.start();
    }
    int shown = 0;
    std::function<void()> afterChoice;

  private:
    QString choice_;
    QTimer poll_;
};

// Runs `action` once on the login window the first time it shows.
class OnLoginWindow {
  public:
    OnLoginWindow(frmMain& main, std::function<void(frmLogin&)> action)
        : action_(std::move(action)) {
        poll_.setInterval(20);
        QObject::connect(&poll_, &QTimer::timeout, [this, &main] {
            frmLogin* login = main.loginWindow();
            if (login != nullptr && login->isVisible() && !done) {
                done = true;
                action_(*login);
            }
        });
        poll_.start();
    }
    bool done = false;

  private:
    std::function<void(frmLogin&)> action_;
    QTimer poll_;
};

class TrayTest : public MainFixture {
  protected:
    bool unloaded() { return main().property("quillonUnloaded").toBool(); }
};

TEST_F(TrayTest, TrayLeavesOpenDialogsAloneAndRunsExitOnlyAfterItsMenu) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    {
        PopupChooser popups;
        frmAbout::ShowAbout(&main(), false);
        main().cSysTrayOn_MouseUp(2, 0);
        QTest::qWait(50);
        EXPECT_EQ(popups.shown, 0) << "a menu over the loaded About window";
        delete frmAbout::loaded();

        // A modal box that is up: on desktops whose tray talks over D-Bus the click arrives.
        QDialog question;
        QTimer::singleShot(0, &question, [&] {
            main().cSysTrayOn_MouseUp(2, 0);
            QTest::qWait(50);
            question.reject();
        });
        question.exec();
        EXPECT_EQ(popups.shown, 0) << "a menu over a modal box";

        // A left release brings the window forward and shows no menu.
        main().cSysTrayOn_MouseUp(1, 0);
        QTest::qWait(50);
        EXPECT_EQ(popups.shown, 0);
        EXPECT_FALSE(unloaded());
    }

    PopupChooser exitChosen(QStringLiteral("mnuPopupExit"));
    bool openWhileMenuUp = false;
    exitChosen.afterChoice = [&] { openWhileMenuUp = !unloaded(); };
    main().cSysTrayOn_MouseUp(2, 0);
    EXPECT_EQ(exitChosen.shown, 1);
    EXPECT_TRUE(openWhileMenuUp) << "Exit ran inside the menu";
    // Exit for an account with domains asks nothing, saves and closes.
    EXPECT_TRUE(unloaded());
    EXPECT_TRUE(messages_.shown().empty());
    EXPECT_TRUE(bExiting);
    EXPECT_FALSE(userValue(QStringLiteral("demo"), QStringLiteral("MainLeft")).isEmpty());
}

// The desktop may deliver a click on the icon while a check waits for its reply: the menu and its
// Exit wait until the check has ended.
TEST_F(TrayTest, ATrayClickDuringARequestWaitsForItsEnd) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    sim_->injectFault(SimProcess::Fault::Delay, 1, 800);
    PopupChooser exitChosen(QStringLiteral("mnuPopupExit"));
    QTimer::singleShot(100, &main(), [this] { main().cSysTrayOn_MouseUp(2, 0); });
    tick(6);
    EXPECT_EQ(ipRequests().size(), 1);
    EXPECT_EQ(exitChosen.shown, 0) << "the menu opened inside the request";
    EXPECT_FALSE(unloaded());
    EXPECT_TRUE(QTest::qWaitFor([this] { return unloaded(); }, 3000));
    EXPECT_EQ(exitChosen.shown, 1);
}

TEST_F(TrayTest, EachCloseQuestionsNoKeepsTheWindowAndSavesNothing) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    messages_.queueAnswer(MsgAnswer::No);
    main().close();
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, kCloseQuestion);
    EXPECT_EQ(messages_.shown()[0].title, QStringLiteral("Corvane"));
    EXPECT_EQ(messages_.shown()[0].buttons, MsgButtons::YesNo);
    EXPECT_FALSE(unloaded());
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(userValue(QStringLiteral("demo"), QStringLiteral("MainLeft")).isEmpty());
    delete main_.data();

    // A free account: the removal question, asked even by Exit; No sends nothing, Yes removes
    // the host record.
    ASSERT_TRUE(startAs(QStringLiteral("free")));
    messages_.clear();
    sim_->clearLog();
    messages_.queueAnswer(MsgAnswer::No);
    main().mnuLogout_Click();
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, kFreeCloseQuestion);
    EXPECT_FALSE(unloaded());
    EXPECT_TRUE(ticklerRequests().isEmpty());
    // (The host's address was stored by the login's add; the window's own values wait for a close.)
    EXPECT_TRUE(userValue(QStringLiteral("free"), QStringLiteral("bAutoIP")).isEmpty());

    main().close();
    EXPECT_TRUE(unloaded());
    ASSERT_EQ(ticklerRequests().size(), 1);
    EXPECT_TRUE(ticklerRequests()[0].contains(QStringLiteral("&DNSCommand=RECORDDELETE")));
    EXPECT_EQ(
        serviceRecords(QStringLiteral("free"), QStringLiteral("free")),
        QStringLiteral("free.corvane.example;;A;;free;;") + QLatin1String(kServiceDefaultAddress));
}

// A free account's Exit is refused, then the tray's Log Off (run after its menu) removes the
// host and shows the login window; a domain account logs in and its close asks nothing, as the
// refused Exit left bExiting set.
TEST_F(TrayTest, LogOffOfAFreeAccountThenADomainLoginSwitchesToTheGrid) {
    storeUserDword(QStringLiteral("demo"), QStringLiteral("Col1"), 3000);
    startSim();
    sim_->setAddress(QStringLiteral("free"), QStringLiteral("192.0.2.20"));
    storeUserDword(QStringLiteral("free"), QStringLiteral("bAutoIP"), 1);
    ASSERT_TRUE(startAs(QStringLiteral("free")));
    messages_.queueAnswer(MsgAnswer::No);
    main().mnuLogout_Click();
    ASSERT_FALSE(unloaded());
    ASSERT_TRUE(bExiting);
    messages_.clear();
    sim_->clearLog();

    int popupsWhileLoggingIn = -1;
    OnLoginWindow login(main(), [&](frmLogin& window) {
        EXPECT_TRUE(main().isHidden());
        // The next account starts from its own boxes, not from the free account's ticks.
        EXPECT_FALSE(mainControl<QCheckBox>("chkAutoIP")->isChecked());
        // The removal went out before the login window showed.
        EXPECT_EQ(ticklerRequests().size(), 1);
        // The login window is a dialog for the tray: no menu over it.
        PopupChooser popups;
        main().cSysTrayOn_MouseUp(2, 0);
        QTest::qWait(50);
        popupsWhileLoggingIn = popups.shown;
        // Nobody is logged in: a changed address re-creates no host record.
        sim_->setAddress(QStringLiteral("free"), QStringLiteral("198.51.100.9"));
        tick(12);
        EXPECT_TRUE(ipRequests().isEmpty());
        EXPECT_EQ(ticklerRequests().size(), 1);
        // The saved login is offered again, its box still ticked.
        EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("txtUsername"))->text(),
                  QStringLiteral("free"));
        EXPECT_TRUE(window.findChild<QCheckBox*>(QStringLiteral("chkSaveLogin"))->isChecked());
        window.findChild<QLineEdit*>(QStringLiteral("txtUsername"))
            ->setText(QStringLiteral("demo"));
        window.findChild<QLineEdit*>(QStringLiteral("txtPassword"))
            ->setText(QStringLiteral("demo"));
        window.cmdLogin_Click();
    });
    PopupChooser logOff(QStringLiteral("mnuPopupLogOff"));
    main().cSysTrayOn_MouseUp(2, 0);

    ASSERT_TRUE(login.done);
    EXPECT_EQ(popupsWhileLoggingIn, 0);
    ASSERT_EQ(sim_->requestLog().filter(QStringLiteral("FXN=DNSTickler")).size(), 1);
    EXPECT_TRUE(ticklerRequests()[0].contains(QStringLiteral("&DNSCommand=RECORDDELETE")));
    EXPECT_EQ(objUser().sUsername, QStringLiteral("demo"));
    EXPECT_FALSE(objUser().bCorvaneOnly);
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(mainControl<QFrame>("frameGrid")->isHidden());
    EXPECT_TRUE(mainControl<QFrame>("frameCorvaneDomain")->isHidden());
    EXPECT_TRUE(mainControl<QAction>("mnuAddDomain")->isVisible());
    EXPECT_GT(mainControl<QTreeWidget>("lvDomainUser")->topLevelItemCount(), 0);
    // demo's own stored layout, not the free account's window.
    EXPECT_EQ(main().columnTwips(0), 3000);

    main().close();
    EXPECT_TRUE(unloaded());
    EXPECT_TRUE(messages_.shown().empty());
    EXPECT_FALSE(userValue(QStringLiteral("demo"), QStringLiteral("MainLeft")).isEmpty());
}

// The window outlives a Log Off; the next account gets its own SSL choice and window state, not
// the previous session's, and saves its own.
TEST_F(TrayTest, AfterLogOffTheNextAccountKeepsItsOwnSSLChoiceAndWindowState) {
    storeUserDword(QStringLiteral("demo"), QStringLiteral("WindowState"), 2);
    ASSERT_TRUE(startAs(QStringLiteral("free")));
    ASSERT_EQ(main().windowStateNumber(), 0);
    OnLoginWindow login(main(), [&](frmLogin& window) {
        // The main window's box still holds a tick of the session just ended, while the stored
        // choice, and the login window's box, say no SSL.
        QCheckBox* ssl = mainControl<QCheckBox>("chkSSL");
        const QSignalBlocker quiet(ssl);
        ssl->setChecked(true);
        window.findChild<QLineEdit*>(QStringLiteral("txtUsername"))
            ->setText(QStringLiteral("demo"));
        window.findChild<QLineEdit*>(QStringLiteral("txtPassword"))
            ->setText(QStringLiteral("demo"));
        window.cmdLogin_Click();
    });
    main().mnuLogin_Click();
    ASSERT_TRUE(login.done);
    ASSERT_EQ(objUser().sUsername, QStringLiteral("demo"));
    EXPECT_FALSE(mainControl<QCheckBox>("chkSSL")->isChecked());
    EXPECT_EQ(sServiceURL, PlainServiceURL(mainControl<QComboBox>("cboPorts")->currentText()));
    EXPECT_EQ(main().windowStateNumber(), 2);

    main().close();
    Registry init;
    init.setKey(QStringLiteral("SOFTWARE\\Corvane\\Init"));
    EXPECT_EQ(init.getValue(QStringLiteral("bSSL")), QStringLiteral("0"));
    EXPECT_EQ(userValue(QStringLiteral("demo"), QStringLiteral("WindowState")),
              QStringLiteral("2"));
}

TEST_F(TrayTest, ShowRestoresTheStoredStateOrNormalWhenNoneIsStored) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    main().mnuPopupHide_Click();
    ASSERT_TRUE(main().isHidden());
    storeUserDword(QStringLiteral("demo"), QStringLiteral("WindowState"), 2);
    main().cSysTrayOn_MouseDown(1, 0);
    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(main().windowStateNumber(), 2);

    main().mnuPopupHide_Click();
    {
        Registry reg;
        reg.setKey(QStringLiteral("SOFTWARE\\Corvane\\demo"));
        reg.deleteValue(QStringLiteral("WindowState"));
    }
    main().mnuPopupShow_Click();
    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(main().windowStateNumber(), 0);

    // The pages: the secure login page for Add Domain, the help page for the help pictures.
    mainControl<QAction>("mnuAddDomain")->trigger();
    QTest::mouseClick(mainControl<QLabel>("imgHelpGrid"), Qt::LeftButton);
    ASSERT_EQ(pages_.opened().size(), 2);
    EXPECT_TRUE(pages_.opened()[0].startsWith(QStringLiteral("https://")));
    EXPECT_TRUE(pages_.opened()[0].endsWith(QStringLiteral("/v.1.6/login.asp")));
    EXPECT_TRUE(pages_.opened()[1].endsWith(QStringLiteral("/help")));
}

TEST_F(TrayTest, IconSwapsWithTheConnectionAndEachChangeIsNoticedOnce) {
    storeUserText(QStringLiteral("demo"), QStringLiteral("AutoIPs"),
                  QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));
    startSim();
    sim_->setAddress(QStringLiteral("demo"), QStringLiteral("192.0.2.11"));
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    ASSERT_TRUE(main().trayOn()->intray());
    QStringList notices;
    for (cSysTray* tray : {main().trayOn(), main().trayOff()}) {
        QObject::connect(tray, &cSysTray::noticeShown,
                         [&](const QString&, const QString& text) { notices.append(text); });
    }
    const auto check = [&] { tick(6); };

    sim_->injectFault(SimProcess::Fault::Status, 100, 500);
    check();
    EXPECT_FALSE(main().trayOn()->intray());
    EXPECT_TRUE(main().trayOff()->intray());
    check();
    ASSERT_EQ(notices.size(), 1) << notices.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(notices[0].startsWith(QStringLiteral("Not connected")));

    sim_->clearFaults();
    sim_->setAddress(QStringLiteral("demo"), QStringLiteral("198.51.100.7"));
    check();
    EXPECT_TRUE(main().trayOn()->intray());
    EXPECT_FALSE(main().trayOff()->intray());
    check();
    ASSERT_EQ(notices.size(), 3) << notices.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(notices[1], QStringLiteral("Connected to the Corvane service again."));
    EXPECT_EQ(notices[2],
              QStringLiteral("Your address changed: 1 record now points at 198.51.100.7."));
}

}  // namespace
}  // namespace quillon::test
