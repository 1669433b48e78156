#include "protocol/RequestWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace quillon {

namespace {

std::atomic<int> requestsInFlight{0};

TransferReply runGuarded(const std::function<TransferReply()>& transfer) {
    try {
        return transfer();
    } catch (const std::exception& error) {
        return TransferReply{false, QString(), QString::fromLocal8Bit(error.what())};
    } catch (...) {
        return TransferReply{false, QString(), QStringLiteral("the transfer failed")};
    }
}

// The thread that runs the transfers of the user-interface thread, one after another, for the
// program's run. Starting a thread per request costs more than the request itself on a busy
// machine. Requests that overlap (a timer's request while another waits) queue here; they would
// queue on the transfer's one connection anyway.
class TransferThread {
  public:
    struct Job {
        std::function<void()> work;
        bool done = false;
    };

    TransferThread() : thread_([this] { serve(); }) {}
    ~TransferThread() { stop(); }
    TransferThread(const TransferThread&) = delete;
    TransferThread& operator=(const TransferThread&) = delete;

    // Ends the thread once the jobs posted so far have run. The libraries that the transfers
    // use free their per-thread state (OpenSSL's, for one) when the thread ends, but only until
    // their own clean-up at the program's exit has run; a thread that ends after it leaks that
    // state. So the thread ends with the application object, before the exit handlers.
    void stop() {
        {
            const std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    // Null once the thread is stopping: the caller then runs the work itself.
    std::shared_ptr<Job> post(std::function<void()> work) {
        auto job = std::make_shared<Job>();
        job->work = std::move(work);
        {
            const std::lock_guard lock(mutex_);
            if (stopping_) {
                return nullptr;
            }
            queue_.push_back(job);
        }
        wake_.notify_all();
        return job;
    }

    void waitFor(const std::shared_ptr<Job>& job) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return job->done; });
    }

  private:
    void serve() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;  // stopping, nothing left to run
            }
            const std::shared_ptr<Job> job = queue_.front();
            queue_.pop_front();
            lock.unlock();
            job->work();
            lock.lock();
            job->done = true;
            wake_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once the members above exist
};

// First asked for on the user-interface thread, while the application object exists.
TransferThread& transferThread() {
    static TransferThread thread;
    static const bool stopsWithApplication = [] {
        qAddPostRoutine([] { transferThread().stop(); });
        return true;
    }();
    (void)stopsWithApplication;
    return thread;
}

bool onUserInterfaceThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

}  // namespace

bool RequestInFlight() {
    return requestsInFlight.load() > 0;
}

RequestInFlightGuard::RequestInFlightGuard() {
    requestsInFlight.fetch_add(1);
}

RequestInFlightGuard::~RequestInFlightGuard() {
    requestsInFlight.fetch_sub(1);
}

TransferReply WaitForReply(const std::function<TransferReply()>& transfer) {
    const RequestInFlightGuard inFlight;
    if (!onUserInterfaceThread()) {
        return runGuarded(transfer);
    }
    TransferReply reply;
    QEventLoop loop;
    const auto job = transferThread().post([&] {
        reply = runGuarded(transfer);
        // Posted, so that the loop ends even when the transfer finishes before it starts.
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    if (!job) {
        return runGuarded(transfer);  // the application object is going away
    }
    // Returns at once while the application is quitting; the wait below still holds.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    transferThread().waitFor(job);
    return reply;
}

}  // namespace quillon
