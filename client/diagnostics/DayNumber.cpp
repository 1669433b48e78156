#include "diagnostics/DayNumber.h"

#include <cmath>

namespace quillon {

namespace {
constexpr int kSecondsPerDay = 86400;
const QDate kDayZero(1899, 12, 30);
// 1 January 100 and 31 December 9999, the range such day numbers cover.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958465.0;
}  // namespace

double toDayNumber(const QDateTime& local) {
    const QDateTime t = local.toLocalTime();
    const qint64 days = kDayZero.daysTo(t.date());
    const double fraction = static_cast<double>(t.time().msecsSinceStartOfDay() / 1000) /
                            kSecondsPerDay;  // milliseconds are dropped
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

QDateTime fromDayNumber(double dayNumber) {
    if (!std::isfinite(dayNumber) || dayNumber < kFirstDay || dayNumber >= kLastDay + 1.0) {
        return QDateTime();
    }
    const double whole = std::trunc(dayNumber);
    qint64 seconds = std::llround(std::fabs(dayNumber - whole) * kSecondsPerDay);
    QDate date = kDayZero.addDays(static_cast<qint64>(whole));
    if (seconds >= kSecondsPerDay) {  // rounding reached the next midnight
        seconds -= kSecondsPerDay;
        date = date.addDays(1);
    }
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(seconds * 1000));
    const QDateTime local(date, time);
    if (local.isValid()) {
        return local;
    }
    // The clock time was skipped when summer time began (02:30 on a day the clocks jump
    // from 02:00 to 03:00). Read it with the offset in force before the change, as the
    // clock would have shown it had it not jumped: it lands as far after the change
    // (03:30), rather than being no time at all.
    const qint64 asIfUtc = QDate(1970, 1, 1).daysTo(date) * kSecondsPerDay + seconds;
    const int offsetBefore =
        QDateTime::fromSecsSinceEpoch(asIfUtc - kSecondsPerDay).offsetFromUtc();
    return QDateTime::fromSecsSinceEpoch(asIfUtc - offsetBefore);
}

}  // namespace quillon
