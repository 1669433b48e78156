#include "diagnostics/CFileInfo.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <climits>
#include <cstdlib>

#include "diagnostics/DayNumber.h"

namespace quillon {

namespace {

QDateTime localFromTimestamp(const struct statx_timestamp& ts) {
    return QDateTime::fromSecsSinceEpoch(ts.tv_sec);  // local time, nanoseconds dropped
}

int32_t attributesOf(const struct statx& st, const QString& fileName) {
    int32_t attr = 0;
    const mode_t mode = st.stx_mode;
    if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        attr |= CFileInfo::kReadOnly;
    }
    if (fileName.startsWith(QLatin1Char('.'))) {
        attr |= CFileInfo::kHidden;
    }
    if (S_ISDIR(mode)) {
        attr |= CFileInfo::kDirectory;
    } else if (S_ISREG(mode)) {
        attr |= CFileInfo::kArchive;
    } else {
        attr |= CFileInfo::kSystem;
    }
    return attr == 0 ? CFileInfo::kNormal : attr;
}

void splitSize(uint64_t size, int32_t& low, int32_t& high) {
    low = static_cast<int32_t>(static_cast<uint32_t>(size & 0xFFFFFFFFu));
    high = static_cast<int32_t>(static_cast<uint32_t>(size >> 32));
}

}  // namespace

void CFileInfo::setFullPathName(const QString& newVal) {
    if (newVal.isEmpty()) {
        return;  // the system gives no full path for an empty name
    }
    const QByteArray name = QFile::encodeName(newVal);
    char resolved[PATH_MAX];
    if (::realpath(name.constData(), resolved) != nullptr) {
        fullPathName_ = QFile::decodeName(resolved);
    } else {
        fullPathName_ = QDir::cleanPath(QFileInfo(newVal).absoluteFilePath());
    }
    Refresh();
}

void CFileInfo::Refresh() {
    struct statx st {};
    const QByteArray path = QFile::encodeName(fullPathName_);
    if (fullPathName_.isEmpty() ||
        ::statx(AT_FDCWD, path.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) {
        fileExists_ = false;
        return;
    }
    fileExists_ = true;
    pathExists_ = true;

    const int slash = fullPathName_.lastIndexOf(QLatin1Char('/'));
    fileName_ = fullPathName_.mid(slash + 1);
    filePath_ = fullPathName_.left(slash + 1);
    if (!filePath_.endsWith(QLatin1Char('/'))) {
        filePath_ += QLatin1Char('/');
    }
    const int dot = fileName_.lastIndexOf(QLatin1Char('.'));
    fileExtension_ = dot < 0 ? QString() : fileName_.mid(dot + 1);

    splitSize(st.stx_size, fileSize_, fileSizeHigh_);
    splitSize(st.stx_blocks * 512u, compressedFileSize_, compressedFileSizeHigh_);
    attributes_ = attributesOf(st, fileName_);

    const bool hasBirth = (st.stx_mask & STATX_BTIME) != 0;
    creationTime_ = toDayNumber(localFromTimestamp(hasBirth ? st.stx_btime : st.stx_ctime));
    lastAccessTime_ = toDayNumber(localFromTimestamp(st.stx_atime));
    modifyTime_ = toDayNumber(localFromTimestamp(st.stx_mtime));

    shortName_ = fileName_.toUpper();
    shortPathName_ = fullPathName_;
    shortPath_ = shortPathName_.left(shortPathName_.size() - shortName_.size());
    displayName_ = fileName_;
    typeName_ = (fileExtension_.toUpper() + QStringLiteral(" File")).trimmed();
}

bool CFileInfo::putTime(double newVal, bool access) {
    const QDateTime when = fromDayNumber(newVal);
    if (!when.isValid() || fullPathName_.isEmpty()) {
        return false;
    }
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    struct timespec& chosen = access ? times[0] : times[1];
    chosen.tv_sec = static_cast<time_t>(when.toSecsSinceEpoch());
    chosen.tv_nsec = 0;
    const QByteArray path = QFile::encodeName(fullPathName_);
    return ::utimensat(AT_FDCWD, path.constData(), times, 0) == 0;
}

void CFileInfo::setCreationTime(double) {
    // Linux keeps a birth time but offers no way to set it.
}

void CFileInfo::setLastAccessTime(double newVal) {
    if (putTime(newVal, true)) {
        Refresh();
    }
}

void CFileInfo::setModifyTime(double newVal) {
    if (putTime(newVal, false)) {
        Refresh();
    }
}

void CFileInfo::setAttributes(int32_t newVal) {
    if (newVal == attributes_ || !fileExists_) {
        return;
    }
    struct stat st {};
    const QByteArray path = QFile::encodeName(fullPathName_);
    if (::stat(path.constData(), &st) != 0) {
        return;
    }
    mode_t mode = st.st_mode & 07777;
    if ((newVal & kReadOnly) != 0) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        mode |= S_IWUSR;  // only the owner gets write permission back
    }
    if (::chmod(path.constData(), mode) == 0) {
        Refresh();
    }
}

void CFileInfo::setBit(int32_t bit, bool on) {
    setAttributes(on ? (attributes_ | bit) : (attributes_ & ~bit));
}

QString CFileInfo::FormatFileDate(double dt) {
    const QDateTime when = fromDayNumber(dt);
    const QLocale locale;
    // The time is formatted with its date, so a zone in the long format is the one in force
    // on that day.
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when, locale.timeFormat(QLocale::LongFormat));
}

QString CFileInfo::FormatFileSize(int32_t size) {
    const QLocale locale;
    // The 32 bits are read without sign: FileSize gives the low half of a size, which is
    // negative for files of 2 to 4 GB, and no size is below zero.
    const qint64 n = static_cast<uint32_t>(size);
    const QString bytes = locale.toString(n) + QStringLiteral(" bytes");
    if (n < 1024) {
        return bytes;
    }
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const qint64 k = n / 1024;
    const double kb = static_cast<double>(n) / 1024.0;
    const double mb = static_cast<double>(n) / 1048576.0;
    QString shortForm;
    if (k < 10) {
        shortForm = plain.toString(kb, 'f', 2) + QStringLiteral("KB");
    } else if (k < 100) {
        shortForm = plain.toString(kb, 'f', 1) + QStringLiteral("KB");
    } else if (k < 1000) {
        shortForm = plain.toString(kb, 'f', 0) + QStringLiteral("KB");
    } else if (k < 10000) {
        shortForm = plain.toString(mb, 'f', 2) + QStringLiteral("MB");
    } else if (k < 100000) {
        shortForm = plain.toString(mb, 'f', 1) + QStringLiteral("MB");
    } else if (k < 1000000) {
        shortForm = plain.toString(mb, 'f', 0) + QStringLiteral("MB");
    } else {
        shortForm = plain.toString(mb / 1024.0, 'f', 2) + QStringLiteral("GB");
    }
    return shortForm + QStringLiteral(" (") + bytes + QLatin1Char(')');
}

}  // namespace quillon
