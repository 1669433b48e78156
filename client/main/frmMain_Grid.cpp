#include <QLabel>
#include <QTreeWidget>

#include "account/clsUser.h"
#include "cycle/BusyFlag.h"
#include "cycle/UpdateCycle.h"
#include "diagnostics/ErrorReport.h"
#include "main/GridItem.h"
#include "main/GridRows.h"
#include "main/MessageTexts.h"
#include "main/frmMain.h"
#include "platform/MessageBox.h"
#include "protocol/RequestWait.h"
#include "protocol/basDNS.h"

// The record grid: the rebuild from the account's record list with its change cache, the
// remembered selection, sorting, copying the selected row into the current record, and the
// delete action.

namespace quillon {

namespace {

bool sameText(const QString& a, const QString& b) {
    return a == b || a.compare(b, Qt::CaseInsensitive) == 0;
}

// The selected row, or null when no row is selected.
QTreeWidgetItem* selectedRow(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

}  // namespace

void frmMain::FillDomainUserGrid() {
    try {
        const QString records = objUser().sDomainUserRecords;
        const QString pending = pending_.toText();
        if (sameText(records, cachedRecords_) && sameText(sAutoIPs, cachedAutoIPs_) &&
            sameText(pending, cachedPending_)) {
            Label20_->setText(QStringLiteral("Last IP Check:"));
            return;
        }
        if (!cachedRecords_.isEmpty()) {
            countTransaction();
        }
        cachedRecords_ = records;
        cachedAutoIPs_ = sAutoIPs;
        cachedPending_ = pending;
        Label20_->setText(QStringLiteral("*Last IP Check:"));

        const GridRows grid = BuildGridRows(records, sAutoIPs, pending_, sSelectedRecord);
        gridRebuildFailed_ = grid.error.has_value();

        // One batch with painting off: thousands of rows go in at the cost of one layout.
        lvDomainUser_->setUpdatesEnabled(false);
        lvDomainUser_->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(grid.rows.size()));
        for (const GridRow& row : grid.rows) {
            items.append(new GridItem(
                {row.domain, row.recordType, row.name, row.address, row.autoIP}, row.key));
        }
        lvDomainUser_->addTopLevelItems(items);
        if (sorted_) {
            applySort();
        }
        if (grid.selected >= 0) {
            QTreeWidgetItem* item = items[grid.selected];
            lvDomainUser_->setCurrentItem(item);
            item->setSelected(true);
        } else {
            lvDomainUser_->clearSelection();
        }
        lvDomainUser_->setUpdatesEnabled(true);
        session_.storeMarks();

        if (grid.error) {
            throw *grid.error;
        }
    } catch (const ClientError& error) {
        lvDomainUser_->setUpdatesEnabled(true);
        ErrorReport(QStringLiteral("frmMain.FillDomainUserGrid()"), error);
    }
}

void frmMain::lvDomainUser_Click() {
    try {
        const QTreeWidgetItem* row = selectedRow(lvDomainUser_);
        if (lvDomainUser_->topLevelItemCount() > 0 && row != nullptr) {
            sSelectedRecord = row->text(0) + QStringLiteral(";;") + row->text(1) +
                              QStringLiteral(";;") + row->text(2) + QStringLiteral(";;") +
                              row->text(3);
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.lvDomainUser_Click()"), error);
    }
}

void frmMain::lvDomainUser_ColumnClick(int column) {
    try {
        sortKey_ = column - 1;
        sortOrder_ = sortOrder_ != 1 ? 1 : 0;
        sorted_ = true;
        applySort();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.lvDomainUser_ColumnClick()"), error);
    }
}

// Sorts the rows by the sort column's text in the user's locale, without regard to case. The
// list's own header sorting stays off: rows are ordered here, after every rebuild while sorted.
void frmMain::applySort() {
    if (sortKey_ < 0 || sortKey_ >= lvDomainUser_->columnCount()) {
        return;
    }
    lvDomainUser_->sortItems(sortKey_, sortOrder_ == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void frmMain::LoadGridRecord() {
    try {
        GridRecord_.clear();
        const QTreeWidgetItem* row = selectedRow(lvDomainUser_);
        if (lvDomainUser_->topLevelItemCount() > 0 && row != nullptr) {
            GridRecord_.Domain = row->text(0);
            GridRecord_.RecordType = row->text(1);
            GridRecord_.Name = row->text(2);
            GridRecord_.ServerAddress = row->text(3);
            GridRecord_.AutoIP = row->text(4).toUpper() == QLatin1String("YES");
            if (GridRecord_.Name == QLatin1String("Root")) {
                GridRecord_.Name = QStringLiteral("@");
            }
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.LoadGridRecord()"), error);
    }
}

void frmMain::cmdDeleteGrid_Click() {
    try {
        if (lvDomainUser_->topLevelItemCount() == 0) {
            MsgBox(QStringLiteral("There are no rows to delete. Please click on 'Add' button add "
                                  "an entry before attempting to delete."),
                   MsgButtons::OK, kCorvane);
            return;
        }
        const QTreeWidgetItem* row = selectedRow(lvDomainUser_);
        if (row == nullptr) {
            MsgBox(QStringLiteral("Please select a row"), MsgButtons::OK, kCorvane);
            return;
        }
        // The record the question names is the one deleted: the question's loop runs timers, a
        // check may rebuild the rows meanwhile and select another one.
        LoadGridRecord();
        const GridRecord confirmed = GridRecord_;
        const bool pendingRow = row->data(0, Qt::UserRole).toString().startsWith(kPendingMark);
        const QString question =
            QStringLiteral("Are you sure you want to delete the selected record?") + kCrLf + kCrLf +
            QStringLiteral("Domain: ") + row->text(0) + kCrLf + QStringLiteral("Type: ") +
            row->text(1) + kCrLf + QStringLiteral("Name: ") + row->text(2) + kCrLf +
            QStringLiteral("Server Address: ") + row->text(3) + kCrLf + QStringLiteral("AutoIP: ") +
            row->text(4) + kCrLf;
        bool answeredYes = false;
        {
            // A re-point or a retry while the question is up would move the record or add it
            // back, and the delete after a Yes would miss it.
            const BusyFlag holdChanges(deleteQuestionOpen_);
            answeredYes = MsgBox(question, MsgButtons::YesNo, kCorvane) == MsgAnswer::Yes;
        }
        if (!answeredYes) {
            return;
        }
        if (bDeleteBusy_) {
            return;
        }
        // The flag is cleared on every way out, an error report included.
        const BusyFlag busy(bDeleteBusy_);

        GridRecord_ = confirmed;
        if (pendingRow) {
            // A record waiting to be added back is not on the service: deleting it only stops
            // the retries.
            pending_.remove(PendingKeyOf(GridRecord_));
            session_.storePending();
            FillDomainUserGrid();
            return;
        }
        if (!GridRecord_.Domain.isEmpty()) {
            {
                RequestInFlightGuard inFlight;
                DNSTickler(GridRecord_.Domain, GridRecord_.Name, QStringLiteral("RECORDDELETE"),
                           GridRecord_.RecordType, GridRecord_.ServerAddress, true,
                           GridRecord_.AutoIP ? 1 : 0);
            }
            FillDomainUserGrid();
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.cmdDeleteGrid_Click()"), error);
    }
}

}  // namespace quillon
