#pragma once

#include <QDateTime>

namespace quillon {

// Dates as day numbers: whole days since 30 December 1899 with the time of day as the
// fraction, in local time and whole seconds. Before that day the whole part counts back
// while the fraction still counts forward from midnight (-1.25 is 29 December 1899, 06:00),
// as such day numbers always have.
double toDayNumber(const QDateTime& local);

// The local date and time of a day number, to the nearest second; invalid for a number
// that is not finite or lies outside the years 100 to 9999. A clock time skipped when
// summer time begins is read with the offset of before the change (02:30 gives 03:30).
QDateTime fromDayNumber(double dayNumber);

}  // namespace quillon
