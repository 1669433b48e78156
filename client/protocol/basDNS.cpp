#include "protocol/basDNS.h"

#include <QByteArray>

#include "platform/Endpoints.h"

namespace quillon {

QString sServiceURL;
QString sAutoIPs;

QString DefaultServiceURL() {
    return QStringLiteral("http://") + endpoints().updateHost + QStringLiteral("/dnslogin3.asp");
}

namespace {

// Whether a "host[:port]" text names a port ("[::1]:80" does, "[::1]" does not).
bool namesPort(const QString& host) {
    const qsizetype bracket = host.lastIndexOf(QLatin1Char(']'));
    return host.indexOf(QLatin1Char(':'), bracket < 0 ? 0 : bracket) >= 0;
}

}  // namespace

QString PlainServiceURL(const QString& port) {
    const QString& host = endpoints().updateHost;
    // A configured update host that names its own port (the demo's and the tests' corvane-sim)
    // is reached on that port whatever the port list says.
    if (namesPort(host)) {
        return QStringLiteral("http://") + host + QStringLiteral("/dnslogin3.asp");
    }
    return QStringLiteral("http://") + host + QLatin1Char(':') + port +
           QStringLiteral("/dnslogin3.asp");
}

QString SecureServiceURL() {
    return QStringLiteral("https://") + endpoints().secureHost +
           QStringLiteral("/autoupdate/dnslogin3.asp");
}

namespace {

// The bytes that would change a query's meaning or are not allowed in an address.
bool mustEncode(unsigned char byte) {
    switch (byte) {
        case ' ':
        case '&':
        case '=':
        case '#':
        case '%':
        case '+':
        case '?':
            return true;
        default:
            return byte < 0x20 || byte >= 0x7F;
    }
}

}  // namespace

QString EncodeQueryValue(const QString& value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        if (mustEncode(byte)) {
            out.append('%');
            out.append(kHex[byte >> 4]);
            out.append(kHex[byte & 0x0F]);
        } else {
            out.append(ch);
        }
    }
    return QString::fromLatin1(out);
}

QString LoginQuery(const QString& username, const QString& password) {
    return QStringLiteral("?fxn=login&usr=") + EncodeQueryValue(username) +
           QStringLiteral("&pwd=") + EncodeQueryValue(password);
}

QString GetIPAddressQuery(const QString& username) {
    return QStringLiteral("?FXN=GetIPAddress&Usr=") + EncodeQueryValue(username);
}

namespace {

QString ticklerQuery(const QString& function, const QString& username, const QString& password,
                     const QString& nameSent, const QString& domain, const QString& command,
                     const QString& recordType, const QString& address) {
    return QStringLiteral("?FXN=") + function + QStringLiteral("&Usr=") +
           EncodeQueryValue(username) + QStringLiteral("&Pwd=") + EncodeQueryValue(password) +
           QStringLiteral("&Cname=") + EncodeQueryValue(nameSent) + QStringLiteral("&Domain=") +
           EncodeQueryValue(domain) + QStringLiteral("&DNSCommand=") + EncodeQueryValue(command) +
           QStringLiteral("&RecordType=") + EncodeQueryValue(recordType) +
           QStringLiteral("&IPAddress=") + EncodeQueryValue(address);
}

}  // namespace

QString DNSTicklerQuery(const QString& username, const QString& password, const QString& name,
                        const QString& domain, const QString& command, const QString& recordType,
                        const QString& address) {
    return ticklerQuery(QStringLiteral("DNSTickler"), username, password, name, domain, command,
                        recordType, address);
}

QString DNSTicklerAdvancedQuery(const QString& username, const QString& password,
                                const QString& name, const QString& domain, const QString& command,
                                const QString& recordType, const QString& address) {
    return ticklerQuery(QStringLiteral("DNSTicklerAdvanced"), username, password,
                        name + QLatin1Char('.') + username, domain, command, recordType, address);
}

}  // namespace quillon
