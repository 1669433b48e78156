#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "diagnostics/ErrorReport.h"
#include "login/clsUser.h"
#include "main/frmMain.h"
#include "platform/Endpoints.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"

// The free account's sub-domain panel and the advanced frame. Update/Add of the panel, the
// alias and MX boxes' requests and the SSL box's handler come with the editor.

namespace quillon {

void frmMain::LoadFreeUserInfo() {
    try {
        clsUser& user = objUser();
        user.sDomain = user.sSubDomain;
        Registry reg;
        reg.setKey(userKey());

        bLoadingFreeUser = true;
        const std::pair<const char*, QCheckBox*> boxes[] = {
            {"bMX", chkMX_},   {"bFTP", chkFTP_}, {"bMail", chkMail_}, {"bTelnet", chkTelnet_},
            {"bVNC", chkVNC_}, {"bWWW", chkWWW_}, {"bIRC", chkIRC_},   {"bPCAW", chkPCAW_},
        };
        for (const auto& [name, box] : boxes) {
            if (reg.getValue(QLatin1String(name)) == QLatin1String("1")) {
                box->setChecked(true);
            }
        }
        bLoadingFreeUser = false;

        if (reg.getValue(QStringLiteral("bAutoIP")) == QLatin1String("1")) {
            chkAutoIP_->setChecked(true);
        }
        txtCorvaneIP_->setText(reg.getValue(QStringLiteral("IPAddress")));
        if (txtCorvaneIP_->text().isEmpty()) {
            txtCorvaneIP_->setText(user.sIPAddress);
        }
        user.sIPAddress = txtCorvaneIP_->text();
        user.sRecordType = QStringLiteral("A");

        QString name = user.sUsername;
        DNSTickler(user.sSubDomain, name, QStringLiteral("RECORDDELETE"), user.sRecordType,
                   QLatin1String(kServiceDefaultAddress), false, 0);
        name = user.sUsername;
        DNSTickler(user.sSubDomain, name, QStringLiteral("RECORDADD"), user.sRecordType,
                   txtCorvaneIP_->text(), false, chkAutoIP_->isChecked() ? 1 : 0);
        lblDomain_->setText(user.sUsername + QLatin1Char('.') + user.sSubDomain);
    } catch (const ClientError& error) {
        bLoadingFreeUser = false;
        ErrorReport(QStringLiteral("frmMain.LoadFreeUserInfo()"), error);
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
    ShowFrame(QStringLiteral("AdvancedFree"));
}

void frmMain::cmdAdvancedDomain_Click() {
    ShowFrame(QStringLiteral("AdvancedDomain"));
}

void frmMain::cmdOKAdvanced_Click() {
    ShowFrame(objUser().bCorvaneOnly ? QStringLiteral("Corvane") : QStringLiteral("Grid"));
}

}  // namespace quillon
