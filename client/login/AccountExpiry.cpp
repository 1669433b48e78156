#include "login/AccountExpiry.h"

#include <QLocale>
#include <QStringList>

namespace quillon {

namespace {

// A format with a two-digit year also accepts four digits.
QStringList withFourDigitYears(const QStringList& formats) {
    QStringList all;
    for (const QString& format : formats) {
        all.append(format);
        if (format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"))) {
            QString wide = format;
            wide.replace(QLatin1String("yy"), QLatin1String("yyyy"));
            all.append(wide);
        }
    }
    return all;
}

// Qt reads a two-digit year as 19xx; the usual window puts 00-29 in this century.
QDate widenTwoDigitYear(QDate date, const QString& format) {
    if (!format.contains(QLatin1String("yyyy")) && date.year() < 1930) {
        return date.addYears(100);
    }
    return date;
}

}  // namespace

std::optional<QDateTime> ReadExpirationDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    const QLocale locale = QLocale::system();

    const QStringList dateTimeFormats = withFourDigitYears(
        {locale.dateTimeFormat(QLocale::ShortFormat), locale.dateTimeFormat(QLocale::LongFormat)});
    for (const QString& format : dateTimeFormats) {
        const QDateTime dt = locale.toDateTime(t, format);
        if (dt.isValid()) {
            return QDateTime(widenTwoDigitYear(dt.date(), format), dt.time());
        }
    }
    const QStringList dateFormats = withFourDigitYears(
        {locale.dateFormat(QLocale::ShortFormat), locale.dateFormat(QLocale::LongFormat)});
    for (const QString& format : dateFormats) {
        const QDate d = locale.toDate(t, format);
        if (d.isValid()) {
            return QDateTime(widenTwoDigitYear(d, format), QTime(0, 0));
        }
    }

    // A date alone reads as 00:00 local time of that day.
    const QDateTime isoDateTime = QDateTime::fromString(t, Qt::ISODate);
    if (isoDateTime.isValid()) {
        return isoDateTime.toLocalTime();
    }
    return std::nullopt;
}

bool IsExpired(const QString& expirationDate, const QDateTime& now) {
    const std::optional<QDateTime> expires = ReadExpirationDate(expirationDate);
    return expires && *expires < now;
}

}  // namespace quillon
