#include "cycle/CycleSession.h"

#include "cycle/AccountValueWrite.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "settings/SettingsSchema.h"

namespace quillon {

CycleSession::CycleSession(std::function<void(const QString& why)> tellStoreFailure)
    : account_{&ownUser_, &ownMarks_, &ownServiceURL_, &ownConnected_},
      tellStoreFailure_(std::move(tellStoreFailure)) {}

CycleSession::CycleSession(const ServiceAccount& views,
                           std::function<void(const QString& why)> tellStoreFailure)
    : account_(views), tellStoreFailure_(std::move(tellStoreFailure)) {
    if (account_.connected == nullptr) {
        account_.connected = &ownConnected_;
    }
}

void CycleSession::setAccount(const QString& username) {
    userKey_ = store::AccountKey(username);
}

void CycleSession::loadMarksAndPending(const Registry& reg) {
    marks() = reg.getValue(store::kAutoIPs);
    storedMarks_ = marks();
    marksLoaded_ = true;
    pending_ = PendingReAdds::fromText(reg.getValue(store::kPendingReAdds));
}

bool CycleSession::storePending() {
    QString why;
    return StorePendingReAdds(userKey_, pending_, &why) || failed(why);
}

bool CycleSession::storeMarks() {
    if (!marksLoaded_ || marks() == storedMarks_) {
        return true;
    }
    QString why;
    if (!WriteAccountValue(userKey_, store::kAutoIPs, marks(), &why)) {
        return failed(why);
    }
    storedMarks_ = marks();
    return true;
}

bool CycleSession::storeFreeHostAddress(const QString& address) {
    QString why;
    return WriteAccountValue(userKey_, store::kIPAddress, address, &why) || failed(why);
}

CycleWrites CycleSession::writes() {
    return CycleWrites{[this] { return storePending(); }, [this] { return storeMarks(); },
                       [this](const QString& address) { return storeFreeHostAddress(address); }};
}

bool CycleSession::failed(const QString& why) {
    if (!failureTold_) {
        failureTold_ = true;
        tellStoreFailure_(why);
    }
    return false;
}

}  // namespace quillon
