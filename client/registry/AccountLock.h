#pragma once

#include <QString>
#include <chrono>
#include <functional>

namespace quillon {

// The settings store's file as the component opens it: HIVEKIT_STORE, else
// $XDG_CONFIG_HOME/hivekit/registry.db (~/.config/hivekit/registry.db).
QString SettingsStorePath();

// Who keeps an account of a store. Two programs re-pointing the same records would fight over
// their marks, so each account has two locks, files beside the store named after the account
// (without regard to case, as the store compares names):
//   Updater  held by one quillon-update for its whole run: a second one finds it taken.
//   Cycle    the right to send the account's update requests: a window holds it from its login
//            to its Log Off or close; quillon-update takes it around each check, so a window's
//            login waits for a check in flight and then keeps quillon-update waiting.
//   Window   held by a quillon window for its whole run, one for the whole store (the account
//            plays no part in its name): a second window on the store finds it taken.
// They are flock(2) locks: the kernel drops them when their holder dies, so a crash never leaves
// an account locked.
class AccountLock {
  public:
    enum class Role { Updater, Cycle, Window };
    enum class Wait { Held, NoLockFile, GaveUp };

    AccountLock(const QString& account, Role role);
    ~AccountLock();
    AccountLock(const AccountLock&) = delete;
    AccountLock& operator=(const AccountLock&) = delete;

    // Takes the lock if nobody holds it; true when held (also when already held here). The
    // Updater lock then records this process's id in its file.
    bool tryLock();
    // Takes the lock, waiting while another process holds it; `whileWaiting` runs between tries
    // (the caller keeps its windows painting). False when the lock file cannot be opened at all
    // (a store folder that is not writable): the caller goes on without it.
    bool lock(const std::function<void()>& whileWaiting);
    // Takes the lock, waiting at most `limit` while another process holds it. `keepWaiting` runs
    // between tries (the caller keeps its windows painting) and ends the wait when it answers
    // false. The lock file stays open during the wait.
    Wait lockWithin(std::chrono::milliseconds limit, const std::function<bool()>& keepWaiting);
    void unlock();
    bool held() const { return fd_ >= 0; }

    // The process id recorded in the Updater or Window lock's file, 0 when none.
    qint64 recordedHolder() const;
    const QString& path() const { return path_; }

  private:
    // Opens the lock file; -1 when it cannot be.
    int openFile() const;
    // Tries to take the lock on the open descriptor `fd`; true when taken (`fd` is then kept).
    bool take(int fd);

    QString path_;
    Role role_;
    int fd_ = -1;
};

}  // namespace quillon
