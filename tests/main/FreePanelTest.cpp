#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "MainFixture.h"
#include "account/clsUser.h"
#include "platform/Endpoints.h"
#include "protocol/basDNS.h"
#include "resources/PictureButton.h"

// The free account's sub-domain panel and the advanced frame's boxes, against corvane-sim.

namespace quillon::test {
namespace {

const QString kUser = QStringLiteral("free");
const QString kHost = QStringLiteral("free.free.corvane.example");
const QString kHostRecord = QStringLiteral("free.corvane.example;;A;;free;;");
// What corvane-sim's login reply reports as the free account's public address.
const QString kLoginAddress = QStringLiteral("198.51.100.23");

class FreePanelTest : public MainFixture {
  protected:
    bool startFree() {
        if (!sim_) {
            startSim();
        }
        sim_->setAddress(kUser, kLoginAddress);
        return startAs(kUser);
    }
    QString records() const { return serviceRecords(kUser, kUser); }
    QStringList boxesChecked() {
        QStringList checked;
        for (QCheckBox* box : main().findChildren<QCheckBox*>()) {
            if (box->isChecked()) {
                checked.append(box->objectName());
            }
        }
        return checked;
    }
    void updateAdd() { mainButton("cmdCorvaneSetIP")->click(); }
    QString count() { return mainControl<QLabel>("lblTimesIPChanged")->text(); }
    QLineEdit* addressBox() { return mainControl<QLineEdit>("txtCorvaneIP"); }
    QCheckBox* box(const char* name) { return mainControl<QCheckBox>(name); }
    void openAdvanced() { mainButton("cmdAdvancedFree")->click(); }
};

TEST_F(FreePanelTest, LoginPointsTheHostSilentlyAndRestoresTheBoxesWithoutRequests) {
    // No saved settings: nothing ticked, the login's address, the parking record replaced.
    ASSERT_TRUE(startFree());
    EXPECT_TRUE(boxesChecked().isEmpty());
    EXPECT_EQ(addressBox()->text(), kLoginAddress);
    EXPECT_TRUE(messages_.shown().empty());
    EXPECT_EQ(ticklerRequests().size(), 2);
    EXPECT_TRUE(
        ticklerRequests()[0].endsWith(QStringLiteral("RECORDDELETE&RecordType=A&IPAddress=") +
                                      QLatin1String(kServiceDefaultAddress)));
    EXPECT_EQ(records(), kHostRecord + kLoginAddress);
    // Stored under the account as soon as published: a crash leaves no older address behind.
    EXPECT_EQ(userValue(kUser, QStringLiteral("IPAddress")), kLoginAddress);

    // Saved boxes come back ticked and send nothing of their own.
    delete main_.data();
    storeUserText(kUser, QStringLiteral("bFTP"), QStringLiteral("1"));
    storeUserText(kUser, QStringLiteral("bWWW"), QStringLiteral("0"));
    storeUserText(kUser, QStringLiteral("IPAddress"), QStringLiteral("198.51.100.40"));
    sim_->clearLog();
    ASSERT_TRUE(startFree());
    EXPECT_EQ(boxesChecked(), QStringList{QStringLiteral("chkFTP")});
    EXPECT_EQ(ticklerRequests().size(), 2);
    EXPECT_FALSE(ticklerRequests().join(u' ').contains(QLatin1String("Advanced")));
    EXPECT_EQ(records(), kHostRecord + QStringLiteral("198.51.100.40"));
}

TEST_F(FreePanelTest, UpdateAddRefusesAMissingOrInvalidAddressBeforeSending) {
    ASSERT_TRUE(startFree());
    sim_->clearLog();
    for (const char* typed : {"", "   ", "300.1.1.1"}) {
        addressBox()->setText(QLatin1String(typed));
        // Enter in the address box runs Update/Add as the button does.
        QTest::keyClick(addressBox(), Qt::Key_Return);
    }
    EXPECT_EQ(messages_.texts(), (QStringList{QStringLiteral("IP Address must be filled in"),
                                              QStringLiteral("IP Address must be filled in"),
                                              QStringLiteral("Invalid IP address")}));
    EXPECT_EQ(messages_.shown().back().title, QStringLiteral("Corvane"));
    EXPECT_TRUE(ticklerRequests().isEmpty());
    EXPECT_EQ(count(), QStringLiteral("0"));
}

TEST_F(FreePanelTest, UpdateAddCountsANewAddressOrAnAutoIPChangeOnce) {
    ASSERT_TRUE(startFree());
    ASSERT_EQ(mainControl<QLabel>("lblIPAddress")->text(), kLoginAddress);

    // The first Update/Add after the login counts even at the address already shown.
    updateAdd();
    updateAdd();
    EXPECT_EQ(count(), QStringLiteral("1"));
    EXPECT_EQ(
        messages_.texts().first(),
        QStringLiteral("Transaction Complete:\nIP Set for Name:free IPAddress:") + kLoginAddress);

    // Ticking AutoIP takes the shown address and counts at the next Update/Add.
    addressBox()->setText(QStringLiteral("192.0.2.99"));
    box("chkAutoIP")->click();
    EXPECT_EQ(addressBox()->text(), kLoginAddress);
    updateAdd();
    EXPECT_EQ(count(), QStringLiteral("2"));

    // A new address counts once and becomes the shown one; one add re-points the host.
    addressBox()->setText(QStringLiteral("198.51.100.77"));
    sim_->clearLog();
    updateAdd();
    updateAdd();
    EXPECT_EQ(count(), QStringLiteral("3"));
    EXPECT_EQ(mainControl<QLabel>("lblIPAddress")->text(), QStringLiteral("198.51.100.77"));
    EXPECT_FALSE(ticklerRequests().join(u' ').contains(QLatin1String("RECORDDELETE")));
    EXPECT_EQ(records(), kHostRecord + QStringLiteral("198.51.100.77"));
}

TEST_F(FreePanelTest, AliasBoxesAddAndRemoveAliasesAndARefusalLeavesTheBoxCleared) {
    ASSERT_TRUE(startFree());
    openAdvanced();
    const QString alias = QStringLiteral("free.corvane.example;;CNAME;;WWW.free;;") + kHost;
    const QString www = QStringLiteral("WWW.") + kHost;

    box("chkWWW")->click();
    EXPECT_TRUE(records().contains(alias)) << records().toStdString();
    box("chkWWW")->click();
    EXPECT_FALSE(records().contains(QLatin1String("WWW.free")));

    // Refused: the message, the box cleared again, and no request for the revert.
    sim_->clearLog();
    sim_->injectErrorStatus(1, 500, QStringLiteral("Refused."));
    box("chkWWW")->click();
    EXPECT_FALSE(box("chkWWW")->isChecked());
    EXPECT_EQ(ticklerRequests().size(), 1);
    // A refused removal leaves the box cleared as well.
    box("chkWWW")->click();
    sim_->injectErrorStatus(1, 500, QStringLiteral("Refused."));
    box("chkWWW")->click();
    EXPECT_FALSE(box("chkWWW")->isChecked());
    EXPECT_EQ(messages_.texts(), (QStringList{
                                     QStringLiteral("Transaction Complete:\n") + www + " Set",
                                     QStringLiteral("Transaction Complete:\n") + www + " Removed",
                                     QStringLiteral("Could not Set ") + www + " Refused.",
                                     QStringLiteral("Transaction Complete:\n") + www + " Set",
                                     QStringLiteral("Could not Remove ") + www + " Refused.",
                                 }));

    // The alias points at the host name; the account keeps, and closing saves, the address.
    main().SaveSettings();
    EXPECT_EQ(userValue(kUser, QStringLiteral("IPAddress")), kLoginAddress);
}

TEST_F(FreePanelTest, MXBoxSetsAndRemovesTheRecordWithItsOwnConfirmations) {
    ASSERT_TRUE(startFree());
    openAdvanced();
    box("chkMX")->click();
    EXPECT_TRUE(records().contains(QStringLiteral(";;MX 1;;free;;") + kHost));
    box("chkMX")->click();
    EXPECT_FALSE(records().contains(QLatin1String(";;MX 1;;")));
    EXPECT_EQ(messages_.texts(),
              (QStringList{QStringLiteral("Transaction Complete:MX Record Set"),
                           QStringLiteral("Transaction Complete:MX Record Removed")}));
    EXPECT_EQ(objUser().sIPAddress, kLoginAddress);

    // Refused: no confirmation, the box cleared again, one request only.
    messages_.clear();
    sim_->clearLog();
    sim_->injectErrorStatus(1, 500, QStringLiteral("Refused."));
    box("chkMX")->click();
    EXPECT_FALSE(box("chkMX")->isChecked());
    EXPECT_TRUE(messages_.shown().empty());
    EXPECT_EQ(ticklerRequests().size(), 1);
}

TEST_F(FreePanelTest, SSLBoxSwitchesTheServiceAddressAndEnterClosesTheFrame) {
    startSim(true);
    storeDword(QStringLiteral("bSSL"), 1);
    ASSERT_TRUE(startFree());
    QCheckBox* ssl = box("chkSSL");
    QComboBox* ports = mainControl<QComboBox>("cboPorts");
    ASSERT_TRUE(ssl->isChecked());
    EXPECT_FALSE(ports->isEnabled());
    EXPECT_EQ(sServiceURL, SecureServiceURL());

    // An update host without a port of its own, so that the chosen port shows in the address
    // (nothing is sent from here on).
    endpoints().updateHost = QStringLiteral("127.0.0.1");
    openAdvanced();
    // Started with SSL, the port list had no selection: the plain address takes port 80.
    ssl->click();
    EXPECT_TRUE(ports->isEnabled());
    EXPECT_EQ(sServiceURL, QStringLiteral("http://127.0.0.1:80/dnslogin3.asp"));
    ssl->click();
    ports->setCurrentIndex(ports->findText(QStringLiteral("1400")));
    EXPECT_EQ(sServiceURL, SecureServiceURL());
    ssl->click();
    EXPECT_EQ(sServiceURL, QStringLiteral("http://127.0.0.1:1400/dnslogin3.asp"));

    // Enter in the port list is "Done": back to the panel.
    QTest::keyClick(ports, Qt::Key_Return);
    EXPECT_TRUE(mainControl<QFrame>("frameAdvanced")->isHidden());
    EXPECT_FALSE(mainControl<QFrame>("frameCorvaneDomain")->isHidden());
}

// The result message's loop lets the update timer tick while the account holds the host name
// as its address: no check may run then, or it would re-point the host at nothing.
TEST_F(FreePanelTest, NoCheckRunsWhileAnAliasResultIsShown) {
    ASSERT_TRUE(startFree());
    box("chkAutoIP")->setChecked(true);
    openAdvanced();
    sim_->clearLog();
    messages_.onShow = [this](const MsgBoxRequest&) { tick(12); };
    box("chkWWW")->click();
    messages_.onShow = {};
    EXPECT_EQ(ticklerRequests().size(), 1);
    EXPECT_TRUE(ipRequests().isEmpty());
    EXPECT_EQ(objUser().sIPAddress, kLoginAddress);
    tick(1);  // the check the ticks left for later
    EXPECT_EQ(ipRequests().size(), 1);
    EXPECT_EQ(ticklerRequests().size(), 1);
}

TEST_F(FreePanelTest, AfterUpdateAddTheAddressBoxHasTheKeyboard) {
    ASSERT_TRUE(startFree());
    main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    QLabel* update = mainButton("cmdCorvaneSetIP")->picture();
    update->setFocus();
    QTest::keyClick(update, Qt::Key_Return);  // Update/Add, then OK on its message
    ASSERT_FALSE(messages_.shown().empty());
    EXPECT_EQ(QApplication::focusWidget(), addressBox());
}

TEST_F(FreePanelTest, AnAliasBoxIsReadByItsCaptionOnceAndTheFrameShowsEveryBox) {
    ASSERT_TRUE(startFree());
    openAdvanced();
    auto* frame = mainControl<QFrame>("frameAdvanced");
    for (const char* name : {"chkMX", "chkFTP", "chkWWW", "chkPCAW", "chkVNC"}) {
        QCheckBox* alias = box(name);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(alias);
        EXPECT_EQ(iface->text(QAccessible::Name), alias->text()) << name;
        EXPECT_NE(iface->text(QAccessible::Description), alias->text()) << name;
        // The free account's frame is high enough for every box it shows.
        EXPECT_TRUE(alias->isVisibleTo(frame)) << name;
        EXPECT_TRUE(frame->rect().contains(alias->geometry())) << name;
    }
}

}  // namespace
}  // namespace quillon::test
