// Loading the stored connection settings into the login window's advanced panel.

#include <QWidget>

#include "LoginFixture.h"
#include "account/clsUser.h"
#include "login/LoadAdvancedTabSettings.h"
#include "platform/Endpoints.h"
#include "protocol/basDNS.h"

namespace quillon::test {
namespace {

const QString kPlain80 = QStringLiteral("http://update.corvane.example:80/dnslogin3.asp");
const QString kSecure = QStringLiteral("https://secure.corvane.example/autoupdate/dnslogin3.asp");

class AdvancedSettingsTest : public LoginFixture {
  protected:
    QComboBox* ports() { return control<QComboBox>("cboPorts"); }
    QComboBox* refresh() { return control<QComboBox>("cboRefreshRate"); }
    QCheckBox* ssl() { return control<QCheckBox>("chkSSL"); }
    static QStringList items(QComboBox* combo) {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i) {
            list << combo->itemText(i);
        }
        return list;
    }
};

TEST_F(AdvancedSettingsTest, NothingStoredGivesSslAndRefresh60) {
    window();
    EXPECT_EQ(items(ports()), QStringList({"80", "1400", "8080"}));
    EXPECT_EQ(ports()->currentIndex(), -1);
    EXPECT_FALSE(ports()->isEnabled());
    EXPECT_TRUE(ssl()->isChecked());
    EXPECT_EQ(items(refresh()).join(','), "30,40,50,60,70,80,90,100,110,120");
    EXPECT_EQ(refresh()->currentText(), "60");
    EXPECT_EQ(sServiceURL, kSecure);
    EXPECT_TRUE(messages_.shown().empty());
    // Nothing is written by the load: the default stays a default until the user chooses.
    EXPECT_TRUE(storedValue(QStringLiteral("bSSL")).isEmpty());
}

TEST_F(AdvancedSettingsTest, StoredNoSslGivesPort80) {
    storeDword(QStringLiteral("bSSL"), 0);
    window();
    EXPECT_EQ(ports()->currentText(), "80");
    EXPECT_TRUE(ports()->isEnabled());
    EXPECT_FALSE(ssl()->isChecked());
    EXPECT_EQ(sServiceURL, kPlain80);
}

TEST_F(AdvancedSettingsTest, SubDomainAccountGetsItsOwnRefreshList) {
    objUser().bCorvaneOnly = true;
    window();
    EXPECT_EQ(items(refresh()).join(','), "90,100,110,120");
    EXPECT_EQ(refresh()->currentText(), "90");
}

struct RefreshCase {
    const char* stored;
    bool subDomain;
    const char* selected;
};

void PrintTo(const RefreshCase& c, std::ostream* os) {
    *os << "stored " << c.stored << (c.subDomain ? ", sub-domain" : "") << " selects "
        << c.selected;
}

class RefreshRateTest : public AdvancedSettingsTest,
                        public ::testing::WithParamInterface<RefreshCase> {};

TEST_P(RefreshRateTest, StoredRefreshRateSelectsItsItemOrAFallback) {
    const RefreshCase& c = GetParam();
    storeDword(QStringLiteral("bSSL"), 0);
    storeText(QStringLiteral("RefreshRate"), QString::fromLatin1(c.stored));
    objUser().bCorvaneOnly = c.subDomain;
    window();
    EXPECT_EQ(refresh()->currentText(), QString::fromLatin1(c.selected)) << c.stored;
    // A refresh rate that cannot be chosen is passed over without a report.
    EXPECT_TRUE(messages_.shown().empty());
    EXPECT_EQ(sServiceURL, kPlain80);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RefreshRateTest,
    ::testing::Values(RefreshCase{"45", false, "60"}, RefreshCase{"120", false, "120"},
                      RefreshCase{"75", false, "90"}, RefreshCase{"fast", false, "60"},
                      RefreshCase{"30", false, "60"}, RefreshCase{"45", true, "90"},
                      RefreshCase{"100", true, "100"}, RefreshCase{"75", true, "90"}));

TEST_F(AdvancedSettingsTest, SslWithAStoredPortLeavesThePortListEmptyAndDisabled) {
    storeText(QStringLiteral("bSSL"), QStringLiteral("1"));
    storeText(QStringLiteral("Port"), QStringLiteral("8080"));
    window();
    EXPECT_TRUE(ssl()->isChecked());
    EXPECT_EQ(ports()->count(), 3);
    EXPECT_EQ(ports()->currentIndex(), -1);
    EXPECT_FALSE(ports()->isEnabled());
    EXPECT_EQ(sServiceURL, kSecure);

    // Ok keeps the stored port, and clearing SSL takes it up again.
    window().cmdOKAdvanced_Click();
    EXPECT_EQ(storedValue(QStringLiteral("Port")), QStringLiteral("8080"));
    ssl()->setChecked(false);
    EXPECT_EQ(ports()->currentText(), QStringLiteral("8080"));
    EXPECT_EQ(sServiceURL, QStringLiteral("http://update.corvane.example:8080/dnslogin3.asp"));
}

TEST_F(AdvancedSettingsTest, StoredPortIsUsedWhenSslIsOff) {
    storeText(QStringLiteral("bSSL"), QStringLiteral("0"));
    storeText(QStringLiteral("Port"), QStringLiteral("1400"));
    window();
    EXPECT_FALSE(ssl()->isChecked());
    EXPECT_EQ(ports()->currentText(), "1400");
    EXPECT_EQ(sServiceURL, "http://update.corvane.example:1400/dnslogin3.asp");
}

TEST_F(AdvancedSettingsTest, SslStoredAsANumberCountsAsTicked) {
    storeDword(QStringLiteral("bSSL"), 1);
    window();
    EXPECT_TRUE(ssl()->isChecked());
    EXPECT_EQ(sServiceURL, kSecure);
}

TEST_F(AdvancedSettingsTest, StoredRunAsServiceChangesNothing) {
    storeText(QStringLiteral("bRunAsService"), QStringLiteral("1"));
    storeText(QStringLiteral("bSSL"), QStringLiteral("0"));
    storeText(QStringLiteral("Port"), QStringLiteral("1400"));
    window();
    // No report, and the load runs to its end: the address carries the stored port.
    EXPECT_TRUE(messages_.shown().empty());
    EXPECT_EQ(beeps_.count(), 0);
    EXPECT_EQ(sServiceURL, "http://update.corvane.example:1400/dnslogin3.asp");
    // The stored value itself is left alone.
    EXPECT_EQ(storedValue(QStringLiteral("bRunAsService")), "1");
}

TEST_F(AdvancedSettingsTest, PortOutsideTheListIsReportedAndTheAddressKept) {
    storeText(QStringLiteral("bSSL"), QStringLiteral("0"));
    storeText(QStringLiteral("Port"), QStringLiteral("81"));
    window();
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].title, "Error");
    EXPECT_TRUE(messages_.shown()[0].text.startsWith("basDNS.LoadAdvancedTabSettings()"));
    EXPECT_EQ(ports()->currentText(), "80");
    // The load ended before rewriting the address: it is still the default form.
    EXPECT_EQ(sServiceURL, "http://update.corvane.example/dnslogin3.asp");
}

TEST_F(AdvancedSettingsTest, WindowWithoutTheControlsIsReported) {
    sServiceURL = QStringLiteral("http://before/dnslogin3.asp");
    QWidget bare;
    LoadAdvancedTabSettings(&bare);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_TRUE(messages_.shown()[0].text.startsWith("basDNS.LoadAdvancedTabSettings()"));
    EXPECT_EQ(sServiceURL, "http://before/dnslogin3.asp");
}

TEST_F(AdvancedSettingsTest, EndpointOverridesAreInForceBeforeTheAddressIsFormed) {
    storeText(QStringLiteral("UpdateHost"), QStringLiteral("127.0.0.1"));
    storeText(QStringLiteral("SecureHost"), QStringLiteral("127.0.0.1:14443"));
    storeText(QStringLiteral("WebSite"), QStringLiteral("http://127.0.0.1:1400/"));
    storeText(QStringLiteral("bSSL"), QStringLiteral("0"));
    storeText(QStringLiteral("Port"), QStringLiteral("1400"));
    window();
    EXPECT_EQ(endpoints().updateHost, "127.0.0.1");
    EXPECT_EQ(endpoints().secureHost, "127.0.0.1:14443");
    EXPECT_EQ(endpoints().webSite, "http://127.0.0.1:1400");
    // Not stored: the constant stays.
    EXPECT_TRUE(endpoints().trustedCA.isEmpty());
    EXPECT_EQ(sServiceURL, "http://127.0.0.1:1400/dnslogin3.asp");
}

}  // namespace
}  // namespace quillon::test
