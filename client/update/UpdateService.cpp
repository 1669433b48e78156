#include "update/UpdateService.h"

#include <QStringList>
#include <algorithm>

#include "account/clsUser.h"
#include "cycle/AccountValueWrite.h"
#include "cycle/BusyFlag.h"
#include "cycle/UpdateCycle.h"
#include "cycle/UpdateDriver.h"
#include "platform/ClientError.h"
#include "protocol/RequestWait.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "registry/ReleaseIdleMemory.h"
#include "settings/EndpointOverrides.h"
#include "settings/SavedPassword.h"
#include "settings/SettingsSchema.h"

namespace quillon {

namespace {

constexpr int kTickMs = 10000;

// A record as a person names it: "www.example.org (A)", the root as the domain itself.
QString recordName(const QString& domain, const QString& name, const QString& recordType) {
    const QString host =
        name.isEmpty() || name == QLatin1String("@") ? domain : name + QLatin1Char('.') + domain;
    return host + QStringLiteral(" (") + recordType + QLatin1Char(')');
}

// The run's cycle lock for one task: taken if this process does not hold it yet, and let go at
// the end of the task that took it. The lock is one descriptor per process: flock refuses a
// second descriptor of the same file even to its own process, so a task inside another (the
// host's removal at a stop inside a check) must use the one already held.
class CycleHold {
  public:
    explicit CycleHold(AccountLock& lock) : lock_(lock), took_(!lock.held()) {
        held_ = lock_.tryLock();
    }
    ~CycleHold() {
        if (took_ && held_) {
            lock_.unlock();
        }
    }
    CycleHold(const CycleHold&) = delete;
    CycleHold& operator=(const CycleHold&) = delete;
    bool held() const { return held_; }

  private:
    AccountLock& lock_;
    bool took_;
    bool held_ = false;
};

}  // namespace

UpdaterSettings LoadUpdaterSettings() {
    Registry reg;
    reg.setKey(store::kInitKey);
    ApplyEndpointOverrides(reg);
    const SavedLogin login = LoadSavedLogin(reg);
    const ConnectionSettings connection = LoadConnectionSettings(reg);
    UpdaterSettings settings;
    settings.saveLogin = login.saveLogin;
    settings.username = TrimNull(login.username);
    if (settings.saveLogin && !settings.username.isEmpty()) {
        const SavedPassword saved = LoadSavedPassword(reg, settings.username);
        settings.password = TrimNull(saved.password);
        settings.passwordPlace = saved.place;
    }
    settings.serviceURL = connection.serviceURL();
    settings.refreshRate = connection.refreshRate;
    return settings;
}

UpdateService::UpdateService(std::function<void(const QString&)> say)
    : say_(std::move(say)),
      session_([this](const QString& why) {
          say_(QStringLiteral("cannot save the settings in %1: %2: records are not re-pointed "
                              "until it can")
                   .arg(SettingsStorePath(), why));
      }),
      cycle_(session_.pending(), session_.writes(), session_.account()) {
    // A stop lets the re-point in flight finish its pair; the records after it wait for the
    // next run, their marks stored.
    cycle_.stopWhen([this] { return stopping_; });
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &UpdateService::tick);
}

UpdateService::~UpdateService() = default;

QString UpdateService::userKey() const {
    return session_.userKey();
}

int UpdateService::prepare() {
    try {
        settings_ = LoadUpdaterSettings();
    } catch (const ClientError& error) {
        say_(QStringLiteral("cannot read the settings store %1: %2")
                 .arg(SettingsStorePath(), error.description()));
        return kUserMustMend;
    }
    if (settings_.saveLogin && !settings_.username.isEmpty() &&
        settings_.passwordPlace == PasswordPlace::KeyringFailed) {
        say_(QStringLiteral("the desktop's keyring did not give the saved password of %1 (locked, "
                            "unlocking refused, or no answer): unlock it, or run quillon-update "
                            "--save-login %1 again")
                 .arg(settings_.username));
        return kUserMustMend;
    }
    if (!settings_.saveLogin || settings_.username.isEmpty() || settings_.password.isEmpty()) {
        say_(QStringLiteral("no saved login in %1: tick \"Save Login\" once in Quillon's login "
                            "window, or run quillon-update --save-login USER (the password on "
                            "standard input); a locked keyring gives no password either")
                 .arg(SettingsStorePath()));
        return kUserMustMend;
    }
    session_.setServiceURL(settings_.serviceURL);
    session_.setAccount(settings_.username);
    updaterLock_ = std::make_unique<AccountLock>(settings_.username, AccountLock::Role::Updater);
    cycleLock_ = std::make_unique<AccountLock>(settings_.username, AccountLock::Role::Cycle);
    if (!updaterLock_->tryLock()) {
        const qint64 holder = updaterLock_->recordedHolder();
        if (holder == 0) {
            say_(QStringLiteral("cannot take the lock file %1").arg(updaterLock_->path()));
            return kUserMustMend;
        }
        say_(QStringLiteral("another quillon-update (process %1) keeps the account %2 of %3")
                 .arg(holder)
                 .arg(settings_.username, SettingsStorePath()));
        return kAccountTaken;
    }
    say_(QStringLiteral("started for the account %1 of %2")
             .arg(settings_.username, SettingsStorePath()));
    threshold_ = TickThreshold(QString::number(ChosenRefreshRate(settings_.refreshRate, false)));
    return -1;
}

UpdateService::LoginResult UpdateService::logIn() {
    const CycleHold cycleLock(*cycleLock_);
    if (!cycleLock.held()) {
        return LoginResult::WindowHolds;
    }
    const BusyFlag busy(busy_);
    const RequestInFlightGuard inFlight;
    clsUser& user = session_.user();
    switch (driver_.logIn(settings_.username, settings_.password)) {
        case LoginOutcome::NotReached:
            return LoginResult::NotReached;
        case LoginOutcome::Refused:
            say_(QStringLiteral("the service refused the login of %1: invalid user name or "
                                "password")
                     .arg(settings_.username));
            return LoginResult::Refused;
        case LoginOutcome::Expired:
            say_(QStringLiteral("the account %1 has expired (%2): contact Corvane support to "
                                "reactivate it")
                     .arg(settings_.username, user.sExpirationDate));
            return LoginResult::Refused;
        case LoginOutcome::LoggedIn:
            break;
    }
    user.bCorvaneOnly = !user.sSubDomain.isEmpty();
    loadAccountValues();
    const int rate = ChosenRefreshRate(settings_.refreshRate, user.bCorvaneOnly);
    threshold_ = TickThreshold(QString::number(rate));
    if (user.bCorvaneOnly) {
        driver_.addFreeHostAtLogin(storedFreeHostAddress_, freeAutoIP_ ? 1 : 0);
        say_(QStringLiteral("updating the host %1.%2 at %3, checking every %4 s%5")
                 .arg(user.sUsername, user.sSubDomain, user.sIPAddress)
                 .arg(rate)
                 .arg(freeAutoIP_ ? QString()
                                  : QStringLiteral(" (automatic IP is off: checks change "
                                                   "nothing)")));
    } else {
        const std::vector<CycleRecord> records =
            RecordsOfList(user.sDomainUserRecords, session_.marks());
        const auto marked = std::count_if(records.begin(), records.end(),
                                          [](const CycleRecord& r) { return r.marked; });
        say_(QStringLiteral("updating the records of %1 (%2 marked), checking every %3 s")
                 .arg(user.sUsername)
                 .arg(static_cast<qint64>(marked))
                 .arg(rate));
    }
    if (!session_.pending().isEmpty()) {
        say_(QStringLiteral("%1 record(s) wait to be added back")
                 .arg(session_.pending().records().size()));
    }
    return LoginResult::LoggedIn;
}

void UpdateService::loadAccountValues() {
    Registry reg;
    reg.setKey(userKey());
    session_.loadMarksAndPending(reg);
    lastPendingText_ = session_.pending().toText();
    freeAutoIP_ = reg.getValue(store::kAutoIP) == QLatin1String("1");
    storedFreeHostAddress_ = reg.getValue(store::kIPAddress);
}

// As the window's close does: the host goes with the program, and its address is stored.
void UpdateService::removeFreeHost() {
    const CycleHold cycleLock(*cycleLock_);
    if (!cycleLock.held()) {
        return;  // a window logged in since: the host is its own now
    }
    clsUser& user = session_.user();
    const bool removed = driver_.removeFreeHost(user.sIPAddress, freeAutoIP_ ? 1 : 0);
    session_.storeFreeHostAddress(user.sIPAddress);
    say_(removed ? QStringLiteral("removed the host %1.%2").arg(user.sUsername, user.sSubDomain)
                 : QStringLiteral("could not remove the host %1.%2")
                       .arg(user.sUsername, user.sSubDomain));
}

void UpdateService::start() {
    timer_.start();
    tick();
}

void UpdateService::tick() {
    if (busy_ || stopping_ || RequestInFlight()) {
        tickCount_ += 1;  // a tick during a request only counts
        return;
    }
    // A window that logged in to the account since the last tick keeps it from now on.
    if (loggedIn_ && !CycleHold(*cycleLock_).held()) {
        holdOffForWindow();
        tickCount_ += 1;
        return;
    }
    // Not logged in while a window holds the account: every tick tries again, so that the run goes
    // on soon after the window lets the account go. While the service is away, the tries back off.
    if (!loggedIn_ && loginWaitTicks_ > 0) {
        loginWaitTicks_ -= 1;
        tickCount_ += 1;
        return;
    }
    // Logged in, the check waits for the refresh threshold; not logged in, the login is tried at
    // this tick.
    if (!CheckDueAtTick(tickCount_, loggedIn_ ? threshold_ : 0.0, true)) {
        CountTick(tickCount_);
        return;
    }
    if (!loggedIn_) {
        if (waitingForWindow_) {
            reloadSettings();  // the window may have changed them
        }
        switch (logIn()) {
            case LoginResult::LoggedIn:
                loggedIn_ = true;
                if (waitingForWindow_) {
                    waitingForWindow_ = false;
                }
                reportConnection();
                break;
            case LoginResult::Refused:
                finish(kUserMustMend);
                return;
            case LoginResult::NotReached:
                // The next tick comes 10 s from now: the ticks before it are let pass.
                loginWaitTicks_ =
                    driver_.loginRetryWaitSeconds(ChosenRefreshRate(settings_.refreshRate, false)) *
                        1000 / kTickMs -
                    1;
                if (driver_.connectionChange() == ConnectionChange::Lost) {
                    say_(QStringLiteral("the service at %1 cannot be reached or answers with an "
                                        "error: retrying")
                             .arg(session_.serviceURL()));
                }
                break;
            case LoginResult::WindowHolds:
                holdOffForWindow();
                break;
        }
        tickCount_ += 1;
        ReleaseIdleMemory();
        if (stopping_) {
            finish(kStopped);
        }
        return;
    }
    {
        const CycleHold cycleLock(*cycleLock_);
        if (!cycleLock.held()) {
            holdOffForWindow();
        } else {
            check();
        }
    }
    tickCount_ += 1;
    ReleaseIdleMemory();
    if (stopping_) {
        finish(kStopped);
    }
}

void UpdateService::holdOffForWindow() {
    loggedIn_ = false;
    if (!waitingForWindow_) {
        waitingForWindow_ = true;
        say_(QStringLiteral("a Quillon window is logged in to %1: waiting until it logs off or "
                            "closes")
                 .arg(settings_.username));
    }
}

bool UpdateService::check() {
    const BusyFlag busy(busy_);
    const RequestInFlightGuard inFlight;
    clsUser& user = session_.user();
    if (user.bCorvaneOnly && !freeAutoIP_) {
        return true;  // automatic IP is off for the free host: nothing to check
    }
    QString before;
    CheckOwner owner;
    owner.addressFound = [this, &before, &user](const QString&) {
        reportConnection();
        before = lastAddress_.isEmpty() ? user.sIPAddress : lastAddress_;
    };
    owner.records = [this, &user]() -> std::optional<std::vector<CycleRecord>> {
        return RecordsOfList(user.sDomainUserRecords, session_.marks());
    };
    const CheckReport report = driver_.check(user.bCorvaneOnly, user.sIPAddress, 1, owner);
    const AddressCheck& found = report.address;
    if (!report.usable()) {
        reportConnection();
        if (found.verdict == AddressCheck::Verdict::Unusable && found.firstReport) {
            say_(QStringLiteral("the service reported \"%1\" as the public address, which is no "
                                "usable address: the records are left as they are")
                     .arg(found.address));
        }
        return false;
    }
    if (user.bCorvaneOnly) {
        if (report.freeHostTried) {
            say_(report.freeHostAdded
                     ? QStringLiteral("the public address is now %1: the host %2.%3 follows it")
                           .arg(found.address, user.sUsername, user.sSubDomain)
                     : QStringLiteral("the public address is now %1: re-pointing the host "
                                      "%2.%3 failed, tried again at the next check")
                           .arg(found.address, user.sUsername, user.sSubDomain));
        }
    } else {
        sayDomainRecords(report.repoints, found.address, before);
    }
    reportConnection();
    session_.storeMarks();
    return true;
}

void UpdateService::sayDomainRecords(const std::vector<Repoint>& repointed, const QString& newIP,
                                     const QString& before) {
    QStringList moved;
    QStringList failed;
    for (const Repoint& done : repointed) {
        (done.added ? moved : failed)
            .append(recordName(done.record.domain, done.name, done.record.recordType));
    }
    if (newIP != before || !moved.isEmpty() || !failed.isEmpty()) {
        QString line = QStringLiteral("the public address is now %1").arg(newIP);
        if (!moved.isEmpty()) {
            line += QStringLiteral(": re-pointed ") + moved.join(QStringLiteral(", "));
        }
        if (!failed.isEmpty()) {
            line += QStringLiteral("; not re-pointed: ") + failed.join(QStringLiteral(", "));
        }
        say_(line);
    }
    lastAddress_ = newIP;
    const QString pendingText = session_.pending().toText();
    if (pendingText != lastPendingText_) {
        if (session_.pending().isEmpty()) {
            say_(QStringLiteral("no record waits to be added back any more"));
        } else {
            QStringList names;
            for (const PendingRecord& r : session_.pending().records()) {
                names.append(recordName(r.domain, r.name, r.recordType));
            }
            say_(QStringLiteral("pending, added back at every check: ") +
                 names.join(QStringLiteral(", ")));
        }
        lastPendingText_ = pendingText;
    }
}

void UpdateService::reportConnection() {
    switch (driver_.connectionChange()) {
        case ConnectionChange::Lost:
            say_(QStringLiteral("the service at %1 cannot be reached or answers with an error: "
                                "retrying at every check")
                     .arg(session_.serviceURL()));
            break;
        case ConnectionChange::Back:
            say_(QStringLiteral("the service answers again"));
            break;
        case ConnectionChange::None:
            break;
    }
}

int UpdateService::runOnce() {
    switch (logIn()) {
        case LoginResult::LoggedIn:
            break;
        case LoginResult::Refused:
            return kUserMustMend;
        case LoginResult::NotReached:
            say_(QStringLiteral("the service at %1 cannot be reached or answers with an error")
                     .arg(session_.serviceURL()));
            return kOnceLeftWork;
        case LoginResult::WindowHolds:
            say_(QStringLiteral("a Quillon window is logged in to %1: no check made")
                     .arg(settings_.username));
            return kOnceLeftWork;
    }
    loggedIn_ = true;
    bool checked = false;
    {
        const CycleHold cycleLock(*cycleLock_);
        if (cycleLock.held()) {
            checked = check();
        }
    }
    if (!checked) {
        say_(QStringLiteral("no usable public address was found: nothing re-pointed"));
    }
    return checked && session_.pending().isEmpty() ? kStopped : kOnceLeftWork;
}

void UpdateService::stop() {
    if (stopping_) {
        return;
    }
    stopping_ = true;
    if (!busy_ && !RequestInFlight()) {
        QTimer::singleShot(0, this, [this] { finish(kStopped); });
    }
    // Otherwise the tick under way finishes first and ends the run.
}

// The connection settings as the store holds them now; the run keeps its account, and its
// password unless the store holds a new one for the same account.
void UpdateService::reloadSettings() {
    try {
        UpdaterSettings fresh = LoadUpdaterSettings();
        if (fresh.username.compare(settings_.username, Qt::CaseInsensitive) != 0 ||
            fresh.password.isEmpty()) {
            fresh.username = settings_.username;
            fresh.password = settings_.password;
        }
        settings_ = fresh;
        session_.setServiceURL(settings_.serviceURL);
    } catch (const ClientError&) {
        // The settings read before serve.
    }
}

void UpdateService::finish(int status) {
    if (finished_) {
        return;
    }
    finished_ = true;
    timer_.stop();
    try {
        if (status == kStopped && loggedIn_) {
            if (session_.user().bCorvaneOnly) {
                removeFreeHost();
            }
            session_.storeMarks();
        }
    } catch (const ClientError& error) {
        say_(QStringLiteral("could not store the settings: %1").arg(error.description()));
    }
    if (status == kStopped) {
        say_(QStringLiteral("stopped"));
    }
    emit finished(status);
}

}  // namespace quillon
