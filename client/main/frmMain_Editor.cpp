#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "account/clsUser.h"
#include "cycle/BusyFlag.h"
#include "cycle/UpdateCycle.h"
#include "desktop/FillComboFromList.h"
#include "diagnostics/ErrorReport.h"
#include "main/GridRows.h"
#include "main/MessageTexts.h"
#include "main/RecordValidation.h"
#include "main/frmMain.h"
#include "platform/MessageBox.h"
#include "protocol/RequestWait.h"
#include "protocol/basDNS.h"
#include "registry/AccountLock.h"

// The record editor: Add opens it empty, Edit and a double-click on a row open the selected
// record, Update/Add validates and turns a change into a delete of the old record and an add
// of the new one, Cancel goes back to the grid without sending.

namespace quillon {

namespace {

const QString kNoRowsToEdit =
    QStringLiteral("There are no rows to edit. Please click on 'Add' button add more entries.");

// Selects the item of that exact text, adding it first when the list lacks it: a record whose
// domain or type the account's lists no longer hold must still show, and be sent, as it is.
void selectComboText(QComboBox* combo, const QString& text) {
    int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        combo->addItem(text);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

QString describeRecord(const GridRecord& record, const QString& address) {
    return QStringLiteral("Domain: ") + record.Domain + kCrLf + QStringLiteral("Type: ") +
           record.RecordType + kCrLf + QStringLiteral("Name: ") + record.Name + kCrLf +
           QStringLiteral("Server Address: ") + address;
}

}  // namespace

void frmMain::cmdAddGrid_Click() {
    try {
        GridRecord_.clear();
        editedAddress_.clear();
        editingPending_ = false;
        const clsUser& user = objUser();
        {
            const QSignalBlocker blockTypeReaction(cboRecordType_);
            FillComboFromList(cboDomain_, user.sDomainList);
            FillComboFromList(cboRecordType_, user.sRecordTypeList);
            if (user.sUserLevel == QLatin1String("5")) {
                cboRecordType_->addItem(QStringLiteral("Port Relay"));
            }
        }
        // No type is chosen yet: a port box left showing by an earlier port relay goes away.
        cboRecordType_Click();
        txtCName_->clear();
        txtServerIP_->clear();
        txtPort_->clear();
        chkDomainAutoIP_->setChecked(false);
        ShowFrame(QStringLiteral("Domain"));
        // The grid that had the keyboard is hidden now: typing goes on in the editor.
        cboDomain_->setFocus();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.cmdAddGrid_Click()"), error);
    }
}

void frmMain::cmdEditGrid_Click() {
    EditGrid();
}

void frmMain::lvDomainUser_DblClick() {
    EditGrid();
}

void frmMain::EditGrid() {
    try {
        if (lvDomainUser_->topLevelItemCount() == 0) {
            MsgBox(kNoRowsToEdit, MsgButtons::OK, kCorvane);
            return;
        }
        const QList<QTreeWidgetItem*> selected = lvDomainUser_->selectedItems();
        if (selected.isEmpty()) {
            MsgBox(QStringLiteral("Please select a row"), MsgButtons::OK, kCorvane);
            return;
        }
        LoadGridRecord();
        if (GridRecord_.Domain.isEmpty()) {
            MsgBox(kNoRowsToEdit, MsgButtons::OK, kCorvane);
            return;
        }
        editedAddress_ = GridRecord_.ServerAddress;
        // A pending row shows "Pending" where the mark would be: its mark is the pending entry's.
        editingPending_ =
            selected.first()->data(0, Qt::UserRole).toString().startsWith(kPendingMark);
        if (editingPending_) {
            const PendingRecord* waiting = pending_.find(PendingKeyOf(GridRecord_));
            GridRecord_.AutoIP = waiting != nullptr && waiting->autoIP;
        }

        {
            const QSignalBlocker blockTypeReaction(cboRecordType_);
            selectComboText(cboDomain_, GridRecord_.Domain);
            selectComboText(cboRecordType_, GridRecord_.RecordType);
        }
        cboRecordType_Click();

        if (IsPortRelayType(GridRecord_.RecordType)) {
            QString host;
            QString port;
            QString path;
            SplitRelayURL(GridRecord_.ServerAddress, host, port, path);
            txtServerIP_->setText(QStringLiteral("http://") + host + path);
            GridRecord_.ServerAddress = txtServerIP_->text();
            txtPort_->setText(port);
            GridRecord_.Port = port;
        } else {
            txtServerIP_->setText(GridRecord_.ServerAddress);
            txtPort_->clear();
        }
        txtCName_->setText(GridRecord_.Name);
        chkDomainAutoIP_->setChecked(GridRecord_.AutoIP);
        ShowFrame(QStringLiteral("Domain"));
        txtServerIP_->setFocus();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.EditGrid()"), error);
    }
}

void frmMain::cboRecordType_Click() {
    lblServerAddress_->setText(QStringLiteral("Pointing To:"));
    const bool relay = IsPortRelayType(cboRecordType_->currentText());
    txtPort_->setVisible(relay);
    lblPort_->setVisible(relay);
    if (relay) {
        txtServerIP_->setText(QStringLiteral("http://"));
    }
}

void frmMain::chkDomainAutoIP_Click() {
    const QString publicIP = lblIPAddress_->text();
    // No usable public address is known yet: the box keeps what the user typed.
    if (!chkDomainAutoIP_->isChecked() || publicIP.isEmpty()) {
        return;
    }
    if (IsPortRelayType(cboRecordType_->currentText())) {
        QString host;
        QString port;
        QString path;
        SplitRelayURL(txtServerIP_->text(), host, port, path);
        txtServerIP_->setText(QStringLiteral("http://") + publicIP + path);
    } else {
        txtServerIP_->setText(publicIP);
    }
}

bool frmMain::ValidateDomainRecord() {
    RecordInput input{cboDomain_->currentText(), cboRecordType_->currentText(), txtCName_->text(),
                      txtServerIP_->text(), txtPort_->text()};
    const QString problem = ValidateRecordInput(input);
    txtServerIP_->setText(input.serverIP);
    txtCName_->setText(input.name);
    if (!problem.isEmpty()) {
        MsgBox(problem, MsgButtons::OK, kCorvane);
        return false;
    }
    return true;
}

void frmMain::cmdServerIP_Click() {
    if (bServerIPBusy_) {
        return;
    }
    const BusyFlag busy(bServerIPBusy_);

    try {
        if (!ValidateDomainRecord()) {
            return;
        }
        const QString domain = cboDomain_->currentText();
        const QString recordType = cboRecordType_->currentText();
        const bool autoIP = chkDomainAutoIP_->isChecked();
        const RecordInput input{domain, recordType, txtCName_->text(), txtServerIP_->text(),
                                txtPort_->text()};
        const bool changed = RecordChanged(input, autoIP, GridRecord_);
        const GridRecord old = GridRecord_;
        const bool existing = !old.Domain.isEmpty();

        // The messages of the requests run event loops: the update cycle must not re-point
        // records between the delete and the add.
        RequestInFlightGuard inFlight;
        bool deleted = false;
        if (existing && changed && !editingPending_) {
            // Written ahead: should the program die between the delete and the add, the next
            // check adds the opened record back instead of leaving it gone for good.
            PendingRecord ahead = PendingKeyOf(old);
            ahead.address = editedAddress_;
            ahead.autoIP = old.AutoIP;
            const bool wasPending = pending_.find(ahead) != nullptr;
            pending_.add(ahead);
            if (!session_.storePending()) {
                // The record could be lost should the add fail: nothing is sent.
                if (!wasPending) {
                    pending_.remove(ahead);
                }
                MsgBox(QStringLiteral("The change was not sent: Quillon cannot save its settings "
                                      "in %1, and the record stays as it is.")
                           .arg(SettingsStorePath()),
                       MsgButtons::OK, kCorvane);
                return;
            }
            QString oldName = old.Name;
            const UpdateOutcome outcome =
                DNSTicklerOutcome(old.Domain, oldName, QStringLiteral("RECORDDELETE"),
                                  old.RecordType, editedAddress_, false, old.AutoIP ? 1 : 0);
            deleted = outcome == UpdateOutcome::Done;
            if (outcome == UpdateOutcome::Refused) {
                pending_.remove(ahead);  // the service still holds the record as it was
                session_.storePending();
            }
        }
        // The name as the add sends it (the request may rewrite it).
        QString name = txtCName_->text();
        if (changed) {
            if (IsPortRelayType(recordType)) {
                QString address = txtServerIP_->text();
                txtServerIP_->setText(BuildRelayURL(address, txtPort_->text().trimmed()));
            }
            const bool added = DNSTickler(domain, name, QStringLiteral("RECORDADD"), recordType,
                                          txtServerIP_->text(), true, autoIP ? 1 : 0);
            if (added) {
                // The record is on the service now: whatever was waiting under its name is done.
                bool pendingChanged =
                    pending_.remove(PendingRecord{domain, recordType, name, txtServerIP_->text()});
                if (existing) {
                    PendingRecord opened = PendingKeyOf(old);
                    opened.address = editedAddress_;
                    pendingChanged |= pending_.remove(opened);
                }
                if (pendingChanged) {
                    session_.storePending();
                }
            } else if (deleted) {
                putBackEditedRecord(old, editedAddress_);
            }
        }
        ShowFrame(QStringLiteral("Grid"));
        FillDomainUserGrid();
        // The grid takes the keyboard on the record the user sent; when the service has not
        // got it, on the opened record as it stands.
        if (!selectRecordRow(domain, recordType, changed ? name : old.Name,
                             changed ? txtServerIP_->text() : old.ServerAddress) &&
            existing) {
            selectRecordRow(old.Domain, old.RecordType, old.Name, editedAddress_);
        }
        focusGrid();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.cmdServerIP_Click()"), error);
    }
}

// The delete of an edited record went through but the add of its new form did not: the user's
// record would be gone from the service. Add it back as it was; when that fails too, keep it
// pending so that the update cycle adds it back at its next check.
void frmMain::putBackEditedRecord(const GridRecord& old, const QString& address) {
    QString name = old.Name;
    const int track = old.AutoIP ? 1 : 0;
    if (DNSTickler(old.Domain, name, QStringLiteral("RECORDADD"), old.RecordType, address, false,
                   track)) {
        // Back on the service: the entry written ahead of the delete is done.
        pending_.remove(PendingRecord{old.Domain, old.RecordType, name, address});
        session_.storePending();
        MsgBox(QStringLiteral("The record could not be changed. It has been put back as it was:") +
                   kCrLf + kCrLf + describeRecord(old, address),
               MsgButtons::OK, kCorvane);
        return;
    }
    pending_.add(PendingRecord{old.Domain, old.RecordType, name, address, old.AutoIP});
    session_.storePending();
    MsgBox(QStringLiteral("The record could not be changed, and putting it back as it was failed "
                          "too. It stays in the list as pending and is added again at every IP "
                          "check until the service takes it:") +
               kCrLf + kCrLf + describeRecord(old, address),
           MsgButtons::OK, kCorvane);
}

void frmMain::cmdCancel_Click() {
    ShowFrame(QStringLiteral("Grid"));
    FillDomainUserGrid();
    focusGrid();
}

}  // namespace quillon
