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

// The whole check, once for both programs: the address check and its verdict, then for a free
// account the host's re-point, for a domain account the pending retries and the re-point of the
// marked records. The owner shows what the report says.
class UpdateDriver {
  public:
    explicit UpdateDriver(AutoIPCycle& cycle) : cycle_(cycle) {}

    // `freeHostAddress`: the free host's published address (ignored for a domain account).
    CheckReport check(bool freeAccount, const QString& freeHostAddress, int trackAutoIP,
                      const CheckOwner& owner);

    // A free account's host at the stop: removed at `address` (the program goes, the host with
    // it). True when the service removed it.
    static bool RemoveFreeHost(const QString& subDomain, const QString& username,
                               const QString& recordType, const QString& address, int trackAutoIP);

  private:
    AutoIPCycle& cycle_;
};

}  // namespace quillon
