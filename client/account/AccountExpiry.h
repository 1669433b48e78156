#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace quillon {

// Reads an account's expiration date as any date text the system accepts, with the system
// locale's date settings (on Linux the locale that LC_ALL, LC_TIME or LANG names):
//  - ISO 8601 ("2027-03-31", "2027-03-31T12:00:00", "2027-03-31 12:00:00+02:00");
//  - the locale's own short and long forms, with and without a time;
//  - numeric dates ("1/31/2020", "31.01.20", "01-01-2001") in the locale's day-month order,
//    month first where the locale has no numeric date form (C, POSIX); a text whose numbers
//    are no date in that order but are one with day and month swapped is read that way, as
//    the platform's date reading does ("1/31/2020" under en_GB is 31 January);
//  - month names of the locale or in English, with the day and year around them ("31 Jan 2020",
//    "January 31, 2020", "Freitag, 31. Januar 2020"), weekday names passed over;
//  - an optional time "h:mm" or "h:mm:ss", with or without AM/PM, before or after the date.
// Two-digit years fall in 1930-2029. A date without a time stands for 00:00 of that day, local
// time. Nothing when the text is not a date.
std::optional<QDateTime> ReadExpirationDate(const QString& text);

// The same with the date settings of `locale` (the form above reads QLocale::system()).
std::optional<QDateTime> ReadExpirationDate(const QString& text, const QLocale& locale);

// True when the text is a date earlier than `now`; so an account expiring today has expired
// from midnight on. A text that is not a date never counts as expired.
bool IsExpired(const QString& expirationDate, const QDateTime& now);

}  // namespace quillon
