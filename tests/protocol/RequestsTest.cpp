#include <gtest/gtest.h>

#include <stdexcept>

#include "account/clsUser.h"
#include "platform/Endpoints.h"
#include "protocol/ProtocolDoubles.h"
#include "protocol/basDNS.h"
#include "support/Seams.h"

using namespace quillon;
using quillon::test::FakeTransfer;
using quillon::test::RecordingMainWindow;
using quillon::test::ScriptedMessageBoxes;

namespace {

const QString kBase = QStringLiteral("http://update.test/dnslogin3.asp");
const QString kRecords = QStringLiteral("a.com;;A;;home;;9.9.9.9~~");

QString successReply(const QString& extra = QString()) {
    return QStringLiteral("<html><p>SUCCESS</p><p>IPAddress: 9.9.9.9 </p><p>DomainUserRecords:") +
           kRecords + QStringLiteral("</p>") + extra + QStringLiteral("</html>");
}

class Requests : public ::testing::Test {
  protected:
    void SetUp() override {
        sServiceURL = kBase;
        sAutoIPs.clear();
        objUser() = clsUser{};
        objUser().sUsername = QStringLiteral("jdoe");
        objUser().sPassword = QStringLiteral("pw");
        objUser().sIPAddress = QStringLiteral("1.1.1.1");
        objUser().sDomainUserRecords = QStringLiteral("old");
    }
    void TearDown() override {
        sServiceURL.clear();
        sAutoIPs.clear();
        objUser() = clsUser{};
        resetMainStatus();
    }

    FakeTransfer transfer;
    RecordingMainWindow window;
    ScriptedMessageBoxes boxes;
};

TEST_F(Requests, ASuccessWhileConnectedChangesNothingVisible) {
    transfer.queueReply(successReply());
    EXPECT_EQ(GetIPAddress(), QStringLiteral("9.9.9.9"));
    EXPECT_EQ(window.statusChanges, 0);
    EXPECT_TRUE(window.tray.isEmpty());
}

// A connection that closed mid-page gives a reply cut short: its fragments are neither the
// address nor the record list.
TEST_F(Requests, AReplyCutShortGivesNoAddressAndKeepsTheRecordList) {
    transfer.queueReply(QStringLiteral("<p>SUCCESS</p><p>IPAddress:1.2.3"));
    EXPECT_EQ(GetIPAddress(), QString());
    transfer.queueReply(
        QStringLiteral("<p>SUCCESS</p><p>IPAddress:9.9.9.9</p><p>"
                       "DomainUserRecords:a.com;;A;;@;;1.2.3.4~~a.com;;A;;www;;1.2"));
    EXPECT_EQ(GetIPAddress(), QStringLiteral("9.9.9.9"));
    EXPECT_EQ(objUser().sDomainUserRecords, QStringLiteral("old"));
    transfer.queueReply(successReply());
    EXPECT_EQ(GetIPAddress(), QStringLiteral("9.9.9.9"));
    EXPECT_EQ(objUser().sDomainUserRecords, kRecords);
}

TEST_F(Requests, DNSTicklerSuccessUpdatesTheAccountAndConfirms) {
    window.showStatus(QStringLiteral("Not Connected with Server"), kStatusColourNotConnected);
    transfer.queueReply(successReply());
    QString name;
    EXPECT_TRUE(DNSTickler(QStringLiteral("a.com"), name, QStringLiteral("RECORDADD"),
                           QStringLiteral("MX 1"), QStringLiteral("9.9.9.9"), true, 1));
    EXPECT_EQ(name, QStringLiteral("@"));
    EXPECT_EQ(transfer.urls(),
              QStringList{kBase + QStringLiteral("?FXN=DNSTickler&Usr=jdoe&Pwd=pw&Cname=@"
                                                 "&Domain=a.com&DNSCommand=RECORDADD"
                                                 "&RecordType=MX%201&IPAddress=9.9.9.9")});
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("Transaction Complete:\nIP Set for Name:@ IPAddress:9.9.9.9"));
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Corvane"));
    EXPECT_EQ(boxes.shown()[0].icon, MsgIcon::None);
    EXPECT_EQ(boxes.shown()[0].buttons, MsgButtons::OK);
    EXPECT_EQ(objUser().sIPAddress, QStringLiteral("9.9.9.9"));
    EXPECT_EQ(objUser().sDomainUserRecords, kRecords);
    EXPECT_EQ(sAutoIPs, QStringLiteral("A.COM;;MX 1;;@;;9.9.9.9~~"));
    EXPECT_EQ(window.caption(), QStringLiteral("Connected"));
    EXPECT_EQ(window.tray, QList<bool>{true});
    EXPECT_TRUE(window.wasDisabled);
    EXPECT_TRUE(window.enabled());
}

TEST_F(Requests, DNSTicklerDeleteOfASubDomainAccountLeavesTheAutoIPList) {
    objUser().bCorvaneOnly = true;
    sAutoIPs = QStringLiteral("A.COM;;A;;HOME;;9.9.9.9~~");
    transfer.queueReply(QStringLiteral("<p>Error: SUCCESS is in here</p>"));
    QString name = QStringLiteral("home");
    EXPECT_TRUE(DNSTickler(QStringLiteral("a.com"), name, QStringLiteral("RECORDDELETE"),
                           QStringLiteral("A"), QStringLiteral("9.9.9.9"), true, 0));
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("Transaction Complete:\nIP Removed for Name:home "
                                         "IPAddress:9.9.9.9")});
    EXPECT_EQ(sAutoIPs, QStringLiteral("A.COM;;A;;HOME;;9.9.9.9~~"));
    EXPECT_EQ(objUser().sIPAddress, QStringLiteral("9.9.9.9"));
    // The reply carried no record list: the account's list stays.
    EXPECT_EQ(objUser().sDomainUserRecords, QStringLiteral("old"));
}

TEST_F(Requests, DNSTicklerWithoutMessagesStaysSilent) {
    transfer.queueReply(successReply());
    transfer.queueReply(QStringLiteral("<p>Error: no</p>"));
    QString name = QStringLiteral("home");
    EXPECT_TRUE(DNSTickler(QStringLiteral("a.com"), name, QStringLiteral("RECORDADD"),
                           QStringLiteral("A"), QStringLiteral("9.9.9.9"), false, 0));
    EXPECT_FALSE(DNSTickler(QStringLiteral("a.com"), name, QStringLiteral("RECORDADD"),
                            QStringLiteral("A"), QStringLiteral("9.9.9.9"), false, 0));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(sAutoIPs.isEmpty());  // trackAutoIP 0
}

TEST_F(Requests, DNSTicklerAdvancedEmptyNameAndFailedTransfer) {
    transfer.queueFailure();
    QString name;
    EXPECT_FALSE(DNSTicklerAdvanced(QStringLiteral("example.net"), name,
                                    QStringLiteral("RECORDADD"), QStringLiteral("A"),
                                    QStringLiteral("9.9.9.9"), true));
    EXPECT_EQ(name, QStringLiteral("@"));
    EXPECT_TRUE(transfer.urls()[0].contains(QStringLiteral("&Cname=@.jdoe&")));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(window.statusChanges, 0);
    EXPECT_TRUE(window.enabled());
}

// A transfer that raises instead of reporting a failure.
class ThrowingTransfer : public Transfer {
  public:
    TransferReply OpenURL(const QString&) override { throw std::runtime_error("broken"); }
};

TEST_F(Requests, AnErrorInsideARequestEndsItWithTheWindowEnabled) {
    ThrowingTransfer broken;
    setServiceTransfer(&broken);
    QString name = QStringLiteral("home");
    EXPECT_FALSE(DNSTickler(QStringLiteral("a.com"), name, QStringLiteral("RECORDADD"),
                            QStringLiteral("A"), QStringLiteral("9.9.9.9"), true, 1));
    EXPECT_FALSE(DNSTicklerAdvanced(QStringLiteral("a.com"), name, QStringLiteral("RECORDADD"),
                                    QStringLiteral("A"), QStringLiteral("9.9.9.9"), true));
    EXPECT_TRUE(window.wasDisabled);
    EXPECT_TRUE(window.enabled());
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(window.statusChanges, 0);
    // GetIPAddress skips the failed step and goes on as with an empty reply.
    EXPECT_EQ(GetIPAddress(), QString());
    EXPECT_EQ(window.statusColour(), kStatusColourNotConnected);
    unregisterServiceTransfer(&broken);
    setServiceTransfer(&transfer);
}

// With no main window registered, the kept status still follows the rules.
TEST(RequestsWithoutMainWindow, StatusIsKept) {
    resetMainStatus();
    sServiceURL = kBase;
    FakeTransfer transfer;
    transfer.queueReply(QStringLiteral("<p>Error: down</p>"));
    transfer.queueReply(successReply());
    EXPECT_EQ(GetIPAddress(), QString());
    EXPECT_EQ(MainStatusColour(), kStatusColourNotConnected);
    EXPECT_EQ(MainStatusCaption(), QStringLiteral("Not Connected with Server"));
    EXPECT_EQ(GetIPAddress(), QStringLiteral("9.9.9.9"));
    EXPECT_EQ(MainStatusColour(), kStatusColourConnected);
    EXPECT_EQ(MainStatusCaption(), QStringLiteral("Connected"));
    resetMainStatus();
    sServiceURL.clear();
    objUser() = clsUser{};
}

TEST(ServiceAddress, ThreeFormsFromTheEndpoints) {
    resetEndpoints();
    endpoints().updateHost = QStringLiteral("127.0.0.1:8081");
    endpoints().secureHost = QStringLiteral("127.0.0.1:8443");
    EXPECT_EQ(DefaultServiceURL(), QStringLiteral("http://127.0.0.1:8081/dnslogin3.asp"));
    EXPECT_EQ(PlainServiceURL(QStringLiteral("1400")),
              QStringLiteral("http://127.0.0.1:8081/dnslogin3.asp"));
    EXPECT_EQ(SecureServiceURL(),
              QStringLiteral("https://127.0.0.1:8443/autoupdate/dnslogin3.asp"));
    endpoints().updateHost = QStringLiteral("[::1]");
    EXPECT_EQ(PlainServiceURL(QStringLiteral("8080")),
              QStringLiteral("http://[::1]:8080/dnslogin3.asp"));
    resetEndpoints();
    EXPECT_EQ(DefaultServiceURL(), QStringLiteral("http://update.corvane.example/dnslogin3.asp"));
    EXPECT_EQ(PlainServiceURL(QStringLiteral("80")),
              QStringLiteral("http://update.corvane.example:80/dnslogin3.asp"));
}

}  // namespace
