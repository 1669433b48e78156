#pragma once

#include <QCollatorSortKey>
#include <QTreeWidgetItem>
#include <optional>

namespace quillon {

// A row of the record grid. Rows sort by the text of the sort column in the user's locale,
// without regard to case. Each row keeps the collation key of the column it was last compared
// on, so that sorting thousands of rows costs one key per row rather than one collation per
// comparison. The cells are never edited in place, so a key stays valid.
class GridItem : public QTreeWidgetItem {
  public:
    // `key` is the row's key ("Row0", "Pending0"), kept in column 0 under Qt::UserRole.
    GridItem(const QStringList& cells, const QString& key);

    QString key() const;

    bool operator<(const QTreeWidgetItem& other) const override;

  private:
    const QCollatorSortKey& sortKey(int column) const;

    mutable std::optional<QCollatorSortKey> sortKey_;
    mutable int sortKeyColumn_ = -1;
};

}  // namespace quillon
