// The locks beside the store: a bounded wait for one another program keeps, and the store-wide
// window lock apart from every account's.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "registry/AccountLock.h"
#include "support/ScopedEnv.h"

namespace quillon::test {
namespace {

using namespace std::chrono_literals;

class AccountLockTest : public ::testing::Test {
  protected:
    QTemporaryDir dir_;
    ScopedEnv store_{"HIVEKIT_STORE", QFile::encodeName(dir_.filePath("registry.db"))};
};

// flock(2) locks of two descriptors conflict within one process as between two.
TEST_F(AccountLockTest, AWaitForALockKeptElsewhereEndsAtItsLimitOrWhenGivenUp) {
    AccountLock other(QStringLiteral("demo"), AccountLock::Role::Cycle);
    ASSERT_TRUE(other.tryLock());

    AccountLock mine(QStringLiteral("DEMO"), AccountLock::Role::Cycle);
    int tries = 0;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(mine.lockWithin(300ms, [&] { return ++tries > 0; }), AccountLock::Wait::GaveUp);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);
    EXPECT_GE(tries, 2);
    EXPECT_FALSE(mine.held());

    // Given up at the first try, long before the limit.
    tries = 0;
    EXPECT_EQ(mine.lockWithin(1h, [&] { return ++tries < 1; }), AccountLock::Wait::GaveUp);
    EXPECT_EQ(tries, 1);

    // Let go meanwhile: the wait takes it.
    EXPECT_EQ(mine.lockWithin(1h,
                              [&] {
                                  other.unlock();
                                  return true;
                              }),
              AccountLock::Wait::Held);
    EXPECT_TRUE(mine.held());
}

TEST_F(AccountLockTest, TheWindowLockIsTheStoresAloneAndNamesItsHolder) {
    AccountLock window(QString(), AccountLock::Role::Window);
    ASSERT_TRUE(window.tryLock());
    EXPECT_EQ(window.recordedHolder(), static_cast<qint64>(::getpid()));
    // No account's lock is the window's, whatever the account is called.
    for (const QString& account : {QStringLiteral("window"), QStringLiteral("x.window"), QString(),
                                   QStringLiteral("../registry.db")}) {
        for (const auto role : {AccountLock::Role::Cycle, AccountLock::Role::Updater}) {
            AccountLock lock(account, role);
            EXPECT_NE(lock.path(), window.path()) << lock.path().toStdString();
            EXPECT_TRUE(lock.tryLock()) << lock.path().toStdString();
        }
    }
    AccountLock second(QStringLiteral("anyone"), AccountLock::Role::Window);
    EXPECT_FALSE(second.tryLock());
}

}  // namespace
}  // namespace quillon::test
