#pragma once

#include <QString>

namespace quillon {

// Starting the program with the desktop session, through an XDG autostart entry of its own:
// quillon.desktop in the autostart folder. Nothing else in that folder is ever touched.

// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that variable is unset or not an
// absolute path.
QString AutostartFolder();
QString AutostartEntryPath();

// True when the program's entry is there and not marked Hidden=true (which the desktop reads
// as a removed entry).
bool AutostartEnabled();

// The Exec value that starts `program`, an absolute path: quoted when it holds a blank or
// another reserved character, with the escapes the desktop entry format asks for.
QString DesktopExecValue(const QString& program);

// The whole entry that starts `program`.
QString AutostartEntryText(const QString& program);

struct AutostartChange {
    bool done = false;
    QString reason;  // what went wrong, when not done
};

// Writes the entry for `program` (enable), replacing any earlier one whole and at once, or
// removes it (an entry that is not there is already removed).
AutostartChange SetAutostart(bool enable, const QString& program);

}  // namespace quillon
