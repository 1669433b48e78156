#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <memory>
#include <optional>

#include "diagnostics/CFileInfo.h"
#include "diagnostics/DayNumber.h"
#include "diagnostics/ErrorReport.h"
#include "diagnostics/LogFolder.h"
#include "diagnostics/basErr.h"
#include "support/ScopedEnv.h"
#include "support/Seams.h"

using namespace quillon;
using namespace std::chrono_literals;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(9, 5, 3));

class LogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tmp_.isValid());
        program_ = tmp_.filePath("prog");
        ASSERT_TRUE(QDir().mkpath(program_));
        setProgramFolder(program_);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        setLogWait(LogWait{20ms, 200ms, {}});
    }
    void TearDown() override {
        setLogWait(LogWait{});
        setProgramFolder(QString());
        QLocale::setDefault(QLocale::c());
    }

    QString logs() const { return program_ + "/Logs"; }
    QByteArray readLog(const QString& folder, const QString& name = "Pindrel_1207.log") const {
        QFile f(folder + "/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A log file whose last change lies `age` whole days before now.
    void makeAged(const QString& name, int age) {
        QFile f(logs() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        CFileInfo info;
        info.setFullPathName(f.fileName());
        info.setModifyTime(toDayNumber(kNow.addDays(-age).addSecs(-3600)));
    }

    QTemporaryDir tmp_;
    QString program_;
    test::ScopedEnv state_{"XDG_STATE_HOME", QFile::encodeName(tmp_.filePath("state"))};
    test::FixedClock clock_{kNow};
};

// Holds an exclusive lock on a file, as another writer would, until released.
class HeldLock {
  public:
    explicit HeldLock(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        EXPECT_GE(fd_, 0);
        EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0);
    }
    ~HeldLock() { release(); }
    void release() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    int fd_;
};

}  // namespace

TEST_F(LogTest, WritesTheFiveLineRecordToTheByte) {
    clock_.set(QDateTime(QDate(2026, 12, 5), QTime(9, 5, 3)));
    EXPECT_EQ(LogError(program_, "13", "frmMain.SaveSettings()", "Quillon", "Type mismatch"),
              LogOutcome::Written);
    EXPECT_EQ(readLog(logs(), "Pindrel_1205.log"),
              "Sat Dec  5 09:05:03 :: frmMain.SaveSettings()\r\n"
              "     Error Number:  13\r\n"
              "     Error Source:  Quillon\r\n"
              "     Error Description:  Type mismatch\r\n"
              "\r\n");

    clock_.set(QDateTime(QDate(2026, 1, 15), QTime(23, 0, 9)));
    LogError(program_, "5", "basDNS.LoadAdvancedTabSettings()", "Hivekit", "", QString("extra"));
    EXPECT_EQ(readLog(logs(), "Pindrel_0115.log"),
              "Thu Jan  15 23:00:09 :: basDNS.LoadAdvancedTabSettings() :: extra\r\n"
              "     Error Number:  5\r\n"
              "     Error Source:  Hivekit\r\n"
              "     Error Description:  \r\n"
              "\r\n");
}

TEST_F(LogTest, NamesDaysAndMonthsInTheLocalesLanguage) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LogError(program_, "1", "x", "s", "d");
    EXPECT_TRUE(readLog(logs()).startsWith("Mo. Dez.  7 09:05:03 :: x\r\n"));
    // The numbers stay in ASCII digits where the locale writes its own.
    const QLocale marathi(QLocale::Marathi, QLocale::India);
    QLocale::setDefault(marathi);
    clock_.set(kNow.addDays(1));
    LogError(program_, "1", "x", "s", "d");
    EXPECT_EQ(QString::fromUtf8(readLog(logs(), "Pindrel_1208.log")).section("\r\n", 0, 0),
              marathi.dayName(2, QLocale::ShortFormat) + " " +
                  marathi.monthName(12, QLocale::ShortFormat) + "  8 09:05:03 :: x");
}

TEST_F(LogTest, TwoErrorsOfOneDayGoToOneFileInOrder) {
    LogError(program_, "1", "first()", "s", "one");
    clock_.set(kNow.addSecs(60));
    LogError(program_, "2", "second()", "s", "two");
    const QByteArray log = readLog(logs());
    EXPECT_EQ(log.count("\r\n\r\n"), 2);
    EXPECT_LT(log.indexOf("first()"), log.indexOf("second()"));
    EXPECT_TRUE(log.endsWith("     Error Description:  two\r\n\r\n"));
    EXPECT_EQ(QDir(logs()).entryList(QDir::Files).size(), 1);
}

class Pruning : public LogTest, public ::testing::WithParamInterface<int> {};

TEST_P(Pruning, KeepsTheYoungestTwentyNineWhenMoreThanThirty) {
    const int count = GetParam();
    ASSERT_TRUE(QDir().mkpath(logs()));
    // Ages 1..count days; a different case in one name still counts (and is deleted when old).
    for (int age = 1; age <= count; ++age) {
        const QString name = (age == count ? "PINDREL_%1.LOG" : "Pindrel_%1.log");
        makeAged(name.arg(QDate(2025, 1, 1).addDays(age).toString("MMdd")), age);
    }
    for (const char* other : {"notes.log", "Pindrel_1111.txt", "Pindrel_0101.log.bak"}) {
        QFile f(logs() + "/" + other);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        CFileInfo info;
        info.setFullPathName(f.fileName());
        info.setModifyTime(toDayNumber(kNow.addDays(-400)));
    }

    EXPECT_EQ(LogError(program_, "1", "x()", "s", "d"), LogOutcome::Written);

    const QDir dir(logs());
    const int kept = count > 30 ? 29 : count;
    QStringList logsLeft = dir.entryList({"Pindrel_*.log"}, QDir::Files);
    EXPECT_EQ(logsLeft.size(), kept + 1);  // the survivors and today's file
    EXPECT_TRUE(logsLeft.contains("Pindrel_1207.log"));
    for (int age = 1; age <= count; ++age) {
        const QString mmdd = QDate(2025, 1, 1).addDays(age).toString("MMdd");
        const bool present = QFileInfo::exists(dir.filePath("Pindrel_" + mmdd + ".log")) ||
                             QFileInfo::exists(dir.filePath("PINDREL_" + mmdd + ".LOG"));
        EXPECT_EQ(present, age <= kept) << "age " << age;
    }
    for (const char* other : {"notes.log", "Pindrel_1111.txt", "Pindrel_0101.log.bak"}) {
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(other))) << other;
    }
}

INSTANTIATE_TEST_SUITE_P(LogFiles, Pruning, ::testing::Values(29, 30, 31, 40));

TEST_F(LogTest, FallsBackToTheStateFolderWhenTheProgramFolderCannotTakeLogs) {
    const QString state = tmp_.filePath("state") + "/quillon/Logs";
    // A folder below a regular file can never be created, not even by root.
    QFile blocker(tmp_.filePath("plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(LogError(blocker.fileName() + "/prog", "1", "a()", "s", "d"), LogOutcome::Written);
    EXPECT_TRUE(readLog(state).contains(":: a()\r\n"));

    // "Logs" taken by a regular file beside the program.
    QFile logsFile(program_ + "/Logs");
    ASSERT_TRUE(logsFile.open(QIODevice::WriteOnly));
    logsFile.close();
    EXPECT_EQ(LogError(program_, "2", "b()", "s", "d"), LogOutcome::Written);
    EXPECT_TRUE(readLog(state).contains(":: b()\r\n"));
    EXPECT_EQ(logsFile.size(), 0);

    // A state home that is not an absolute path is ignored for ~/.local/state.
    test::ScopedEnv home("HOME", QFile::encodeName(tmp_.filePath("home")));
    test::ScopedEnv relative("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(StateFolder(), tmp_.filePath("home") + "/.local/state/quillon");
    EXPECT_EQ(LogError("", "3", "c()", "s", "d"), LogOutcome::Written);
    EXPECT_TRUE(readLog(StateFolder() + "/Logs").contains(":: c()\r\n"));

    // Neither folder usable: the record is skipped.
    test::ScopedEnv nowhere("XDG_STATE_HOME", QFile::encodeName(blocker.fileName()));
    EXPECT_EQ(LogError(program_, "4", "d()", "s", "d"), LogOutcome::SkippedFailed);
}

TEST_F(LogTest, AnInstalledCopyLogsToTheStateFolderAndNothingBelowItsPrefix) {
    const QString state = tmp_.filePath("state") + "/quillon/Logs";
    // A prefix the user may write in, laid out as `cmake --install` lays it out.
    const QString prefix = tmp_.filePath("prefix");
    const QString bin = prefix + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(prefix + "/share/applications"));
    // Without the install's desktop entry the folder is a build tree's bin: logs go beside.
    EXPECT_FALSE(IsInstalledProgramFolder(bin));
    EXPECT_EQ(LogError(bin, "1", "a()", "s", "d"), LogOutcome::Written);
    EXPECT_TRUE(readLog(bin + "/Logs").contains(":: a()\r\n"));
    ASSERT_TRUE(QDir(bin + "/Logs").removeRecursively());

    QFile entry(prefix + "/share/applications/quillon.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.close();
    EXPECT_TRUE(IsInstalledProgramFolder(bin));
    EXPECT_TRUE(IsInstalledProgramFolder(bin + "/"));
    EXPECT_EQ(LogError(bin, "2", "b()", "s", "d"), LogOutcome::Written);
    EXPECT_TRUE(readLog(state).contains(":: b()\r\n"));
    EXPECT_FALSE(QFileInfo::exists(bin + "/Logs"));
    EXPECT_FALSE(QFileInfo::exists(prefix + "/Logs"));

    // The entry marks only its own prefix's bin folder.
    ASSERT_TRUE(QDir().mkpath(prefix + "/libexec"));
    EXPECT_FALSE(IsInstalledProgramFolder(prefix + "/libexec"));
    EXPECT_FALSE(IsInstalledProgramFolder(prefix));
    EXPECT_FALSE(IsInstalledProgramFolder(QString()));
}

TEST_F(LogTest, GivesUpOnAFileLockedPastTheWaitAndWritesOnceItIsFree) {
    ASSERT_TRUE(QDir().mkpath(logs()));
    int retries = 0;
    setLogWait(LogWait{20ms, 200ms, [&] { ++retries; }});
    {
        HeldLock other(logs() + "/Pindrel_1207.log");
        EXPECT_EQ(LogError(program_, "1", "a()", "s", "d"), LogOutcome::SkippedInUse);
        EXPECT_GE(retries, 2);
        EXPECT_EQ(readLog(logs()), "");
    }
    // Another writer lets go while we wait: the record goes in.
    auto other = std::make_unique<HeldLock>(logs() + "/Pindrel_1207.log");
    retries = 0;
    setLogWait(LogWait{20ms, 10s, [&] {
                           if (++retries == 2) {
                               other.reset();
                           }
                       }});
    EXPECT_EQ(LogError(program_, "2", "b()", "s", "d"), LogOutcome::Written);
    EXPECT_EQ(retries, 2);
    EXPECT_TRUE(readLog(logs()).contains(":: b()\r\n"));
}

TEST_F(LogTest, AWriteThatFailsHalfwayLeavesNoHalfRecord) {
    ASSERT_TRUE(QDir().mkpath(logs()));
    const QByteArray before(100, 'x');
    QFile f(logs() + "/Pindrel_1207.log");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(before);
    f.close();
    // A file size limit just above the file stands for a full disk: the write stops short.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 120;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const LogOutcome outcome = LogError(program_, "1", "a()", "s", "d");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(outcome, LogOutcome::SkippedFailed);
    EXPECT_EQ(readLog(logs()), before);
}

TEST_F(LogTest, KeepsTheLogToItsOwnerAndWritesOnlyARegularFile) {
    const auto mode = [](const QString& path) {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
        return st.st_mode & 0777;
    };
    // Folders and files are the owner's alone even under a umask that lets everything
    // through, beside the program and in the state folder (with the parents made for it).
    QFile blocker(tmp_.filePath("plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const mode_t oldMask = ::umask(0);
    const LogOutcome beside = LogError(program_, "1", "a()", "s", "d");
    const LogOutcome state = LogError(blocker.fileName() + "/prog", "2", "b()", "s", "d");
    ::umask(oldMask);
    EXPECT_EQ(beside, LogOutcome::Written);
    EXPECT_EQ(state, LogOutcome::Written);
    for (const QString& folder : {logs(), tmp_.filePath("state"), tmp_.filePath("state/quillon"),
                                  tmp_.filePath("state/quillon/Logs")}) {
        EXPECT_EQ(mode(folder), 0700u) << folder.toStdString();
    }
    EXPECT_EQ(mode(logs() + "/Pindrel_1207.log"), 0600u);
    EXPECT_EQ(mode(tmp_.filePath("state/quillon/Logs/Pindrel_1207.log")), 0600u);

    // A link planted in place of the day's file is not followed: what it points to stays.
    const QString target = tmp_.filePath("elsewhere.txt");
    QFile other(target);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("keep");
    other.close();
    clock_.set(kNow.addDays(1));
    ASSERT_TRUE(QFile::link(target, logs() + "/Pindrel_1208.log"));
    EXPECT_EQ(LogError(program_, "3", "c()", "s", "d"), LogOutcome::SkippedFailed);
    EXPECT_EQ(readLog(tmp_.path(), "elsewhere.txt"), "keep");

    // A pipe there has no reader: the writer must not wait for one.
    clock_.set(kNow.addDays(2));
    ASSERT_EQ(::mkfifo(QFile::encodeName(logs() + "/Pindrel_1209.log").constData(), 0600), 0);
    EXPECT_EQ(LogError(program_, "4", "d()", "s", "d"), LogOutcome::SkippedFailed);
}

TEST_F(LogTest, ErrorReportLogsBeepsAndShowsTheBox) {
    test::ScriptedMessageBoxes boxes;
    test::BeepCounter beeps;
    ErrorReport("frmMain.SaveSettings()", ClientError(13, "Quillon", "Type mismatch"));
    EXPECT_TRUE(
        readLog(logs()).contains("Mon Dec  7 09:05:03 :: frmMain.SaveSettings()\r\n"
                                 "     Error Number:  13\r\n"));
    EXPECT_EQ(beeps.count(), 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Error");
    EXPECT_EQ(boxes.shown()[0].buttons, MsgButtons::OK);
    EXPECT_EQ(boxes.shown()[0].text,
              "frmMain.SaveSettings()\nError # 13 was generated by Quillon\nType mismatch");
}

TEST_F(LogTest, ErrorReportStillBeepsAndShowsTheBoxWhenTheRecordIsSkipped) {
    test::ScriptedMessageBoxes boxes;
    test::BeepCounter beeps;
    ASSERT_TRUE(QDir().mkpath(logs()));
    {
        HeldLock other(logs() + "/Pindrel_1207.log");
        ErrorReport("a()", ClientError(1, "s", "in use"));
    }
    QFile blocker(tmp_.filePath("plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setProgramFolder(blocker.fileName() + "/prog");
    test::ScopedEnv nowhere("XDG_STATE_HOME", QFile::encodeName(blocker.fileName()));
    ErrorReport("b()", ClientError(2, "s", "no folder"));
    EXPECT_EQ(readLog(logs()), "");
    EXPECT_EQ(beeps.count(), 2);
    EXPECT_EQ(boxes.texts(), QStringList({"a()\nError # 1 was generated by s\nin use",
                                          "b()\nError # 2 was generated by s\nno folder"}));
}

TEST_F(LogTest, TwoProcessesLoggingAtOnceWriteWholeRecords) {
    const QString helper = qEnvironmentVariable("QUILLON_BIN_DIR") + "/diagnostics_log_writer";
    ASSERT_TRUE(QFileInfo(helper).isExecutable()) << helper.toStdString();
    constexpr int kEach = 150;
    QProcess a;
    QProcess b;
    a.start(helper, {program_, "A", QString::number(kEach)});
    b.start(helper, {program_, "B", QString::number(kEach)});
    ASSERT_TRUE(a.waitForFinished(60000));
    ASSERT_TRUE(b.waitForFinished(60000));
    ASSERT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    ASSERT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();

    QByteArray all;  // the helpers use the real clock: midnight may split the records
    for (const QString& name : QDir(logs()).entryList({"Pindrel_*.log"}, QDir::Files)) {
        all += readLog(logs(), name);
    }
    const QString description = QString("x").repeated(3000);
    const QRegularExpression record(
        "^\\w+ \\w+  \\d+ \\d\\d:\\d\\d:\\d\\d :: writer([AB])\\(\\)\r\n"
        "     Error Number:  (\\d+)\r\n"
        "     Error Source:  helper\r\n"
        "     Error Description:  " +
        description + "\r\n\r\n");
    QMap<QString, int> next{{"A", 0}, {"B", 0}};
    qsizetype at = 0;
    int records = 0;
    while (at < all.size()) {
        const auto m =
            record.match(QString::fromLatin1(all.mid(at, 3200)), 0, QRegularExpression::NormalMatch,
                         QRegularExpression::AnchorAtOffsetMatchOption);
        ASSERT_TRUE(m.hasMatch()) << "torn record at byte " << at;
        EXPECT_EQ(m.captured(2).toInt(), next[m.captured(1)]++) << "records of one writer in order";
        at += m.capturedLength(0);
        ++records;
    }
    EXPECT_EQ(records, 2 * kEach);
}
