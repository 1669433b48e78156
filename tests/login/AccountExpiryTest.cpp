// Reading an account's expiration date.

#include <gtest/gtest.h>

#include <QLocale>

#include "login/AccountExpiry.h"

namespace quillon {
namespace {

TEST(AccountExpiryTest, IsoDatesAndTheSystemsShortFormAreRead) {
    EXPECT_EQ(ReadExpirationDate("2027-03-31"), QDateTime(QDate(2027, 3, 31), QTime(0, 0)));
    EXPECT_EQ(ReadExpirationDate(" 2027-03-31T18:30:00 "),
              QDateTime(QDate(2027, 3, 31), QTime(18, 30)));
    const QDate date(2027, 3, 31);
    const QLocale locale = QLocale::system();
    EXPECT_EQ(ReadExpirationDate(locale.toString(date, QLocale::ShortFormat)),
              QDateTime(date, QTime(0, 0)));
    EXPECT_EQ(ReadExpirationDate(locale.toString(date, QLocale::LongFormat)),
              QDateTime(date, QTime(0, 0)));
}

TEST(AccountExpiryTest, TextsThatAreNotDatesAreNotRead) {
    EXPECT_FALSE(ReadExpirationDate(""));
    EXPECT_FALSE(ReadExpirationDate("never"));
    EXPECT_FALSE(ReadExpirationDate("2027-02-30"));
}

TEST(AccountExpiryTest, TodayCountsAsExpiredFromMidnightAndAnUnreadableDateNever) {
    const QDate today(2026, 12, 8);
    EXPECT_TRUE(IsExpired("2026-12-08", QDateTime(today, QTime(0, 0, 1))));
    EXPECT_TRUE(IsExpired("2026-12-08", QDateTime(today, QTime(23, 59))));
    EXPECT_FALSE(IsExpired("2026-12-09", QDateTime(today, QTime(23, 59))));
    EXPECT_TRUE(IsExpired("2020-01-31", QDateTime(today, QTime(12, 0))));
    EXPECT_FALSE(IsExpired("someday", QDateTime(today, QTime(12, 0))));
    EXPECT_FALSE(IsExpired("", QDateTime(today, QTime(12, 0))));
}

}  // namespace
}  // namespace quillon
