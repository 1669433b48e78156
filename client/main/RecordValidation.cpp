#include "main/RecordValidation.h"

#include "protocol/AddressRules.h"

namespace quillon {

namespace {

const QString kScheme = QStringLiteral("HTTP://");

}  // namespace

bool IsPortRelayType(const QString& recordType) {
    return recordType.toUpper() == QLatin1String("PORT RELAY");
}

bool IsPortNumber(const QString& port) {
    const QString digits = port.trimmed();
    if (digits.isEmpty()) {
        return false;
    }
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

QString ValidateRecordInput(RecordInput& input) {
    const auto normaliseName = [&input] {
        if (input.name.toUpper() == QLatin1String("ROOT")) {
            input.name = QStringLiteral("@");
        }
    };
    QString problem;
    if (input.domain.trimmed().isEmpty()) {
        problem = QStringLiteral("Domain must be filled in");
    } else if (input.recordType.trimmed().isEmpty()) {
        problem = QStringLiteral("Record Type must be filled in");
    } else if (input.name.contains(QLatin1Char('.'))) {
        problem = QStringLiteral("Invalid Name.  No Dots allowed.");
    } else if (input.serverIP.trimmed().isEmpty()) {
        problem = QStringLiteral("IP Address must be filled in");
    } else if (input.recordType == QLatin1String("A") && !IsValidIPAddress(input.serverIP)) {
        problem = QStringLiteral("Invalid IP address");
    }
    if (!problem.isEmpty() || !IsPortRelayType(input.recordType)) {
        normaliseName();
        return problem;
    }

    QString& url = input.serverIP;
    url.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!url.startsWith(kScheme, Qt::CaseInsensitive)) {
        return QStringLiteral("Invalid Relay Address.  Must Begin with HTTP://");
    }
    // The first character after "http://" must start a host name.
    if (url.size() <= 8 || url[7] == QLatin1Char('/')) {
        return QStringLiteral("Invalid Relay Address.");
    }
    if (!input.port.isEmpty()) {
        if (!IsPortNumber(input.port)) {
            return QStringLiteral("Port must be numeric.");
        }
        // Digits only, so the value is above 9999 exactly when more than four digits follow
        // the leading zeros; no conversion can overflow.
        QStringView digits = QStringView(input.port).trimmed();
        while (digits.size() > 1 && digits.front() == u'0') {
            digits = digits.sliced(1);
        }
        if (digits.size() > 4) {
            return QStringLiteral("Invalid Port. Must be between 0 and 9999");
        }
    }
    if (url.indexOf(QLatin1Char(':'), 7) >= 0) {
        return QStringLiteral("Invalid Relay Address. No colons allowed.");
    }
    normaliseName();
    return QString();
}

bool RecordChanged(const RecordInput& input, bool autoIP, const GridRecord& record) {
    return input.name != record.Name || input.recordType != record.RecordType ||
           input.domain != record.Domain ||
           input.serverIP.compare(record.ServerAddress, Qt::CaseInsensitive) != 0 ||
           autoIP != record.AutoIP ||
           (IsPortRelayType(input.recordType) && input.port != record.Port);
}

}  // namespace quillon
