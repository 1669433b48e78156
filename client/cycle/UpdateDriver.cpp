#include "cycle/UpdateDriver.h"

#include "protocol/basDNS.h"

namespace quillon {

bool CheckDueAtTick(int& tickCount, double threshold, bool mayCheck) {
    if (!mayCheck || tickCount < threshold) {
        return false;
    }
    tickCount = 0;
    return true;
}

CheckReport UpdateDriver::check(bool freeAccount, const QString& freeHostAddress, int trackAutoIP,
                                const CheckOwner& owner) {
    CheckReport report;
    report.address = cycle_.checkAddress();
    if (!report.usable()) {
        return report;  // no change to DNS from a missing or wrong address
    }
    const QString& newIP = report.address.address;
    if (owner.addressFound) {
        owner.addressFound(newIP);
    }
    if (freeAccount) {
        if (newIP != freeHostAddress) {
            report.freeHostTried = true;
            report.freeHostAdded = cycle_.repointFreeHost(newIP, trackAutoIP);
        }
        return report;
    }
    std::optional<PendingRecord> held;
    if (!owner.mayRetryPending || owner.mayRetryPending(held)) {
        report.pendingChanged = cycle_.retryPending(newIP, held);
    }
    const std::optional<std::vector<CycleRecord>> records =
        owner.records ? owner.records() : std::nullopt;
    if (records) {
        report.recordsRan = true;
        report.repoints = cycle_.repointMarked(*records, newIP);
    }
    return report;
}

bool UpdateDriver::RemoveFreeHost(const QString& subDomain, const QString& username,
                                  const QString& recordType, const QString& address,
                                  int trackAutoIP) {
    QString name = username;
    return DNSTickler(subDomain, name, QStringLiteral("RECORDDELETE"), recordType, address, false,
                      trackAutoIP);
}

}  // namespace quillon
