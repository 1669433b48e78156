#include "main/IPAddressTest.h"

#include <QList>
#include <QStringView>

namespace quillon {

namespace {

// A plain decimal number with blanks allowed around it, no greater than 255.
bool isAddressPart(QStringView part) {
    qsizetype begin = 0;
    qsizetype end = part.size();
    while (begin < end && part[begin] == u' ') {
        ++begin;
    }
    while (end > begin && part[end - 1] == u' ') {
        --end;
    }
    if (begin == end) {
        return false;
    }
    int value = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = part[i].unicode();
        if (c < u'0' || c > u'9') {
            return false;
        }
        value = value * 10 + (c - u'0');
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
        if (!isAddressPart(part)) {
            return false;
        }
    }
    return true;
}

}  // namespace quillon
