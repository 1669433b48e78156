#include "desktop/SingleWindow.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QtGlobal>
#include <chrono>
#include <cstdio>

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
constexpr int kConnectMs = 1000;
constexpr int kShownMs = 5000;
constexpr unsigned long kRetryMs = 50;

// Asks the window listening on `path` to come forward; true once the request is delivered.
// The answer is waited for so that the window is in front when this process ends; a window
// busy with a request of its own comes forward when that has ended.
bool askForward(const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectMs)) {
        return false;
    }
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(kConnectMs)) {
        return false;
    }
    socket.waitForReadyRead(kShownMs);
    return true;
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
    if (server_ != nullptr) {
        server_->close();
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
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(4);
    // Whoever holds the lock owns the name: a socket file still there is a crashed window's.
    QLocalServer::removeServer(path);
    if (!server_->listen(path)) {
        std::fprintf(stderr, "quillon: a later start cannot reach this window (%s: %s)\n",
                     qPrintable(path), qPrintable(server_->errorString()));
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            serve(socket);
        }
    });
}

void SingleWindow::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        const QPointer<QLocalSocket> alive(socket);
        if (!socket->canReadLine()) {
            // Anything longer than the request is not one.
            if (socket->bytesAvailable() > kRequestMax) {
                socket->abort();
            }
            return;
        }
        const QByteArray line = socket->readLine(kRequestMax);
        if (line == kShowRequest) {
            // Bringing the window forward may handle events (a message box of its own).
            emit bringForwardRequested();
            if (!alive) {
                return;
            }
            socket->write(kShownAnswer);
            socket->flush();
        }
        socket->disconnectFromServer();
    });
}

}  // namespace quillon
