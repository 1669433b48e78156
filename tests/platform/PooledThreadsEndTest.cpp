#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <thread>

#include "platform/PooledThreadsEnd.h"

namespace quillon::test {
namespace {

using namespace std::chrono_literals;

// A thread under the pool's name, which ends when told to.
class PooledLikeThread {
  public:
    explicit PooledLikeThread(std::chrono::milliseconds lifetime)
        : thread_([this, lifetime] {
              pthread_setname_np(pthread_self(), kPooledThreadName);
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
    ~PooledLikeThread() {
        released_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> named_{false};
    std::atomic<bool> released_{false};
    std::thread thread_;
};

TEST(PooledThreadsEndTest, WaitsForAPooledThreadToEndAndGivesUpAtItsLimit) {
    {
        PooledLikeThread stuck(10s);
        EXPECT_FALSE(AwaitPooledThreadsEnd(50ms));
    }
    // One that ends on its own a little later, as the pool's do after the application's
    // destructor, is waited for; nothing of it is left when the wait returns.
    PooledLikeThread ending(100ms);
    EXPECT_TRUE(AwaitPooledThreadsEnd(5s));
}

}  // namespace
}  // namespace quillon::test
