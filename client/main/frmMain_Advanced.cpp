#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include "account/clsUser.h"
#include "cycle/BusyFlag.h"
#include "cycle/KeepAccountAddress.h"
#include "cycle/UpdateCycle.h"
#include "login/LoadAdvancedTabSettings.h"
#include "main/EnterKey.h"
#include "main/MessageTexts.h"
#include "main/frmMain.h"
#include "platform/Autostart.h"
#include "platform/MessageBox.h"
#include "protocol/RequestWait.h"
#include "protocol/basDNS.h"
#include "resources/PictureButton.h"

// The advanced frame: opening and closing it, the secure-update box, the autostart box, and the
// free account's MX and service-alias boxes. Also the wiring of the sub-domain panel's and the
// frame's controls.

namespace quillon {

namespace {

const QString kRecordAdd = QStringLiteral("RECORDADD");
const QString kRecordDelete = QStringLiteral("RECORDDELETE");

}  // namespace

void frmMain::connectFreePanelHandlers() {
    connect(cmdCorvaneSetIP_, &PictureButton::clicked, this, &frmMain::cmdCorvaneSetIP_Click);
    // The MX, alias and AutoIP boxes act on the user's clicks (mouse or space bar) only: a value
    // set by the program (the restore at login, the revert after a refused request) sends
    // nothing. The SSL box follows its value however it is set, since the settings load
    // switches the service address by ticking it.
    connect(chkAutoIP_, &QCheckBox::clicked, this, &frmMain::chkAutoIP_Click);
    connect(chkSSL_, &QCheckBox::toggled, this, &frmMain::chkSSL_Click);
    connect(chkMX_, &QCheckBox::clicked, this, &frmMain::chkMX_Click);
    const std::pair<QCheckBox*, void (frmMain::*)()> aliases[] = {
        {chkFTP_, &frmMain::chkFTP_Click},   {chkWWW_, &frmMain::chkWWW_Click},
        {chkIRC_, &frmMain::chkIRC_Click},   {chkTelnet_, &frmMain::chkTelnet_Click},
        {chkPCAW_, &frmMain::chkPCAW_Click}, {chkVNC_, &frmMain::chkVNC_Click},
        {chkMail_, &frmMain::chkMail_Click},
    };
    for (const auto& [box, handler] : aliases) {
        connect(box, &QCheckBox::clicked, this, handler);
    }
    connect(chkAutostart_, &QCheckBox::clicked, this, &frmMain::chkAutostart_Click);

    for (QWidget* w : {static_cast<QWidget*>(txtCorvaneIP_), static_cast<QWidget*>(chkAutoIP_)}) {
        OnEnterKey(w, [this] { cmdCorvaneSetIP_Click(); });
    }
    for (QWidget* w : {static_cast<QWidget*>(cboPorts_), static_cast<QWidget*>(cboRefreshRate_),
                       static_cast<QWidget*>(chkSSL_), static_cast<QWidget*>(chkMX_),
                       static_cast<QWidget*>(chkAutostart_)}) {
        OnEnterKey(w, [this] { cmdOKAdvanced_Click(); });
    }
    for (const auto& alias : aliases) {
        OnEnterKey(alias.first, [this] { cmdOKAdvanced_Click(); });
    }
}

void frmMain::cmdAdvancedFree_Click() {
    const QString host = lblDomain_->text();
    const std::pair<const char*, QCheckBox*> aliases[] = {
        {"ftp.", chkFTP_},   {"www.", chkWWW_}, {"irc.", chkIRC_},   {"telnet.", chkTelnet_},
        {"pcaw.", chkPCAW_}, {"vnc.", chkVNC_}, {"mail.", chkMail_},
    };
    for (const auto& [prefix, box] : aliases) {
        box->setText(QLatin1String(prefix) + host);
    }
    // The entry may have been added or removed outside the program since the frame was built.
    chkAutostart_->setChecked(AutostartEnabled());
    ShowFrame(QStringLiteral("AdvancedFree"));
}

void frmMain::cmdAdvancedDomain_Click() {
    chkAutostart_->setChecked(AutostartEnabled());
    ShowFrame(QStringLiteral("AdvancedDomain"));
}

void frmMain::cmdOKAdvanced_Click() {
    ShowFrame(objUser().bCorvaneOnly ? QStringLiteral("Corvane") : QStringLiteral("Grid"));
}

void frmMain::chkSSL_Click() {
    ApplySSLBox(chkSSL_, cboPorts_);
}

void frmMain::chkAutostart_Click() {
    const bool wanted = chkAutostart_->isChecked();
    const AutostartChange change = SetAutostart(wanted, QCoreApplication::applicationFilePath());
    // The box shows the entry as it is now, whatever became of the change.
    chkAutostart_->setChecked(AutostartEnabled());
    if (!change.done) {
        const QString what = wanted ? QStringLiteral(
                                          "Quillon could not be set to start with the "
                                          "desktop session.")
                                    : QStringLiteral(
                                          "Quillon could not be kept from starting "
                                          "with the desktop session.");
        MsgBox(what + QStringLiteral("\n\n") + change.reason, MsgButtons::OK, QString(),
               MsgIcon::Exclamation);
    }
}

void frmMain::chkMX_Click() {
    if (bLoadingFreeUser || bMXBusy) {
        return;
    }
    BusyFlag busy(bMXBusy);
    // The confirmation's loop runs timers: no check may run while the account holds the host
    // name as its address.
    const RequestInFlightGuard inFlight;
    KeepAccountAddress keep(objUser());
    clsUser& user = objUser();
    QString name = user.sUsername;
    const QString mx = QStringLiteral("MX 1");
    if (chkMX_->isChecked()) {
        if (DNSTickler(user.sDomain, name, kRecordAdd, mx, lblDomain_->text(), false, 0)) {
            MsgBox(QStringLiteral("Transaction Complete:MX Record Set"), MsgButtons::OK, kCorvane);
        } else {
            chkMX_->setChecked(false);
        }
    } else if (DNSTickler(user.sDomain, name, kRecordDelete, mx, lblDomain_->text(), false, 0)) {
        MsgBox(QStringLiteral("Transaction Complete:MX Record Removed"), MsgButtons::OK, kCorvane);
    }
}

void frmMain::SetServiceAlias(QCheckBox* box, const QString& word) {
    const RequestInFlightGuard inFlight;
    KeepAccountAddress keep(objUser());
    const QString& domain = objUser().sDomain;
    QString name = word;
    if (box->isChecked()) {
        if (!DNSTicklerAdvanced(domain, name, kRecordAdd, QStringLiteral("CNAME"),
                                lblDomain_->text(), true)) {
            box->setChecked(false);
        }
    } else {
        // A refused removal leaves the box cleared all the same.
        DNSTicklerAdvanced(domain, name, kRecordDelete, QStringLiteral("CNAME"), lblDomain_->text(),
                           true);
    }
}

void frmMain::aliasBoxClicked(QCheckBox* box, const char* word, bool& busy) {
    if (bLoadingFreeUser || busy) {
        return;
    }
    BusyFlag flag(busy);
    SetServiceAlias(box, QLatin1String(word));
}

void frmMain::chkFTP_Click() {
    aliasBoxClicked(chkFTP_, "FTP", bFTPBusy);
}

void frmMain::chkWWW_Click() {
    aliasBoxClicked(chkWWW_, "WWW", bWWWBusy);
}

void frmMain::chkIRC_Click() {
    aliasBoxClicked(chkIRC_, "IRC", bIRCBusy);
}

void frmMain::chkTelnet_Click() {
    aliasBoxClicked(chkTelnet_, "TELNET", bTelnetBusy);
}

void frmMain::chkPCAW_Click() {
    aliasBoxClicked(chkPCAW_, "PCAW", bPCAWBusy);
}

void frmMain::chkVNC_Click() {
    aliasBoxClicked(chkVNC_, "VNC", bVNCBusy);
}

void frmMain::chkMail_Click() {
    aliasBoxClicked(chkMail_, "MAIL", bMailBusy);
}

}  // namespace quillon
