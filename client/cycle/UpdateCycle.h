#pragma once

#include <QDateTime>
#include <QString>

namespace quillon {

// The update cycle's arithmetic and texts, apart from the window that shows them.
//
//   tmrAuto tick (every 10 s)
//        |
//        v
//   TickCount >= threshold  --no-->  TickCount += 1
//   and no request in flight
//        | yes
//        v
//   TickCount = 0, stamp "Last IP Check", GetIPAddress
//        |  (a new address)
//        +-- free account:   delete + add of the host record
//        +-- domain account: pending re-adds retried, marked rows re-pointed, grid rebuilt
//        v
//   TickCount += 1

// The refresh rate used when the rate box holds no number (the box's own default).
constexpr int kDefaultRefreshRateSeconds = 60;

// The number of ticks between checks for a refresh rate given as the rate box's text: the rate
// in seconds divided by 10, minus 1, as a real number (60 gives 5, 45 gives 3.5). A text that is
// not a number counts as the default rate.
double TickThreshold(const QString& refreshRateText);

// The wait in seconds before the next login while the service cannot be reached or answers with
// errors, after `failures` failed logins in a row: 10 s after the first, doubling after each
// further one, at most `refreshSeconds` (the login carries the password: a service in trouble is
// not asked every 10 s), and never under 10 s (one tick).
int LoginRetrySeconds(int failures, int refreshSeconds);

// The time of a check as "m/d/yy h:nn:ss am/pm": month and day without leading zeros, a two-digit
// year, a 12-hour clock (0 and 12 read 12), two-digit minutes and seconds, "am" or "pm".
QString CheckTimeText(const QDateTime& when);

// The up time for a number of whole seconds: days, " Days ", a blank, then "hh:mm:ss"
// ("1 Days  02:03:04"). Negative counts (a clock set back) read as 0.
QString UpTimeText(qint64 seconds);

// The relay address a re-pointed port relay gets: the host replaced by `newIP`, the port and the
// path of `relayAddress` kept ("HTTP://a:8080/cam" with 1.2.3.4 gives "http://1.2.3.4:8080/cam").
QString RepointedRelayAddress(const QString& relayAddress, const QString& newIP);

}  // namespace quillon
