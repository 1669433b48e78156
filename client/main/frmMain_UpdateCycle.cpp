#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <optional>
#include <vector>

#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "cycle/AutoIPCycle.h"
#include "cycle/UpdateCycle.h"
#include "cycle/UpdateDriver.h"
#include "diagnostics/ErrorReport.h"
#include "main/GridRows.h"
#include "main/RecordValidation.h"
#include "main/frmMain.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "protocol/RequestWait.h"
#include "protocol/basDNS.h"
#include "registry/AccountLock.h"
#include "registry/Registry.h"
#include "registry/ReleaseIdleMemory.h"

// The update cycle: the two timers, the IP check, the re-point of a free account's host and of
// an account's marked records, the records waiting to be added back, and the AutoIP list rebuilt
// from the grid. The flow is drawn in UpdateCycle.h.

namespace quillon {

namespace {

// The rows in the list's order, read before any request is sent: a request's reply may lead to
// a rebuild that replaces the rows. A row is marked when its AutoIP cell reads "YES". The rows
// of pending records are left out: they are not on the service.
std::vector<CycleRecord> readRows(const QTreeWidget* list) {
    std::vector<CycleRecord> rows;
    const int count = list->topLevelItemCount();
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toString().startsWith(kPendingMark)) {
            continue;
        }
        rows.push_back({item->text(0), item->text(1), item->text(2), item->text(3),
                        item->text(4).toUpper() == QLatin1String("YES")});
    }
    return rows;
}

// The number shown by a count label, as the label's leading digits read.
int shownNumber(const QLabel* label) {
    const QString text = label->text().trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit()) {
        ++digits;
    }
    return text.left(digits).toInt();
}

}  // namespace

void frmMain::countTransaction() {
    lblTimesIPChanged_->setText(QString::number(shownNumber(lblTimesIPChanged_) + 1));
}

void frmMain::tmrAuto_Timer() {
    try {
        const double threshold = TickThreshold(cboRefreshRate_->currentText());
        // A tick that arrives while a request is waiting for its reply only counts: the check
        // is left to a later tick. So does a tick while nobody is logged in (the login window
        // of a Log Off is up).
        if (CheckDueAtTick(TickCount, threshold, !RequestInFlight() && bLoggedIn)) {
            runIPCheck();
            ReleaseIdleMemory();
        }
        CountTick(TickCount);
    } catch (const ClientError& error) {
        CountTick(TickCount);
        ErrorReport(QStringLiteral("frmMain.tmrAuto_Timer()"), error);
    }
}

void frmMain::runIPCheck() {
    closeAsked_ = false;  // a close that was cancelled since stops no later check
    lblLastIPCheck_->setText(CheckTimeText(Now()));
    clsUser& user = objUser();
    if (user.bCorvaneOnly && !chkAutoIP_->isChecked()) {
        return;  // automatic IP is off for the free host: only the time of the check changes
    }
    RequestInFlightGuard inFlight;
    // The editor may be open while the window is hidden in the tray: its box then holds the
    // user's input, and the record it opened may be among those re-pointed. Taken when the
    // rows are read, before any re-point's request.
    bool editorOpen = false;
    bool rowsRead = false;
    CheckOwner owner;
    // The address label keeps the last usable address.
    owner.addressFound = [this](const QString& address) { lblIPAddress_->setText(address); };
    owner.mayRetryPending = [this](std::optional<PendingRecord>& held) {
        return retryPendingReAdds(held);
    };
    owner.records = [this, &editorOpen, &rowsRead]() -> std::optional<std::vector<CycleRecord>> {
        try {
            // Another panel (the editor) is open: it owns txtServerIP and the current record.
            // The delete question waits for its answer on the record where it is now.
            if ((frameGrid_->isHidden() && isVisible()) || deleteQuestionOpen_) {
                return std::nullopt;
            }
            // The grid first shows the list this check brought back (the rebuild does nothing
            // when it is the one shown): a record back after a reply that lacked it follows the
            // address at this check, not one later.
            FillDomainUserGrid();
            editorOpen = !frameOtherDomain_->isHidden();
            rowsRead = true;
            return readRows(lvDomainUser_);
        } catch (const ClientError& error) {
            ErrorReport(QStringLiteral("frmMain.UpdateDomainAutoIPs()"), error);
            return std::nullopt;
        }
    };
    CheckReport report;
    try {
        report = driver_->check(user.bCorvaneOnly, user.sIPAddress, chkAutoIP_->isChecked() ? 1 : 0,
                                owner);
    } catch (const ClientError& error) {
        if (!rowsRead) {
            throw;  // the address check or the pending retries: the tick reports it
        }
        ErrorReport(QStringLiteral("frmMain.UpdateDomainAutoIPs()"), error);
        return;
    }
    if (report.address.verdict == AddressCheck::Verdict::Unusable && report.address.firstReport) {
        tellUnusableAddress(report.address.address);
    }
    if (!report.usable()) {
        return;
    }
    QString newIP = report.address.address;
    if (user.bCorvaneOnly) {
        if (report.freeHostTried) {
            repointFreeHost(report.freeHostAdded, newIP);
        }
    } else if (report.recordsRan) {
        UpdateDomainAutoIPs(report.repoints, newIP, editorOpen);
    }
}

// Told after the tick has ended: the box's own event loop must not run inside the check.
void frmMain::tellUnusableAddress(const QString& address) {
    QTimer::singleShot(0, this, [address] {
        MsgBox(QStringLiteral("The Corvane service reported \"%1\" as your public address, "
                              "which is no usable address. Your records stay as they are until "
                              "it reports a usable one.")
                   .arg(address),
               MsgButtons::OK, QStringLiteral("Corvane"));
    });
}

// The free account's host followed the address: removed with the old one, added with the new
// one. A failed add leaves sIPAddress at the old address, so the next check tries both again.
void frmMain::repointFreeHost(bool added, const QString& newIP) {
    if (added) {
        noticeRepointed(1, newIP);
    }
    txtCorvaneIP_->setText(newIP);
    countTransaction();
}

void frmMain::tmrTimes_Timer() {
    if (isVisible()) {
        ShowUpTime();
    }
}

void frmMain::ShowUpTime() {
    if (!startTime_.isValid()) {
        return;
    }
    lblUpTime_->setText(UpTimeText(startTime_.secsTo(Now())));
}

// Shows the marked records' re-point: the editor's box and opened record follow it, the tray
// tells it, the grid is rebuilt.
void frmMain::UpdateDomainAutoIPs(const std::vector<Repoint>& repointed, const QString& newIP,
                                  bool editorOpen) {
    try {
        int count = 0;
        for (const Repoint& done : repointed) {
            // A re-pointed relay's address is left in the editor's box, unless the box holds the
            // user's input in an open editor.
            if (IsPortRelayType(done.record.recordType) && !editorOpen) {
                txtServerIP_->setText(done.newAddress);
            }
            if (done.deleted != UpdateOutcome::Refused && editorOpen &&
                isOpenedRecord(done.record.domain, done.record.recordType, done.name,
                               done.record.address)) {
                // The opened record is where the re-point put it, or pending there: Update/Add's
                // delete must name it as the service now holds it, or send none.
                editedAddress_ = done.newAddress;
                editingPending_ = !done.added;
            }
            count += done.added ? 1 : 0;
        }
        noticeRepointed(count, newIP);
        FillDomainUserGrid();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.UpdateDomainAutoIPs()"), error);
    }
}

// Whether the records that a re-point or an edit removed but could not add are added back at
// this check, each at the address that fits the current one, with its AutoIP mark; `held` names
// the pending record the open editor holds.
bool frmMain::retryPendingReAdds(std::optional<PendingRecord>& held) {
    // The editor open on a pending row, or the delete question, decides about the record
    // first: a re-add meanwhile would leave it on the service beside the user's edit.
    if (pending_.isEmpty() || deleteQuestionOpen_) {
        return false;
    }
    if (editingPending_ && !frameOtherDomain_->isHidden()) {
        held = PendingKeyOf(GridRecord_);
        held->address = editedAddress_;
    }
    return true;
}

bool frmMain::isOpenedRecord(const QString& domain, const QString& recordType, const QString& name,
                             const QString& address) const {
    if (GridRecord_.Domain.isEmpty() || editingPending_) {
        return false;  // the editor adds a new record, or opened one that is not on the service
    }
    const QString openedName = GridRecord_.Name.isEmpty() ? QStringLiteral("@") : GridRecord_.Name;
    return GridRecord_.Domain.compare(domain, Qt::CaseInsensitive) == 0 &&
           GridRecord_.RecordType.compare(recordType, Qt::CaseInsensitive) == 0 &&
           openedName.compare(name, Qt::CaseInsensitive) == 0 &&
           editedAddress_.compare(address, Qt::CaseInsensitive) == 0;
}

void frmMain::tellStoreFailure(const QString& why) {
    // Told after the tick or the click has ended: the box's own event loop must not run between
    // a write and the requests it guards.
    QTimer::singleShot(0, this, [why] {
        MsgBox(QStringLiteral("Quillon cannot save its settings in %1: %2.\r\n\r\nRecords are "
                              "not changed while their changes cannot be saved first; they are "
                              "tried again at the next IP check.")
                   .arg(SettingsStorePath(), why),
               MsgButtons::OK, QStringLiteral("Corvane"));
    });
}

void frmMain::UpdateAutoIpList() {
    try {
        // Marks of records that the last reply did not list are kept: they show again, and
        // follow the address again, as soon as the record is back.
        sAutoIPs = RebuiltAutoIPList(readRows(lvDomainUser_), sAutoIPs);
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.UpdateAutoIpList()"), error);
    }
}

}  // namespace quillon
