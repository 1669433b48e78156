// A request against a slow corvane-sim: the procedure still sees a blocking call that returns the
// reply, while the user-interface thread keeps repainting and firing timers, holds the user's
// input until the request ends, and tells timers that a request is in flight.
#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "account/clsUser.h"
#include "platform/Endpoints.h"
#include "protocol/CurlTransfer.h"
#include "protocol/ProtocolDoubles.h"
#include "protocol/RequestWait.h"
#include "protocol/basDNS.h"
#include "support/ScopedEnv.h"
#include "support/SimProcess.h"
#include "support/Wait.h"

using namespace quillon;
using quillon::test::RecordingMainWindow;
using quillon::test::ScopedEnv;
using quillon::test::SimProcess;

namespace {

// Counts what reaches a window while a request is in flight and after it.
class Observed : public QWidget {
  public:
    int paintsInFlight = 0;
    int inputInFlight = 0;
    int inputAfter = 0;

  protected:
    void paintEvent(QPaintEvent*) override {
        if (RequestInFlight()) {
            ++paintsInFlight;
        }
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::MouseButtonPress) {
            ++(RequestInFlight() ? inputInFlight : inputAfter);
        }
        return QWidget::event(e);
    }
};

// A key and a click as the window system delivers them: queued, not sent directly.
void userTypesAndClicks(QWidget& widget) {
    QWindow* window = widget.windowHandle();
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QPointF(5, 5), widget.mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
        QEvent::MouseButtonPress);
}

class RequestWait : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.started()) << sim_.error().toStdString();
        endpoints().updateHost = sim_.httpHostPort();
        transfer_.setTimeouts(2000, 5000);
        setServiceTransfer(&transfer_);
        sServiceURL = DefaultServiceURL();
        objUser().sUsername = QStringLiteral("demo");
        objUser().sPassword = QStringLiteral("demo");
    }
    void TearDown() override {
        unregisterServiceTransfer(&transfer_);
        resetEndpoints();
        sServiceURL.clear();
        objUser() = clsUser{};
        resetMainStatus();
    }

    ScopedEnv noProxy_{"no_proxy", "127.0.0.1,localhost"};
    SimProcess sim_;
    CurlTransfer transfer_;
    RecordingMainWindow window_;
};

TEST_F(RequestWait, TimersFireAndWindowsRepaintWhileUserInputWaitsForTheReply) {
    Observed widget;
    widget.resize(100, 50);
    widget.show();
    ASSERT_TRUE(quillon::test::waitUntil([&] { return widget.windowHandle()->isExposed(); }));

    int ticks = 0;
    int ticksInFlight = 0;
    QTimer timer;
    timer.setInterval(40);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 1) {
            userTypesAndClicks(widget);
        }
        ticksInFlight += RequestInFlight() ? 1 : 0;
        widget.update();
    });
    timer.start();

    sim_.injectFault(SimProcess::Fault::Delay, 1, 800);
    EXPECT_FALSE(RequestInFlight());
    EXPECT_EQ(GetIPAddress(), QStringLiteral("192.0.2.1"));  // the reply, as a blocking call
    timer.stop();

    EXPECT_FALSE(RequestInFlight());
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(ticksInFlight, ticks);
    EXPECT_GT(widget.paintsInFlight, 0);
    EXPECT_EQ(widget.inputInFlight, 0);
    // The input was held, not lost: it arrives once the request has ended.
    EXPECT_TRUE(quillon::test::waitUntil([&] { return widget.inputAfter >= 2; }));
    EXPECT_EQ(widget.inputInFlight, 0);
}

// A tick that starts a second request while the first waits finds the guard set; should it go
// ahead anyway, both requests still complete on the one kept connection handle.
TEST_F(RequestWait, ATimerRequestDuringARequestSeesTheGuardAndStillWorks) {
    bool guardSeen = false;
    QString nestedReply;
    QTimer::singleShot(50, [&] {
        guardSeen = RequestInFlight();
        nestedReply = GetIPAddress();
    });
    sim_.injectFault(SimProcess::Fault::Delay, 1, 400);
    EXPECT_EQ(GetIPAddress(), QStringLiteral("192.0.2.1"));
    EXPECT_TRUE(guardSeen);
    EXPECT_EQ(nestedReply, QStringLiteral("192.0.2.1"));
    EXPECT_FALSE(RequestInFlight());
}

// The wait's event loop runs deferred deletes posted outside any loop, so the window owning the
// transfer can go while its request is under way: the request still ends with its reply.
TEST_F(RequestWait, ATransferDeletedDuringItsRequestStillDeliversTheReply) {
    auto* owned = new CurlTransfer;
    setServiceTransfer(owned);
    QTimer::singleShot(50, [owned] {
        unregisterServiceTransfer(owned);
        delete owned;
    });
    sim_.injectFault(SimProcess::Fault::Delay, 1, 400);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(GetIPAddress(), QStringLiteral("192.0.2.1"));
    EXPECT_GE(clock.elapsed(), 300);
}

// Off the user-interface thread the transfer runs where it is called, and is in flight there.
TEST_F(RequestWait, AWorkerThreadsRequestRunsInPlace) {
    bool inFlightInside = false;
    std::thread worker([&] {
        const TransferReply reply = WaitForReply([&] {
            inFlightInside = RequestInFlight();
            return TransferReply{true, QStringLiteral("x"), {}};
        });
        EXPECT_TRUE(reply.ok);
    });
    worker.join();
    EXPECT_TRUE(inFlightInside);
    EXPECT_FALSE(RequestInFlight());
    // An exception out of the transfer is a failed transfer.
    const TransferReply failed =
        WaitForReply([]() -> TransferReply { throw std::runtime_error("broken"); });
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, QStringLiteral("broken"));
}

}  // namespace
