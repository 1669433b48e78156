#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "cycle/AutoIPCycle.h"

namespace quillon {

// The tick rule both update timers follow (one tick every 10 s): a tick starts a check when the
// count has reached the refresh threshold and the owner may check now (no request waiting for
// its reply, someone logged in); the count then starts again from 0. True when the check is due:
// the owner runs it, then counts the tick with CountTick whatever became of the check.
bool CheckDueAtTick(int& tickCount, double threshold, bool mayCheck);
inline void CountTick(int& tickCount) {
    tickCount += 1;
}

// What the owner decides during a check: it is asked at the moment each step begins, since the
// user may have opened the editor or a question while a reply was awaited.
struct CheckOwner {
    // The address the check found usable, before any request of the re-point.
    std::function<void(const QString& address)> addressFound;
    // Before the pending retries: false leaves them for this check; `held` names a record the
    // owner is deciding about, which is skipped.
    std::function<bool(std::optional<PendingRecord>& held)> mayRetryPending;
    // After the retries: the records in the owner's order, or nothing when the owner holds the
    // marked records back for this check.
    std::function<std::optional<std::vector<CycleRecord>>()> records;
};

// What one check did.
struct CheckReport {
    AddressCheck address;
    // A free account's host: re-pointed (tried) because the address differed, and whether its
    // add succeeded.
    bool freeHostTried = false;
    bool freeHostAdded = false;
    // The pending list changed through the retries.
    bool pendingChanged = false;
    // The marked records were re-pointed (false: held back, or no usable address, or a free
    // account); `repoints` lists each record the re-point touched.
    bool recordsRan = false;
    std::vector<Repoint> repoints;

    bool usable() const { return address.verdict == AddressCheck::Verdict::Usable; }
};

// What became of a login.
enum class LoginOutcome {
    LoggedIn,    // the account record is filled from the reply
    Refused,     // the service refused the user name or password
    Expired,     // the service let the account in, but its expiration date has passed
    NotReached,  // no reply, an error page, or a reply that is no login answer
};

// A change of the connection to the service, told once each.
enum class ConnectionChange { None, Lost, Back };

// The engine's sequence, once for both programs: the login exchange and its backoff; the whole
// check (the address check and its verdict, then for a free account the host's re-point, for a
// domain account the pending retries and the re-point of the marked records); a free host's
// removal at the stop; the connection lost and back. The owner shows what it reports.
class UpdateDriver {
  public:
    explicit UpdateDriver(AutoIPCycle& cycle) : cycle_(cycle) {}

    // The login exchange of both programs: the login request for `username` and `password` goes
    // to the account's service address; on success the account record is filled from the reply
    // (also for an expired account, whose expiration date the owner shows). A transfer that
    // raises an error counts as no reply. Any answer of the service counts as connected, none
    // as not connected.
    static LoginOutcome LogIn(const ServiceAccount& account, const QString& username,
                              const QString& password);
    // The same for this driver's account, counting the logins in a row that did not reach the
    // service: each later one is tried after loginRetryWaitSeconds.
    LoginOutcome logIn(const QString& username, const QString& password);
    // The wait before the next login after the failures counted so far: 10 s after the first,
    // doubling, at most `refreshSeconds`.
    int loginRetryWaitSeconds(int refreshSeconds) const;
    int loginFailures() const { return loginFailures_; }

    // The connection as the last login or request found it, against what was reported before:
    // Lost the first time the service was not reached or answered with an error after it was
    // answering (as it is taken to be at the start), Back the first time it answers after that.
    ConnectionChange connectionChange();

    // `freeHostAddress`: the free host's published address (ignored for a domain account).
    CheckReport check(bool freeAccount, const QString& freeHostAddress, int trackAutoIP,
                      const CheckOwner& owner);

    // A free account's host after the login: the service's default record of the host goes, and
    // the host is added at the address it was last published at (`storedAddress`) or, when none
    // is stored, at the one the login reported. Returns that address, which the account record
    // now holds; empty when no usable address is known (the first check that finds one adds the
    // host).
    QString addFreeHostAtLogin(const QString& storedAddress, int trackAutoIP);

    // A free account's host at the stop: removed at `address` (the program goes, the host with
    // it). True when the service removed it.
    bool removeFreeHost(const QString& address, int trackAutoIP);

  private:
    AutoIPCycle& cycle_;
    int loginFailures_ = 0;
    bool reportedConnected_ = true;
};

}  // namespace quillon
