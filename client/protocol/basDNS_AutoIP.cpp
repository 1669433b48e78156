#include "protocol/basDNS.h"

namespace quillon {

QString AutoIPEntry(const QString& domain, const QString& recordType, const QString& name,
                    const QString& address) {
    const QString sep = QStringLiteral(";;");
    return (TrimNull(domain) + sep + TrimNull(recordType) + sep + TrimNull(name) + sep +
            TrimNull(address) + QStringLiteral("~~"))
        .toUpper();
}

namespace {

const QString kEntryEnd = QStringLiteral("~~");

// Where the entry occurs as a whole entry of the list, from `from` on; -1 when it does not.
// An occurrence counts only at the start of the list or right after the "~~" that closes the
// previous entry: a plain substring search would find "A.COM;;A;;@;;1.2.3.4~~" inside
// "XA.COM;;A;;@;;1.2.3.4~~" and, on removal, leave a stray "X" that corrupts the list.
qsizetype findEntry(const QString& upperList, const QString& upperEntry, qsizetype from) {
    while (true) {
        const qsizetype at = upperList.indexOf(upperEntry, from);
        if (at < 0) {
            return -1;
        }
        if (at == 0 || QStringView(upperList).first(at).endsWith(kEntryEnd)) {
            return at;
        }
        from = at + 1;
    }
}

}  // namespace

bool AutoIPListContains(const QString& list, const QString& entry) {
    if (entry.isEmpty()) {
        return false;
    }
    return findEntry(list.toUpper(), entry.toUpper(), 0) >= 0;
}

void UpdateAutoIPEntry(const QString& domain, const QString& name, const QString& command,
                       const QString& recordType, const QString& address, int trackAutoIP) {
    UpdateAutoIPEntry(sAutoIPs, domain, name, command, recordType, address, trackAutoIP);
}

void UpdateAutoIPEntry(QString& autoIPs, const QString& domain, const QString& name,
                       const QString& command, const QString& recordType, const QString& address,
                       int trackAutoIP) {
    const QString entry = AutoIPEntry(domain, recordType, name, address);
    const QString upperCommand = command.toUpper();
    const QString upperList = autoIPs.toUpper();

    if (upperCommand == QStringLiteral("RECORDADD") && trackAutoIP != 0) {
        if (findEntry(upperList, entry, 0) < 0) {
            autoIPs += entry;
        }
    } else if (upperCommand == QStringLiteral("RECORDDELETE") &&
               findEntry(upperList, entry, 0) >= 0) {
        QString result;
        result.reserve(upperList.size());
        qsizetype from = 0;
        qsizetype at = 0;
        while ((at = findEntry(upperList, entry, from)) >= 0) {
            result += QStringView(upperList).sliced(from, at - from);
            from = at + entry.size();
        }
        result += QStringView(upperList).sliced(from);
        autoIPs = result;
    }
}

}  // namespace quillon
