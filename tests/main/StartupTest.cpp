// Start-up and settings of the main window against corvane-sim: the login paths, the restore
// loop, init for both kinds of account, and SaveSettings read back from the store.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTreeWidget>

#include "MainFixture.h"
#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "desktop/Twips.h"
#include "platform/ServiceDefaultAddress.h"
#include "protocol/LoginReply.h"
#include "protocol/basDNS.h"

namespace quillon::test {
namespace {

const QString kLoginKey = QStringLiteral("SOFTWARE\\Corvane\\Init");
const QString kDemoKey = QStringLiteral("SOFTWARE\\Corvane\\demo");

using StartupTest = MainFixture;

// Logs in through the login window as a user would.
std::function<void(frmLogin&)> typeIn(const QString& user, const QString& password) {
    return [user, password](frmLogin& login) {
        login.findChild<QLineEdit*>(QStringLiteral("txtUsername"))->setText(user);
        login.findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(password);
        login.cmdLogin_Click();
    };
}

TEST_F(StartupTest, FirstRunShowsTheLoginWindowThenTheCentredGrid) {
    startSim();
    ASSERT_TRUE(startMain(typeIn(QStringLiteral("demo"), QStringLiteral("demo"))));
    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(main().windowTitle(), QStringLiteral("Corvane Dynamic DNS version 1.2 Rev 34"));
    EXPECT_EQ(main().twipsWidth(), 8895);
    EXPECT_EQ(main().twipsHeight(), 7065);
    // Centred, and raised by 500 twips (to within the pixel the twips round to).
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(main().twipsLeft(), (pixelsToTwips(screen.width()) - 8895) / 2, 15);
    EXPECT_NEAR(main().twipsTop(), (pixelsToTwips(screen.height()) - 7065) / 2 - 500, 15);

    auto* grid = mainControl<QTreeWidget>("lvDomainUser");
    const int widths[] = {2200, 1000, 1800, 2200, 800};
    ASSERT_EQ(grid->columnCount(), 5);
    EXPECT_EQ(grid->headerItem()->text(3), QStringLiteral("Server Address"));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(main().columnTwips(i), widths[i]) << i;
    }
    EXPECT_FALSE(main().isSorted());
    EXPECT_FALSE(mainControl<QFrame>("frameGrid")->isHidden());
    EXPECT_EQ(mainControl<QLineEdit>("txtCName")->text(), QStringLiteral("demo"));
    // Level 5 adds "Port Relay" after the account's own types.
    auto* types = mainControl<QComboBox>("cboRecordType");
    ASSERT_EQ(types->count(), 5);
    EXPECT_EQ(types->itemText(4), QStringLiteral("Port Relay"));
    EXPECT_EQ(mainControl<QComboBox>("cboDomain")->count(), 2);
    EXPECT_TRUE(mainControl<QTimer>("tmrAuto")->isActive());
    EXPECT_TRUE(main().trayOn()->intray());
    // Nothing is written at start-up.
    EXPECT_TRUE(userValue(QStringLiteral("demo"), QStringLiteral("MainWidth")).isEmpty());
}

TEST_F(StartupTest, SavedLoginSkipsTheLoginWindowAndAFailedOneShowsIt) {
    startSim();
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    EXPECT_EQ(loginRequests().size(), 1);
    EXPECT_TRUE(bSaveLogin);
    delete main_.data();

    // A saved login the service refuses: its message, then the login window.
    saveLogin(QStringLiteral("demo"), QStringLiteral("wrong"));
    bool shown = false;
    ASSERT_TRUE(startMain([&](frmLogin& login) {
        shown = true;
        typeIn(QStringLiteral("demo"), QStringLiteral("demo"))(login);
    }));
    EXPECT_TRUE(shown);
    EXPECT_EQ(messages_.texts(), QStringList({kMsgInvalidLogin}));
    EXPECT_TRUE(main().isVisible());
}

TEST_F(StartupTest, LeavingFromTheLoginWindowEndsTheProgram) {
    startSim();
    EXPECT_FALSE(startMain([](frmLogin& login) { login.cmdExit_Click(); }));
    EXPECT_FALSE(main_ && main_->isVisible());
    EXPECT_TRUE(ticklerRequests().isEmpty());
}

TEST_F(StartupTest, RestoreLoopAppliesExactNamesOnly) {
    const QString demo = QStringLiteral("demo");
    storeUserDword(demo, QStringLiteral("MainLeft"), 1500);
    storeUserDword(demo, QStringLiteral("MainTop"), 900);
    storeUserDword(demo, QStringLiteral("MainWidth"), 10005);
    storeUserDword(demo, QStringLiteral("MainHeight"), 8010);
    storeUserDword(demo, QStringLiteral("Col2"), 1500);
    storeUserDword(demo, QStringLiteral("SortCol"), 2);
    storeUserDword(demo, QStringLiteral("SortOrder"), 1);
    storeUserDword(demo, QStringLiteral("Sorted"), 1);
    storeUserText(demo, QStringLiteral("Col3"), QStringLiteral("wide"));
    ASSERT_TRUE(startAs(demo));
    EXPECT_EQ(main().twipsLeft(), 1500);
    EXPECT_EQ(main().twipsTop(), 900);
    EXPECT_EQ(main().twipsWidth(), 10005);
    EXPECT_EQ(main().twipsHeight(), 8010);
    auto* grid = mainControl<QTreeWidget>("lvDomainUser");
    EXPECT_EQ(pixelsToTwips(grid->columnWidth(1)), 1500);
    EXPECT_EQ(pixelsToTwips(grid->columnWidth(2)), 1800);  // not a number: default kept
    EXPECT_EQ(main().sortKey(), 2);
    EXPECT_EQ(main().sortOrder(), 1);
    EXPECT_TRUE(main().isSorted());
}

TEST_F(StartupTest, LowerCaseNamesAreIgnoredByTheRestoreStep) {
    const QString demo = QStringLiteral("demo");
    storeUserDword(demo, QStringLiteral("mainleft"), 30);
    storeUserDword(demo, QStringLiteral("MAINWIDTH"), 12000);
    ASSERT_TRUE(startAs(demo));
    EXPECT_NE(main().twipsLeft(), 30);
    EXPECT_EQ(main().twipsWidth(), 8895);
}

TEST_F(StartupTest, CloseWritesEveryValueWithItsType) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    main().setTwipsGeometry(600, 450, 9900, 7500);
    main().close();

    const QString numbers[] = {"MainLeft", "MainTop",   "MainWidth", "MainHeight", "WindowState",
                               "Col1",     "Col2",      "Col3",      "Col4",       "Col5",
                               "SortCol",  "SortOrder", "Sorted"};
    for (const QString& name : numbers) {
        EXPECT_EQ(storedType(kDemoKey, name), QStringLiteral("REG_DWORD")) << name.toStdString();
    }
    EXPECT_EQ(storedType(kDemoKey, QStringLiteral("AutoIps")), QStringLiteral("REG_SZ"));
    EXPECT_EQ(userValue(QStringLiteral("demo"), QStringLiteral("MainLeft")), QStringLiteral("600"));
    EXPECT_EQ(userValue(QStringLiteral("demo"), QStringLiteral("MainWidth")),
              QStringLiteral("9900"));
    EXPECT_EQ(userValue(QStringLiteral("demo"), QStringLiteral("WindowState")),
              QStringLiteral("0"));
    EXPECT_EQ(userValue(QStringLiteral("demo"), QStringLiteral("Col1")), QStringLiteral("2200"));
    EXPECT_EQ(userValue(QStringLiteral("demo"), QStringLiteral("Sorted")), QStringLiteral("0"));
    // A free account's values are not written for an account with domains.
    EXPECT_TRUE(storedType(kDemoKey, QStringLiteral("bMX")).isEmpty());
    EXPECT_TRUE(storedType(kDemoKey, QStringLiteral("IPAddress")).isEmpty());

    for (const QString& name : {QStringLiteral("bSaveLogin"), QStringLiteral("bSSL")}) {
        EXPECT_EQ(storedType(kLoginKey, name), QStringLiteral("REG_DWORD")) << name.toStdString();
    }
    for (const QString& name : {QStringLiteral("Username"), QStringLiteral("Password"),
                                QStringLiteral("Port"), QStringLiteral("RefreshRate")}) {
        EXPECT_EQ(storedType(kLoginKey, name), QStringLiteral("REG_SZ")) << name.toStdString();
    }
    EXPECT_EQ(storedValue(QStringLiteral("bSaveLogin")), QStringLiteral("1"));
    EXPECT_EQ(storedValue(QStringLiteral("RefreshRate")),
              mainControl<QComboBox>("cboRefreshRate")->currentText());
    EXPECT_FALSE(storedValue(QStringLiteral("RefreshRate")).isEmpty());
    // Closing an account with domains sends nothing.
    EXPECT_TRUE(ticklerRequests().isEmpty());
}

// What the close must not lose: the port kept for a later session without SSL (a start with SSL
// leaves no port chosen), and the marks of records a broken record list kept out of the grid.
TEST_F(StartupTest, CloseKeepsTheStoredPortAndTheMarksOfRecordsTheGridLacks) {
    storeUserText(QStringLiteral("demo"), QStringLiteral("AutoIPs"),
                  QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    storeText(QStringLiteral("Port"), QStringLiteral("8080"));
    mainControl<QComboBox>("cboPorts")->setCurrentIndex(-1);
    objUser().sDomainUserRecords = QStringLiteral(
        "demo-home.example;;A;;www;;192.0.2.10~~broken~~"
        "demo-lab.example;;A;;bench;;192.0.2.11");
    main().FillDomainUserGrid();  // as a check would: the grid stops at the broken entry
    main().close();
    EXPECT_EQ(storedValue(QStringLiteral("Port")), QStringLiteral("8080"));
    EXPECT_EQ(userValue(QStringLiteral("demo"), QStringLiteral("AutoIps")),
              QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));
}

// An expired account's refusal fills the account record but logs nobody in: leaving then saves
// nothing over the stored settings (the window's lists were never loaded).
TEST_F(StartupTest, ExitAfterAnExpiredAccountsRefusalSavesNothing) {
    startSim();
    storeText(QStringLiteral("RefreshRate"), QStringLiteral("120"));
    EXPECT_FALSE(startMain([](frmLogin& login) {
        typeIn(QStringLiteral("expired"), QStringLiteral("expired"))(login);
        EXPECT_FALSE(login.findChild<QFrame*>(QStringLiteral("frameExpire"))->isHidden());
        login.cmdExpireOK_Click();
        login.cmdExit_Click();
    }));
    EXPECT_EQ(storedValue(QStringLiteral("RefreshRate")), QStringLiteral("120"));
    EXPECT_TRUE(
        storedType(QStringLiteral("SOFTWARE\\Corvane\\expired"), QStringLiteral("Col1")).isEmpty());
}

TEST_F(StartupTest, SaveLoginOffKeepsTheStoredLogin) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    bSaveLogin = false;
    main().SaveSettings();
    EXPECT_EQ(storedValue(QStringLiteral("bSaveLogin")), QStringLiteral("0"));
    EXPECT_EQ(storedValue(QStringLiteral("Username")), QStringLiteral("demo"));
    EXPECT_EQ(storedValue(QStringLiteral("Password")), QStringLiteral("demo"));
}

TEST_F(StartupTest, ABlankUserNameSavesNothing) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    objUser().sUsername = QStringLiteral("   ");
    main().SaveSettings();
    EXPECT_TRUE(userValue(QStringLiteral("demo"), QStringLiteral("Col1")).isEmpty());
    EXPECT_TRUE(userValue(QStringLiteral("   "), QStringLiteral("Col1")).isEmpty());
    EXPECT_EQ(storedValue(QStringLiteral("RefreshRate")), QString());
    objUser().sUsername = QStringLiteral("demo");
}

TEST_F(StartupTest, FreeAccountStartsInItsPanelAndItsSaveRemovesTheHost) {
    ASSERT_TRUE(startAs(QStringLiteral("free")));
    EXPECT_TRUE(objUser().bCorvaneOnly);
    EXPECT_TRUE(mainControl<QFrame>("frameGrid")->isHidden());
    EXPECT_FALSE(mainControl<QFrame>("frameCorvaneDomain")->isHidden());
    EXPECT_FALSE(mainControl<QAction>("mnuAddDomain")->isVisible());
    EXPECT_EQ(mainControl<QLabel>("lblDomain")->text(),
              QStringLiteral("free.free.corvane.example"));
    const QString address = mainControl<QLineEdit>("txtCorvaneIP")->text();
    EXPECT_FALSE(address.isEmpty());

    sim_->clearLog();
    mainControl<QCheckBox>("chkWWW")->setChecked(true);
    main().SaveSettings();
    ASSERT_EQ(ticklerRequests().size(), 1);
    EXPECT_TRUE(ticklerRequests()[0].contains(QStringLiteral("&DNSCommand=RECORDDELETE")));
    EXPECT_TRUE(ticklerRequests()[0].contains(QStringLiteral("&IPAddress=") + address));
    // The service parks the removed host at its default address.
    EXPECT_EQ(
        serviceRecords(QStringLiteral("free"), QStringLiteral("free")),
        QStringLiteral("free.corvane.example;;A;;free;;") + QLatin1String(kServiceDefaultAddress));
    const QString free = QStringLiteral("free");
    EXPECT_EQ(userValue(free, QStringLiteral("bWWW")), QStringLiteral("1"));
    EXPECT_EQ(userValue(free, QStringLiteral("bMX")), QStringLiteral("0"));
    EXPECT_EQ(userValue(free, QStringLiteral("IPAddress")), objUser().sIPAddress);
    EXPECT_EQ(storedType(QStringLiteral("SOFTWARE\\Corvane\\free"), QStringLiteral("bAutoIP")),
              QStringLiteral("REG_DWORD"));
    EXPECT_TRUE(userValue(free, QStringLiteral("AutoIps")).isEmpty());
}

}  // namespace
}  // namespace quillon::test
