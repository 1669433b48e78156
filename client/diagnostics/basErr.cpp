#include "diagnostics/basErr.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

#include "diagnostics/CFileInfo.h"
#include "diagnostics/DayNumber.h"
#include "diagnostics/LogFolder.h"
#include "diagnostics/basSort.h"
#include "platform/Clock.h"

namespace quillon {

namespace {

// More log files than this and the oldest go, so that this many minus one are left for the
// day's file to join.
constexpr qsizetype kMaxLogFiles = 30;
constexpr qsizetype kFilesKept = 29;

LogWait& waitSettings() {
    static LogWait wait;
    return wait;
}

QByteArray recordBytes(const QDateTime& now, const QString& number, const QString& label,
                       const QString& source, const QString& description,
                       const std::optional<QString>& detail) {
    static const QString crlf = QStringLiteral("\r\n");
    // "ddd MMM  d hh:mm:ss": day and month names are the locale's, but the numbers are plain
    // ASCII digits in every locale (QLocale's formats would use Arabic or Devanagari ones).
    const QLocale locale;
    const QDate day = now.date();
    QString line1 = locale.dayName(day.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ') +
                    locale.monthName(day.month(), QLocale::ShortFormat) + QStringLiteral("  ") +
                    QString::number(day.day()) + QLatin1Char(' ') +
                    now.time().toString(QStringLiteral("hh:mm:ss")) + QStringLiteral(" :: ") +
                    label;
    if (detail.has_value()) {
        line1 += QStringLiteral(" :: ") + *detail;
    }
    const QString text = line1 + crlf + QStringLiteral("     Error Number:  ") + number + crlf +
                         QStringLiteral("     Error Source:  ") + source + crlf +
                         QStringLiteral("     Error Description:  ") + description + crlf + crlf;
    return text.toLocal8Bit();
}

// Deletes all but the 29 youngest log files when more than 30 are in the folder. A file's
// age is the number of calendar days between its last change and today, either way round;
// a file whose time cannot be read counts as the oldest. Deletion failures are ignored.
void pruneLogs(const QString& logsFolder, const QDate& today) {
    const QDir dir(logsFolder);
    // No CaseSensitive flag: the pattern matches without regard to case.
    const QStringList names =
        dir.entryList({QStringLiteral("Pindrel_*.log")}, QDir::Files | QDir::Hidden | QDir::System,
                      QDir::Unsorted);
    if (names.size() <= kMaxLogFiles) {
        return;
    }
    std::vector<qint64> ages;
    std::vector<int> positions;
    for (int i = 0; i < names.size(); ++i) {
        CFileInfo info;
        info.setFullPathName(dir.filePath(names[i]));
        const QDateTime changed = fromDayNumber(info.ModifyTime());
        ages.push_back(info.FileExists() && changed.isValid()
                           ? std::abs(changed.date().daysTo(today))
                           : std::numeric_limits<qint64>::max());
        positions.push_back(i);
    }
    QuickSort(ages, &positions);
    for (auto k = static_cast<qsizetype>(positions.size()) - 1; k >= kFilesKept; --k) {
        QFile::remove(dir.filePath(names[positions[static_cast<std::size_t>(k)]]));
    }
}

// Writes the record at the end of the locked file; a short write is taken back, so the
// file never holds half a record.
LogOutcome writeRecord(int fd, const QByteArray& bytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return LogOutcome::SkippedFailed;
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            [[maybe_unused]] const int ignored = ::ftruncate(fd, st.st_size);
            return LogOutcome::SkippedFailed;
        }
        data += n;
        left -= n;
    }
    return LogOutcome::Written;
}

// Opens the day's file for appending (creating it, readable by its owner only) and
// writes the record under an exclusive lock. A lock that cannot be had means another
// writer has the file: try again every step until the limit has passed, then give up.
// Only a regular file is written: a symbolic link in the day's file's place is not
// followed (it could point anywhere), and a pipe or device is refused without waiting for
// a reader (O_NONBLOCK, which a regular file ignores).
LogOutcome appendRecord(const QString& path, const QByteArray& bytes) {
    const LogWait& wait = waitSettings();
    const auto deadline = std::chrono::steady_clock::now() + wait.limit;
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd =
            ::open(name.constData(),
                   O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LogOutcome::SkippedFailed;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return LogOutcome::SkippedFailed;
        }
        int rc;
        do {
            rc = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0) {
            const LogOutcome outcome = writeRecord(fd, bytes);
            ::close(fd);  // closing releases the lock
            return outcome;
        }
        ::close(fd);
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return LogOutcome::SkippedInUse;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(wait.step, deadline - now));
        if (wait.onRetry) {
            wait.onRetry();
        }
    }
}

}  // namespace

void setLogWait(LogWait wait) {
    waitSettings() = std::move(wait);
}

const LogWait& logWait() {
    return waitSettings();
}

QString LogFileName(const QDate& day) {
    return QStringLiteral("Pindrel_") + day.toString(QStringLiteral("MMdd")) +
           QStringLiteral(".log");
}

LogOutcome LogError(const QString& programFolder, const QString& number, const QString& label,
                    const QString& source, const QString& description,
                    const std::optional<QString>& detail) {
    const QDateTime now = Now();
    const QString logs = UsableLogsFolder(programFolder);
    if (logs.isEmpty()) {
        return LogOutcome::SkippedFailed;
    }
    pruneLogs(logs, now.date());
    return appendRecord(logs + QLatin1Char('/') + LogFileName(now.date()),
                        recordBytes(now, number, label, source, description, detail));
}

}  // namespace quillon
