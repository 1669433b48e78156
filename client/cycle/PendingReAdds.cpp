#include "cycle/PendingReAdds.h"

#include <algorithm>

#include "cycle/AccountValueWrite.h"
#include "cycle/UpdateCycle.h"
#include "platform/ClientError.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "settings/SettingsSchema.h"

namespace quillon {

// The address is part of a record's identity: an account may hold several records of one
// name and type (round-robin A records, MX records of one name), each pending on its own.
bool SamePendingRecord(const PendingRecord& a, const PendingRecord& b) {
    return a.domain.compare(b.domain, Qt::CaseInsensitive) == 0 &&
           a.recordType.compare(b.recordType, Qt::CaseInsensitive) == 0 &&
           a.name.compare(b.name, Qt::CaseInsensitive) == 0 &&
           a.address.compare(b.address, Qt::CaseInsensitive) == 0;
}

void PendingReAdds::add(const PendingRecord& record) {
    const auto found = std::find_if(records_.begin(), records_.end(), [&](const PendingRecord& r) {
        return SamePendingRecord(r, record);
    });
    if (found != records_.end()) {
        *found = record;
    } else {
        records_.push_back(record);
    }
}

PendingRecord PendingKeyOf(const GridRecord& record) {
    return PendingRecord{record.Domain, record.RecordType,
                         record.Name.isEmpty() ? QStringLiteral("@") : record.Name,
                         record.ServerAddress};
}

const PendingRecord* PendingReAdds::find(const PendingRecord& record) const {
    const auto found = std::find_if(records_.begin(), records_.end(), [&](const PendingRecord& r) {
        return SamePendingRecord(r, record);
    });
    return found == records_.end() ? nullptr : &*found;
}

bool PendingReAdds::remove(const PendingRecord& record) {
    const auto found = std::find_if(records_.begin(), records_.end(), [&](const PendingRecord& r) {
        return SamePendingRecord(r, record);
    });
    if (found == records_.end()) {
        return false;
    }
    records_.erase(found);
    return true;
}

QString PendingReAdds::toText() const {
    QString text;
    for (const PendingRecord& r : records_) {
        text += r.domain + kRecordFieldSep + r.recordType + kRecordFieldSep + r.name +
                kRecordFieldSep + r.address;
        if (!r.autoIP) {
            text += kRecordFieldSep + QLatin1Char('0');
        }
        text += kRecordEntrySep;
    }
    return text;
}

PendingReAdds PendingReAdds::fromText(const QString& text) {
    PendingReAdds pending;
    for (const QString& entry : text.split(kRecordEntrySep, Qt::SkipEmptyParts)) {
        const QStringList fields = entry.split(kRecordFieldSep, Qt::KeepEmptyParts);
        if (fields.size() != 4 && !(fields.size() == 5 && fields[4] == QLatin1String("0"))) {
            continue;
        }
        pending.add(PendingRecord{fields[0], fields[1], fields[2], fields[3], fields.size() == 4});
    }
    return pending;
}

bool StorePendingReAdds(const QString& userKey, const PendingReAdds& pending, QString* why) {
    try {
        Registry reg;
        reg.setKey(userKey);
        bool stored = false;
        if (pending.isEmpty()) {
            // Deleting a value that is not there is no failure.
            stored = reg.deleteValue(store::kPendingReAdds) ||
                     reg.getValue(store::kPendingReAdds).isEmpty();
        } else {
            stored = reg.setValue(store::kPendingReAdds, pending.toText());
        }
        if (!stored && why != nullptr) {
            *why = StoreRefusedWriteText();
        }
        return stored;
    } catch (const ClientError& error) {
        if (why != nullptr) {
            *why = error.description();
        }
        return false;
    }
}

QString PendingAddressFor(const PendingRecord& record, const QString& newIP) {
    if (!record.autoIP) {
        return record.address;
    }
    if (record.recordType.toUpper() == QLatin1String("PORT RELAY")) {
        return RepointedRelayAddress(record.address, newIP);
    }
    return newIP;
}

}  // namespace quillon
