#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "cycle/GridRecord.h"

namespace quillon {

// Records that a re-point removed from the service but could not add back (the delete
// succeeded, the add did not). Each is retried at every later IP check until its add succeeds,
// kept in the user key so that a restart does not lose it, and shown in the grid meanwhile.
//
// The stored text uses the record-list form, one entry per record, fields in their own case:
//   domain ";;" type ";;" name ";;" address [";;0"] "~~"
// where the address is the one the add should send (for a port relay, its relay address). A
// record kept on automatic IP (the re-point's, and most of the editor's) has four fields and
// follows the public address; a fifth field "0" marks a record put back by the editor without
// AutoIP, which is added back at its own address and unmarked.
struct PendingRecord {
    QString domain;
    QString recordType;
    QString name;
    QString address;
    bool autoIP = true;

    bool operator==(const PendingRecord& other) const = default;
};

// The pending entry's key for a record of the grid (an empty name is the root "@"), with the
// address the grid shows for it.
PendingRecord PendingKeyOf(const GridRecord& record);

// Whether two entries are the same record: domain, type, name and address, without regard to
// case.
bool SamePendingRecord(const PendingRecord& a, const PendingRecord& b);

class PendingReAdds {
  public:
    // Adds a record, or replaces the entry of the same domain, type, name and address (compared
    // without regard to case), so that a record is pending once.
    void add(const PendingRecord& record);
    // Removes the entry of that domain, type, name and address; true when one was there.
    bool remove(const PendingRecord& record);
    // The entry of that domain, type, name and address, or null.
    const PendingRecord* find(const PendingRecord& record) const;
    void clear() { records_.clear(); }
    bool isEmpty() const { return records_.empty(); }
    const std::vector<PendingRecord>& records() const { return records_; }

    QString toText() const;
    // Reads the stored text; entries that do not have four fields are dropped.
    static PendingReAdds fromText(const QString& text);

  private:
    std::vector<PendingRecord> records_;
};

// Writes the list into the user key `userKey` (the value PendingReAdds), or removes the value when
// the list is empty. False when the store did not take the write (a read-only or full store, one
// another program holds past the busy time-out); `why` then says why.
bool StorePendingReAdds(const QString& userKey, const PendingReAdds& pending,
                        QString* why = nullptr);

// The address a pending record's add should send now that the public address is `newIP`: a
// record without AutoIP keeps its own address; otherwise for a port relay the stored relay
// address with its host replaced (port and path kept), for any other type `newIP` itself.
QString PendingAddressFor(const PendingRecord& record, const QString& newIP);

}  // namespace quillon
