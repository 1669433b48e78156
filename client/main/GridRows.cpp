#include "main/GridRows.h"

#include <QStringList>

#include "protocol/basDNS.h"

namespace quillon {

namespace {

const QString kEntrySep = QStringLiteral("~~");
const QString kFieldSep = QStringLiteral(";;");
constexpr long kSubscriptOutOfRange = 9;

// The raw entry of a pending record, as the record list would hold it.
QString rawEntry(const PendingRecord& record) {
    return record.domain + kFieldSep + record.recordType + kFieldSep + record.name + kFieldSep +
           record.address;
}

}  // namespace

AutoIPSet::AutoIPSet(const QString& list) {
    const QString upper = list.toUpper();
    // Every place an entry may start: the start of the list and every place right after two
    // tildes (within a run such as "...1.2.3~~~NEXT" that is more than one place).
    std::vector<qsizetype> starts{0};
    for (qsizetype at = upper.indexOf(QLatin1Char('~')); at >= 0 && at + 1 < upper.size();
         at = upper.indexOf(QLatin1Char('~'), at + 1)) {
        if (upper[at + 1] == QLatin1Char('~')) {
            starts.push_back(at + 2);
        }
    }
    entries_.reserve(static_cast<qsizetype>(starts.size()));
    for (const qsizetype start : starts) {
        const qsizetype close = upper.indexOf(kEntrySep, start);
        if (close < 0) {
            continue;  // an unclosed tail is no entry
        }
        // Fields hold no "~~", so an entry ends at the first "~~" after its start, or one
        // character later when its address ends in "~" ("...1.2.3~" + "~~").
        entries_.insert(upper.mid(start, close + 2 - start));
        if (close + 2 < upper.size() && upper[close + 2] == QLatin1Char('~')) {
            entries_.insert(upper.mid(start, close + 3 - start));
        }
    }
}

GridRows BuildGridRows(const QString& records, const QString& autoIPs, const PendingReAdds& pending,
                       const QString& selectedRecord) {
    GridRows result;
    const AutoIPSet marked(autoIPs);
    const QStringList entries =
        records.isEmpty() ? QStringList() : records.split(kEntrySep, Qt::KeepEmptyParts);
    result.rows.reserve(static_cast<size_t>(entries.size()) + pending.records().size());

    const auto addRow = [&](const QString& entry, GridRow row) {
        if (!selectedRecord.isEmpty() && entry.compare(selectedRecord, Qt::CaseInsensitive) == 0) {
            result.selected = static_cast<int>(result.rows.size());
        }
        result.rows.push_back(std::move(row));
    };

    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& entry = entries[i];
        const QStringList fields = entry.split(kFieldSep, Qt::KeepEmptyParts);
        if (fields.size() < 4) {
            result.error = ClientError(
                kSubscriptOutOfRange, QStringLiteral("BuildGridRows"),
                QStringLiteral("Subscript out of range: record %1 has fewer than four fields")
                    .arg(i + 1));
            return result;
        }
        const bool yes = marked.contains(AutoIPEntry(fields[0], fields[1], fields[2], fields[3]));
        addRow(entry, GridRow{QStringLiteral("Row") + QString::number(i), fields[0], fields[1],
                              fields[2] == QLatin1String("@") ? QString() : fields[2], fields[3],
                              yes ? QStringLiteral("Yes") : QStringLiteral("No")});
    }

    const std::vector<PendingRecord>& waiting = pending.records();
    for (size_t i = 0; i < waiting.size(); ++i) {
        const PendingRecord& record = waiting[i];
        addRow(
            rawEntry(record),
            GridRow{QStringLiteral("Pending") + QString::number(i), record.domain,
                    record.recordType, record.name == QLatin1String("@") ? QString() : record.name,
                    record.address, kPendingMark});
    }
    return result;
}

}  // namespace quillon
