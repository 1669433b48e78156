#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>

#include "platform/XdgFolder.h"

namespace quillon {

namespace {

const QString kEntryName = QStringLiteral("quillon.desktop");

// Characters that make an Exec argument need quotes, and those that need a backslash inside
// the quotes, by the rules of the desktop entry format for its Exec key.
const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
const QString kEscapedInQuotes = QStringLiteral("\"`$\\");

// The string escapes every value of a desktop entry takes, applied after the Exec quoting.
QString escapeValue(const QString& text) {
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\':
                out += QStringLiteral("\\\\");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

QString AutostartFolder() {
    return XdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/autostart");
}

QString AutostartEntryPath() {
    return AutostartFolder() + QLatin1Char('/') + kEntryName;
}

bool AutostartEnabled() {
    QFile file(AutostartEntryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    // Hidden counts only in the entry's own group.
    QTextStream in(&file);
    bool inEntryGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntryGroup = line == QLatin1String("[Desktop Entry]");
        } else if (inEntryGroup && line.startsWith(QLatin1String("Hidden"))) {
            const QString rest = line.mid(6).trimmed();
            if (rest.startsWith(QLatin1Char('=')) &&
                rest.mid(1).trimmed() == QLatin1String("true")) {
                return false;
            }
        }
    }
    return true;
}

QString DesktopExecValue(const QString& program) {
    QString arg = program;
    if (std::any_of(arg.cbegin(), arg.cend(), [](QChar c) { return kReserved.contains(c); })) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : arg) {
            if (kEscapedInQuotes.contains(c)) {
                quoted += QLatin1Char('\\');
            }
            quoted += c;
        }
        arg = quoted + QLatin1Char('"');
    }
    // A literal percent sign would start a field code.
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return escapeValue(arg);
}

QString AutostartEntryText(const QString& program) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Quillon\n"
               "Comment=Keep your DNS names pointed at your changing public address\n"
               "Exec=%1\n"
               "Icon=quillon\n"
               "Terminal=false\n")
        .arg(DesktopExecValue(program));
}

AutostartChange SetAutostart(bool enable, const QString& program) {
    const QString path = AutostartEntryPath();
    if (!enable) {
        QFile entry(path);
        if (!entry.exists() || entry.remove()) {
            return {true, {}};
        }
        return {false,
                QStringLiteral("%1 could not be removed: %2").arg(path, entry.errorString())};
    }
    if (!QDir().mkpath(AutostartFolder())) {
        return {false,
                QStringLiteral("The folder %1 could not be created.").arg(AutostartFolder())};
    }
    // Written beside the entry and renamed over it: a session that starts meanwhile, or a full
    // disk, never finds half an entry.
    QSaveFile entry(path);
    if (!entry.open(QIODevice::WriteOnly)) {
        return {false,
                QStringLiteral("%1 could not be written: %2").arg(path, entry.errorString())};
    }
    entry.write(AutostartEntryText(program).toUtf8());
    if (!entry.commit()) {
        return {false,
                QStringLiteral("%1 could not be written: %2").arg(path, entry.errorString())};
    }
    return {true, {}};
}

}  // namespace quillon
