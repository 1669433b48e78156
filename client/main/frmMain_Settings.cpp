#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QTreeWidget>

#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "cycle/UpdateDriver.h"
#include "diagnostics/ErrorReport.h"
#include "main/frmMain.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "settings/ConnectionSettings.h"
#include "settings/SavedPassword.h"
#include "settings/SettingsSchema.h"

// SaveSettings: every setting the program keeps, written back to the store.

namespace quillon {

namespace {

qint32 checkState(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

void writeNumber(Registry& reg, const QString& name, qint32 value) {
    reg.setValue(name, value, Registry::RegDword);
}

void writeText(Registry& reg, const QString& name, const QString& value) {
    reg.setValue(name, value);
}

}  // namespace

void frmMain::SaveSettings() {
    try {
        clsUser& user = objUser();
        // An expired account's refusal fills the account record without logging in: its Exit
        // must not save the window's unloaded lists over the stored settings.
        if (TrimNull(user.sUsername).isEmpty() || !bLoggedIn) {
            return;
        }
        Registry reg;
        reg.setKey(userKey());

        if (user.bCorvaneOnly) {
            // The free host goes away with the program; saving goes on whatever the answer.
            driver_->removeFreeHost(txtCorvaneIP_->text(), checkState(chkAutoIP_));
            writeText(reg, store::kIPAddress, user.sIPAddress);
            const std::pair<QLatin1String, QCheckBox*> boxes[] = {
                {store::kAutoIP, chkAutoIP_}, {store::kMX, chkMX_},
                {store::kFTP, chkFTP_},       {store::kMail, chkMail_},
                {store::kTelnet, chkTelnet_}, {store::kVNC, chkVNC_},
                {store::kWWW, chkWWW_},       {store::kIRC, chkIRC_},
                {store::kPCAW, chkPCAW_},
            };
            for (const auto& [name, box] : boxes) {
                writeNumber(reg, name, checkState(box));
            }
        } else if (session_.marksLoaded()) {
            // The list is pruned to the grid's records: the grid first catches up with a check
            // that ran while another frame was open. A grid that could not be built whole would
            // prune the marks of the records it lacks, so the list is then saved as it stands.
            // When init could not read the stored list, the stored one is left alone.
            FillDomainUserGrid();
            if (!gridRebuildFailed_) {
                UpdateAutoIpList();
            }
            writeText(reg, store::kAutoIPs, sAutoIPs);
            session_.marksStoredAs(sAutoIPs);
        }

        // Geometry only from the grid or the free panel: the other frames hold the window at
        // their own size, and ShowFrame kept the geometry when it left the grid.
        if (!frameGrid_->isHidden() || !frameCorvaneDomain_->isHidden()) {
            const int state = windowStateNumber();
            if (state == 0) {
                writeNumber(reg, store::kMainLeft, twipsLeft());
                writeNumber(reg, store::kMainTop, twipsTop());
                writeNumber(reg, store::kMainWidth, twipsWidth());
                writeNumber(reg, store::kMainHeight, twipsHeight());
            }
            if (state != 1) {
                writeNumber(reg, store::kWindowState, state);
            }
        }

        for (int i = 0; i < 5; ++i) {
            writeNumber(reg, store::ColumnWidthValue(i), columnTwips(i));
        }
        writeNumber(reg, store::kSortCol, sortKey_);
        writeNumber(reg, store::kSortOrder, sortOrder_);
        writeNumber(reg, store::kSorted, sorted_ ? 1 : 0);

        Registry login;
        login.setKey(store::kInitKey);
        if (!bSaveLogin) {
            ForgetSavedPassword(login);
            writeNumber(login, store::kSaveLogin, 0);
        } else {
            // Before the user name: an entry kept for another name is removed.
            SaveSavedPassword(login, user.sUsername, user.sPassword);
            writeNumber(login, store::kSaveLogin, 1);
            writeText(login, store::kUsername, user.sUsername);
        }
        // A start with SSL on leaves no port chosen: the stored port stays for the day SSL is
        // turned off again.
        SaveConnectionSettings(
            login, chkSSL_->isChecked(),
            cboPorts_->currentIndex() >= 0 ? cboPorts_->currentText() : QString(),
            cboRefreshRate_->currentText());
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.SaveSettings()"), error);
    }
}

}  // namespace quillon
