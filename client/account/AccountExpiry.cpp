#include "account/AccountExpiry.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <initializer_list>
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

bool isDigitAt(const QString& text, qsizetype at) {
    return at >= 0 && at < text.size() && text[at].isDigit();
}

bool isDigitOrColonAt(const QString& text, qsizetype at) {
    return isDigitAt(text, at) || (at >= 0 && at < text.size() && text[at] == QLatin1Char(':'));
}

bool isLetterAt(const QString& text, qsizetype at) {
    return at < text.size() && text[at].isLetter();
}

// Where a word for a half of the day ends when one starts at `at` (-1: none): "am", "a.m.",
// "a.m", "am." and the same with "p", without case, or the locale's own words; never followed
// by a letter. The forms with their dots are tried first.
qsizetype halfOfDayEnd(const QString& text, qsizetype at, const QLocale& locale) {
    const auto isChar = [&text](qsizetype i, char c) {
        return i < text.size() && text[i].toLower() == QLatin1Char(c);
    };
    if (isChar(at, 'a') || isChar(at, 'p')) {
        for (const bool firstDot : {true, false}) {
            qsizetype i = at + 1;
            if (firstDot && !isChar(i++, '.')) {
                continue;
            }
            if (!isChar(i++, 'm')) {
                continue;
            }
            for (const qsizetype end : {isChar(i, '.') ? i + 1 : qsizetype(-1), i}) {
                if (end >= 0 && !isLetterAt(text, end)) {
                    return end;
                }
            }
        }
    }
    for (const QString& word : {locale.amText(), locale.pmText()}) {
        const qsizetype end = at + word.size();
        if (!word.isEmpty() && end <= text.size() &&
            QStringView(text).mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0 &&
            !isLetterAt(text, end)) {
            return end;
        }
    }
    return -1;
}

// Finds one time of day in the text ("15:45", "3:45:00 PM", "3:45 p.m.", the locale's own words
// for the two halves of the day too) and removes it from the text. A time starts with one or
// two digits after no digit, "." or ":"; the minutes and seconds have two digits each, and no
// digit or ":" follows them.
FoundTime takeTime(QString& text, const QLocale& locale) {
    for (qsizetype start = 0; start < text.size(); ++start) {
        if (!isDigitAt(text, start) || isDigitOrColonAt(text, start - 1) ||
            (start > 0 && text[start - 1] == QLatin1Char('.'))) {
            continue;
        }
        const qsizetype hourDigits = isDigitAt(text, start + 1) ? 2 : 1;
        const qsizetype colon = start + hourDigits;
        if (colon >= text.size() || text[colon] != QLatin1Char(':') ||
            !isDigitAt(text, colon + 1) || !isDigitAt(text, colon + 2)) {
            continue;
        }
        const qsizetype afterMinutes = colon + 3;
        qsizetype end = -1;
        bool withSeconds = false;
        if (afterMinutes < text.size() && text[afterMinutes] == QLatin1Char(':') &&
            isDigitAt(text, afterMinutes + 1) && isDigitAt(text, afterMinutes + 2) &&
            !isDigitOrColonAt(text, afterMinutes + 3)) {
            end = afterMinutes + 3;
            withSeconds = true;
        } else if (!isDigitOrColonAt(text, afterMinutes)) {
            end = afterMinutes;
        } else {
            continue;
        }
        int hour = QStringView(text).mid(start, hourDigits).toInt();
        const int minute = QStringView(text).mid(colon + 1, 2).toInt();
        const int second = withSeconds ? QStringView(text).mid(afterMinutes + 1, 2).toInt() : 0;
        qsizetype halfStart = end;
        while (halfStart < text.size() && text[halfStart].isSpace()) {
            ++halfStart;
        }
        const qsizetype halfEnd = halfOfDayEnd(text, halfStart, locale);
        QString half;
        if (halfEnd >= 0) {
            half = text.mid(halfStart, halfEnd - halfStart);
            end = halfEnd;
        }
        text.remove(start, end - start);
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
    return FoundTime{};
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
    QStringList numbers;
    int month = 0;
    const auto isSeparator = [](QChar c) {
        return c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('.') ||
               c == QLatin1Char(',') || c == QLatin1Char('-');
    };
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype start = at;
        if (text[at].isDigit()) {
            while (at < text.size() && text[at].isDigit()) {
                ++at;
            }
            numbers << text.mid(start, at - start);
        } else if (text[at].isLetter()) {
            while (at < text.size() && text[at].isLetter()) {
                ++at;
            }
            if (at < text.size() && text[at] == QLatin1Char('.')) {
                ++at;
            }
            const QString word = text.mid(start, at - start);
            const int named = monthByName(word, locale);
            if (named != 0 && month == 0) {
                month = named;
            } else if (named != 0 || !isWeekdayName(word, locale)) {
                return QDate();
            }
        } else if (isSeparator(text[at])) {
            while (at < text.size() && isSeparator(text[at])) {
                ++at;
            }
        } else {
            return QDate();  // a character that belongs to no date
        }
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
    const auto digitsAt = [&t](std::initializer_list<qsizetype> places) {
        return std::all_of(places.begin(), places.end(),
                           [&t](qsizetype i) { return i < t.size() && t[i].isDigit(); });
    };
    const bool isoForm = digitsAt({0, 1, 2, 3, 5, 6, 8, 9}) && t[4] == QLatin1Char('-') &&
                         t[7] == QLatin1Char('-') &&
                         (t.size() == 10 || t[10] == QLatin1Char('T') || t[10] == QLatin1Char(' '));
    if (isoForm) {
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
