#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include "HookTransfer.h"
#include "MainFixture.h"
#include "account/clsUser.h"
#include "cycle/UpdateCycle.h"
#include "protocol/RequestWait.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "support/Wait.h"

namespace quillon::test {
namespace {

// --- the arithmetic and the texts --------------------------------------------------------

TEST(UpdateCycleText, ThresholdCheckTimeAndUpTime) {
    EXPECT_DOUBLE_EQ(TickThreshold(QStringLiteral("60")), 5.0);
    EXPECT_DOUBLE_EQ(TickThreshold(QStringLiteral("45")), 3.5);
    EXPECT_DOUBLE_EQ(TickThreshold(QStringLiteral("10")), 0.0);
    EXPECT_DOUBLE_EQ(TickThreshold(QStringLiteral("not a rate")), 5.0);

    const QDate day(2026, 1, 2);
    EXPECT_EQ(CheckTimeText(QDateTime(day, QTime(0, 5, 9))), QStringLiteral("1/2/26 12:05:09 am"));
    EXPECT_EQ(CheckTimeText(QDateTime(day, QTime(12, 0, 0))), QStringLiteral("1/2/26 12:00:00 pm"));
    EXPECT_EQ(CheckTimeText(QDateTime(QDate(2005, 12, 31), QTime(23, 59, 58))),
              QStringLiteral("12/31/05 11:59:58 pm"));

    EXPECT_EQ(UpTimeText(93784), QStringLiteral("1 Days  02:03:04"));
    EXPECT_EQ(UpTimeText(100000), QStringLiteral("1 Days  03:46:40"));
    EXPECT_EQ(UpTimeText(-5), QStringLiteral("0 Days  00:00:00"));
}

// --- the cycle against corvane-sim -------------------------------------------------------

class UpdateCycleTest : public MainFixture {
  protected:
    // The ticks (1-based) after which a GetIPAddress request had been sent.
    std::vector<int> checkTicks(int ticks) {
        std::vector<int> found;
        for (int i = 1; i <= ticks; ++i) {
            const qsizetype before = ipRequests().size();
            tick();
            if (ipRequests().size() > before) {
                found.push_back(i);
            }
        }
        return found;
    }

    void setRate(const QString& rate) {
        QComboBox* rates = mainControl<QComboBox>("cboRefreshRate");
        rates->setCurrentText(rate);
        ASSERT_EQ(rates->currentText(), rate);
    }
};

class UpdateCycleTiming : public UpdateCycleTest,
                          public ::testing::WithParamInterface<std::pair<int, std::vector<int>>> {};

TEST_P(UpdateCycleTiming, FirstCheckAfterTheRateThenEveryRateLessTenSeconds) {
    const auto& [rate, expected] = GetParam();
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    setRate(QString::number(rate));
    sim_->clearLog();
    EXPECT_EQ(checkTicks(expected.back() + 1), expected);
    EXPECT_EQ(mainControl<QLabel>("lblLastIPCheck")->text(), QStringLiteral("12/8/26 9:00:00 am"));
}

INSTANTIATE_TEST_SUITE_P(Rates, UpdateCycleTiming,
                         ::testing::Values(std::pair{30, std::vector<int>{3, 5, 7}},
                                           std::pair{60, std::vector<int>{6, 11, 16}},
                                           std::pair{120, std::vector<int>{12, 23, 34}}),
                         [](const auto& info) {
                             return "Rate" + std::to_string(info.param.first);
                         });

TEST_F(UpdateCycleTest, ChangedAddressRepointsTheMarkedRowsOnly) {
    // Marked: the root A record, "bench" and the port relay "cam"; "www" stays unmarked.
    storeUserText(
        QStringLiteral("demo"), QStringLiteral("AutoIPs"),
        QStringLiteral("DEMO-HOME.EXAMPLE;;A;;@;;192.0.2.10~~"
                       "demo-lab.example;;A;;bench;;192.0.2.11~~"
                       "DEMO-LAB.EXAMPLE;;PORT RELAY;;CAM;;HTTP://192.0.2.11:8080/CAM~~"));
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    sim_->setAddress(QStringLiteral("demo"), QStringLiteral("198.51.100.7"));
    sim_->clearLog();

    tick(6);

    ASSERT_EQ(ipRequests().size(), 1);
    const QStringList sent = ticklerRequests();
    const QString ip = QStringLiteral("198.51.100.7");
    const QStringList expected = {
        "Cname=@&Domain=demo-home.example&DNSCommand=RECORDDELETE&RecordType=A&IPAddress=192.0.2."
        "10",
        "Cname=@&Domain=demo-home.example&DNSCommand=RECORDADD&RecordType=A&IPAddress=" + ip,
        "Cname=bench&Domain=demo-lab.example&DNSCommand=RECORDDELETE&RecordType=A&IPAddress=192.0."
        "2.11",
        "Cname=bench&Domain=demo-lab.example&DNSCommand=RECORDADD&RecordType=A&IPAddress=" + ip,
        "Cname=cam&Domain=demo-lab.example&DNSCommand=RECORDDELETE&RecordType=PORT%20RELAY&"
        "IPAddress=HTTP://192.0.2.11:8080/cam",
        "Cname=cam&Domain=demo-lab.example&DNSCommand=RECORDADD&RecordType=PORT%20RELAY&IPAddress="
        "http://" +
            ip + ":8080/cam",
    };
    ASSERT_EQ(sent.size(), expected.size()) << sent.join(QLatin1Char('\n')).toStdString();
    for (qsizetype i = 0; i < sent.size(); ++i) {
        EXPECT_TRUE(sent[i].endsWith(expected[i])) << sent[i].toStdString();
    }

    const QString records = serviceRecords(QStringLiteral("demo"), QStringLiteral("demo"));
    EXPECT_TRUE(records.contains("demo-home.example;;A;;@;;" + ip));
    EXPECT_TRUE(records.contains("demo-lab.example;;A;;bench;;" + ip));
    EXPECT_TRUE(records.contains("demo-lab.example;;PORT RELAY;;cam;;http://" + ip + ":8080/cam"));
    EXPECT_TRUE(records.contains(QStringLiteral("demo-home.example;;A;;www;;192.0.2.10")));
    EXPECT_EQ(mainControl<QLineEdit>("txtServerIP")->text(), "http://" + ip + ":8080/cam");
    EXPECT_EQ(mainControl<QLabel>("lblIPAddress")->text(), ip);
    // The marks moved with the records; the rebuild counted one transaction.
    EXPECT_TRUE(AutoIPListContains(sAutoIPs, "DEMO-LAB.EXAMPLE;;A;;BENCH;;" + ip + "~~"));
    EXPECT_FALSE(
        AutoIPListContains(sAutoIPs, QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~")));
    EXPECT_EQ(mainControl<QLabel>("lblTimesIPChanged")->text(), QStringLiteral("1"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
    // The moved marks are stored at once: a power cut before the close must not leave them on
    // the old addresses.
    const QString stored = userValue(QStringLiteral("demo"), QStringLiteral("AutoIPs"));
    EXPECT_TRUE(AutoIPListContains(stored, "DEMO-LAB.EXAMPLE;;A;;BENCH;;" + ip + "~~"))
        << stored.toStdString();
    EXPECT_FALSE(
        AutoIPListContains(stored, QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~")));
}

TEST_F(UpdateCycleTest, UnchangedAddressSendsNoTickler) {
    // Both marked records already point at the address the service reports.
    storeUserText(
        QStringLiteral("demo"), QStringLiteral("AutoIPs"),
        QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"
                       "DEMO-LAB.EXAMPLE;;PORT RELAY;;CAM;;HTTP://192.0.2.11:8080/CAM~~"));
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    sim_->setAddress(QStringLiteral("demo"), QStringLiteral("192.0.2.11"));
    sim_->clearLog();
    tick(6);
    EXPECT_EQ(ipRequests().size(), 1);
    EXPECT_TRUE(ticklerRequests().isEmpty());
    EXPECT_EQ(mainControl<QLabel>("lblTimesIPChanged")->text(), QStringLiteral("0"));
    EXPECT_EQ(mainControl<QLabel>("Label20")->text(), QStringLiteral("Last IP Check:"));
}

TEST_F(UpdateCycleTest, FreeAccountHostFollowsTheAddressOnlyWhenTicked) {
    storeUserDword(QStringLiteral("free"), QStringLiteral("bAutoIP"), 1);
    startSim();
    sim_->setAddress(QStringLiteral("free"), QStringLiteral("192.0.2.20"));
    ASSERT_TRUE(startAs(QStringLiteral("free")));
    ASSERT_TRUE(objUser().bCorvaneOnly);
    ASSERT_TRUE(mainControl<QCheckBox>("chkAutoIP")->isChecked());
    setRate(QStringLiteral("90"));

    // An unchanged address: the check asks, nothing more.
    sim_->clearLog();
    tick(9);
    EXPECT_EQ(ipRequests().size(), 1);
    EXPECT_TRUE(ticklerRequests().isEmpty());
    EXPECT_EQ(mainControl<QLabel>("lblTimesIPChanged")->text(), QStringLiteral("0"));

    // A new address: the host is removed at the old one and added at the new one.
    sim_->setAddress(QStringLiteral("free"), QStringLiteral("198.51.100.9"));
    sim_->clearLog();
    tick(8);
    const QStringList sent = ticklerRequests();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(
        sent[0].endsWith("&Cname=free&Domain=free.corvane.example&DNSCommand=RECORDDELETE&"
                         "RecordType=A&IPAddress=192.0.2.20"));
    EXPECT_TRUE(
        sent[1].endsWith("&Cname=free&Domain=free.corvane.example&DNSCommand=RECORDADD&"
                         "RecordType=A&IPAddress=198.51.100.9"));
    EXPECT_EQ(mainControl<QLineEdit>("txtCorvaneIP")->text(), QStringLiteral("198.51.100.9"));
    EXPECT_EQ(objUser().sIPAddress, QStringLiteral("198.51.100.9"));
    EXPECT_EQ(mainControl<QLabel>("lblTimesIPChanged")->text(), QStringLiteral("1"));

    // Automatic IP switched off: the time of the check changes, no request at all.
    mainControl<QCheckBox>("chkAutoIP")->setChecked(false);
    sim_->setAddress(QStringLiteral("free"), QStringLiteral("198.51.100.10"));
    sim_->clearLog();
    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(14, 30, 0)));
    tick(8);
    EXPECT_TRUE(ipRequests().isEmpty());
    EXPECT_TRUE(ticklerRequests().isEmpty());
    EXPECT_EQ(mainControl<QLabel>("lblLastIPCheck")->text(), QStringLiteral("12/8/26 2:30:00 pm"));
}

TEST_F(UpdateCycleTest, UpTimeCountsFromInitAndSkipsAHiddenWindow) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    clock_.set(QDateTime(QDate(2026, 12, 9), QTime(12, 46, 40)));  // 100000 s after init
    main().tmrTimes_Timer();
    EXPECT_EQ(mainControl<QLabel>("lblUpTime")->text(), QStringLiteral("1 Days  03:46:40"));
    main().hide();
    clock_.set(QDateTime(QDate(2026, 12, 9), QTime(12, 46, 45)));
    main().tmrTimes_Timer();
    EXPECT_EQ(mainControl<QLabel>("lblUpTime")->text(), QStringLiteral("1 Days  03:46:40"));
}

// While a check's request waits for its reply, the window's local event loop lets the timer
// fire and keeps the window painting. Such a tick counts but must not start a second check.
TEST_F(UpdateCycleTest, TickDuringASlowRequestCountsAndLeavesTheCheck) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    setRate(QStringLiteral("30"));  // a check once the count reaches 2
    tick(2);
    sim_->clearLog();
    sim_->injectFault(SimProcess::Fault::Delay, 1, 1500);
    // The real timer, made fast, ticks while the check's request waits 1.5 s for its reply.
    QTimer* timer = mainControl<QTimer>("tmrAuto");
    timer->setInterval(100);
    timer->start();
    tick();
    timer->stop();
    EXPECT_EQ(ipRequests().size(), 1);
    EXPECT_GT(main().tickCount(), 3);  // the ticks during the request counted
    EXPECT_FALSE(RequestInFlight());
    tick();  // a later tick at the threshold makes the check the others left
    EXPECT_EQ(ipRequests().size(), 2);
    EXPECT_EQ(main().tickCount(), 1);
}

// The window manager's close reaches the window while a request waits for its reply: the close
// waits for the request's end instead of saving and unloading in the middle of it.
TEST_F(UpdateCycleTest, ACloseDuringARequestWaitsForItsEnd) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    setRate(QStringLiteral("30"));
    tick(2);
    sim_->injectFault(SimProcess::Fault::Delay, 1, 1000);
    bool unloadedDuringRequest = true;
    QTimer::singleShot(200, &main(), [&] {
        main().close();
        unloadedDuringRequest = main().property("quillonUnloaded").toBool();
    });
    tick();
    EXPECT_FALSE(unloadedDuringRequest);
    EXPECT_TRUE(waitUntil([&] { return main().property("quillonUnloaded").toBool(); }));
}

// A close during a re-point's delete: that record's pair ends, the next marked record is left to
// the next run, and both marks are stored where the records are.
TEST_F(UpdateCycleTest, ACloseDuringARepointLeavesTheNextRecordsToTheNextRun) {
    storeUserText(QStringLiteral("demo"), QStringLiteral("AutoIPs"),
                  QStringLiteral("DEMO-HOME.EXAMPLE;;A;;WWW;;192.0.2.10~~"
                                 "DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    setRate(QStringLiteral("30"));
    tick(2);
    const QString ip = QStringLiteral("198.51.100.7");
    sim_->setAddress(QStringLiteral("demo"), ip);
    sim_->clearLog();
    sim_->injectFault(SimProcess::Fault::Delay, 1, 0);    // the address check
    sim_->injectFault(SimProcess::Fault::Delay, 1, 600);  // www's delete
    QTimer::singleShot(200, &main(), [&] { main().close(); });
    tick();
    ASSERT_TRUE(waitUntil([&] { return main().property("quillonUnloaded").toBool(); }));
    EXPECT_EQ(ticklerRequests().size(), 2) << ticklerRequests().join('\n').toStdString();
    const QString records = serviceRecords(QStringLiteral("demo"), QStringLiteral("demo"));
    EXPECT_TRUE(records.contains("demo-home.example;;A;;www;;" + ip)) << records.toStdString();
    EXPECT_TRUE(records.contains(QStringLiteral("demo-lab.example;;A;;bench;;192.0.2.11")));
    Registry reg;
    reg.setKey(QStringLiteral("SOFTWARE\\Corvane\\demo"));
    EXPECT_TRUE(AutoIPListContains(reg.getValue(QStringLiteral("AutoIPs")),
                                   "DEMO-HOME.EXAMPLE;;A;;WWW;;" + ip + "~~"));
    EXPECT_TRUE(AutoIPListContains(reg.getValue(QStringLiteral("AutoIPs")),
                                   QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~")));
}

}  // namespace
}  // namespace quillon::test
