#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <thread>

#include "platform/QtThreadsEnd.h"

namespace quillon::test {
namespace {

using namespace std::chrono_literals;

// A thread under one of Qt's helper threads' names, which ends when told to.
class QtLikeThread {
  public:
    QtLikeThread(const char* name, std::chrono::milliseconds lifetime)
        : thread_([this, name, lifetime] {
              pthread_setname_np(pthread_self(), name);
              named_ = true;
              const auto end = std::chrono::steady_clock::now() + lifetime;
              while (!released_ && std::chrono::steady_clock::now() < end) {
                  std::this_thread::sleep_for(1ms);
              }
          }) {
        while (!named_) {
            std::this_thread::yield();
        }
    }
    ~QtLikeThread() {
        released_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> named_{false};
    std::atomic<bool> released_{false};
    std::thread thread_;
};

TEST(QtThreadsEndTest, WaitsForQtsHelperThreadsToEndAndGivesUpAtItsLimit) {
    for (const char* name : {kPooledThreadName, kDBusThreadName}) {
        SCOPED_TRACE(name);
        {
            QtLikeThread stuck(name, 10s);
            EXPECT_FALSE(AwaitQtThreadsEnd(50ms));
        }
        // One that ends on its own a little later, as Qt's do after their stop, is waited for;
        // nothing of it is left when the wait returns.
        QtLikeThread ending(name, 100ms);
        EXPECT_TRUE(AwaitQtThreadsEnd(5s));
    }
}

}  // namespace
}  // namespace quillon::test
