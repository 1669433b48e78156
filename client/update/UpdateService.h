#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "cycle/AutoIPCycle.h"
#include "cycle/CycleSession.h"
#include "cycle/UpdateDriver.h"
#include "registry/AccountLock.h"
#include "settings/ConnectionSettings.h"
#include "settings/SavedPassword.h"

namespace quillon {

// What quillon-update runs by: the saved login (trimmed) and the service address and stored
// refresh rate of the connection settings, with the endpoint overrides applied.
struct UpdaterSettings {
    bool saveLogin = false;
    QString username;
    QString password;
    // Where the password was looked for and found; KeyringFailed when the keyring kept it back.
    PasswordPlace passwordPlace = PasswordPlace::None;
    QString serviceURL;
    QString refreshRate;
};

// Reads the key "SOFTWARE\Corvane\Init" of the store.
UpdaterSettings LoadUpdaterSettings();

// quillon-update's run: the saved login, then the update cycle every refresh period until a
// termination signal, for one account of one store.
//
//   start ---- no saved login, login refused, account expired ------------> exit 2
//     |  \---- another quillon-update keeps the account ------------------> exit 3
//     v
//   login (waits while a window keeps the account; retried while the service is away)
//     v
//   tick every 10 s: at the threshold, a check (the window's cycle); a window that logs in
//   meanwhile holds the account: checks wait, and after its Log Off or close the account's
//   stored values are read again and the run goes on as if it had just started
//     v
//   SIGTERM / SIGINT: the check under way ends, a free account's host is removed -> exit 0
class UpdateService : public QObject {
    Q_OBJECT
  public:
    // Exit statuses.
    static constexpr int kStopped = 0;
    static constexpr int kOnceLeftWork = 1;
    static constexpr int kUserMustMend = 2;
    static constexpr int kAccountTaken = 3;

    // `say` writes one line for the journal.
    explicit UpdateService(std::function<void(const QString&)> say);
    ~UpdateService() override;

    // Reads the settings and takes the account. A status to exit with now, or -1 to go on.
    int prepare();
    // Long-running: logs in and starts the timer; the event loop then runs until finished().
    void start();
    // One check after the login: the status to exit with.
    int runOnce();
    // A termination signal: ends after the check under way.
    void stop();

    // The tick of the 10-second timer (tests call it directly).
    void tick();

  signals:
    void finished(int status);

  private:
    enum class LoginResult { LoggedIn, Refused, NotReached, WindowHolds };

    LoginResult logIn();
    void loadAccountValues();
    void removeFreeHost();
    // One check with the cycle lock held; false when the address check found no usable address.
    bool check();
    // Says what a check did to the marked records and the pending list; `before` is the address
    // the last check found.
    void sayDomainRecords(const std::vector<Repoint>& repointed, const QString& newIP,
                          const QString& before);
    // Says the connection lost or back, as the driver reports it.
    void reportConnection();
    void reloadSettings();
    // A window keeps the account: no check until it lets it go (said once).
    void holdOffForWindow();
    void finish(int status);
    QString userKey() const;

    std::function<void(const QString&)> say_;
    UpdaterSettings settings_;
    std::unique_ptr<AccountLock> updaterLock_;
    // Held around each login and check, and the stop's removal of a free host: taken once.
    std::unique_ptr<AccountLock> cycleLock_;
    CycleSession session_;
    AutoIPCycle cycle_;
    UpdateDriver driver_{cycle_};
    QTimer timer_;
    int tickCount_ = 0;
    // The ticks to let pass before the next login while the service is away.
    int loginWaitTicks_ = 0;
    double threshold_ = 0;
    bool loggedIn_ = false;
    bool waitingForWindow_ = false;
    bool busy_ = false;
    bool stopping_ = false;
    bool finished_ = false;
    bool freeAutoIP_ = false;
    // A free host's address as the store keeps it, read at the login.
    QString storedFreeHostAddress_;
    QString lastPendingText_;
    QString lastAddress_;
};

}  // namespace quillon
