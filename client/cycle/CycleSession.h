#pragma once

#include <QString>
#include <functional>

#include "account/clsUser.h"
#include "cycle/AutoIPCycle.h"
#include "cycle/PendingReAdds.h"

namespace quillon {

class Registry;

// The update engine's state of one account: the account record, the AutoIP marks (which the
// requests keep up to date), the service address, the pending re-adds and a free host's last
// published address; what the store keeps of them is loaded and written here and nowhere else.
// Both programs own one; each write tells whether the store took it, and the first failure of a
// run goes to the owner, which tells the user why (the window in a box, quillon-update in one
// line).
class CycleSession {
  public:
    // A session that holds its own account record, marks and service address.
    explicit CycleSession(std::function<void(const QString& why)> tellStoreFailure);
    // A session over the owner's own variables (the window's program-wide ones), which must
    // outlive it; the connection state is the session's own unless the views name one.
    CycleSession(const ServiceAccount& views,
                 std::function<void(const QString& why)> tellStoreFailure);
    CycleSession(const CycleSession&) = delete;
    CycleSession& operator=(const CycleSession&) = delete;

    // What the engine's requests read and change.
    const ServiceAccount& account() const { return account_; }
    clsUser& user() { return *account_.user; }
    const clsUser& user() const { return *account_.user; }
    QString& marks() { return *account_.autoIPs; }
    const QString& serviceURL() const { return *account_.serviceURL; }
    // Whether the last exchange that judged the connection found the service answering.
    bool connected() const { return *account_.connected; }
    void setServiceURL(const QString& url) { *account_.serviceURL = url; }

    // The account whose key ("SOFTWARE\Corvane\" and the name) holds the state.
    void setAccount(const QString& username);
    const QString& userKey() const { return userKey_; }

    // Reads the marks and the pending list from the account's key, which `reg`
    // has open. Until then (and after forgetMarks) the marks in memory are not the user's and
    // are never written.
    void loadMarksAndPending(const Registry& reg);
    void forgetMarks() { marksLoaded_ = false; }
    bool marksLoaded() const { return marksLoaded_; }

    PendingReAdds& pending() { return pending_; }
    const PendingReAdds& pending() const { return pending_; }

    // Each false when the store did not take the write.
    bool storePending();
    // The marks, when they differ from what the key holds.
    bool storeMarks();
    bool storeFreeHostAddress(const QString& address);
    // The owner wrote the marks into the key itself (with the rest of its settings).
    void marksStoredAs(const QString& autoIPs) { storedMarks_ = autoIPs; }

    // The writes of the check, for AutoIPCycle.
    CycleWrites writes();

  private:
    bool failed(const QString& why);

    clsUser ownUser_;
    QString ownMarks_;
    QString ownServiceURL_;
    bool ownConnected_ = true;
    ServiceAccount account_;

    std::function<void(const QString&)> tellStoreFailure_;
    QString userKey_;
    PendingReAdds pending_;
    QString storedMarks_;
    bool marksLoaded_ = false;
    bool failureTold_ = false;
};

}  // namespace quillon
