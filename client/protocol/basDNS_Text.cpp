#include <QStringView>

#include "protocol/basDNS.h"

namespace quillon {

namespace {

// Leading and trailing spaces removed; tabs and line breaks are kept.
QStringView trimSpaces(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == u' ') {
        --end;
    }
    return text.sliced(begin, end - begin);
}

// The first occurrence of `needle` (not empty) in `text`, case-sensitive; -1 when there is none.
// Replies can hold a record list of many thousands of entries, and a tag that is absent is looked
// for through all of it: scanning for the needle's first character (a vectorised search in Qt)
// and comparing only there is several times faster than a general substring search.
qsizetype findText(QStringView text, QStringView needle, qsizetype from = 0) {
    const QChar first = needle.front();
    const qsizetype last = text.size() - needle.size();
    while (from <= last) {
        const qsizetype at = text.indexOf(first, from);
        if (at < 0 || at > last) {
            return -1;
        }
        if (text.sliced(at, needle.size()) == needle) {
            return at;
        }
        from = at + 1;
    }
    return -1;
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

QString TrimNull(const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        return QString();
    }
    if (value.typeId() == QMetaType::QString) {
        const QString& text = *static_cast<const QString*>(value.constData());
        return trimSpaces(text).toString();
    }
    return trimSpaces(value.toString()).toString();
}

QString GetReplyValue(const QString& reply, const QString& tag) {
    if (tag.isEmpty()) {
        return QString();
    }
    const qsizetype at = findText(reply, tag);
    if (at < 0) {
        return QString();
    }
    const QStringView rest = QStringView(reply).sliced(at + tag.size());
    const qsizetype close = findText(rest, u"</p");
    return close < 0 ? QString() : trimSpaces(rest.first(close)).toString();
}

bool HasClosedField(const QString& reply, const QString& tag) {
    if (tag.isEmpty()) {
        return false;
    }
    const qsizetype at = findText(reply, tag);
    return at >= 0 && findText(QStringView(reply).sliced(at + tag.size()), u"</p") >= 0;
}

bool IsNumeric(const QString& text) {
    const QStringView t = trimSpaces(text);
    qsizetype i = 0;
    const qsizetype n = t.size();
    if (i < n && (t[i] == u'+' || t[i] == u'-')) {
        ++i;
    }
    bool digits = false;
    while (i < n && isAsciiDigit(t[i])) {
        ++i;
        digits = true;
    }
    if (i < n && t[i] == u'.') {
        ++i;
        while (i < n && isAsciiDigit(t[i])) {
            ++i;
            digits = true;
        }
    }
    if (!digits) {
        return false;
    }
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-')) {
            ++i;
        }
        bool expDigits = false;
        while (i < n && isAsciiDigit(t[i])) {
            ++i;
            expDigits = true;
        }
        if (!expDigits) {
            return false;
        }
    }
    return i == n;
}

}  // namespace quillon
