#include "account/AccountExpiry.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <vector>

namespace quillon {

namespace {

// ---- The locale's own forms ----------------------------------------------------------------

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

std::optional<QDateTime> readLocaleForm(const QString& t, const QLocale& locale) {
    for (const QString& format : withFourDigitYears({locale.dateTimeFormat(QLocale::ShortFormat),
                                                     locale.dateTimeFormat(QLocale::LongFormat)})) {
        const QDateTime dt = locale.toDateTime(t, format);
        if (dt.isValid()) {
            return QDateTime(widenTwoDigitYear(dt.date(), format), dt.time());
        }
    }
    for (const QString& format : withFourDigitYears(
             {locale.dateFormat(QLocale::ShortFormat), locale.dateFormat(QLocale::LongFormat)})) {
        const QDate d = locale.toDate(t, format);
        if (d.isValid()) {
            return QDateTime(widenTwoDigitYear(d, format), QTime(0, 0));
        }
    }
    return std::nullopt;
}

// ---- The time of day -----------------------------------------------------------------------

// A time of day found in a text: none, one that is a time, or one that is no time.
struct FoundTime {
    bool present = false;
    QTime time;  // invalid when the text's time is no time ("25:00", "0:30 PM")
};

// Finds one time of day in the text ("15:45", "3:45:00 PM", "3:45 p.m.", the locale's own words
// for the two halves of the day too) and removes it from the text.
FoundTime takeTime(QString& text, const QLocale& locale) {
    QString halves = QStringLiteral("a\\.?m\\.?|p\\.?m\\.?");
    for (const QString& word : {locale.amText(), locale.pmText()}) {
        if (!word.isEmpty()) {
            halves += QLatin1Char('|') + QRegularExpression::escape(word);
        }
    }
    const QRegularExpression timePattern(
        QStringLiteral("(?<![\\d.:])(\\d{1,2}):(\\d{2})(?::(\\d{2}))?(?![\\d:])"
                       "(?:\\s*(%1)(?!\\p{L}))?")
            .arg(halves),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = timePattern.match(text);
    if (!m.hasMatch()) {
        return FoundTime{};
    }
    int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    const QString half = m.captured(4);
    text.remove(m.capturedStart(), m.capturedLength());
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12) {
            return FoundTime{true, QTime()};
        }
        const bool afternoon = half.compare(locale.pmText(), Qt::CaseInsensitive) == 0 ||
                               half.startsWith(QLatin1Char('p'), Qt::CaseInsensitive);
        hour = hour % 12 + (afternoon ? 12 : 0);
    }
    return FoundTime{true, QTime(hour, minute, second)};
}

// ---- The date ------------------------------------------------------------------------------

// Months and weekdays by name: the locale's long and short forms and the English ones, without
// case and without a trailing dot.
QString nameKey(const QString& word) {
    QString key = word.toLower();
    while (key.endsWith(QLatin1Char('.'))) {
        key.chop(1);
    }
    return key;
}

int monthByName(const QString& word, const QLocale& locale) {
    const QString key = nameKey(word);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (int month = 1; month <= 12; ++month) {
        for (const QLocale* l : {&locale, &english}) {
            for (const QString& name : {l->monthName(month, QLocale::LongFormat),
                                        l->monthName(month, QLocale::ShortFormat),
                                        l->standaloneMonthName(month, QLocale::LongFormat),
                                        l->standaloneMonthName(month, QLocale::ShortFormat)}) {
                if (nameKey(name) == key) {
                    return month;
                }
            }
        }
    }
    return 0;
}

bool isWeekdayName(const QString& word, const QLocale& locale) {
    const QString key = nameKey(word);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (int day = 1; day <= 7; ++day) {
        for (const QLocale* l : {&locale, &english}) {
            if (nameKey(l->dayName(day, QLocale::LongFormat)) == key ||
                nameKey(l->dayName(day, QLocale::ShortFormat)) == key) {
                return true;
            }
        }
    }
    return false;
}

// The order of day, month and year in the locale's numeric short date form, as the indexes of
// day, month and year among three numbers; month first where the form has no numeric month.
std::array<int, 3> numericOrder(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    int day = -1, month = -1, year = -1;
    int position = 0;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {  // quoted text: letters that are not fields
            const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            i = close < 0 ? format.size() : close + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c) {
            ++run;
        }
        if (c == u'd' && run <= 2) {
            day = position++;
        } else if (c == u'M' && run <= 2) {
            month = position++;
        } else if (c == u'y') {
            year = position++;
        } else if (c == u'M') {
            month = -2;  // a month name: no numeric date form
        }
        i += run;
    }
    if (day < 0 || month < 0 || year < 0) {
        return {1, 0, 2};  // month, day, year
    }
    return {day, month, year};
}

// A year of two digits falls in 1930-2029; four digits stand as they are.
int fullYear(const QString& digits) {
    const int value = digits.toInt();
    if (digits.size() == 4) {
        return value;
    }
    if (digits.size() <= 2) {
        return value < 30 ? 2000 + value : 1900 + value;
    }
    return -1;
}

QDate dateFrom(const QString& year, int month, const QString& day) {
    const int y = fullYear(year);
    return y < 0 || day.size() > 2 ? QDate() : QDate(y, month, day.toInt());
}

// Reads the date part (the time already taken out): numbers, at most one month name, weekday
// names, and the separators blank, "/", "-", "." and ",".
QDate readDatePart(const QString& text, const QLocale& locale) {
    static const QRegularExpression kToken(QStringLiteral("(\\d+)|(\\p{L}+\\.?)|([\\s/.,-]+)"));
    QStringList numbers;
    int month = 0;
    qsizetype at = 0;
    for (auto it = kToken.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart() != at) {
            return QDate();  // a character that belongs to no date
        }
        at = m.capturedEnd();
        if (!m.captured(1).isEmpty()) {
            numbers << m.captured(1);
        } else if (!m.captured(2).isEmpty()) {
            const int named = monthByName(m.captured(2), locale);
            if (named != 0 && month == 0) {
                month = named;
            } else if (named != 0 || !isWeekdayName(m.captured(2), locale)) {
                return QDate();
            }
        }
    }
    if (at != text.size()) {
        return QDate();
    }
    if (month != 0) {
        if (numbers.size() != 2) {
            return QDate();
        }
        // A year written in full may lead ("2020 Jan 31"); otherwise the day comes before the
        // year, whichever side of the month each stands on.
        if (numbers[0].size() > 2) {
            return dateFrom(numbers[0], month, numbers[1]);
        }
        return dateFrom(numbers[1], month, numbers[0]);
    }
    if (numbers.size() != 3) {
        return QDate();
    }
    if (numbers[0].size() == 4) {
        return dateFrom(numbers[0], numbers[1].toInt(), numbers[2]);
    }
    const std::array<int, 3> order = numericOrder(locale);
    const QString& day = numbers[order[0]];
    const QString& monthText = numbers[order[1]];
    const QDate date =
        dateFrom(numbers[order[2]], monthText.size() <= 2 ? monthText.toInt() : 0, day);
    if (date.isValid()) {
        return date;
    }
    // No date in the locale's order: the platform reads day and month the other way round.
    return dateFrom(numbers[order[2]], day.size() <= 2 ? day.toInt() : 0, monthText);
}

std::optional<QDateTime> readAnyForm(QString text, const QLocale& locale) {
    const FoundTime time = takeTime(text, locale);
    if (time.present && !time.time.isValid()) {
        return std::nullopt;
    }
    const QDate date = readDatePart(text.trimmed(), locale);
    if (!date.isValid()) {
        return std::nullopt;
    }
    return QDateTime(date, time.present ? time.time : QTime(0, 0));
}

}  // namespace

std::optional<QDateTime> ReadExpirationDate(const QString& text, const QLocale& locale) {
    const QString t = text.simplified();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    // ISO 8601 first: its year-first order is unambiguous in every locale.
    static const QRegularExpression kIso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}([T ].*)?$"));
    if (kIso.match(t).hasMatch()) {
        const QDateTime iso = QDateTime::fromString(t, Qt::ISODateWithMs);
        if (iso.isValid()) {
            return iso.toLocalTime();
        }
    }
    if (auto localeForm = readLocaleForm(t, locale)) {
        return localeForm;
    }
    return readAnyForm(t, locale);
}

std::optional<QDateTime> ReadExpirationDate(const QString& text) {
    return ReadExpirationDate(text, QLocale::system());
}

bool IsExpired(const QString& expirationDate, const QDateTime& now) {
    const std::optional<QDateTime> expires = ReadExpirationDate(expirationDate);
    return expires && *expires < now;
}

}  // namespace quillon
