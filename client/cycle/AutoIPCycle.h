#pragma once

#include <QSet>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "cycle/PendingReAdds.h"
#include "protocol/basDNS.h"

namespace quillon {

// What one IP check decides and sends, apart from any window: the window drives it from its
// update timer, quillon-update from a timer of its own. It holds no widget and reads no
// program-wide variable; it reads and changes the account record and the AutoIP list its owner
// hands it (a ServiceAccount) and the pending list, sends the requests to the account's service
// address and reports what became of them.
//
//   checkAddress ---- no reply ------------------------> nothing changes
//        |   \------- an unusable address -------------> nothing changes; told once per address
//        | a usable address
//        v
//   retryPending  (records removed earlier and not yet added back)
//        v
//   repointMarked / repointFreeHost
//        for each record:  write ahead (pending) -> RECORDDELETE -> RECORDADD
//                          -> the moved mark (a free host: its address) stored
//                          -> pending cleared when the add succeeded or the delete was refused
//
// The order of the writes keeps the stored state right at every instant: a crash between any two
// requests or writes leaves marks, pending entries and a free host's address from which the next
// run puts every marked record at the current address and publishes no older address.

// A record as its owner lists it (the grid's row, or an entry of the account's record list).
struct CycleRecord {
    QString domain;
    QString recordType;
    QString name;  // empty or "Root" for the zone's root
    QString address;
    bool marked = false;

    // The name a request carries: the root is "@".
    QString nameToSend() const;
};

// The records of a record list ("~~"-separated entries of four ";;"-separated fields), each
// marked when its entry is in the AutoIP list. Entries with fewer than four fields are skipped.
std::vector<CycleRecord> RecordsOfList(const QString& records, const QString& autoIPs);

// The AutoIP list rebuilt from the listed records' marks, in their order, followed by the entries
// of `previous` whose record is not listed at all: a mark is the user's choice and outlives its
// record's absence from one reply. With every marked record listed this is exactly the list of
// the listed marks.
QString RebuiltAutoIPList(const std::vector<CycleRecord>& listed, const QString& previous);

// What the address check found.
struct AddressCheck {
    enum class Verdict { NoReply, Unusable, Usable };
    Verdict verdict = Verdict::NoReply;
    QString address;  // the reported address (set for Unusable and Usable)
    // An unusable address not reported before in this run: the owner tells the user.
    bool firstReport = false;
};

// What became of one marked record's re-point.
struct Repoint {
    CycleRecord record;
    QString name;        // as sent ("@" for the root)
    QString newAddress;  // the address the add sent (a port relay's with its port and path)
    UpdateOutcome deleted = UpdateOutcome::NoReply;
    bool added = false;
};

// Where the cycle's state goes; each write tells whether the store took it.
struct CycleWrites {
    // The pending list: before every delete of a re-point and whenever the list shrank.
    std::function<bool()> pending;
    // The AutoIP list as it now stands (the account's marks), after an add moved a mark and before
    // the record's pending entry is cleared.
    std::function<bool()> marks;
    // A free host's address, each time one is published.
    std::function<bool(const QString& address)> freeHostAddress;
};

class AutoIPCycle {
  public:
    // The requests go for `account` (its record, its marks, its service address).
    AutoIPCycle(PendingReAdds& pending, CycleWrites writes, const ServiceAccount& account);

    const ServiceAccount& account() const { return account_; }

    // A stop asked for: the re-point in flight finishes its pair (delete and add), the records
    // after it are left as they are (their marks name their addresses) for the next run.
    void stopWhen(std::function<bool()> stopping) { stopping_ = std::move(stopping); }

    // Asks the service for the public address (GetIPAddress) and judges it. When detection fails
    // or the address is not usable, the records are left alone: a wrong address is never a reason
    // to change DNS.
    AddressCheck checkAddress();

    // Adds back the pending records, each at the address that fits `newIP`, skipping `held` (a
    // record its owner is deciding about). A record the account's list already holds at that
    // address needs no request. True when the pending list changed.
    bool retryPending(const QString& newIP, const std::optional<PendingRecord>& held = {});

    // Re-points every marked record whose address differs from `newIP` (a port relay: its host),
    // in the given order: the record is written to the pending list, removed at its address and
    // added at the new one; it stays pending unless the add succeeded or the service refused the
    // delete on a 2xx reply (then it was never removed). When the pending list cannot be stored,
    // no delete is sent: that record and the ones after it are left as they are for this check.
    std::vector<Repoint> repointMarked(const std::vector<CycleRecord>& records,
                                       const QString& newIP);

    // A free account's host at the login: the service's default record of the host is removed
    // (the account's address stays as it was), then the host is added at `address` unless that
    // is empty (no usable address known yet: the first check adds it). True when added; the
    // address is then stored as the host's.
    bool addFreeHost(const QString& address, int trackAutoIP);

    // The free account's host: removed at the account's address, added at `newIP`, when they
    // differ. No pending entry: the next login adds the host again, at the stored address, which
    // is stored as soon as the add succeeded. True when the add succeeded; false also when nothing
    // needed doing.
    bool repointFreeHost(const QString& newIP, int trackAutoIP);

  private:
    PendingReAdds& pending_;
    CycleWrites writes_;
    ServiceAccount account_;
    std::function<bool()> stopping_;
    QSet<QString> reportedUnusable_;
};

}  // namespace quillon
