#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "account/clsUser.h"
#include "cycle/AutoIPCycle.h"
#include "cycle/BusyFlag.h"
#include "cycle/UpdateCycle.h"
#include "diagnostics/ErrorReport.h"
#include "main/frmMain.h"
#include "platform/Endpoints.h"
#include "platform/MessageBox.h"
#include "protocol/AddressRules.h"
#include "protocol/RequestWait.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "settings/SettingsSchema.h"

// The free account's sub-domain panel: its set-up after the login, the address check and
// Update/Add, and the AutoIP box.

namespace quillon {

namespace {

QString checkText(const QCheckBox* box) {
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

void frmMain::LoadFreeUserInfo() {
    ensureBuilt();
    try {
        const clsUser& user = objUser();
        // The first Update/Add of this login counts as a transaction whatever the AutoIP box says.
        sAutoIPDealtWith.clear();
        // Called by the login, before init(): the host's address is stored under this account.
        session_.setAccount(user.sUsername);
        Registry reg;
        reg.setKey(userKey());

        bLoadingFreeUser = true;
        const std::pair<QLatin1String, QCheckBox*> boxes[] = {
            {store::kMX, chkMX_},         {store::kFTP, chkFTP_},   {store::kMail, chkMail_},
            {store::kTelnet, chkTelnet_}, {store::kVNC, chkVNC_},   {store::kWWW, chkWWW_},
            {store::kIRC, chkIRC_},       {store::kPCAW, chkPCAW_},
        };
        for (const auto& [name, box] : boxes) {
            if (reg.getValue(name) == QLatin1String("1")) {
                box->setChecked(true);
            }
        }
        bLoadingFreeUser = false;

        if (reg.getValue(store::kAutoIP) == QLatin1String("1")) {
            chkAutoIP_->setChecked(true);
        }
        // With no usable address known (the login reported none and none is stored) the host
        // is added by the first check that finds one.
        txtCorvaneIP_->setText(driver_->addFreeHostAtLogin(reg.getValue(store::kIPAddress),
                                                           chkAutoIP_->isChecked() ? 1 : 0));
        lblDomain_->setText(user.sUsername + QLatin1Char('.') + user.sSubDomain);
    } catch (const ClientError& error) {
        bLoadingFreeUser = false;
        ErrorReport(QStringLiteral("frmMain.LoadFreeUserInfo()"), error);
    }
}

bool frmMain::CheckCorvaneIP() {
    const QString address = txtCorvaneIP_->text();
    if (address.trimmed().isEmpty()) {
        MsgBox(QStringLiteral("IP Address must be filled in"), MsgButtons::OK,
               QStringLiteral("Corvane"));
        return false;
    }
    if (!IsValidIPAddress(address)) {
        MsgBox(QStringLiteral("Invalid IP address"), MsgButtons::OK, QStringLiteral("Corvane"));
        return false;
    }
    return true;
}

void frmMain::cmdCorvaneSetIP_Click() {
    if (bCorvaneSetIPBusy) {
        return;
    }
    BusyFlag busy(bCorvaneSetIPBusy);
    // Whatever the outcome, the keyboard goes back to the address box, where the user goes on.
    struct FocusAddressBox {
        QLineEdit* box;
        ~FocusAddressBox() {
            if (box->isVisible()) {
                box->setFocus(Qt::OtherFocusReason);
            }
        }
    } focusAfter{txtCorvaneIP_};
    if (!CheckCorvaneIP()) {
        return;
    }
    // The result message's loop runs timers: the host is not re-pointed meanwhile.
    const RequestInFlightGuard inFlight;
    clsUser& user = objUser();
    // The add re-points the host; no removal goes first. On success the request layer keeps
    // the sent address in sIPAddress.
    QString name = user.sUsername;
    DNSTickler(user.sDomain, name, QStringLiteral("RECORDADD"), user.sRecordType,
               txtCorvaneIP_->text(), true, chkAutoIP_->isChecked() ? 1 : 0);

    if (user.sIPAddress != lblIPAddress_->text()) {
        countTransaction();
        lblIPAddress_->setText(user.sIPAddress);
        sAutoIPDealtWith = checkText(chkAutoIP_);
    }
    if (sAutoIPDealtWith != checkText(chkAutoIP_)) {
        countTransaction();
        sAutoIPDealtWith = checkText(chkAutoIP_);
    }
}

void frmMain::chkAutoIP_Click() {
    // Ticking the box takes the current public address; clearing it changes nothing until the
    // next Update/Add.
    if (chkAutoIP_->isChecked() && !lblIPAddress_->text().isEmpty()) {
        txtCorvaneIP_->setText(lblIPAddress_->text());
    }
}

}  // namespace quillon
