#include "protocol/RequestWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace quillon {

namespace {

std::atomic<int> requestsInFlight{0};

// Marks a request in flight for as long as it lives (requests can nest: a timer may fire one
// while another waits).
class InFlight {
  public:
    InFlight() { requestsInFlight.fetch_add(1); }
    ~InFlight() { requestsInFlight.fetch_sub(1); }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;
};

TransferReply runGuarded(const std::function<TransferReply()>& transfer) {
    try {
        return transfer();
    } catch (const std::exception& error) {
        return TransferReply{false, QString(), QString::fromLocal8Bit(error.what())};
    } catch (...) {
        return TransferReply{false, QString(), QStringLiteral("the transfer failed")};
    }
}

bool onUserInterfaceThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

}  // namespace

bool RequestInFlight() {
    return requestsInFlight.load() > 0;
}

TransferReply WaitForReply(const std::function<TransferReply()>& transfer) {
    const InFlight mark;
    if (!onUserInterfaceThread()) {
        return runGuarded(transfer);
    }
    TransferReply reply;
    QEventLoop loop;
    std::thread worker([&] {
        reply = runGuarded(transfer);
        // Posted, so that the loop ends even when the transfer finishes before it starts.
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    // Returns at once while the application is quitting; the join below still waits.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    return reply;
}

}  // namespace quillon
