#include "protocol/basDNS.h"

namespace quillon {

namespace {
const QString kScheme = QStringLiteral("HTTP://");
}  // namespace

QString BuildRelayURL(QString& address, const QString& port) {
    if (!address.startsWith(kScheme, Qt::CaseInsensitive)) {
        address.prepend(QStringLiteral("Http://"));
    }
    if (!IsNumeric(port)) {
        return address;
    }
    // The first "/" after the scheme ends the host part.
    const qsizetype slash = address.indexOf(QLatin1Char('/'), kScheme.size());
    if (slash < 0) {
        return address + QLatin1Char(':') + port;
    }
    return address.left(slash) + QLatin1Char(':') + port + address.mid(slash);
}

void SplitRelayURL(const QString& url, QString& host, QString& port, QString& path) {
    QString rest = url;
    if (rest.startsWith(kScheme, Qt::CaseInsensitive)) {
        rest.remove(0, kScheme.size());
    }
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        host = rest.left(colon);
        const QString remainder = rest.mid(colon + 1);
        const qsizetype slash = remainder.indexOf(QLatin1Char('/'));
        if (slash >= 0) {
            path = remainder.mid(slash);
            port = remainder.left(slash);
        } else {
            port = remainder;
        }
    } else {
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        if (slash >= 0) {
            host = rest.left(slash);
            path = rest.mid(slash);
        } else {
            host = rest;
        }
    }
    if (!IsNumeric(port)) {
        port.clear();
    }
}

}  // namespace quillon
