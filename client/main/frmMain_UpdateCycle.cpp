#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <optional>
#include <vector>

#include "diagnostics/ErrorReport.h"
#include "login/ProgramFlags.h"
#include "login/clsUser.h"
#include "main/GridRows.h"
#include "main/UpdateCycle.h"
#include "main/frmMain.h"
#include "platform/Clock.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"

// The update cycle: the two timers, the IP check, the re-point of a free account's host and of
// an account's marked records, the records waiting to be added back, and the AutoIP list rebuilt
// from the grid. The flow is drawn in UpdateCycle.h.

namespace quillon {

namespace {

const QString kRecordAdd = QStringLiteral("RECORDADD");
const QString kRecordDelete = QStringLiteral("RECORDDELETE");

// A grid row as the update cycle reads it: Domain, Type, Name, Server Address and AutoIP.
struct RowCells {
    QString domain;
    QString recordType;
    QString name;
    QString address;
    QString autoIP;

    bool marked() const { return autoIP.toUpper() == QLatin1String("YES"); }
    // The name a request carries: the root is "@".
    QString nameToSend() const {
        return name.isEmpty() || name == QLatin1String("Root") ? QStringLiteral("@") : name;
    }
};

// The rows in the list's order, read before any request is sent: a request's reply may lead to
// a rebuild that replaces the rows.
std::vector<RowCells> readRows(const QTreeWidget* list) {
    std::vector<RowCells> rows;
    const int count = list->topLevelItemCount();
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows.push_back({item->text(0), item->text(1), item->text(2), item->text(3), item->text(4)});
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
        if (TickCount >= threshold && !requestInFlight() && bLoggedIn) {
            TickCount = 0;
            runIPCheck();
        }
        TickCount += 1;
    } catch (const ClientError& error) {
        TickCount += 1;
        ErrorReport(QStringLiteral("frmMain.tmrAuto_Timer()"), error);
    }
}

void frmMain::runIPCheck() {
    lblLastIPCheck_->setText(CheckTimeText(Now()));
    clsUser& user = objUser();
    if (user.bCorvaneOnly && !chkAutoIP_->isChecked()) {
        return;  // automatic IP is off for the free host: only the time of the check changes
    }
    RequestInFlightGuard inFlight;
    QString newIP = GetIPAddress();
    if (newIP.isEmpty()) {
        return;
    }
    lblIPAddress_->setText(newIP);
    if (user.bCorvaneOnly) {
        repointFreeHost();
    } else {
        retryPendingReAdds(newIP);
        UpdateDomainAutoIPs(newIP);
    }
}

// The free account's host follows the address: removed with the old one, added with the new
// one. A failed add leaves sIPAddress at the old address, so the next check tries both again.
void frmMain::repointFreeHost() {
    clsUser& user = objUser();
    const QString newIP = lblIPAddress_->text();
    if (newIP == user.sIPAddress) {
        return;
    }
    const QString oldIP = user.sIPAddress;
    const int track = chkAutoIP_->isChecked() ? 1 : 0;
    QString name = user.sUsername;
    DNSTickler(user.sSubDomain, name, kRecordDelete, user.sRecordType, oldIP, false, track);
    name = user.sUsername;
    if (DNSTickler(user.sSubDomain, name, kRecordAdd, user.sRecordType, newIP, false, track)) {
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

void frmMain::UpdateDomainAutoIPs(QString& newIP) {
    try {
        // Another panel (the editor) is open: it owns txtServerIP and the current record. The
        // delete question waits for its answer on the record where it is now.
        if ((frameGrid_->isHidden() && isVisible()) || deleteQuestionOpen_) {
            return;
        }
        RequestInFlightGuard inFlight;
        // The editor may be open while the window is hidden in the tray: its box then holds the
        // user's input, and the record it opened may be among those re-pointed.
        const bool editorOpen = !frameOtherDomain_->isHidden();
        bool pendingChanged = false;
        int repointed = 0;
        for (const RowCells& row : readRows(lvDomainUser_)) {
            if (!row.marked()) {
                continue;
            }
            const bool relay = row.recordType.toUpper() == QLatin1String("PORT RELAY");
            if (relay) {
                QString host;
                QString port;
                QString path;
                SplitRelayURL(row.address, host, port, path);
                if (host == newIP) {
                    continue;
                }
            } else if (row.address == newIP) {
                continue;
            }
            QString name = row.nameToSend();
            const UpdateOutcome deleted = DNSTicklerOutcome(row.domain, name, kRecordDelete,
                                                            row.recordType, row.address, false, 1);
            QString addAddress = lblIPAddress_->text();
            if (relay) {
                // The relay keeps its port and path; the editor's box is left holding it, unless
                // the box holds the user's input in an open editor.
                addAddress = RepointedRelayAddress(row.address, newIP);
                if (!editorOpen) {
                    txtServerIP_->setText(addAddress);
                }
            }
            const bool added =
                DNSTickler(row.domain, name, kRecordAdd, row.recordType, addAddress, false, 1);
            if (deleted != UpdateOutcome::Refused && editorOpen &&
                isOpenedRecord(row.domain, row.recordType, name, row.address)) {
                // The opened record is where the re-point put it, or pending there: Update/Add's
                // delete must name it as the service now holds it, or send none.
                editedAddress_ = addAddress;
                editingPending_ = !added;
            }
            // The record is gone from the service now, or may be (the delete's reply was lost):
            // keep it pending, so that later checks add it back, rather than lose it for good.
            // A retry finds it already there when the add did go through after all.
            if (deleted != UpdateOutcome::Refused && !added) {
                pending_.add(PendingRecord{row.domain, row.recordType, name, addAddress});
                pendingChanged = true;
            }
            repointed += added ? 1 : 0;
        }
        if (pendingChanged) {
            savePendingReAdds();
        }
        noticeRepointed(repointed, newIP);
        FillDomainUserGrid();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.UpdateDomainAutoIPs()"), error);
    }
}

// Adds back the records that a re-point or an edit removed but could not add, each at the
// address that fits the current one, with its AutoIP mark. A record that the service's list already
// holds at that address (its add went through but the reply was lost) needs no request.
void frmMain::retryPendingReAdds(const QString& newIP) {
    // The editor open on a pending row, or the delete question, decides about the record
    // first: a re-add meanwhile would leave it on the service beside the user's edit.
    if (pending_.isEmpty() || deleteQuestionOpen_) {
        return;
    }
    std::optional<PendingRecord> opened;
    if (editingPending_ && !frameOtherDomain_->isHidden()) {
        opened = PendingKeyOf(GridRecord_);
        opened->address = editedAddress_;
    }
    RequestInFlightGuard inFlight;
    bool changed = false;
    const std::vector<PendingRecord> waiting = pending_.records();
    for (const PendingRecord& record : waiting) {
        if (opened && SamePendingRecord(record, *opened)) {
            continue;
        }
        const QString address = PendingAddressFor(record, newIP);
        const QString entry = record.domain + QStringLiteral(";;") + record.recordType +
                              QStringLiteral(";;") + record.name + QStringLiteral(";;") + address;
        const bool alreadyThere =
            (QStringLiteral("~~") + objUser().sDomainUserRecords + QStringLiteral("~~"))
                .contains(QStringLiteral("~~") + entry + QStringLiteral("~~"), Qt::CaseInsensitive);
        const int track = record.autoIP ? 1 : 0;
        if (alreadyThere) {
            UpdateAutoIPEntry(record.domain, record.name, kRecordAdd, record.recordType, address,
                              track);
        } else {
            // A refusal leaves the status alone: the service answered, and the check just
            // found it connected.
            QString name = record.name;
            if (DNSTicklerOutcome(record.domain, name, kRecordAdd, record.recordType, address,
                                  false, track, OnRefusal::KeepStatus) != UpdateOutcome::Done) {
                continue;
            }
        }
        pending_.remove(record);
        changed = true;
    }
    if (changed) {
        savePendingReAdds();
    }
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

void frmMain::savePendingReAdds() {
    Registry reg;
    reg.setKey(userKey());
    if (pending_.isEmpty()) {
        reg.deleteValue(QLatin1String(PendingReAdds::kValueName));
    } else {
        reg.setValue(QLatin1String(PendingReAdds::kValueName), pending_.toText());
    }
}

void frmMain::UpdateAutoIpList() {
    try {
        QString list;
        for (const RowCells& row : readRows(lvDomainUser_)) {
            if (row.marked()) {
                list += AutoIPEntry(row.domain, row.recordType, row.nameToSend(), row.address);
            }
        }
        sAutoIPs = list.toUpper();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.UpdateAutoIpList()"), error);
    }
}

}  // namespace quillon
