#include "registry/AccountLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QtGlobal>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/XdgFolder.h"

namespace quillon {

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(100);

// An account name as part of a file name: lower case, every character but letters, digits,
// "-", ".", "_" and "~" percent-encoded, so that no name reaches outside the store's folder.
QString fileNamePart(const QString& account) {
    return QString::fromLatin1(QUrl::toPercentEncoding(account.trimmed().toLower()));
}

}  // namespace

QString SettingsStorePath() {
    const QString named = qEnvironmentVariable("HIVEKIT_STORE");
    if (!named.isEmpty()) {
        return named;
    }
    return QDir(XdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")))
        .filePath(QStringLiteral("hivekit/registry.db"));
}

AccountLock::AccountLock(const QString& account, Role role) : role_(role) {
    const QFileInfo store(SettingsStorePath());
    switch (role) {
        case Role::Updater:
            path_ = store.dir().filePath(store.fileName() + QLatin1Char('.') +
                                         fileNamePart(account) + QStringLiteral(".updater.lock"));
            break;
        case Role::Cycle:
            path_ = store.dir().filePath(store.fileName() + QLatin1Char('.') +
                                         fileNamePart(account) + QStringLiteral(".cycle.lock"));
            break;
        case Role::Window:
            // No account's lock ends in ".window.lock": the names cannot meet.
            path_ = store.dir().filePath(store.fileName() + QStringLiteral(".window.lock"));
            break;
    }
}

AccountLock::~AccountLock() {
    unlock();
}

int AccountLock::openFile() const {
    const QByteArray name = QFile::encodeName(path_);
    return ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

bool AccountLock::tryLock() {
    if (held()) {
        return true;
    }
    const int fd = openFile();
    if (fd < 0) {
        return false;
    }
    if (!take(fd)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool AccountLock::take(int fd) {
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return false;
    }
    fd_ = fd;
    if (role_ != Role::Cycle) {
        const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
        if (::ftruncate(fd_, 0) == 0) {
            const ssize_t written =
                ::pwrite(fd_, pid.constData(), static_cast<size_t>(pid.size()), 0);
            Q_UNUSED(written);  // the id is for the message of a second updater only
        }
    }
    return true;
}

bool AccountLock::lock(const std::function<void()>& whileWaiting) {
    if (held()) {
        return true;
    }
    const int fd = openFile();
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    while (!tryLock()) {
        if (whileWaiting) {
            whileWaiting();
        }
        std::this_thread::sleep_for(kRetryInterval);
    }
    return true;
}

AccountLock::Wait AccountLock::lockWithin(std::chrono::milliseconds limit,
                                          const std::function<bool()>& keepWaiting) {
    if (held()) {
        return Wait::Held;
    }
    const int fd = openFile();
    if (fd < 0) {
        return Wait::NoLockFile;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!take(fd)) {
        if ((keepWaiting && !keepWaiting()) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return Wait::GaveUp;
        }
        std::this_thread::sleep_for(kRetryInterval);
    }
    return Wait::Held;
}

void AccountLock::unlock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

qint64 AccountLock::recordedHolder() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return file.readLine(32).trimmed().toLongLong();
}

}  // namespace quillon
