#include "main/GridRows.h"

#include <QStringList>
#include <charconv>

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

// The field without the blanks around it, as TrimNull trims (the space character only).
QStringView trimBlanks(QStringView field) {
    while (!field.isEmpty() && field.front() == QLatin1Char(' ')) {
        field = field.sliced(1);
    }
    while (!field.isEmpty() && field.back() == QLatin1Char(' ')) {
        field.chop(1);
    }
    return field;
}

// The first four fields of an entry; false when it has fewer.
bool splitFields(QStringView entry, QStringView (&fields)[4]) {
    qsizetype from = 0;
    for (int i = 0; i < 3; ++i) {
        const qsizetype at = entry.indexOf(kFieldSep, from);
        if (at < 0) {
            return false;
        }
        fields[i] = entry.sliced(from, at - from);
        from = at + kFieldSep.size();
    }
    const qsizetype at = entry.indexOf(kFieldSep, from);
    fields[3] = at < 0 ? entry.sliced(from) : entry.sliced(from, at - from);
    return true;
}

// "Row" followed by the position, in one allocation.
QString rowKey(qsizetype position) {
    char text[32] = "Row";
    const auto end = std::to_chars(text + 3, text + sizeof text, position).ptr;
    return QString::fromLatin1(text, end - text);
}

// AutoIPEntry's key of a row, formed into `key` (reused from row to row).
void formEntry(QString& key, const QStringView (&fields)[4]) {
    key.resize(0);  // keeps the buffer for the next row
    for (int i = 0; i < 4; ++i) {
        key += trimBlanks(fields[i]);
        key += i < 3 ? kFieldSep : kEntrySep;
    }
    key = std::move(key).toUpper();
}

}  // namespace

AutoIPSet::AutoIPSet(const QString& list) : upper_(list.toUpper()) {
    const QString& upper = upper_;
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
        entries_.insert(QStringView(upper).sliced(start, close + 2 - start));
        if (close + 2 < upper.size() && upper[close + 2] == QLatin1Char('~')) {
            entries_.insert(QStringView(upper).sliced(start, close + 3 - start));
        }
    }
}

GridRows BuildGridRows(const QString& records, const QString& autoIPs, const PendingReAdds& pending,
                       const QString& selectedRecord) {
    GridRows result;
    const AutoIPSet marked(autoIPs);
    const QString yes = QStringLiteral("Yes");
    const QString no = QStringLiteral("No");
    const QList<QStringView> entries =
        records.isEmpty() ? QList<QStringView>() : QStringView(records).split(kEntrySep);
    result.rows.reserve(static_cast<size_t>(entries.size()) + pending.records().size());

    const auto addRow = [&](QStringView entry, GridRow row) {
        if (!selectedRecord.isEmpty() && entry.compare(selectedRecord, Qt::CaseInsensitive) == 0) {
            result.selected = static_cast<int>(result.rows.size());
        }
        result.rows.push_back(std::move(row));
    };

    QString key;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QStringView entry = entries[i];
        QStringView fields[4];
        if (!splitFields(entry, fields)) {
            result.error = ClientError(
                kSubscriptOutOfRange, QStringLiteral("BuildGridRows"),
                QStringLiteral("Subscript out of range: record %1 has fewer than four fields")
                    .arg(i + 1));
            return result;
        }
        formEntry(key, fields);
        addRow(entry, GridRow{rowKey(i), fields[0].toString(), fields[1].toString(),
                              fields[2] == QLatin1String("@") ? QString() : fields[2].toString(),
                              fields[3].toString(), marked.contains(key) ? yes : no});
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
