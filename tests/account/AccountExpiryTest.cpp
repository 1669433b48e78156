// Reading an account's expiration date under the system locale. CTest runs this program once per
// locale (C, en_US, en_GB, de_DE) with LC_ALL set, as a user's session or a service would have
// it; QUILLON_TEST_LOCALE names the locale the run must find, so that no run passes under
// another one.
#include <gtest/gtest.h>

#include <QLocale>
#include <map>
#include <optional>
#include <vector>

#include "account/AccountExpiry.h"

namespace quillon {
namespace {

struct DateCase {
    const char* text;
    std::optional<QDateTime> expected;
};

QDateTime at(int y, int m, int d, int h = 0, int min = 0, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

QString systemLocaleName() {
    return QLocale::system().name();
}

void expectReadings(const std::vector<DateCase>& cases) {
    for (const DateCase& c : cases) {
        EXPECT_EQ(ReadExpirationDate(QString::fromUtf8(c.text)), c.expected)
            << "\"" << c.text << "\" under " << systemLocaleName().toStdString();
    }
}

TEST(AccountExpiry, RunsUnderTheLocaleItWasStartedFor) {
    const QByteArray wanted = qgetenv("QUILLON_TEST_LOCALE");
    ASSERT_FALSE(wanted.isEmpty()) << "run through CTest, which sets the locale";
    EXPECT_EQ(systemLocaleName(), QString::fromLatin1(wanted));
}

// Texts every locale reads alike: ISO 8601, a month-first date with a time and AM/PM (a year
// first or a month that cannot be a day leaves no doubt), month names, and texts that are no
// date.
TEST(AccountExpiry, ReadsTheFormsEveryLocaleShares) {
    expectReadings({
        {"2020-01-31", at(2020, 1, 31)},
        {" 2027-03-31T18:30:00 ", at(2027, 3, 31, 18, 30)},
        {"2020-01-31 15:45:00", at(2020, 1, 31, 15, 45)},
        {"01/01/2001", at(2001, 1, 1)},
        {"1/31/2020 3:45:00 PM", at(2020, 1, 31, 15, 45)},
        {"1/31/2020 12:05 AM", at(2020, 1, 31, 0, 5)},
        {"31 Jan 2020", at(2020, 1, 31)},
        {"January 31, 2020 3:45 pm", at(2020, 1, 31, 15, 45)},
        {"Friday, 31 January 2020", at(2020, 1, 31)},
        {"31-Jan-99", at(1999, 1, 31)},
        {"", std::nullopt},
        {"never", std::nullopt},
        {"someday 1/1/2001", std::nullopt},
        {"2027-02-30", std::nullopt},
        {"13/13/2020", std::nullopt},
        {"1/31/2020 25:00", std::nullopt},
        {"1/31", std::nullopt},
        // The time's edges: dotted halves, a half glued to the time, a word that only starts
        // like one, more digits than a time has.
        {"1/31/2020 3:45 p.m.", at(2020, 1, 31, 15, 45)},
        {"1/31/2020 11:05a.m", at(2020, 1, 31, 11, 5)},
        {"1/31/2020 3:45 pmx", std::nullopt},
        {"1/31/2020 123:45", std::nullopt},
        {"1/31/2020 3:45:1", std::nullopt},
        {"2020-01-31x", std::nullopt},
    });
}

// Numeric dates follow the locale's day-month order; C and POSIX have no numeric date form and
// read month first. Two-digit years fall in 1930-2029.
TEST(AccountExpiry, ReadsNumericDatesInTheLocalesOrder) {
    const std::map<QString, std::vector<DateCase>> byLocale{
        {"C",
         {{"1/2/03", at(2003, 1, 2)},
          {"12/31/99 11:59 PM", at(1999, 12, 31, 23, 59)},
          {"2-1-2020 15:45:30", at(2020, 2, 1, 15, 45, 30)}}},
        {"en_US",
         {{"1/2/03", at(2003, 1, 2)},
          {"12/31/99 11:59 PM", at(1999, 12, 31, 23, 59)},
          {"2-1-2020 15:45:30", at(2020, 2, 1, 15, 45, 30)}}},
        {"en_GB",
         {{"1/2/03", at(2003, 2, 1)},
          {"31/01/2020 15:45", at(2020, 1, 31, 15, 45)},
          {"2-1-2020 3:45:30 pm", at(2020, 1, 2, 15, 45, 30)}}},
        {"de_DE",
         {{"1.2.03", at(2003, 2, 1)},
          {"31.01.2020 15:45:00", at(2020, 1, 31, 15, 45)},
          {"31. Januar 2020", at(2020, 1, 31)},
          {"Freitag, 31. März 2028", at(2028, 3, 31)},
          {"2/1/2020", at(2020, 1, 2)}}},
    };
    const auto cases = byLocale.find(systemLocaleName());
    ASSERT_NE(cases, byLocale.end()) << systemLocaleName().toStdString();
    expectReadings(cases->second);
}

// Whatever the locale writes with its own short and long forms, it reads back.
TEST(AccountExpiry, ReadsTheLocalesOwnForms) {
    const QLocale locale = QLocale::system();
    const QDateTime moment = at(2027, 11, 23, 16, 5);
    for (const QLocale::FormatType form : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QString date = locale.toString(moment.date(), form);
        EXPECT_EQ(ReadExpirationDate(date), at(2027, 11, 23)) << date.toStdString();
        const QString dateTime =
            locale.toString(moment, locale.dateTimeFormat(form).remove(QLatin1String(" t")));
        EXPECT_EQ(ReadExpirationDate(dateTime), moment) << dateTime.toStdString();
    }
}

TEST(AccountExpiry, TodayCountsAsExpiredFromMidnightAndAnUnreadableDateNever) {
    const QDate today(2026, 12, 8);
    EXPECT_TRUE(IsExpired("2026-12-08", QDateTime(today, QTime(0, 0, 1))));
    EXPECT_FALSE(IsExpired("2026-12-09", QDateTime(today, QTime(23, 59))));
    EXPECT_TRUE(IsExpired("01/01/2001", QDateTime(today, QTime(12, 0))));
    EXPECT_TRUE(IsExpired("1/31/2020 3:45:00 PM", QDateTime(today, QTime(12, 0))));
    EXPECT_FALSE(IsExpired("someday", QDateTime(today, QTime(12, 0))));
    EXPECT_FALSE(IsExpired("", QDateTime(today, QTime(12, 0))));
}

}  // namespace
}  // namespace quillon
