#include "cycle/AutoIPCycle.h"

#include <QStringList>

#include "account/clsUser.h"
#include "cycle/KeepAccountAddress.h"
#include "cycle/UpdateCycle.h"
#include "platform/ServiceDefaultAddress.h"
#include "protocol/AddressRules.h"

namespace quillon {

namespace {

const QString kRecordAdd = QStringLiteral("RECORDADD");
const QString kRecordDelete = QStringLiteral("RECORDDELETE");

bool isPortRelay(const QString& recordType) {
    return recordType.toUpper() == QLatin1String("PORT RELAY");
}

// Whether the account's record list holds the record at that address.
bool listHolds(const clsUser& user, const PendingRecord& record, const QString& address) {
    const QString entry = record.domain + kRecordFieldSep + record.recordType + kRecordFieldSep +
                          record.name + kRecordFieldSep + address;
    return (kRecordEntrySep + user.sDomainUserRecords + kRecordEntrySep)
        .contains(kRecordEntrySep + entry + kRecordEntrySep, Qt::CaseInsensitive);
}

QString entryOf(const CycleRecord& record) {
    return AutoIPEntry(record.domain, record.recordType, record.nameToSend(), record.address);
}

// The marks of a record that the account's list no longer holds at their address: a record
// added back after a crash leaves the mark of the address it was removed at, which nothing
// would ever drop. Marks of the record's round-robin twins, which the list holds, stay.
void dropStaleMarks(const ServiceAccount& account, const PendingRecord& record) {
    QSet<QString> listed;
    for (const CycleRecord& held : RecordsOfList(account.user->sDomainUserRecords, QString())) {
        listed.insert(entryOf(held));
    }
    const QString prefix =
        AutoIPEntry(record.domain, record.recordType, record.name, QString()).chopped(2);
    QString kept;
    for (const QString& mark :
         account.autoIPs->toUpper().split(kRecordEntrySep, Qt::SkipEmptyParts)) {
        const QString entry = mark + kRecordEntrySep;
        if (!entry.startsWith(prefix) || listed.contains(entry)) {
            kept += entry;
        }
    }
    *account.autoIPs = kept;
}

}  // namespace

QString CycleRecord::nameToSend() const {
    return name.isEmpty() || name == QLatin1String("Root") ? QStringLiteral("@") : name;
}

std::vector<CycleRecord> RecordsOfList(const QString& records, const QString& autoIPs) {
    std::vector<CycleRecord> result;
    for (const QString& entry : records.split(kRecordEntrySep, Qt::SkipEmptyParts)) {
        const QStringList fields = entry.split(kRecordFieldSep);
        if (fields.size() < 4) {
            continue;
        }
        CycleRecord record{fields[0], fields[1], fields[2], fields[3]};
        record.marked = AutoIPListContains(autoIPs, entryOf(record));
        result.push_back(std::move(record));
    }
    return result;
}

QString RebuiltAutoIPList(const std::vector<CycleRecord>& listed, const QString& previous) {
    QString list;
    QSet<QString> listedEntries;
    for (const CycleRecord& record : listed) {
        const QString entry = entryOf(record).toUpper();
        listedEntries.insert(entry);
        if (record.marked) {
            list += entry;
        }
    }
    for (const QString& kept : previous.toUpper().split(kRecordEntrySep, Qt::SkipEmptyParts)) {
        const QString entry = kept + kRecordEntrySep;
        if (!listedEntries.contains(entry) && !AutoIPListContains(list, entry)) {
            list += entry;
        }
    }
    return list;
}

AutoIPCycle::AutoIPCycle(PendingReAdds& pending, CycleWrites writes, const ServiceAccount& account)
    : pending_(pending), writes_(std::move(writes)), account_(account) {}

AddressCheck AutoIPCycle::checkAddress() {
    AddressCheck check;
    check.address = GetIPAddress(account_);
    if (check.address.isEmpty()) {
        return check;
    }
    if (IsUsablePublicAddress(check.address)) {
        check.verdict = AddressCheck::Verdict::Usable;
        return check;
    }
    // A service fault, a captive portal or a proxy's page: no record is re-pointed to it, and a
    // service that keeps reporting it is told about once, not at every check.
    check.verdict = AddressCheck::Verdict::Unusable;
    check.firstReport = !reportedUnusable_.contains(check.address);
    reportedUnusable_.insert(check.address);
    return check;
}

bool AutoIPCycle::retryPending(const QString& newIP, const std::optional<PendingRecord>& held) {
    std::vector<PendingRecord> added;
    const std::vector<PendingRecord> waiting = pending_.records();
    for (const PendingRecord& record : waiting) {
        if (stopping_ && stopping_()) {
            break;
        }
        if (held && SamePendingRecord(record, *held)) {
            continue;
        }
        const QString address = PendingAddressFor(record, newIP);
        const int track = record.autoIP ? 1 : 0;
        if (listHolds(*account_.user, record, address)) {
            UpdateAutoIPEntry(*account_.autoIPs, record.domain, record.name, kRecordAdd,
                              record.recordType, address, track);
        } else {
            // A refusal leaves the status alone: the service answered, and the check just found
            // it connected.
            QString name = record.name;
            if (DNSTicklerOutcome(account_, record.domain, name, kRecordAdd, record.recordType,
                                  address, false, track,
                                  OnRefusal::KeepStatus) != UpdateOutcome::Done) {
                continue;
            }
        }
        if (record.autoIP) {
            dropStaleMarks(account_, record);
        }
        added.push_back(record);
    }
    // The marks the adds moved are stored first: an entry cleared before them would leave a
    // stored mark that names the record's old address, and the record would never follow the
    // address again. Marks that cannot be stored keep the entries pending; the next check finds
    // the records in the list and stores the marks without a request.
    if (added.empty() || !writes_.marks()) {
        return false;
    }
    for (const PendingRecord& record : added) {
        pending_.remove(record);
    }
    writes_.pending();
    return true;
}

std::vector<Repoint> AutoIPCycle::repointMarked(const std::vector<CycleRecord>& records,
                                                const QString& newIP) {
    std::vector<Repoint> done;
    for (const CycleRecord& record : records) {
        if (stopping_ && stopping_()) {
            break;
        }
        if (!record.marked) {
            continue;
        }
        const bool relay = isPortRelay(record.recordType);
        if (relay) {
            QString host;
            QString port;
            QString path;
            SplitRelayURL(record.address, host, port, path);
            if (host == newIP) {
                continue;
            }
        } else if (record.address == newIP) {
            continue;
        }
        Repoint repoint{record, record.nameToSend(),
                        relay ? RepointedRelayAddress(record.address, newIP) : newIP};
        // Written ahead: should the program die between the delete and the add, the next check
        // adds the record back instead of leaving it gone for good. A retry finds it already
        // there when the add did go through.
        const PendingRecord ahead{record.domain, record.recordType, repoint.name,
                                  repoint.newAddress};
        const bool wasPending = pending_.find(ahead) != nullptr;
        pending_.add(ahead);
        if (!writes_.pending()) {
            // Nothing unsaved is acted on: a delete whose record a crash could lose is not sent.
            if (!wasPending) {
                pending_.remove(ahead);
            }
            break;
        }
        QString name = repoint.name;
        repoint.deleted = DNSTicklerOutcome(account_, record.domain, name, kRecordDelete,
                                            record.recordType, record.address, false, 1);
        name = repoint.name;
        repoint.added = DNSTickler(account_, record.domain, name, kRecordAdd, record.recordType,
                                   repoint.newAddress, false, 1);
        // Still pending when the record is gone from the service now, or may be (the delete's
        // reply was lost). After an add the moved mark is stored before the entry is cleared;
        // marks that cannot be stored keep it pending (the next check finds the record in place).
        if ((repoint.added && writes_.marks()) ||
            (!repoint.added && repoint.deleted == UpdateOutcome::Refused && !wasPending)) {
            pending_.remove(ahead);
            writes_.pending();
        }
        done.push_back(std::move(repoint));
    }
    return done;
}

bool AutoIPCycle::addFreeHost(const QString& address, int trackAutoIP) {
    clsUser& user = *account_.user;
    QString name = user.sUsername;
    {
        const KeepAccountAddress keep(user);
        DNSTickler(account_, user.sSubDomain, name, kRecordDelete, user.sRecordType,
                   QLatin1String(kServiceDefaultAddress), false, 0);
    }
    if (address.isEmpty()) {
        return false;
    }
    name = user.sUsername;
    if (!DNSTickler(account_, user.sSubDomain, name, kRecordAdd, user.sRecordType, address, false,
                    trackAutoIP)) {
        return false;
    }
    writes_.freeHostAddress(address);
    return true;
}

bool AutoIPCycle::repointFreeHost(const QString& newIP, int trackAutoIP) {
    clsUser& user = *account_.user;
    if (newIP == user.sIPAddress) {
        return false;
    }
    const QString oldIP = user.sIPAddress;
    QString name = user.sUsername;
    // An account address that was never usable names no host to remove.
    if (!oldIP.isEmpty()) {
        DNSTickler(account_, user.sSubDomain, name, kRecordDelete, user.sRecordType, oldIP, false,
                   trackAutoIP);
    }
    name = user.sUsername;
    if (!DNSTickler(account_, user.sSubDomain, name, kRecordAdd, user.sRecordType, newIP, false,
                    trackAutoIP)) {
        return false;
    }
    // Stored at once: the next login points the host at the stored address, which must not be
    // older than the one published now.
    writes_.freeHostAddress(newIP);
    return true;
}

}  // namespace quillon
