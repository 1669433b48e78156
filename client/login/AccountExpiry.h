#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace quillon {

// Reads an account's expiration date as the system would: the system locale's short and long
// date-and-time and date forms (a two-digit year form also accepts four digits; two-digit years
// fall in 1930-2029), then ISO 8601 ("2027-03-31", "2027-03-31T12:00:00"). A date without a time
// stands for 00:00 of that day. Nothing when the text is not a date.
std::optional<QDateTime> ReadExpirationDate(const QString& text);

// True when the text is a date earlier than `now`; so an account expiring today has expired
// from midnight on. A text that is not a date never counts as expired.
bool IsExpired(const QString& expirationDate, const QDateTime& now);

}  // namespace quillon
