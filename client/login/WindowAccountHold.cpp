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
};

Hold& hold() {
    static Hold h;
    return h;
}

}  // namespace

void HoldAccountForWindow(const QString& account) {
    Hold& h = hold();
    auto lock = std::make_unique<AccountLock>(account, AccountLock::Role::Cycle);
    // The same account of the same store (a login again after a refused one) is held already.
    if (h.lock && h.lock->path() == lock->path()) {
        return;
    }
    ReleaseAccountForWindow();
    // A store folder the lock file cannot go into leaves nothing to coordinate with.
    lock->lock([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    h.account = account;
    h.lock = std::move(lock);
}

void ReleaseAccountForWindow() {
    hold().lock.reset();
    hold().account.clear();
}

QString AccountHeldByWindow() {
    return hold().lock ? hold().account : QString();
}

}  // namespace quillon
