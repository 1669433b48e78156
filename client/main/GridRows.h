#pragma once

#include <QSet>
#include <QString>
#include <optional>
#include <vector>

#include "cycle/PendingReAdds.h"
#include "platform/ClientError.h"

namespace quillon {

// The AutoIP list as a set of whole entries, built once so that testing a row costs one hash
// look-up instead of a search through the whole list.
//
// An entry counts only where it starts the list or follows the "~~" that closes the previous
// entry, as AutoIPListContains judges it: "B.EXAMPLE;;A;;@;;1.2.3.4~~" is not in a list that
// holds only "AB.EXAMPLE;;A;;@;;1.2.3.4~~".
class AutoIPSet {
  public:
    explicit AutoIPSet(const QString& list);
    AutoIPSet(const AutoIPSet&) = delete;  // the entries point into upper_
    AutoIPSet& operator=(const AutoIPSet&) = delete;

    // `entry` as AutoIPEntry forms it (upper case, closed by "~~").
    bool contains(QStringView entry) const { return entries_.contains(entry); }

  private:
    QString upper_;
    QSet<QStringView> entries_;
};

// One row of the record grid, as shown.
struct GridRow {
    QString key;  // "Row" + the entry's position in the record list, or "Pending" + position
    QString domain;
    QString recordType;
    QString name;  // empty for the root "@"
    QString address;
    QString autoIP;  // "Yes", "No", or "Pending" for a record waiting to be added back
};

// What a rebuild shows.
struct GridRows {
    std::vector<GridRow> rows;
    // The row whose entry equals the remembered selection (compared without regard to case), or
    // -1. Only the raw entry is compared, so a root record ("@", shown empty) never matches.
    int selected = -1;
    // Set when an entry has fewer than four fields: the rows stop before it.
    std::optional<ClientError> error;
};

// The grid's rows from the account's record list (entries separated by "~~", fields by ";;",
// fields shown as they stand), marked "Yes"/"No" from the AutoIP list, followed by the records
// waiting to be added back.
GridRows BuildGridRows(const QString& records, const QString& autoIPs, const PendingReAdds& pending,
                       const QString& selectedRecord);

// The text of the AutoIP column that marks a pending record.
inline const QString kPendingMark = QStringLiteral("Pending");

}  // namespace quillon
