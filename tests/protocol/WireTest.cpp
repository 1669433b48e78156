// The service dialogue against corvane-sim over real HTTP and HTTPS: the exact requests the
// service receives, what the client makes of the replies, and how it survives a service that
// is down, slow, drops the connection, answers garbage or an error status.
#include <gtest/gtest.h>

#include <memory>

#include "account/clsUser.h"
#include "platform/Endpoints.h"
#include "protocol/CurlTransfer.h"
#include "protocol/ProtocolDoubles.h"
#include "protocol/basDNS.h"
#include "support/ScopedEnv.h"
#include "support/Seams.h"
#include "support/SimProcess.h"

using namespace quillon;
using quillon::test::RecordingMainWindow;
using quillon::test::ScopedEnv;
using quillon::test::ScriptedMessageBoxes;
using quillon::test::SimProcess;

namespace {

const QString kPlainPath = QStringLiteral("/dnslogin3.asp");
const QString kSecurePath = QStringLiteral("/autoupdate/dnslogin3.asp");

// A running corvane-sim, the client's endpoints pointed at it, a transfer with time-outs cut to
// about a second registered as the program's transfer, and the main window's double.
class Wire : public ::testing::Test {
  protected:
    explicit Wire(bool https = true) : sim_(SimProcess::Options{https, true}) {}

    void SetUp() override {
        ASSERT_TRUE(sim_.started()) << sim_.error().toStdString();
        endpoints().updateHost = sim_.httpHostPort();
        endpoints().secureHost = sim_.httpsHostPort();
        endpoints().trustedCA = SimProcess::trustedCertPath();
        transfer_.setTimeouts(1000, 1000);
        setServiceTransfer(&transfer_);
        sServiceURL = DefaultServiceURL();
        sAutoIPs.clear();
        objUser() = clsUser{};
        objUser().sUsername = QStringLiteral("demo");
        objUser().sPassword = QStringLiteral("demo");
        objUser().sIPAddress = QStringLiteral("192.0.2.10");
        sim_.clearLog();
    }

    void TearDown() override {
        unregisterServiceTransfer(&transfer_);
        resetEndpoints();
        sServiceURL.clear();
        sAutoIPs.clear();
        objUser() = clsUser{};
        resetMainStatus();
    }

    void showNotConnected() {
        window_.showStatus(QString::fromLatin1(kStatusNotConnected), kStatusColourNotConnected);
    }

    ScopedEnv noProxy_{"no_proxy", "127.0.0.1,localhost"};
    SimProcess sim_;
    CurlTransfer transfer_;
    RecordingMainWindow window_;
    ScriptedMessageBoxes boxes_;
};

// Every request form, on the plain and on the secure address.
class WireForms : public Wire, public ::testing::WithParamInterface<bool> {};

TEST_P(WireForms, TheServiceReceivesEachRequestExactly) {
    const bool secure = GetParam();
    sServiceURL = secure ? SecureServiceURL() : PlainServiceURL(QStringLiteral("80"));
    const QString path = secure ? kSecurePath : kPlainPath;

    const TransferReply login = serviceTransfer().OpenURL(
        sServiceURL + LoginQuery(QStringLiteral("demo"), QStringLiteral("demo")));
    ASSERT_TRUE(login.ok) << login.error.toStdString();
    EXPECT_EQ(GetReplyValue(login.body, QStringLiteral("DNS LOGIN:")), QStringLiteral("SUCCESS"));
    EXPECT_EQ(GetReplyValue(login.body, QStringLiteral("Domains:")),
              QStringLiteral("demo-home.example,demo-lab.example"));

    sim_.setAddress(QStringLiteral("demo"), QStringLiteral("198.51.100.7"));
    EXPECT_EQ(GetIPAddress(), QStringLiteral("198.51.100.7"));

    QString name;
    EXPECT_TRUE(DNSTickler(QStringLiteral("demo-lab.example"), name, QStringLiteral("RECORDADD"),
                           QStringLiteral("MX 1"), QStringLiteral("mail.demo-lab.example"), false,
                           0));

    objUser().sUsername = QStringLiteral("free");
    objUser().sPassword = QStringLiteral("free");
    QString alias = QStringLiteral("www");
    EXPECT_TRUE(DNSTicklerAdvanced(QStringLiteral("free.corvane.example"), alias,
                                   QStringLiteral("RECORDADD"), QStringLiteral("CNAME"),
                                   QStringLiteral("free.free.corvane.example"), false));

    EXPECT_EQ(sim_.requestLog(),
              (QStringList{
                  path + QStringLiteral("?fxn=login&usr=demo&pwd=demo"),
                  path + QStringLiteral("?FXN=GetIPAddress&Usr=demo"),
                  path + QStringLiteral("?FXN=DNSTickler&Usr=demo&Pwd=demo&Cname=@"
                                        "&Domain=demo-lab.example&DNSCommand=RECORDADD"
                                        "&RecordType=MX%201&IPAddress=mail.demo-lab.example"),
                  path + QStringLiteral("?FXN=DNSTicklerAdvanced&Usr=free&Pwd=free&Cname=www.free"
                                        "&Domain=free.corvane.example&DNSCommand=RECORDADD"
                                        "&RecordType=CNAME&IPAddress=free.free.corvane.example"),
              }));
}

INSTANTIATE_TEST_SUITE_P(PlainAndSecure, WireForms, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Secure" : "Plain"; });

TEST_F(Wire, GetIPAddressReconnectsAndRefreshesTheRecordList) {
    showNotConnected();
    EXPECT_EQ(GetIPAddress(),
              QStringLiteral("192.0.2.1"));  // an unset address reads as a documentation one
    EXPECT_EQ(window_.caption(), QStringLiteral("Connected"));
    EXPECT_EQ(window_.statusColour(), kStatusColourConnected);
    EXPECT_EQ(window_.tray, QList<bool>{true});
    EXPECT_TRUE(objUser().sDomainUserRecords.contains(
        QStringLiteral("demo-lab.example;;PORT RELAY;;cam;;HTTP://192.0.2.11:8080/cam")));
    EXPECT_EQ(objUser().sIPAddress, QStringLiteral("192.0.2.10"));
}

TEST_F(Wire, GetIPAddressOfAnUnknownUserDisconnects) {
    objUser().sUsername = QStringLiteral("nobody");
    EXPECT_EQ(GetIPAddress(), QString());
    EXPECT_EQ(window_.caption(), QStringLiteral("Not Connected with Server"));
    EXPECT_EQ(window_.statusColour(), kStatusColourNotConnected);
    EXPECT_EQ(window_.tray, QList<bool>{false});
}

TEST_F(Wire, DNSTicklerAddsAndRemovesARecord) {
    QString name = QStringLiteral("home");
    ASSERT_TRUE(DNSTickler(QStringLiteral("demo-home.example"), name, QStringLiteral("RECORDADD"),
                           QStringLiteral("A"), QStringLiteral("203.0.113.5"), true, 1));
    EXPECT_TRUE(objUser().sDomainUserRecords.contains(
        QStringLiteral("demo-home.example;;A;;home;;203.0.113.5")));
    EXPECT_EQ(objUser().sIPAddress, QStringLiteral("203.0.113.5"));
    EXPECT_EQ(sAutoIPs, QStringLiteral("DEMO-HOME.EXAMPLE;;A;;HOME;;203.0.113.5~~"));

    ASSERT_TRUE(DNSTickler(QStringLiteral("demo-home.example"), name,
                           QStringLiteral("RECORDDELETE"), QStringLiteral("A"),
                           QStringLiteral("203.0.113.5"), true, 1));
    EXPECT_FALSE(objUser().sDomainUserRecords.contains(QStringLiteral(";;home;;")));
    EXPECT_EQ(sAutoIPs, QString());
    EXPECT_EQ(boxes_.texts(),
              (QStringList{QStringLiteral("Transaction Complete:\nIP Set for Name:home "
                                          "IPAddress:203.0.113.5"),
                           QStringLiteral("Transaction Complete:\nIP Removed for Name:home "
                                          "IPAddress:203.0.113.5")}));
    EXPECT_TRUE(window_.wasDisabled);
    EXPECT_TRUE(window_.enabled());
}

TEST_F(Wire, DNSTicklerRefusalShowsTheServiceError) {
    QString name = QStringLiteral("www");
    EXPECT_FALSE(DNSTickler(QStringLiteral("not-mine.example"), name, QStringLiteral("RECORDADD"),
                            QStringLiteral("A"), QStringLiteral("203.0.113.5"), true, 1));
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].text,
              QStringLiteral("Could not Set IP.  Domain is not owned by this account."));
    EXPECT_EQ(boxes_.shown()[0].title, QString());
    EXPECT_EQ(window_.caption(), QStringLiteral("Not Connected with Server"));
    EXPECT_EQ(window_.tray, QList<bool>{false});
    EXPECT_EQ(objUser().sIPAddress, QStringLiteral("192.0.2.10"));
    EXPECT_TRUE(sAutoIPs.isEmpty());
    EXPECT_TRUE(window_.enabled());
}

TEST_F(Wire, DNSTicklerAdvancedForAFreeAccount) {
    objUser().sUsername = QStringLiteral("free");
    objUser().sPassword = QStringLiteral("free");
    objUser().bCorvaneOnly = true;
    QString alias = QStringLiteral("ftp");
    ASSERT_TRUE(DNSTicklerAdvanced(QStringLiteral("free.corvane.example"), alias,
                                   QStringLiteral("RECORDADD"), QStringLiteral("CNAME"),
                                   QStringLiteral("free.free.corvane.example"), true));
    EXPECT_TRUE(objUser().sDomainUserRecords.contains(
        QStringLiteral("free.corvane.example;;CNAME;;ftp.free;;free.free.corvane.example")));
    ASSERT_FALSE(DNSTicklerAdvanced(QStringLiteral("free.corvane.example"), alias,
                                    QStringLiteral("RECORDDELETE"), QStringLiteral("A"),
                                    QStringLiteral("192.0.2.99"), true));
    EXPECT_EQ(
        boxes_.texts(),
        (QStringList{QStringLiteral("Transaction Complete:\nftp.free.free.corvane.example Set"),
                     QStringLiteral("Could not Remove ftp.free.free.corvane.example Record not "
                                    "found.")}));
    EXPECT_TRUE(sAutoIPs.isEmpty());
}

// The service's own reply is a reply whatever its HTTP status: a storage failure answered with
// 500 and an "Error:" field reaches the user and turns the status to not connected.
TEST_F(Wire, AnErrorStatusCarryingTheServicesReplyGoesToTheReplyRules) {
    sim_.injectErrorStatus(2, 500, QStringLiteral("Service storage failure."));
    QString name = QStringLiteral("home");
    EXPECT_FALSE(DNSTickler(QStringLiteral("demo-home.example"), name, QStringLiteral("RECORDADD"),
                            QStringLiteral("A"), QStringLiteral("203.0.113.5"), true, 1));
    EXPECT_EQ(boxes_.texts(),
              QStringList{QStringLiteral("Could not Set IP.  Service storage failure.")});
    EXPECT_EQ(window_.caption(), QStringLiteral("Not Connected with Server"));
    EXPECT_EQ(window_.statusColour(), kStatusColourNotConnected);
    EXPECT_EQ(window_.tray, QList<bool>{false});
    EXPECT_TRUE(window_.enabled());
    EXPECT_TRUE(sAutoIPs.isEmpty());
    EXPECT_EQ(objUser().sIPAddress, QStringLiteral("192.0.2.10"));

    QString alias = QStringLiteral("ftp");
    EXPECT_FALSE(DNSTicklerAdvanced(QStringLiteral("free.corvane.example"), alias,
                                    QStringLiteral("RECORDADD"), QStringLiteral("CNAME"),
                                    QStringLiteral("x.example"), true));
    EXPECT_EQ(
        boxes_.texts().last(),
        QStringLiteral("Could not Set ftp.demo.free.corvane.example Service storage failure."));
}

// A name or password holding the query's own punctuation reaches the service as text and cannot
// turn an add into a removal.
TEST_F(Wire, ArgumentValuesCannotRewriteTheRequest) {
    QString name = QStringLiteral("www&DNSCommand=RECORDDELETE");
    DNSTickler(QStringLiteral("demo-home.example"), name, QStringLiteral("RECORDADD"),
               QStringLiteral("A"), QStringLiteral("192.0.2.10"), false, 0);
    ASSERT_EQ(sim_.requestLog().size(), 1);
    EXPECT_TRUE(sim_.requestLog()[0].contains(
        QStringLiteral("&Cname=www%26DNSCommand%3DRECORDDELETE&Domain=demo-home.example"
                       "&DNSCommand=RECORDADD&")));
    EXPECT_EQ(GetIPAddress(), QStringLiteral("192.0.2.1"));
    EXPECT_TRUE(objUser().sDomainUserRecords.contains(
        QStringLiteral("demo-home.example;;A;;www;;192.0.2.10")));

    objUser().sPassword = QStringLiteral("de mo#");
    name = QStringLiteral("www");
    EXPECT_FALSE(DNSTickler(QStringLiteral("demo-home.example"), name,
                            QStringLiteral("RECORDDELETE"), QStringLiteral("A"),
                            QStringLiteral("192.0.2.10"), false, 0));
    EXPECT_TRUE(sim_.requestLog().last().contains(QStringLiteral("&Pwd=de%20mo%23&Cname=www&")));
}

TEST_F(Wire, SecureAddressNeedsTheTrustedCertificate) {
    sServiceURL = SecureServiceURL();
    EXPECT_EQ(GetIPAddress(), QStringLiteral("192.0.2.1"));

    endpoints().trustedCA = SimProcess::untrustedCertPath();
    EXPECT_EQ(GetIPAddress(), QString());
    EXPECT_EQ(window_.caption(), QStringLiteral("Not Connected with Server"));

    endpoints().trustedCA.clear();
    const TransferReply reply = serviceTransfer().OpenURL(sServiceURL + GetIPAddressQuery("demo"));
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(sim_.requestLog().size(), 1);  // the refused connections sent no request

    // Trust given for one request does not stay behind for the next.
    endpoints().trustedCA = SimProcess::trustedCertPath();
    EXPECT_TRUE(serviceTransfer().OpenURL(sServiceURL + GetIPAddressQuery("demo")).ok);
    endpoints().trustedCA.clear();
    EXPECT_FALSE(serviceTransfer().OpenURL(sServiceURL + GetIPAddressQuery("demo")).ok);
}

// A reply longer than the cap is a failed transfer, not a truncated reply.
TEST_F(Wire, AReplyOverTheCapFails) {
    const QString url = sServiceURL + LoginQuery(QStringLiteral("demo"), QStringLiteral("demo"));
    const TransferReply whole = serviceTransfer().OpenURL(url);
    ASSERT_TRUE(whole.ok);
    transfer_.setReplyCap(whole.body.toUtf8().size());
    EXPECT_TRUE(serviceTransfer().OpenURL(url).ok);
    transfer_.setReplyCap(whole.body.toUtf8().size() - 1);
    const TransferReply cut = serviceTransfer().OpenURL(url);
    EXPECT_FALSE(cut.ok);
    EXPECT_TRUE(cut.body.isEmpty());
}

// Each fault of the service, met by GetIPAddress and by DNSTickler with messages on.
struct FaultCase {
    const char* label;
    SimProcess::Fault fault;
    int param;
    bool transferFails;  // the garbage reply arrives; the others are failed transfers
};

class WireFaults : public Wire, public ::testing::WithParamInterface<FaultCase> {
  protected:
    WireFaults() : Wire(false) {}
};

TEST_P(WireFaults, FailurePathsAndTheWindowEnabledAgain) {
    const FaultCase& c = GetParam();
    QString name = QStringLiteral("home");

    sim_.injectFault(c.fault, 2, c.param);
    EXPECT_EQ(GetIPAddress(), QString());
    EXPECT_EQ(window_.caption(), QStringLiteral("Not Connected with Server"));
    EXPECT_EQ(window_.statusColour(), kStatusColourNotConnected);
    EXPECT_EQ(window_.tray, QList<bool>{false});

    window_.showStatus(QString::fromLatin1(kStatusConnected), kStatusColourConnected);
    const int changesBefore = window_.statusChanges;
    EXPECT_FALSE(DNSTickler(QStringLiteral("demo-home.example"), name, QStringLiteral("RECORDADD"),
                            QStringLiteral("A"), QStringLiteral("203.0.113.5"), true, 1));
    if (c.transferFails) {
        EXPECT_TRUE(boxes_.shown().empty());
        EXPECT_EQ(window_.statusChanges, changesBefore);
        EXPECT_EQ(window_.caption(), QStringLiteral("Connected"));
    } else {
        EXPECT_EQ(boxes_.texts(), QStringList{QStringLiteral("Could not Set IP.  ")});
        EXPECT_EQ(window_.caption(), QStringLiteral("Not Connected with Server"));
    }
    EXPECT_TRUE(window_.wasDisabled);
    EXPECT_TRUE(window_.enabled());
    EXPECT_EQ(objUser().sIPAddress, QStringLiteral("192.0.2.10"));
    EXPECT_TRUE(sAutoIPs.isEmpty());

    // The fault is spent: the next request goes through again.
    EXPECT_EQ(GetIPAddress(), QStringLiteral("192.0.2.1"));
    EXPECT_EQ(window_.caption(), QStringLiteral("Connected"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WireFaults,
    ::testing::Values(FaultCase{"DelayPastTheTimeout", SimProcess::Fault::Delay, 4000, true},
                      FaultCase{"DroppedConnection", SimProcess::Fault::Drop, 0, true},
                      FaultCase{"ErrorStatus", SimProcess::Fault::Status, 500, true},
                      FaultCase{"GarbageReply", SimProcess::Fault::Garbage, 0, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WireDown, AServiceThatIsNotThereIsAFailedTransfer) {
    ScopedEnv noProxy("no_proxy", "127.0.0.1,localhost");
    QString hostPort;
    {
        SimProcess sim;
        ASSERT_TRUE(sim.started()) << sim.error().toStdString();
        hostPort = sim.httpHostPort();
        // It answered while it ran (this also lets it finish starting before it is stopped).
        ASSERT_FALSE(
            sim.get(GetIPAddressQuery(QStringLiteral("demo")).prepend(kPlainPath)).isEmpty());
    }
    endpoints().updateHost = hostPort;
    CurlTransfer transfer;
    transfer.setTimeouts(1000, 1000);
    setServiceTransfer(&transfer);
    RecordingMainWindow window;
    ScriptedMessageBoxes boxes;
    sServiceURL = DefaultServiceURL();
    objUser().sUsername = QStringLiteral("demo");

    EXPECT_EQ(GetIPAddress(), QString());
    EXPECT_EQ(window.statusColour(), kStatusColourNotConnected);
    QString name;
    EXPECT_FALSE(DNSTicklerAdvanced(QStringLiteral("free.corvane.example"), name,
                                    QStringLiteral("RECORDADD"), QStringLiteral("A"),
                                    QStringLiteral("192.0.2.1"), true));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(window.enabled());

    unregisterServiceTransfer(&transfer);
    resetEndpoints();
    sServiceURL.clear();
    objUser() = clsUser{};
    resetMainStatus();
}

}  // namespace
