#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/Autostart.h"
#include "support/ScopedEnv.h"

using namespace quillon;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class AutostartTest : public ::testing::Test {
  protected:
    QTemporaryDir tmp_;
    test::ScopedEnv config_{"XDG_CONFIG_HOME", QFile::encodeName(tmp_.filePath("config"))};
    QString folder() const { return tmp_.filePath("config") + "/autostart"; }
};

TEST_F(AutostartTest, WritesTheWholeEntryRemovesItAndLeavesOtherEntriesAlone) {
    EXPECT_EQ(AutostartEntryPath(), folder() + "/quillon.desktop");
    EXPECT_FALSE(AutostartEnabled());

    const QString program = "/opt/My Apps/bin/quillon";
    const AutostartChange made = SetAutostart(true, program);
    ASSERT_TRUE(made.done) << made.reason.toStdString();
    EXPECT_TRUE(AutostartEnabled());
    const QByteArray entry = readAll(AutostartEntryPath());
    EXPECT_EQ(entry, AutostartEntryText(program).toUtf8());
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/My Apps/bin/quillon\"\n"));
    if (const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
        !validate.isEmpty()) {
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(validate, {AutostartEntryPath()});
        ASSERT_TRUE(check.waitForFinished(30000));
        EXPECT_EQ(check.exitCode(), 0);
        EXPECT_EQ(check.readAll(), QByteArray());
    }

    // A user's own entry beside it, and one written again for another program: replaced whole.
    writeFile(folder() + "/mine.desktop", "[Desktop Entry]\nType=Application\nName=Mine\n");
    ASSERT_TRUE(SetAutostart(true, "/usr/bin/quillon").done);
    EXPECT_EQ(readAll(AutostartEntryPath()), AutostartEntryText("/usr/bin/quillon").toUtf8());
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"mine.desktop", "quillon.desktop"}));

    ASSERT_TRUE(SetAutostart(false, program).done);
    EXPECT_FALSE(QFile::exists(AutostartEntryPath()));
    EXPECT_FALSE(AutostartEnabled());
    EXPECT_TRUE(SetAutostart(false, program).done);  // already gone
    EXPECT_EQ(readAll(folder() + "/mine.desktop"),
              "[Desktop Entry]\nType=Application\nName=Mine\n");

    // An entry the desktop was told to hide counts as removed.
    writeFile(AutostartEntryPath(), "[Desktop Entry]\nType=Application\nExec=q\nHidden = true\n");
    EXPECT_FALSE(AutostartEnabled());
    writeFile(AutostartEntryPath(), "[Desktop Entry]\nType=Application\nExec=q\nHidden=false\n");
    EXPECT_TRUE(AutostartEnabled());
}

TEST_F(AutostartTest, ExecQuotesAndEscapesThePathAsTheEntryFormatAsks) {
    EXPECT_EQ(DesktopExecValue("/usr/bin/quillon"), "/usr/bin/quillon");
    EXPECT_EQ(DesktopExecValue("/home/a b/quillon"), "\"/home/a b/quillon\"");
    // Inside quotes ", `, $ and \ take a backslash; then every backslash of the value is doubled.
    EXPECT_EQ(DesktopExecValue("/x/\"q\"$`/quillon"), "\"/x/\\\\\"q\\\\\"\\\\$\\\\`/quillon\"");
    EXPECT_EQ(DesktopExecValue("/x/a\\b/quillon"), "\"/x/a\\\\\\\\b/quillon\"");
    // A percent sign is doubled, so that it is not read as a field code.
    EXPECT_EQ(DesktopExecValue("/x/100%/quillon"), "/x/100%%/quillon");
}

TEST_F(AutostartTest, FailuresAreReportedAndChangeNothing) {
    // The autostart folder cannot be made below a regular file (not even by root).
    writeFile(tmp_.filePath("plain"), "x");
    {
        test::ScopedEnv blocked("XDG_CONFIG_HOME", QFile::encodeName(tmp_.filePath("plain")));
        const AutostartChange change = SetAutostart(true, "/usr/bin/quillon");
        EXPECT_FALSE(change.done);
        EXPECT_TRUE(change.reason.contains(tmp_.filePath("plain") + "/autostart"))
            << change.reason.toStdString();
        EXPECT_FALSE(AutostartEnabled());
    }
    // An entry that cannot be removed (a folder in its place) is reported, and stays.
    ASSERT_TRUE(QDir().mkpath(AutostartEntryPath() + "/inner"));
    const AutostartChange removal = SetAutostart(false, "/usr/bin/quillon");
    EXPECT_FALSE(removal.done);
    EXPECT_FALSE(removal.reason.isEmpty());
    EXPECT_TRUE(QFileInfo(AutostartEntryPath()).isDir());
    EXPECT_FALSE(SetAutostart(true, "/usr/bin/quillon").done);

    // A relative XDG_CONFIG_HOME is ignored for ~/.config.
    test::ScopedEnv home("HOME", QFile::encodeName(tmp_.filePath("home")));
    test::ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(AutostartFolder(), tmp_.filePath("home") + "/.config/autostart");
}

}  // namespace
