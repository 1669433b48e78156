#pragma once

#include <QString>

namespace quillon {

// The folder the program file was started from. A test puts another folder in its place
// with setProgramFolder() so that nothing is written beside the test program; an empty
// text restores the real one.
QString ProgramFolder();
void setProgramFolder(const QString& folder);

// The per-user state folder that takes the logs when the program's folder cannot:
// $XDG_STATE_HOME/quillon, or ~/.local/state/quillon when that variable is unset or not an
// absolute path.
QString StateFolder();

// True when the folder is the bin folder of an installed copy: its name is the install's bin
// folder and the install's desktop entry is in its place below the same prefix. A build tree
// (build/bin) or a folder the program was unpacked into has no such entry.
bool IsInstalledProgramFolder(const QString& folder);

// The "Logs" folder to write in: "Logs" under the given program folder when that folder is not
// an installed copy's (an installed program writes nothing below its prefix) and "Logs" can be
// created there and written to, otherwise "Logs" under StateFolder() on the same terms.
// Creates the folder (and its parents) as needed, open to their owner only (0700).
// Empty when neither can be used.
QString UsableLogsFolder(const QString& programFolder);

}  // namespace quillon
