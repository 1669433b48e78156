#pragma once

#include <QString>
#include <chrono>

namespace quillon {

// The window's hold on the account it logs in to: from the login action until the Log Off or
// the close has saved the settings, a quillon-update of the same account and store sends no
// check. A check of quillon-update that is under way when the login starts ends first; the
// window keeps painting meanwhile. The wait is bounded: a program that keeps the account longer
// than a check can take (a hung or stopped one) leaves the login to fail with a message.
enum class AccountHold {
    Held,       // the account is the window's (also when the lock file cannot be made)
    TimedOut,   // another program kept it past the limit
    Abandoned,  // AbandonAccountWait ended the wait
};
inline constexpr std::chrono::seconds kAccountWaitLimit{90};

AccountHold HoldAccountForWindow(const QString& account,
                                 std::chrono::milliseconds limit = kAccountWaitLimit);
void ReleaseAccountForWindow();
// The account the window holds now; empty when none.
QString AccountHeldByWindow();

// True while HoldAccountForWindow waits for another program. Events are handled during the wait;
// one that would close windows (a termination signal) must not close them inside it, as the
// login under way goes on with its window afterwards: it abandons the wait and closes once the
// wait has returned.
bool AccountWaitUnderWay();
void AbandonAccountWait();

}  // namespace quillon
