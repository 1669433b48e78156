#pragma once

#include <QString>
#include <functional>

#include "cycle/AutoIPCycle.h"
#include "cycle/PendingReAdds.h"

namespace quillon {

class Registry;

// The update engine's state of one account as the store keeps it, loaded and written here and
// nowhere else: the AutoIP marks (held in sAutoIPs, which the requests keep up to date), the
// pending re-adds and a free host's last published address. Both programs own one; each write
// tells whether the store took it, and the first failure of a run goes to the owner, which tells
// the user why (the window in a box, quillon-update in one line).
class CycleSession {
  public:
    explicit CycleSession(std::function<void(const QString& why)> tellStoreFailure);

    // The account whose key ("SOFTWARE\Corvane\" and the name) holds the state.
    void setAccount(const QString& username);
    const QString& userKey() const { return userKey_; }

    // Reads the marks into sAutoIPs and the pending list from the account's key, which `reg`
    // has open. Until then (and after forgetMarks) the marks in memory are not the user's and
    // are never written.
    void loadMarksAndPending(const Registry& reg);
    void forgetMarks() { marksLoaded_ = false; }
    bool marksLoaded() const { return marksLoaded_; }

    PendingReAdds& pending() { return pending_; }
    const PendingReAdds& pending() const { return pending_; }

    // Each false when the store did not take the write.
    bool storePending();
    // sAutoIPs, when it differs from what the key holds.
    bool storeMarks();
    bool storeFreeHostAddress(const QString& address);
    // The owner wrote sAutoIPs into the key itself (with the rest of its settings).
    void marksStoredAs(const QString& autoIPs) { storedMarks_ = autoIPs; }

    // The writes of the check, for AutoIPCycle.
    CycleWrites writes();

  private:
    bool failed(const QString& why);

    std::function<void(const QString&)> tellStoreFailure_;
    QString userKey_;
    PendingReAdds pending_;
    QString storedMarks_;
    bool marksLoaded_ = false;
    bool failureTold_ = false;
};

}  // namespace quillon
