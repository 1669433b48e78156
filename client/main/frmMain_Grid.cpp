#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QTreeWidget>
#include <algorithm>

#include "account/clsUser.h"
#include "cycle/BusyFlag.h"
#include "cycle/UpdateCycle.h"
#include "diagnostics/ErrorReport.h"
#include "main/EnterKey.h"
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
            // No row is selected, and none is current: the focus frame never marks a row that
            // Delete or Edit would not act on.
            lvDomainUser_->setCurrentItem(nullptr);
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

void frmMain::followCurrentRow() {
    // Tab into the grid: the row the focus frame goes to is selected with it.
    class FocusInFilter : public QObject {
      public:
        FocusInFilter(frmMain* window, QTreeWidget* list) : QObject(list), window_(window) {
            list->installEventFilter(this);
        }
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::FocusIn &&
                static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
                auto* list = static_cast<QTreeWidget*>(watched);
                QTreeWidgetItem* current = list->currentItem();
                if (current == nullptr || !current->isSelected()) {
                    QTreeWidgetItem* target = list->selectedItems().value(0);
                    if (target == nullptr) {
                        target = current != nullptr ? current : list->topLevelItem(0);
                    }
                    if (target != nullptr) {
                        window_->selectGridRow(list->indexOfTopLevelItem(target));
                    }
                }
            }
            return false;
        }

      private:
        frmMain* window_;
    };
    new FocusInFilter(this, lvDomainUser_);
    // The arrow keys move the current row; the selection, and the row remembered across
    // rebuilds, go with it.
    connect(lvDomainUser_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) {
                if (current != nullptr && lvDomainUser_->hasFocus()) {
                    if (!current->isSelected()) {
                        current->setSelected(true);
                    }
                    lvDomainUser_Click();
                }
            });
    // Enter on a row opens it, as a double-click does.
    OnEnterKey(lvDomainUser_, [this] {
        if (lvDomainUser_->currentItem() != nullptr) {
            lvDomainUser_DblClick();
        }
    });
}

void frmMain::selectGridRow(int index) {
    QTreeWidgetItem* row = lvDomainUser_->topLevelItem(index);
    if (row == nullptr) {
        return;
    }
    lvDomainUser_->setCurrentItem(row);
    row->setSelected(true);
    lvDomainUser_->scrollToItem(row);
    lvDomainUser_Click();
}

bool frmMain::selectRecordRow(const QString& domain, const QString& recordType, const QString& name,
                              const QString& address) {
    // The grid shows the root name "@" empty.
    const QString shownName = name == QLatin1String("@") ? QString() : name;
    for (int i = 0; i < lvDomainUser_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lvDomainUser_->topLevelItem(i);
        if (sameText(row->text(0), domain) && sameText(row->text(1), recordType) &&
            sameText(row->text(2), shownName) && sameText(row->text(3), address)) {
            selectGridRow(i);
            return true;
        }
    }
    return false;
}

void frmMain::focusGrid() {
    if (frameGrid_->isHidden()) {
        return;
    }
    if (selectedRow(lvDomainUser_) == nullptr) {
        selectGridRow(0);
    }
    lvDomainUser_->setFocus(Qt::OtherFocusReason);
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

void frmMain::selectNeighbour(int deletedIndex) {
    // A delete the service refused leaves the row, still selected, where it was.
    if (selectedRow(lvDomainUser_) == nullptr) {
        selectGridRow(std::min(deletedIndex, lvDomainUser_->topLevelItemCount() - 1));
    }
    focusGrid();
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
        // After the delete the row that takes its place (or the last one) is selected.
        const int rowIndex =
            lvDomainUser_->indexOfTopLevelItem(lvDomainUser_->selectedItems().first());
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
            selectNeighbour(rowIndex);
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
            selectNeighbour(rowIndex);
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.cmdDeleteGrid_Click()"), error);
    }
}

}  // namespace quillon
