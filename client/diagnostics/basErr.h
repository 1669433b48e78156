#pragma once

#include <QDate>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace quillon {

// What became of a record; callers need not look (the error report does not).
enum class LogOutcome {
    Written,        // the record is in the day's file
    SkippedInUse,   // the day's file stayed locked by another writer past the wait
    SkippedFailed,  // no usable folder, or the file could not be opened or written
};

// Appends one error record to the day's log file "Pindrel_" + mmdd + ".log" in the "Logs"
// folder under programFolder (or under the per-user state folder when the program's folder
// cannot take it; see LogFolder.h), after pruning that folder to its 29 youngest log files
// when more than 30 are there. The record is five lines ended by CR LF:
//     Mon Dec  7 09:05:03 :: frmMain.SaveSettings()[ :: detail]
//          Error Number:  13
//          Error Source:  Quillon
//          Error Description:  Type mismatch
//     (empty line)
// Day and month names are the locale's (QLocale()). A new file is readable and writable by
// its owner only; a symbolic link, pipe or device in its place is not written to and the
// record is skipped. The file is locked (flock) while the record is written, so records
// of two processes never interleave; a file locked by another writer is tried again every
// half second, for at most ten seconds, and the record is then skipped. Any other failure skips the
// record too. Nothing is thrown.
LogOutcome LogError(const QString& programFolder, const QString& number, const QString& label,
                    const QString& source, const QString& description,
                    const std::optional<QString>& detail = std::nullopt);

// How long LogError waits for a file in use, and how often it tries again. Tests shorten
// the wait; onRetry (empty by default) runs before each new try.
struct LogWait {
    std::chrono::milliseconds step{500};
    std::chrono::milliseconds limit{10000};
    std::function<void()> onRetry;
};
void setLogWait(LogWait wait);
const LogWait& logWait();

// The day's file name for a date: "Pindrel_" + month and day as four digits + ".log".
QString LogFileName(const QDate& day);

}  // namespace quillon
