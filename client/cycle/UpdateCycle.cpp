#include "cycle/UpdateCycle.h"

#include <algorithm>

#include "protocol/basDNS.h"

namespace quillon {

namespace {

QString twoDigits(qint64 value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

}  // namespace

double TickThreshold(const QString& refreshRateText) {
    bool ok = false;
    double rate = refreshRateText.trimmed().toDouble(&ok);
    if (!ok) {
        rate = kDefaultRefreshRateSeconds;
    }
    return rate / 10.0 - 1.0;
}

int LoginRetrySeconds(int failures, int refreshSeconds) {
    constexpr int kFirst = 10;
    const int cap = std::max(kFirst, refreshSeconds);
    int wait = kFirst;
    for (int i = 1; i < failures && wait < cap; ++i) {
        wait *= 2;
    }
    return std::min(wait, cap);
}

QString CheckTimeText(const QDateTime& when) {
    const QDate date = when.date();
    const QTime time = when.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    // Built from numbers rather than the locale's formats: the design fixes this form.
    return QString::number(date.month()) + QLatin1Char('/') + QString::number(date.day()) +
           QLatin1Char('/') + twoDigits(date.year() % 100) + QLatin1Char(' ') +
           QString::number(hour12) + QLatin1Char(':') + twoDigits(time.minute()) +
           QLatin1Char(':') + twoDigits(time.second()) +
           (time.hour() < 12 ? QStringLiteral(" am") : QStringLiteral(" pm"));
}

QString UpTimeText(qint64 seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    const qint64 days = seconds / 86400;
    qint64 rest = seconds % 86400;
    const qint64 hours = rest / 3600;
    rest %= 3600;
    return QString::number(days) + QStringLiteral(" Days  ") + twoDigits(hours) + QLatin1Char(':') +
           twoDigits(rest / 60) + QLatin1Char(':') + twoDigits(rest % 60);
}

QString RepointedRelayAddress(const QString& relayAddress, const QString& newIP) {
    QString host;
    QString port;
    QString path;
    SplitRelayURL(relayAddress, host, port, path);
    QString address = QStringLiteral("http://") + newIP + path;
    return BuildRelayURL(address, port);
}

}  // namespace quillon
