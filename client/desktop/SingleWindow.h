#pragma once

#include <QObject>
#include <QString>

#include "registry/AccountLock.h"

class QSocketNotifier;

namespace quillon {

// One window per settings store. The first quillon on a store holds the store's window lock for
// its whole run and listens on a local socket named after the store; a later one finds the lock
// taken and asks that window, over the socket, to come forward, then ends. The lock decides, not
// the socket: a socket file left by a crashed window is replaced by the next one to hold the lock.
class SingleWindow : public QObject {
    Q_OBJECT

  public:
    enum class Start {
        First,      // this process keeps the store's window (also when no lock file can be made)
        Forwarded,  // another window keeps it and was asked to come forward
        NoAnswer,   // another process keeps it but takes no request
    };

    explicit SingleWindow(QObject* parent = nullptr);
    ~SingleWindow() override;
    SingleWindow(const SingleWindow&) = delete;
    SingleWindow& operator=(const SingleWindow&) = delete;

    Start start();
    // The process keeping the store's window, as its lock file names it; 0 when unknown.
    qint64 otherProcess() const { return lock_.recordedHolder(); }

  signals:
    // Another quillon on the store asked this window to come forward.
    void bringForwardRequested();

  private:
    void listen();
    void acceptRequests();
    void serve(int connection);

    AccountLock lock_;
    // The listening socket (a plain AF_UNIX one: Qt Network would cost the window more memory
    // than this one request is worth), and its notifier in the event loop.
    int listener_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

// The socket of the store's window: in $XDG_RUNTIME_DIR, named after a hash of the store's
// canonical path; beside the store where there is no runtime folder.
QString WindowSocketPath();

}  // namespace quillon
