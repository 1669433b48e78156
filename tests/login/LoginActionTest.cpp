// The login action against corvane-sim (and a fake transfer for replies the sim never gives).

#include "LoginFixture.h"
#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "login/WindowAccountHold.h"
#include "platform/Clock.h"
#include "protocol/LoginReply.h"
#include "protocol/basDNS.h"
#include "registry/AccountLock.h"
#include "support/Wait.h"

#include <QTimer>
#include <chrono>
#include <stdexcept>

namespace quillon::test {
namespace {

using LoginActionTest = LoginFixture;

// Another program keeps the account (quillon-update during a check): the login waits. A
// termination abandons the wait: the login sends nothing, logs nobody in and leaves its window
// whole for the close that follows. A keeper that never lets go ends the wait at its limit.
TEST_F(LoginActionTest, AWaitForAnAccountKeptElsewhereEndsWhenAbandonedOrAtItsLimit) {
    SimProcess& sim = startSim();
    AccountLock keeper(QStringLiteral("demo"), AccountLock::Role::Cycle);
    ASSERT_TRUE(keeper.tryLock());

    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    bool waited = false;
    QTimer::singleShot(0, [&] {
        waited = AccountWaitUnderWay();
        AbandonAccountWait();
    });
    window().cmdLogin_Click();
    EXPECT_TRUE(waited);
    EXPECT_FALSE(AccountWaitUnderWay());
    EXPECT_FALSE(bLoggedIn);
    EXPECT_TRUE(sim.requestLog().isEmpty()) << sim.requestLog().join('\n').toStdString();
    EXPECT_TRUE(messages_.shown().empty()) << messages_.texts().join('|').toStdString();
    EXPECT_TRUE(AccountHeldByWindow().isEmpty());

    using namespace std::chrono_literals;
    EXPECT_EQ(HoldAccountForWindow(QStringLiteral("demo"), 200ms), AccountHold::TimedOut);
    EXPECT_TRUE(AccountHeldByWindow().isEmpty());

    // Let go: the login goes through.
    keeper.unlock();
    window().cmdLogin_Click();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_EQ(AccountHeldByWindow(), QStringLiteral("demo"));
    ReleaseAccountForWindow();
}

TEST_F(LoginActionTest, DemoAccountLogsInFillsTheRecordAndUnloadsTheWindow) {
    SimProcess& sim = startSim();
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    window().cmdLogin_Click();

    EXPECT_TRUE(messages_.shown().empty()) << messages_.texts().join('|').toStdString();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_FALSE(bSaveLogin);
    EXPECT_EQ(sim.requestLog(), QStringList({"/dnslogin3.asp?fxn=login&usr=demo&pwd=demo"}));
    const clsUser& user = objUser();
    EXPECT_EQ(user.sUsername, "demo");
    EXPECT_EQ(user.sPassword, "demo");
    EXPECT_EQ(user.sFirstName, "Dana");
    EXPECT_EQ(user.sLastName, "Demo");
    EXPECT_EQ(user.sDomainList, "demo-home.example,demo-lab.example");
    EXPECT_TRUE(user.sSubDomain.isEmpty());
    EXPECT_TRUE(user.sRecordTypeList.contains("CNAME"));
    EXPECT_EQ(user.sUserLevel, "5");
    EXPECT_FALSE(user.sIPAddress.isEmpty());
    EXPECT_TRUE(
        user.sDomainUserRecords.contains("demo-lab.example;;CNAME;;files;;www.demo-home.example"));
    EXPECT_TRUE(waitUnloaded());
}

TEST_F(LoginActionTest, SaveLoginBoxSetsTheFlag) {
    startSim();
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    control<QCheckBox>("chkSaveLogin")->setChecked(true);
    window().cmdLogin_Click();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_TRUE(bSaveLogin);
}

TEST_F(LoginActionTest, ASavedLoginHandedToTheWindowLogsInAndStaysSaved) {
    SimProcess& sim = startSim();
    window().setSavedLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    window().cmdLogin_Click();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_TRUE(bSaveLogin);
    EXPECT_EQ(sim.requestLog(), QStringList({"/dnslogin3.asp?fxn=login&usr=demo&pwd=demo"}));
}

TEST_F(LoginActionTest, BoxesAreSentAndStoredTrimmed) {
    SimProcess& sim = startSim();
    // Only blanks are trimmed: a tab stays part of the password.
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo\t"));
    window().cmdLogin_Click();
    EXPECT_EQ(messages_.texts(), QStringList({kMsgInvalidLogin}));
    typeLogin(QStringLiteral("  demo "), QStringLiteral(" demo  "));
    window().cmdLogin_Click();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_EQ(sim.requestLog(), QStringList({"/dnslogin3.asp?fxn=login&usr=demo&pwd=demo%09",
                                             "/dnslogin3.asp?fxn=login&usr=demo&pwd=demo"}));
    EXPECT_EQ(objUser().sUsername, "demo");
    EXPECT_EQ(objUser().sPassword, "demo");
}

TEST_F(LoginActionTest, CharactersThatWouldRewriteTheQueryArePercentEncoded) {
    SimProcess& sim = startSim();
    typeLogin(QStringLiteral("demo&fxn=x"), QStringLiteral("p w#d"));
    window().cmdLogin_Click();
    EXPECT_EQ(sim.requestLog(),
              QStringList({"/dnslogin3.asp?fxn=login&usr=demo%26fxn%3Dx&pwd=p%20w%23d"}));
    // The sim decoded the values as one user name and one password, which it does not know.
    EXPECT_EQ(messages_.texts(), QStringList({kMsgInvalidLogin}));
}

TEST_F(LoginActionTest, EmptyBoxesAreRefusedWithoutARequest) {
    SimProcess& sim = startSim();
    typeLogin(QStringLiteral("   "), QStringLiteral("demo"));
    window().cmdLogin_Click();
    typeLogin(QStringLiteral("demo"), QStringLiteral("  "));
    window().cmdLogin_Click();
    ASSERT_EQ(messages_.shown().size(), 2u);
    EXPECT_EQ(messages_.shown()[0].text, "You must enter a Username.");
    EXPECT_EQ(messages_.shown()[1].text, "You must enter a Password.");
    for (const MsgBoxRequest& r : messages_.shown()) {
        EXPECT_EQ(r.title, "Corvane");
        EXPECT_EQ(r.buttons, MsgButtons::OK);
        EXPECT_EQ(r.icon, MsgIcon::None);
    }
    EXPECT_TRUE(sim.requestLog().isEmpty());
    EXPECT_FALSE(bLoggedIn);
}

TEST_F(LoginActionTest, WrongPasswordEmptiesTheBoxesAndKeepsTheWindow) {
    startSim();
    window().show();
    window().activateWindow();
    typeLogin(QStringLiteral("demo"), QStringLiteral("wrong"));
    control<QLineEdit>("txtPassword")->setFocus();
    ASSERT_TRUE(waitUntil([this] { return control<QLineEdit>("txtPassword")->hasFocus(); }));
    window().cmdLogin_Click();
    EXPECT_TRUE(control<QLineEdit>("txtUsername")->hasFocus());
    EXPECT_EQ(messages_.texts(),
              QStringList({"Invalid Username or Password.\r\n\r\nIf you are a new user you must "
                           "register using the First Time Here hyperlink on the login screen. "
                           "Registration is free for basic Sub-Domain usage."}));
    EXPECT_EQ(messages_.shown()[0].title, "Corvane");
    EXPECT_TRUE(control<QLineEdit>("txtUsername")->text().isEmpty());
    EXPECT_TRUE(control<QLineEdit>("txtPassword")->text().isEmpty());
    EXPECT_FALSE(bLoggedIn);
    EXPECT_FALSE(window_.isNull());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(control<QFrame>("frmLoggingIn")->isHidden());
}

TEST_F(LoginActionTest, TransferFailuresEndInTheContactMessage) {
    SimProcess& sim = startSim();
    const QString contact = QString::fromLatin1(kMsgContactError);
    window();
    sim.injectFault(SimProcess::Fault::Garbage, 1);
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    window().cmdLogin_Click();
    // A web server's own page for a service under maintenance.
    sim.injectFault(SimProcess::Fault::Status, 1, 503);
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    window().cmdLogin_Click();
    // A kept connection that closes before any answer is tried once more on a new one (what a
    // server's idle close looks like), so the server here drops both.
    sim.injectFault(SimProcess::Fault::Drop, 2);
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    window().cmdLogin_Click();
    // The service's own error reply with an error status is a reply, but not a login answer.
    sim.injectErrorStatus(1, 500, QStringLiteral("Service storage failure."));
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    window().cmdLogin_Click();
    EXPECT_EQ(messages_.texts(), QStringList({contact, contact, contact, contact}));
    EXPECT_FALSE(bLoggedIn);
    EXPECT_FALSE(window_.isNull());

    // The server gone altogether.
    sim_.reset();
    window().cmdLogin_Click();
    EXPECT_EQ(messages_.texts().size(), 5);
    EXPECT_EQ(messages_.texts().last(), contact);
    EXPECT_TRUE(control<QFrame>("frmLoggingIn")->isHidden());
}

// A transfer that raises an error instead of reporting a failure.
class ThrowingTransfer : public Transfer {
  public:
    ThrowingTransfer() { setServiceTransfer(this); }
    ~ThrowingTransfer() override { unregisterServiceTransfer(this); }
    TransferReply OpenURL(const QString&) override { throw std::runtime_error("broken"); }
};

TEST_F(LoginActionTest, TheBusyPanelIsHiddenWhateverGoesWrong) {
    window();
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    {
        // An error raised by the transfer is a failed transfer.
        ThrowingTransfer broken;
        window().cmdLogin_Click();
    }
    EXPECT_EQ(messages_.texts(), QStringList({kMsgContactError}));
    EXPECT_TRUE(control<QFrame>("frmLoggingIn")->isHidden());
    EXPECT_FALSE(bLoggedIn);

    // An error out of the free-account loading leaves the window usable.
    RecordingMainWindow main;
    main.onLoadFreeUserInfo = [] { throw std::runtime_error("broken"); };
    FakeTransfer transfer(
        {true,
         QStringLiteral("<p>DNS LOGIN:SUCCESS</p><p>SubDomain:free.corvane.example</p>"),
         {}});
    EXPECT_THROW(window().cmdLogin_Click(), std::runtime_error);
    EXPECT_TRUE(control<QFrame>("frmLoggingIn")->isHidden());
    main.onLoadFreeUserInfo = nullptr;
    window().cmdLogin_Click();
    EXPECT_EQ(transfer.urls.size(), 2);
    EXPECT_EQ(main.loadFreeUserInfoCalls, 2);
    EXPECT_TRUE(waitUnloaded());
}

TEST_F(LoginActionTest, LoginValueIsComparedExactlyAfterTrimming) {
    window();
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    {
        FakeTransfer lower({true, QStringLiteral("<p>DNS LOGIN:success</p>"), {}});
        window().cmdLogin_Click();
        EXPECT_EQ(messages_.texts(), QStringList({kMsgContactError}));
        EXPECT_FALSE(bLoggedIn);
    }
    {
        FakeTransfer missing({true, QStringLiteral("<p>FirstName:X</p>"), {}});
        window().cmdLogin_Click();
        EXPECT_EQ(messages_.texts().size(), 2);
        EXPECT_FALSE(bLoggedIn);
    }
    {
        // A page cut short inside a field is no login: its record list would be a fragment.
        FakeTransfer cut(
            {true,
             QStringLiteral("<p>DNS LOGIN:SUCCESS</p><p>DomainUserRecords:a.com;;A;;@;;"
                            "1.2.3.4~~a.com;;A;;www;;1.2"),
             {}});
        window().cmdLogin_Click();
        EXPECT_EQ(messages_.texts().size(), 3);
        EXPECT_EQ(messages_.texts().last(), kMsgContactError);
        EXPECT_FALSE(bLoggedIn);
    }
    FakeTransfer blanks(
        {true, QStringLiteral("<p>DNS LOGIN:  SUCCESS  </p><p>FirstName:X</p>"), {}});
    window().cmdLogin_Click();
    EXPECT_EQ(messages_.texts().size(), 3);
    EXPECT_TRUE(bLoggedIn);
    EXPECT_EQ(objUser().sFirstName, "X");
    EXPECT_TRUE(objUser().sLastName.isEmpty());
    ASSERT_EQ(blanks.urls.size(), 1);
    EXPECT_TRUE(blanks.urls[0].endsWith("/dnslogin3.asp?fxn=login&usr=demo&pwd=demo"));
}

TEST_F(LoginActionTest, ExpiredAccountShowsTheExpiryPanelAndStaysLoggedOut) {
    SimProcess& sim = startSim();
    window().show();
    typeLogin(QStringLiteral("expired"), QStringLiteral("expired"));
    window().cmdLogin_Click();
    EXPECT_EQ(loginRequests().size(), 1);
    EXPECT_TRUE(messages_.shown().empty());
    EXPECT_FALSE(bLoggedIn);
    ASSERT_FALSE(window_.isNull());
    auto* expire = control<QFrame>("frameExpire");
    auto* login = control<QFrame>("frmLogin");
    EXPECT_TRUE(expire->isVisible());
    EXPECT_EQ(expire->geometry(), login->geometry());
    // The record holds the refused account's values.
    EXPECT_EQ(objUser().sUsername, "expired");
    // corvane-sim writes the date month first, with a time.
    EXPECT_EQ(objUser().sExpirationDate, "1/31/2020 3:45:00 PM");
    Q_UNUSED(sim);

    window().cmdExpireOK_Click();
    EXPECT_TRUE(expire->isHidden());
}

QString replyExpiring(const QDate& date) {
    return QStringLiteral("<p>DNS LOGIN:SUCCESS</p><p>ExpirationDate:%1</p>")
        .arg(date.toString(Qt::ISODate));
}

TEST_F(LoginActionTest, AnAccountExpiringTodayHasExpiredSinceMidnight) {
    const QDate today(2026, 5, 14);
    FixedClock clock(QDateTime(today, QTime(0, 0, 1)));
    window();
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    {
        FakeTransfer transfer({true, replyExpiring(today), {}});
        window().cmdLogin_Click();
        EXPECT_FALSE(bLoggedIn);
        EXPECT_FALSE(control<QFrame>("frameExpire")->isHidden());
    }
    window().cmdExpireOK_Click();
    FakeTransfer transfer({true, replyExpiring(today.addDays(1)), {}});
    window().cmdLogin_Click();
    EXPECT_TRUE(bLoggedIn);
}

TEST_F(LoginActionTest, AnUnreadableExpirationDateDoesNotBlock) {
    window();
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    FakeTransfer transfer(
        {true, QStringLiteral("<p>DNS LOGIN:SUCCESS</p><p>ExpirationDate:someday</p>"), {}});
    window().cmdLogin_Click();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(LoginActionTest, SubDomainAccountRunsTheFreeAccountLoadingBeforeTheWindowCloses) {
    startSim();
    RecordingMainWindow main;
    bool windowStillThere = false;
    bool busyShown = false;
    main.onLoadFreeUserInfo = [&] {
        windowStillThere = !window_.isNull() && !window_->isUnloaded();
        busyShown = !control<QFrame>("frmLoggingIn")->isHidden();
    };
    typeLogin(QStringLiteral("free"), QStringLiteral("free"));
    window().cmdLogin_Click();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_EQ(main.loadFreeUserInfoCalls, 1);
    EXPECT_TRUE(windowStillThere);
    EXPECT_TRUE(busyShown);
    EXPECT_EQ(objUser().sSubDomain, "free.corvane.example");
    EXPECT_TRUE(waitUnloaded());
}

TEST_F(LoginActionTest, AccountWithDomainsDoesNotRunTheFreeAccountLoading) {
    startSim();
    RecordingMainWindow main;
    typeLogin(QStringLiteral("demo"), QStringLiteral("demo"));
    window().cmdLogin_Click();
    EXPECT_TRUE(bLoggedIn);
    EXPECT_EQ(main.loadFreeUserInfoCalls, 0);
}

TEST_F(LoginActionTest, ASecondActivationDuringALoginIsIgnored) {
    startSim();
    RecordingMainWindow main;
    // The free-account loading runs while the login is still under way; a click that reaches the
    // window then (a nested event loop) must neither send a request nor undo the login.
    main.onLoadFreeUserInfo = [&] { window().cmdLogin_Click(); };
    typeLogin(QStringLiteral("free"), QStringLiteral("free"));
    window().cmdLogin_Click();
    EXPECT_EQ(loginRequests().size(), 1);
    EXPECT_TRUE(bLoggedIn);
    EXPECT_TRUE(messages_.shown().empty());
}

}  // namespace
}  // namespace quillon::test
