#include <QCoreApplication>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTreeWidget>

#include "HookTransfer.h"
#include "MainFixture.h"
#include "account/clsUser.h"
#include "cycle/AutoIPCycle.h"
#include "cycle/PendingReAdds.h"
#include "protocol/AddressRules.h"
#include "protocol/LoginReply.h"
#include "protocol/basDNS.h"
#include "support/Wait.h"

namespace quillon::test {
namespace {

TEST(UsableAddress, OnlyAPublishableIPv4Address) {
    for (const char* usable :
         {"203.0.113.7", "192.168.1.20", "10.0.0.1", "1.0.0.0", "223.255.255.255", "169.253.1.1"}) {
        EXPECT_TRUE(IsUsablePublicAddress(QLatin1String(usable))) << usable;
    }
    for (const char* unusable :
         {"256.1.2.3", "203.0.113", "203.0.113.5.6", "<b>busy</b>", "0.0.0.0", "0.1.2.3",
          "127.0.0.1", "127.9.9.9", "169.254.3.4", "224.0.0.1", "239.1.1.1", "240.0.0.1",
          "255.255.255.255", "", " 203.0.113.7", "203.0.113.7 x"}) {
        EXPECT_FALSE(IsUsablePublicAddress(QLatin1String(unusable))) << unusable;
    }
}

TEST(UsableAddress, ALoginReplyWithAnUnusableAddressLeavesTheAccountWithout) {
    clsUser user;
    FillAccountRecord(user, "<p>DNS LOGIN:SUCCESS</p><p>IPAddress:127.0.0.1</p>", "u", "p");
    EXPECT_EQ(user.sIPAddress, QString());
    FillAccountRecord(user, "<p>DNS LOGIN:SUCCESS</p><p>IPAddress: 198.51.100.4 </p>", "u", "p");
    EXPECT_EQ(user.sIPAddress, QStringLiteral("198.51.100.4"));
}

TEST(AutoIPListRebuild, MarksOfUnlistedRecordsAreKept) {
    const QString previous = "A.EXAMPLE;;A;;@;;1.2.3.4~~GONE.EXAMPLE;;A;;WWW;;1.2.3.4~~";
    // Every marked record listed: exactly the listed marks, in the list's order.
    EXPECT_EQ(
        RebuiltAutoIPList(RecordsOfList("b.example;;A;;x;;5.6.7.8~~a.example;;A;;@;;1.2.3.4~~"
                                        "gone.example;;A;;www;;1.2.3.4",
                                        previous + "B.EXAMPLE;;A;;X;;5.6.7.8~~"),
                          previous),
        "B.EXAMPLE;;A;;X;;5.6.7.8~~A.EXAMPLE;;A;;@;;1.2.3.4~~GONE.EXAMPLE;;A;;WWW;;1.2.3.4~~");
    // An empty list keeps them all; a listed record that is not marked loses its mark.
    EXPECT_EQ(RebuiltAutoIPList({}, previous), previous);
    std::vector<CycleRecord> unmarked = RecordsOfList("a.example;;A;;;;1.2.3.4", QString());
    EXPECT_EQ(RebuiltAutoIPList(unmarked, previous), "GONE.EXAMPLE;;A;;WWW;;1.2.3.4~~");
}

class UntrustedReplyTest : public MainFixture {
  protected:
    void startWithMarkedBench() {
        storeUserText("demo", "AutoIPs", "DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~");
        ASSERT_TRUE(startAs("demo"));
        sim_->clearLog();
    }

    int unusableNotices() const {
        int count = 0;
        for (const MsgBoxRequest& shown : messages_.shown()) {
            count += shown.text.contains(QLatin1String("no usable address")) ? 1 : 0;
        }
        return count;
    }
};

TEST_F(UntrustedReplyTest, AnUnusableAddressIsNeverPublishedAndToldOnce) {
    startWithMarkedBench();
    const QString shownBefore = mainControl<QLabel>("lblIPAddress")->text();
    for (const char* bad : {"256.1.2.3", "127.0.0.1"}) {
        sim_->setAddress("demo", QLatin1String(bad));
        tick(6);
        tick(5);  // the same address at the next check is not told again
        ASSERT_EQ(ipRequests().size(), bad[0] == '2' ? 2 : 4);
    }
    EXPECT_TRUE(waitUntil([&] { return unusableNotices() == 2; })) << unusableNotices();
    EXPECT_TRUE(ticklerRequests().isEmpty());
    EXPECT_EQ(mainControl<QLabel>("lblIPAddress")->text(), shownBefore);
    // The editor's AutoIP box fills in the last usable address only.
    main().cmdAddGrid_Click();
    mainControl<QCheckBox>("chkDomainAutoIP")->setChecked(true);
    main().chkDomainAutoIP_Click();
    EXPECT_EQ(mainControl<QLineEdit>("txtServerIP")->text(), shownBefore);
    main().cmdCancel_Click();

    // A usable address after them re-points as usual.
    sim_->setAddress("demo", "198.51.100.7");
    tick(5);
    EXPECT_TRUE(
        serviceRecords("demo", "demo").contains("demo-lab.example;;A;;bench;;198.51.100.7"));
    EXPECT_EQ(unusableNotices(), 2);
}

// One address reply comes with an empty record list (a service glitch); the next one lists the
// records again. The mark outlives the gap: stored across a close, and the record follows the
// next new address.
TEST_F(UntrustedReplyTest, AnEmptyRecordListCostsNoMark) {
    startWithMarkedBench();
    {
        HookTransfer transfer;
        transfer.after = [](const QString& url, TransferReply& reply) {
            if (url.contains("FXN=GetIPAddress")) {
                reply.body.replace(QRegularExpression("DomainUserRecords:[^<]*"),
                                   "DomainUserRecords:");
            }
        };
        tick(6);
    }
    ASSERT_EQ(mainControl<QTreeWidget>("lvDomainUser")->topLevelItemCount(), 0);
    main().SaveSettings();
    EXPECT_TRUE(AutoIPListContains(userValue("demo", "AutoIPs"),
                                   "DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));

    sim_->setAddress("demo", "198.51.100.7");
    tick(5);
    EXPECT_TRUE(
        serviceRecords("demo", "demo").contains("demo-lab.example;;A;;bench;;198.51.100.7"));
    EXPECT_TRUE(AutoIPListContains(sAutoIPs, "DEMO-LAB.EXAMPLE;;A;;BENCH;;198.51.100.7~~"));
}

// The child's part of the test below: logs in from the parent's store and runs the first check,
// whose add corvane-sim holds until the parent has killed this process.
constexpr const char* kChildStore = "QUILLON_TEST_CHILD_STORE";

TEST_F(UntrustedReplyTest, AKillBetweenTheDeleteAndTheAddLosesNoRecord) {
    if (qEnvironmentVariableIsSet(kChildStore)) {
        ScopedEnv parentStore("HIVEKIT_STORE", qgetenv(kChildStore));
        ASSERT_TRUE(startMain());
        tick(6);
        FAIL() << "the parent did not kill the child during its held add";
    }
    storeUserText("demo", "AutoIPs", "DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~");
    startSim();
    saveLogin("demo", "demo");
    sim_->setAddress("demo", "198.51.100.7");
    // The child's login, address check and delete are answered at once; its add is held.
    sim_->injectFault(SimProcess::Fault::Delay, 3, 0);
    sim_->injectFault(SimProcess::Fault::Delay, 1, 120000);

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kChildStore, qEnvironmentVariable("HIVEKIT_STORE"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=UntrustedReplyTest.AKillBetweenTheDeleteAndTheAddLosesNoRecord"});
    ASSERT_TRUE(child.waitForStarted());
    const bool addHeld = waitUntil(
        [&] { return ticklerRequests().filter("DNSCommand=RECORDADD").size() == 1; }, 60000);
    child.kill();  // SIGKILL: nothing of the child's runs after this
    ASSERT_TRUE(child.waitForFinished());
    ASSERT_TRUE(addHeld) << sim_->requestLog().join('\n').toStdString();
    ASSERT_FALSE(serviceRecords("demo", "demo").contains(";;bench;;"));
    EXPECT_EQ(userValue("demo", "PendingReAdds"),
              QStringLiteral("demo-lab.example;;A;;bench;;198.51.100.7~~"));

    // The restart's first check adds the record back before the held add is ever answered.
    ASSERT_TRUE(startMain());
    tick(6);
    EXPECT_TRUE(
        serviceRecords("demo", "demo").contains("demo-lab.example;;A;;bench;;198.51.100.7"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
}

}  // namespace
}  // namespace quillon::test
