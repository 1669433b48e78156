// Another start of the program on the store of a running window: the real quillon, started on
// the test's store, hands over to this window and ends with 0 at once; the window comes forward
// from the tray and from the task bar. A socket left by a crashed window stops nobody.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <cstring>

#include "MainFixture.h"
#include "desktop/SingleWindow.h"
#include "support/Wait.h"

namespace quillon::test {
namespace {

class BringForwardTest : public MainFixture {
  protected:
    // Runs the real program on the test's store; its exit code, -1 when it crashed or hung.
    static int startAgain() {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.start(qEnvironmentVariable("QUILLON_BIN_DIR") + QStringLiteral("/quillon"));
        // This window answers from its event loop, which runs while the test waits.
        if (!second.waitForStarted() ||
            !waitUntil([&] { return second.state() == QProcess::NotRunning; }, 20000)) {
            second.kill();
            second.waitForFinished();
            return -1;
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }
};

TEST_F(BringForwardTest, ASecondStartRestoresTheWindowFromTheTrayAndTheTaskBarAndEnds) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    SingleWindow single;
    ASSERT_EQ(single.start(), SingleWindow::Start::First);
    QObject::connect(&single, &SingleWindow::bringForwardRequested, &main(),
                     &frmMain::bringForward);
    const int logins = sim_->requestLog().filter(QStringLiteral("fxn=login")).size();

    main().mnuPopupHide_Click();  // in the tray
    ASSERT_TRUE(main().isHidden());
    EXPECT_EQ(startAgain(), 0);
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&main()));

    main().showMinimized();  // on the task bar
    ASSERT_TRUE(main().isMinimized());
    EXPECT_EQ(startAgain(), 0);
    EXPECT_FALSE(main().isMinimized());
    EXPECT_TRUE(main().isVisible());

    // The later starts logged nobody in and opened no window.
    EXPECT_EQ(sim_->requestLog().filter(QStringLiteral("fxn=login")).size(), logins);
}

TEST_F(BringForwardTest, ASocketLeftByACrashedWindowIsReplaced) {
    // A crashed window leaves its socket file behind; nobody listens on it.
    const QByteArray path = QFile::encodeName(WindowSocketPath());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<size_t>(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(WindowSocketPath()));

    SingleWindow single;
    ASSERT_EQ(single.start(), SingleWindow::Start::First);
    int requests = 0;
    QObject::connect(&single, &SingleWindow::bringForwardRequested, [&] { ++requests; });
    QLocalSocket later;
    later.connectToServer(WindowSocketPath());
    ASSERT_TRUE(later.waitForConnected(2000)) << later.errorString().toStdString();
    later.write("show\n");
    EXPECT_TRUE(waitUntil([&] { return requests == 1; }));
}

}  // namespace
}  // namespace quillon::test
