#include "desktop/SingleWindow.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QtGlobal>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace quillon {

namespace {

// The one request, and its answer once the window has been brought forward.
constexpr char kShowRequest[] = "show\n";
constexpr char kShownAnswer[] = "shown\n";
constexpr int kRequestMax = 16;

// How long a later start looks for the window's socket while the lock stays taken: the first
// window listens right after it takes the lock, so only a window that does not run its event
// loop (hung, or stopped) makes this run out.
constexpr auto kAnswerLimit = std::chrono::seconds(10);
constexpr int kRequestMs = 1000;
constexpr int kShownMs = 5000;
constexpr unsigned long kRetryMs = 50;

// The socket address of `path`; none when the path is too long for one.
std::optional<sockaddr_un> socketAddress(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || static_cast<size_t>(name.size()) >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    return address;
}

// Waits at most `ms` for `fd` to become ready for `events`.
bool waitFor(int fd, short events, int ms) {
    pollfd entry{fd, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, ms);
    } while (ready < 0 && errno == EINTR);
    return ready == 1;
}

// Asks the window listening on `path` to come forward; true once the request is delivered.
// The answer is waited for so that the window is in front when this process ends; a window
// busy with a request of its own comes forward when that has ended.
bool askForward(const QString& path) {
    const std::optional<sockaddr_un> address = socketAddress(path);
    if (!address) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    bool delivered = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 &&
        waitFor(fd, POLLOUT, kRequestMs) &&
        ::send(fd, kShowRequest, sizeof kShowRequest - 1, MSG_NOSIGNAL) ==
            static_cast<ssize_t>(sizeof kShowRequest - 1)) {
        delivered = true;
        char answer[kRequestMax];
        if (waitFor(fd, POLLIN, kShownMs)) {
            [[maybe_unused]] const ssize_t got = ::recv(fd, answer, sizeof answer, 0);
        }
    }
    ::close(fd);
    return delivered;
}

}  // namespace

QString WindowSocketPath() {
    const QFileInfo store(SettingsStorePath());
    QString folder = store.absoluteDir().canonicalPath();
    if (folder.isEmpty()) {
        folder = store.absolutePath();
    }
    const QString canonical = QDir(folder).filePath(store.fileName());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        const QByteArray hash =
            QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex();
        return QDir(runtime).filePath(QStringLiteral("quillon-window-") +
                                      QString::fromLatin1(hash.left(16)) + QStringLiteral(".sock"));
    }
    return canonical + QStringLiteral(".window.sock");
}

SingleWindow::SingleWindow(QObject* parent)
    : QObject(parent), lock_(QString(), AccountLock::Role::Window) {}

SingleWindow::~SingleWindow() {
    delete notifier_;
    if (listener_ >= 0) {
        ::close(listener_);
    }
}

SingleWindow::Start SingleWindow::start() {
    // The store's folder holds the lock file. On the first start it may not exist yet: it is
    // made as the store would make it, for the user alone.
    const QByteArray folder = QFile::encodeName(QFileInfo(SettingsStorePath()).absolutePath());
    ::mkdir(folder.constData(), 0700);
    const QString path = WindowSocketPath();
    const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
    for (;;) {
        switch (lock_.lockWithin(std::chrono::milliseconds(0), nullptr)) {
            case AccountLock::Wait::Held:
                listen();
                return Start::First;
            case AccountLock::Wait::NoLockFile:
                // A store folder the lock file cannot go into leaves nothing to coordinate with.
                return Start::First;
            case AccountLock::Wait::GaveUp:
                break;
        }
        if (askForward(path)) {
            return Start::Forwarded;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Start::NoAnswer;
        }
        QThread::msleep(kRetryMs);
    }
}

void SingleWindow::listen() {
    const QString path = WindowSocketPath();
    const std::optional<sockaddr_un> address = socketAddress(path);
    const auto giveUp = [&](const char* why) {
        std::fprintf(stderr, "quillon: a later start cannot reach this window (%s: %s)\n",
                     qPrintable(path), why);
        if (listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
        }
    };
    if (!address) {
        giveUp("the path is too long for a socket");
        return;
    }
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0) {
        giveUp(std::strerror(errno));
        return;
    }
    // Whoever holds the lock owns the name: a socket file still there is a crashed window's.
    ::unlink(address->sun_path);
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::chmod(address->sun_path, 0600) != 0 || ::listen(listener_, 4) != 0) {
        giveUp(std::strerror(errno));
        return;
    }
    notifier_ = new QSocketNotifier(listener_, QSocketNotifier::Read);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { acceptRequests(); });
}

void SingleWindow::acceptRequests() {
    for (;;) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            return;
        }
        serve(connection);
    }
}

void SingleWindow::serve(int connection) {
    // The request is read as it comes, from the event loop: a client that connects and sends
    // nothing holds neither the window nor the next request.
    auto* readable = new QSocketNotifier(connection, QSocketNotifier::Read, this);
    auto request = std::make_shared<QByteArray>();
    const auto finish = [readable, connection] {
        readable->setEnabled(false);
        readable->deleteLater();
        ::close(connection);
    };
    connect(readable, &QSocketNotifier::activated, this, [this, request, connection, finish] {
        char chunk[kRequestMax];
        const ssize_t got = ::recv(connection, chunk, sizeof chunk, 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        }
        if (got <= 0) {
            finish();
            return;
        }
        request->append(chunk, static_cast<qsizetype>(got));
        if (!request->contains('\n')) {
            // Anything longer than the request is not one.
            if (request->size() > kRequestMax) {
                finish();
            }
            return;
        }
        if (*request == kShowRequest) {
            // Bringing the window forward may handle events (a message box of its own).
            const QPointer<SingleWindow> alive(this);
            emit bringForwardRequested();
            if (!alive) {
                ::close(connection);
                return;
            }
            [[maybe_unused]] const ssize_t sent =
                ::send(connection, kShownAnswer, sizeof kShownAnswer - 1, MSG_NOSIGNAL);
        }
        finish();
    });
}

}  // namespace quillon
