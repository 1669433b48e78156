#include "protocol/AddressRules.h"

#include <QList>
#include <QStringView>

namespace quillon {

namespace {

// Digits only: a blank inside an address would be sent to the service as part of the address.
bool isOctet(QStringView part) {
    if (part.isEmpty()) {
        return false;
    }
    int value = 0;
    for (const QChar c : part) {
        if (c < u'0' || c > u'9') {
            return false;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > 255) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsValidIPAddress(const QString& text) {
    const QList<QStringView> parts = QStringView(text).split(u'.');
    if (parts.size() != 4) {
        return false;
    }
    for (const QStringView part : parts) {
        if (!isOctet(part)) {
            return false;
        }
    }
    return true;
}

bool IsUsablePublicAddress(const QString& text) {
    if (!IsValidIPAddress(text)) {
        return false;
    }
    const QList<QStringView> parts = QStringView(text).split(u'.');
    const int first = parts[0].toInt();
    const int second = parts[1].toInt();
    return first != 0 && first != 127 && first < 224 && !(first == 169 && second == 254);
}

}  // namespace quillon
