#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "LoginFixture.h"
#include "account/clsUser.h"
#include "login/WindowAccountHold.h"
#include "protocol/basDNS.h"
#include "registry/AccountLock.h"
#include "registry/Registry.h"
#include "support/Wait.h"
#include "update/UpdateService.h"

namespace quillon::test {
namespace {

TEST(AccountLockTest, OneHolderPerAccountWithoutRegardToCaseAndBesideTheStore) {
    QTemporaryDir dir;
    const ScopedEnv store("HIVEKIT_STORE", dir.filePath("registry.db").toLocal8Bit());
    AccountLock first("Demo", AccountLock::Role::Updater);
    AccountLock second("dEMO", AccountLock::Role::Updater);
    AccountLock cycle("demo", AccountLock::Role::Cycle);
    ASSERT_TRUE(first.tryLock());
    EXPECT_FALSE(second.tryLock());
    EXPECT_TRUE(cycle.tryLock());  // the other role is another lock
    EXPECT_EQ(second.recordedHolder(), static_cast<qint64>(::getpid()));
    first.unlock();
    EXPECT_TRUE(second.tryLock());

    AccountLock odd("../x/y", AccountLock::Role::Cycle);
    EXPECT_EQ(QFileInfo(odd.path()).dir(), QDir(dir.path()));
    EXPECT_TRUE(odd.tryLock());
}

class UpdateServiceTest : public LoginFixture {
  protected:
    UpdateServiceTest() {
        startSim();
        storeDword("bSaveLogin", 1);
        storeText("Username", "demo");
        storeText("Password", "demo");
        markOnly("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~");
        QObject::connect(&service_, &UpdateService::finished, [this](int s) { status_ = s; });
    }
    ~UpdateServiceTest() override { ReleaseAccountForWindow(); }

    static void markOnly(const QString& autoIPs) {
        Registry reg;
        reg.setKey("SOFTWARE\\Corvane\\demo");
        reg.setValue("AutoIPs", autoIPs);
    }
    // The checks of n ticks at the rate 60 (threshold 5): one check every fifth tick.
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            service_.tick();
        }
    }
    int linesWith(const QString& text) const { return lines_.filter(text).size(); }
    QString records() const {
        return GetReplyValue(sim_->get("/dnslogin3.asp?fxn=login&usr=demo&pwd=demo"),
                             "DomainUserRecords:");
    }

    QStringList lines_;
    UpdateService service_{[this](const QString& line) { lines_.append(line); }};
    int status_ = -1;
};

// A window logged in to the account holds the updater off: it sends nothing and says so once.
// Once the window lets the account go, the updater reads the account's values again (the
// window moved the mark meanwhile) and goes on as if it had just started.
TEST_F(UpdateServiceTest, AWindowHoldsTheAccountAndTheUpdaterResumesWithItsMarks) {
    ASSERT_EQ(service_.prepare(), -1);
    HoldAccountForWindow("DEMO");
    sim_->clearLog();
    ticks(12);
    EXPECT_TRUE(sim_->requestLog().isEmpty()) << sim_->requestLog().join('\n').toStdString();
    EXPECT_EQ(linesWith("a Quillon window is logged in to demo"), 1);

    markOnly("DEMO-HOME.EXAMPLE;;A;;WWW;;192.0.2.10~~");
    ReleaseAccountForWindow();
    sim_->setAddress("demo", "198.51.100.7");
    service_.tick();
    ASSERT_EQ(linesWith("updating the records of demo (1 marked)"), 1)
        << lines_.join('\n').toStdString();
    ticks(4);
    EXPECT_EQ(sim_->requestLog().filter("GetIPAddress").size(), 0);  // first check a period later
    service_.tick();
    EXPECT_TRUE(records().contains("demo-home.example;;A;;www;;198.51.100.7"))
        << records().toStdString();
    EXPECT_TRUE(records().contains("demo-lab.example;;A;;bench;;192.0.2.11"));

    // The window logs in again between two checks: the next tick notices it.
    HoldAccountForWindow("demo");
    service_.tick();
    EXPECT_EQ(linesWith("a Quillon window is logged in to demo"), 2);
}

// A termination signal during a check: the check's requests end first, then the run stops.
TEST_F(UpdateServiceTest, AStopDuringACheckLetsItsSequenceFinish) {
    ASSERT_EQ(service_.prepare(), -1);
    service_.tick();  // the login
    ASSERT_EQ(linesWith("updating the records of demo"), 1);
    sim_->setAddress("demo", "198.51.100.8");
    ticks(4);
    // The check's address request is answered at once, its delete after a while.
    sim_->injectFault(SimProcess::Fault::Delay, 1, 0);
    sim_->injectFault(SimProcess::Fault::Delay, 1, 800);
    int statusDuringTheCheck = 99;
    QTimer::singleShot(300, [&] {
        service_.stop();
        QTimer::singleShot(100, [&] { statusDuringTheCheck = status_; });
    });
    service_.tick();
    EXPECT_EQ(statusDuringTheCheck, -1);  // not finished while the delete was waited for
    EXPECT_TRUE(records().contains("demo-lab.example;;A;;bench;;198.51.100.8"));
    EXPECT_TRUE(waitUntil([this] { return status_ == UpdateService::kStopped; }));
    EXPECT_EQ(linesWith("stopped"), 1);
}

// A stop during a free account's check: the re-point in flight ends, then the host is removed
// (the service parks it at its default address) and its last published address is stored. The
// run holds the account's cycle lock during the check; the removal must not take it a second time.
TEST_F(UpdateServiceTest, AStopDuringAFreeAccountsCheckRemovesTheHost) {
    storeText("Username", "free");
    storeText("Password", "free");
    {
        Registry reg;
        reg.setKey("SOFTWARE\\Corvane\\free");
        reg.setValue("bAutoIP", 1, Registry::RegDword);
        reg.setValue("IPAddress", QStringLiteral("192.0.2.50"));
    }
    const auto host = [this] {
        return GetReplyValue(sim_->get("/dnslogin3.asp?fxn=login&usr=free&pwd=free"),
                             "DomainUserRecords:");
    };
    ASSERT_EQ(service_.prepare(), -1);
    service_.tick();  // the login adds the host at its stored address
    ASSERT_EQ(host(), "free.corvane.example;;A;;free;;192.0.2.50")
        << lines_.join('\n').toStdString();
    sim_->setAddress("free", "198.51.100.9");
    ticks(7);  // a free account checks every 90 s
    sim_->injectFault(SimProcess::Fault::Delay, 1, 0);
    sim_->injectFault(SimProcess::Fault::Delay, 1, 800);  // the host's delete
    QTimer::singleShot(300, [this] { service_.stop(); });
    service_.tick();
    ASSERT_TRUE(waitUntil([this] { return status_ == UpdateService::kStopped; }));
    EXPECT_EQ(host(), "free.corvane.example;;A;;free;;198.51.100.1")
        << lines_.join('\n').toStdString();
    EXPECT_EQ(linesWith("removed the host free.free.corvane.example"), 1);
    Registry reg;
    reg.setKey("SOFTWARE\\Corvane\\free");
    EXPECT_EQ(reg.getValue("IPAddress"), "198.51.100.9");
}

// While the service answers with errors, the login (which carries the password) is tried again
// after 10 s, then 20, 40, ... at most the refresh period (60 s here); the loss and the return are
// each said once.
TEST_F(UpdateServiceTest, TheLoginBacksOffWhileTheServiceFails) {
    ASSERT_EQ(service_.prepare(), -1);
    sim_->injectFault(SimProcess::Fault::Status, 1000, 503);
    std::vector<int> loginTicks;
    for (int t = 0; t <= 25; ++t) {
        if (t == 20) {
            sim_->clearFaults();
        }
        sim_->clearLog();
        service_.tick();
        if (!sim_->requestLog().filter("fxn=login").isEmpty()) {
            loginTicks.push_back(t);
        }
    }
    EXPECT_EQ(loginTicks, (std::vector<int>{0, 1, 3, 7, 13, 19, 25}));
    EXPECT_EQ(linesWith("cannot be reached"), 1) << lines_.join('\n').toStdString();
    EXPECT_EQ(linesWith("the service answers again"), 1);
    EXPECT_EQ(linesWith("updating the records of demo"), 1);
}

}  // namespace
}  // namespace quillon::test
