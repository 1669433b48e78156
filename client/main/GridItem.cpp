#include "main/GridItem.h"

#include <QCollator>
#include <QLocale>

namespace quillon {

namespace {

// The grid's collation: the user's locale, case ignored. Created on first use, after the
// application has set up its locale.
const QCollator& gridCollator() {
    static const QCollator collator = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

}  // namespace

GridItem::GridItem(const QStringList& cells, const QString& key) : QTreeWidgetItem(cells) {
    setData(0, Qt::UserRole, key);
}

QString GridItem::key() const {
    return data(0, Qt::UserRole).toString();
}

const QCollatorSortKey& GridItem::sortKey(int column) const {
    if (!sortKey_ || sortKeyColumn_ != column) {
        // Folded first: in the C locale the collator compares code points and ignores its case
        // setting.
        sortKey_.emplace(gridCollator().sortKey(text(column).toCaseFolded()));
        sortKeyColumn_ = column;
    }
    return *sortKey_;
}

bool GridItem::operator<(const QTreeWidgetItem& other) const {
    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
    const auto* row = dynamic_cast<const GridItem*>(&other);
    if (row == nullptr) {
        return QTreeWidgetItem::operator<(other);
    }
    return sortKey(column).compare(row->sortKey(column)) < 0;
}

}  // namespace quillon
