#include "cycle/UpdateDriver.h"

#include <exception>

#include "account/AccountExpiry.h"
#include "account/clsUser.h"
#include "cycle/UpdateCycle.h"
#include "platform/Clock.h"
#include "protocol/LoginReply.h"
#include "protocol/Transfer.h"
#include "protocol/basDNS.h"

namespace quillon {

bool CheckDueAtTick(int& tickCount, double threshold, bool mayCheck) {
    if (!mayCheck || tickCount < threshold) {
        return false;
    }
    tickCount = 0;
    return true;
}

LoginOutcome UpdateDriver::LogIn(const ServiceAccount& account, const QString& username,
                                 const QString& password) {
    TransferReply reply;
    try {
        reply = serviceTransfer().OpenURL(*account.serviceURL + LoginQuery(username, password));
    } catch (const std::exception&) {
        reply.ok = false;
    }
    const QString body = reply.ok ? reply.body : QString();
    const LoginVerdict verdict = JudgeLoginReply(body);
    if (account.connected != nullptr) {
        *account.connected = verdict != LoginVerdict::Unexpected;
    }
    switch (verdict) {
        case LoginVerdict::Unexpected:
            return LoginOutcome::NotReached;
        case LoginVerdict::Fail:
            return LoginOutcome::Refused;
        case LoginVerdict::Success:
            break;
    }
    clsUser& user = *account.user;
    FillAccountRecord(user, body, username, password);
    return IsExpired(user.sExpirationDate, Now()) ? LoginOutcome::Expired : LoginOutcome::LoggedIn;
}

LoginOutcome UpdateDriver::logIn(const QString& username, const QString& password) {
    const LoginOutcome outcome = LogIn(cycle_.account(), username, password);
    loginFailures_ = outcome == LoginOutcome::NotReached ? loginFailures_ + 1 : 0;
    return outcome;
}

int UpdateDriver::loginRetryWaitSeconds(int refreshSeconds) const {
    return LoginRetrySeconds(loginFailures_, refreshSeconds);
}

ConnectionChange UpdateDriver::connectionChange() {
    const bool* connected = cycle_.account().connected;
    if (connected == nullptr || *connected == reportedConnected_) {
        return ConnectionChange::None;
    }
    reportedConnected_ = *connected;
    return reportedConnected_ ? ConnectionChange::Back : ConnectionChange::Lost;
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

QString UpdateDriver::addFreeHostAtLogin(const QString& storedAddress, int trackAutoIP) {
    clsUser& user = *cycle_.account().user;
    user.sDomain = user.sSubDomain;
    user.sRecordType = QStringLiteral("A");
    if (!storedAddress.isEmpty()) {
        user.sIPAddress = storedAddress;
    }
    cycle_.addFreeHost(user.sIPAddress, trackAutoIP);
    return user.sIPAddress;
}

bool UpdateDriver::removeFreeHost(const QString& address, int trackAutoIP) {
    const ServiceAccount& account = cycle_.account();
    const clsUser& user = *account.user;
    QString name = user.sUsername;
    return DNSTickler(account, user.sSubDomain, name, QStringLiteral("RECORDDELETE"),
                      user.sRecordType, address, false, trackAutoIP);
}

}  // namespace quillon
