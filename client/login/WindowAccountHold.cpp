#include "login/WindowAccountHold.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <memory>

#include "registry/AccountLock.h"

namespace quillon {

namespace {

struct Hold {
    QString account;
    std::unique_ptr<AccountLock> lock;
    bool waiting = false;
    bool abandoned = false;
};

Hold& hold() {
    static Hold h;
    return h;
}

}  // namespace

AccountHold HoldAccountForWindow(const QString& account, std::chrono::milliseconds limit) {
    Hold& h = hold();
    auto lock = std::make_unique<AccountLock>(account, AccountLock::Role::Cycle);
    // The same account of the same store (a login again after a refused one) is held already.
    if (h.lock && h.lock->path() == lock->path()) {
        return AccountHold::Held;
    }
    ReleaseAccountForWindow();
    h.waiting = true;
    h.abandoned = false;
    const AccountLock::Wait result = lock->lockWithin(limit, [&h] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !h.abandoned;
    });
    h.waiting = false;
    switch (result) {
        case AccountLock::Wait::GaveUp:
            return h.abandoned ? AccountHold::Abandoned : AccountHold::TimedOut;
        case AccountLock::Wait::Held:
        case AccountLock::Wait::NoLockFile:
            // A store folder the lock file cannot go into leaves nothing to coordinate with.
            break;
    }
    h.account = account;
    h.lock = std::move(lock);
    return AccountHold::Held;
}

void ReleaseAccountForWindow() {
    hold().lock.reset();
    hold().account.clear();
}

QString AccountHeldByWindow() {
    return hold().lock ? hold().account : QString();
}

bool AccountWaitUnderWay() {
    return hold().waiting;
}

void AbandonAccountWait() {
    if (hold().waiting) {
        hold().abandoned = true;
    }
}

}  // namespace quillon
