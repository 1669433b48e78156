#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <ctime>

#include "diagnostics/CFileInfo.h"
#include "diagnostics/DayNumber.h"
#include "support/ScopedEnv.h"

using namespace quillon;

namespace {

class LocaleFixture : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

QString makeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content = "x") {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    return f.fileName();
}

}  // namespace

using FormatFileSize = LocaleFixture;

TEST_F(FormatFileSize, UsesTheRightUnitAtEveryBoundary) {
    const std::pair<int32_t, const char*> rows[] = {
        {0, "0 bytes"},
        {1023, "1,023 bytes"},
        {1024, "1.00KB (1,024 bytes)"},
        {1152, "1.13KB (1,152 bytes)"},  // 1.125 rounds up
        {1536, "1.50KB (1,536 bytes)"},
        {10239, "10.00KB (10,239 bytes)"},  // k = 9: two decimals even at 9.999
        {10240, "10.0KB (10,240 bytes)"},
        {102399, "100.0KB (102,399 bytes)"},
        {102400, "100KB (102,400 bytes)"},
        {1023999, "1000KB (1,023,999 bytes)"},
        {1024000, "0.98MB (1,024,000 bytes)"},
        {10239999, "9.77MB (10,239,999 bytes)"},
        {10240000, "9.8MB (10,240,000 bytes)"},
        {102400000, "98MB (102,400,000 bytes)"},
        {1023999999, "977MB (1,023,999,999 bytes)"},
        {1024000000, "0.95GB (1,024,000,000 bytes)"},
        {2147483647, "2.00GB (2,147,483,647 bytes)"},
        // The low half of a 2 to 4 GB file's size is negative as a signed number.
        {-2147483647 - 1, "2.00GB (2,147,483,648 bytes)"},
        {-1073741824, "3.00GB (3,221,225,472 bytes)"},
        {-1, "4.00GB (4,294,967,295 bytes)"},
    };
    for (const auto& [n, text] : rows) {
        EXPECT_EQ(CFileInfo::FormatFileSize(n), QString::fromUtf8(text)) << n;
    }
}

TEST_F(FormatFileSize, TakesTheLocalesSeparators) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(CFileInfo::FormatFileSize(1023), "1.023 bytes");
    EXPECT_EQ(CFileInfo::FormatFileSize(1536), "1,50KB (1.536 bytes)");
}

using FormatFileDate = LocaleFixture;

TEST_F(FormatFileDate, ShortDateBlankLongTime) {
    const QDateTime when(QDate(2026, 12, 5), QTime(9, 5, 3));
    const double day = toDayNumber(when);
    EXPECT_DOUBLE_EQ(day, 46361.0 + (9 * 3600 + 5 * 60 + 3) / 86400.0);
    const QLocale us;
    EXPECT_EQ(CFileInfo::FormatFileDate(day),
              "12/5/26 " + us.toString(when, us.timeFormat(QLocale::LongFormat)));
    EXPECT_TRUE(CFileInfo::FormatFileDate(day).startsWith("12/5/26 9:05:03 AM"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(CFileInfo::FormatFileDate(day).startsWith("05.12.26 09:05:03"));
    // Midnight of day 0 and the last second of a day.
    EXPECT_TRUE(CFileInfo::FormatFileDate(0.0).startsWith("30.12.99 00:00:00"));
    EXPECT_TRUE(CFileInfo::FormatFileDate(2.0 - 1.0 / 86400).startsWith("31.12.99 23:59:59"));
}

TEST(DayNumber, RoundTripsAndCountsBackBeforeDayZero) {
    EXPECT_EQ(fromDayNumber(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_DOUBLE_EQ(toDayNumber(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_EQ(fromDayNumber(1.5), QDateTime(QDate(1899, 12, 31), QTime(12, 0)));
    const QDateTime t(QDate(2026, 3, 1), QTime(23, 59, 59, 900));  // milliseconds dropped
    EXPECT_EQ(fromDayNumber(toDayNumber(t)), QDateTime(QDate(2026, 3, 1), QTime(23, 59, 59)));
    EXPECT_FALSE(fromDayNumber(std::numeric_limits<double>::quiet_NaN()).isValid());
    EXPECT_FALSE(fromDayNumber(1e12).isValid());
}

using DaylightSaving = LocaleFixture;

TEST_F(DaylightSaving, AClockTimeSkippedWhenSummerTimeBeginsLandsAfterTheChange) {
    QTemporaryDir dir;
    const QString path = makeFile(dir, "a.txt");
    {
        test::ScopedEnv tz("TZ", "Europe/Berlin");
        ::tzset();
        // 29 March 2026: the clocks jump from 02:00 to 03:00 (01:00 UTC).
        const double skipped = 46110.0 + (2 * 3600 + 30 * 60) / 86400.0;
        const QDateTime when = fromDayNumber(skipped);
        ASSERT_TRUE(when.isValid());
        EXPECT_EQ(when.toSecsSinceEpoch(), 1774747800);  // 01:30 UTC, 03:30 summer time
        EXPECT_EQ(when.time(), QTime(3, 30));
        EXPECT_TRUE(CFileInfo::FormatFileDate(skipped).startsWith("3/29/26 3:30:00 AM"));

        CFileInfo info;
        info.setFullPathName(path);
        info.setModifyTime(skipped);
        EXPECT_EQ(QFileInfo(path).lastModified().toSecsSinceEpoch(), 1774747800);
        EXPECT_DOUBLE_EQ(info.ModifyTime(), 46110.0 + 3.5 / 24);
        // The hours either side of the change still read back as they were put.
        for (const QTime t : {QTime(1, 59, 59), QTime(3, 0, 0)}) {
            const double day = toDayNumber(QDateTime(QDate(2026, 3, 29), t));
            info.setModifyTime(day);
            EXPECT_DOUBLE_EQ(info.ModifyTime(), day);
        }
    }
    ::tzset();
}

TEST(CFileInfo, ReadsNamesSizesAndKeepsValuesWhenAFileIsMissing) {
    QTemporaryDir dir;
    const QString path = makeFile(dir, "Pindrel_1207.log", QByteArray(1536, 'a'));
    CFileInfo info;
    EXPECT_FALSE(info.FileExists());
    EXPECT_FALSE(info.PathExists());
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    info.setFullPathName(dir.path() + "/./sub/../Pindrel_1207.log");
    ASSERT_TRUE(info.FileExists());
    EXPECT_EQ(info.FullPathName(), QFileInfo(path).canonicalFilePath());
    EXPECT_EQ(info.FileName(), "Pindrel_1207.log");
    EXPECT_EQ(info.FilePath(), QFileInfo(path).canonicalPath() + "/");
    EXPECT_EQ(info.FileExtension(), "log");
    EXPECT_EQ(info.ShortName(), "PINDREL_1207.LOG");
    EXPECT_EQ(info.ShortPath(), info.FilePath());
    EXPECT_EQ(info.TypeName(), "LOG File");
    EXPECT_EQ(info.FileSize(), 1536);
    EXPECT_EQ(info.FileSizeHigh(), 0);
    EXPECT_EQ(info.hIcon(), 0);
    EXPECT_TRUE(info.attrArchive());
    EXPECT_FALSE(info.attrReadOnly());

    info.setFullPathName(dir.filePath("missing.txt"));
    EXPECT_FALSE(info.FileExists());
    EXPECT_TRUE(info.PathExists());  // a failed read leaves it as it was
    EXPECT_EQ(info.FileName(), "Pindrel_1207.log");
    EXPECT_EQ(info.FileSize(), 1536);

    info.setFullPathName("");  // no full path for an empty name: nothing changes
    EXPECT_EQ(info.FullPathName(), dir.filePath("missing.txt"));
}

TEST(CFileInfo, SplitsLargeSizesIntoHalvesAndNamesFilesWithoutExtension) {
    QTemporaryDir dir;
    const QString path = makeFile(dir, "README", "");
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), (1LL << 32) + 5), 0);  // sparse
    CFileInfo info;
    info.setFullPathName(path);
    EXPECT_EQ(info.FileSize(), 5);
    EXPECT_EQ(info.FileSizeHigh(), 1);
    EXPECT_EQ(info.CompressedFileSizeHigh(), 0);  // sparse: almost nothing on disk
    EXPECT_EQ(info.FileExtension(), "");
    EXPECT_EQ(info.TypeName(), "File");
    EXPECT_EQ(info.DisplayName(), "README");
}

TEST(CFileInfo, TimePutsChangeTheFileAndReadBack) {
    QTemporaryDir dir;
    const QString path = makeFile(dir, "a.txt");
    CFileInfo info;
    info.setFullPathName(path);
    const double created = info.CreationTime();
    const double modified = toDayNumber(QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15)));
    const double accessed = toDayNumber(QDateTime(QDate(2001, 7, 4), QTime(0, 0, 1)));
    info.setModifyTime(modified);
    info.setLastAccessTime(accessed);
    EXPECT_DOUBLE_EQ(info.ModifyTime(), modified);
    EXPECT_DOUBLE_EQ(info.LastAccessTime(), accessed);
    EXPECT_EQ(QFileInfo(path).lastModified(), QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15)));

    CFileInfo other;  // read back by a fresh object from the file itself
    other.setFullPathName(path);
    EXPECT_DOUBLE_EQ(other.ModifyTime(), modified);
    EXPECT_DOUBLE_EQ(other.LastAccessTime(), accessed);
    info.setCreationTime(accessed);  // cannot be set on Linux
    EXPECT_DOUBLE_EQ(info.CreationTime(), created);
}

TEST(CFileInfo, ReadOnlyIsTheWriteBitsAndTemporaryChangesNothing) {
    QTemporaryDir dir;
    const QString path = makeFile(dir, "a.txt");
    const QByteArray p = QFile::encodeName(path);
    ASSERT_EQ(::chmod(p.constData(), 0664), 0);
    CFileInfo info;
    info.setFullPathName(path);
    struct stat st {};
    info.setattrReadOnly(true);
    EXPECT_TRUE(info.attrReadOnly());
    ASSERT_EQ(::stat(p.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    info.setattrReadOnly(false);
    EXPECT_FALSE(info.attrReadOnly());
    ASSERT_EQ(::stat(p.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    const int32_t before = info.Attributes();
    info.setattrTemporary(true);
    info.setattrHidden(true);
    info.Refresh();
    EXPECT_EQ(info.Attributes(), before);
    ASSERT_EQ(::stat(p.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}
