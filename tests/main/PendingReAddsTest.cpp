#include <sqlite3.h>
#include <QCoreApplication>
#include <QLabel>
#include <QTreeWidget>

#include "HookTransfer.h"
#include "MainFixture.h"
#include "account/clsUser.h"
#include "cycle/PendingReAdds.h"
#include "protocol/basDNS.h"

namespace quillon::test {
namespace {

TEST(PendingReAdds, StoredTextAndTheAddressOfARetry) {
    PendingReAdds pending;
    pending.add({"a.example", "A", "@", "1.2.3.4"});
    pending.add({"b.example", "PORT RELAY", "cam", "http://1.2.3.4:8080/cam"});
    pending.add({"A.EXAMPLE", "a", "@", "1.2.3.4"});  // the same record: replaced, not doubled
    ASSERT_EQ(pending.records().size(), 2u);
    const QString text = pending.toText();
    EXPECT_EQ(
        text,
        QStringLiteral(
            "A.EXAMPLE;;a;;@;;1.2.3.4~~b.example;;PORT RELAY;;cam;;http://1.2.3.4:8080/cam~~"));
    EXPECT_EQ(PendingReAdds::fromText(text).records(), pending.records());
    EXPECT_EQ(PendingReAdds::fromText("x;;A;;@~~" + text + "junk").records(), pending.records());

    EXPECT_EQ(PendingAddressFor(pending.records()[0], "9.9.9.9"), QStringLiteral("9.9.9.9"));
    EXPECT_EQ(PendingAddressFor(pending.records()[1], "9.9.9.9"),
              QStringLiteral("http://9.9.9.9:8080/cam"));

    // A record put back without AutoIP keeps its own address across a restart.
    const PendingReAdds unmarked =
        PendingReAdds::fromText("c.example;;PORT RELAY;;x;;http://h:81/x;;0~~d;;A;;@;;1;;1~~");
    ASSERT_EQ(unmarked.records().size(), 1u);  // a fifth field other than "0" is no entry
    EXPECT_FALSE(unmarked.records()[0].autoIP);
    EXPECT_EQ(PendingAddressFor(unmarked.records()[0], "9.9.9.9"), QStringLiteral("http://h:81/x"));
    EXPECT_EQ(unmarked.toText(), QStringLiteral("c.example;;PORT RELAY;;x;;http://h:81/x;;0~~"));

    EXPECT_TRUE(pending.remove({"b.example", "port relay", "CAM", "HTTP://1.2.3.4:8080/cam"}));
    EXPECT_FALSE(pending.remove({"b.example", "port relay", "CAM", "HTTP://1.2.3.4:8080/cam"}));
    EXPECT_EQ(pending.records().size(), 1u);

    // Round-robin records share domain, type and name: each is pending on its own, and the one
    // removed is the one named.
    pending.add({"a.example", "A", "@", "5.6.7.8"});
    ASSERT_EQ(pending.records().size(), 2u);
    EXPECT_TRUE(pending.remove({"a.example", "A", "@", "5.6.7.8"}));
    ASSERT_EQ(pending.records().size(), 1u);
    EXPECT_EQ(pending.records()[0].address, QStringLiteral("1.2.3.4"));
}

class PendingReAddTest : public MainFixture {
  protected:
    // Marks "bench" and lets corvane-sim report a new address.
    void startWithMarkedBench() {
        storeUserText("demo", "AutoIPs", "DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~");
        ASSERT_TRUE(startAs("demo"));
        sim_->setAddress("demo", "198.51.100.7");
        sim_->clearLog();
    }

    QTreeWidgetItem* benchRow() {
        QTreeWidget* grid = mainControl<QTreeWidget>("lvDomainUser");
        for (int i = 0; i < grid->topLevelItemCount(); ++i) {
            if (grid->topLevelItem(i)->text(2) == QLatin1String("bench")) {
                return grid->topLevelItem(i);
            }
        }
        return nullptr;
    }

    // The check's delete goes through; the connection of the add that follows is dropped, and
    // so is libcurl's one re-send of a request whose kept connection died unanswered.
    void dropTheAddAfterTheDelete() {
        HookTransfer transfer;
        transfer.after = [&](const QString& url, const TransferReply& reply) {
            if (url.contains("DNSCommand=RECORDDELETE") && reply.ok) {
                sim_->injectFault(SimProcess::Fault::Drop, 2);
            }
        };
        tick(6);
        const QStringList sent = ticklerRequests();
        ASSERT_GE(sent.size(), 2);
        EXPECT_TRUE(sent[0].contains("DNSCommand=RECORDDELETE"));
        for (qsizetype i = 1; i < sent.size(); ++i) {
            EXPECT_TRUE(sent[i].contains("DNSCommand=RECORDADD")) << i;
        }
        EXPECT_FALSE(serviceRecords("demo", "demo").contains(";;bench;;"));
    }

    void expectBenchBackAndMarked() {
        EXPECT_TRUE(
            serviceRecords("demo", "demo").contains("demo-lab.example;;A;;bench;;198.51.100.7"));
        EXPECT_TRUE(main().pendingReAdds().isEmpty());
        EXPECT_EQ(userValue("demo", "PendingReAdds"), QString());
        EXPECT_TRUE(AutoIPListContains(sAutoIPs, "DEMO-LAB.EXAMPLE;;A;;BENCH;;198.51.100.7~~"));
        ASSERT_NE(benchRow(), nullptr);
        EXPECT_EQ(benchRow()->text(4), QStringLiteral("Yes"));
    }
};

TEST_F(PendingReAddTest, DroppedAddIsKeptShownAndRetriedUntilItSucceeds) {
    startWithMarkedBench();
    dropTheAddAfterTheDelete();

    ASSERT_EQ(main().pendingReAdds().records().size(), 1u);
    EXPECT_EQ(userValue("demo", "PendingReAdds"),
              QStringLiteral("demo-lab.example;;A;;bench;;198.51.100.7~~"));
    ASSERT_NE(benchRow(), nullptr);
    EXPECT_EQ(benchRow()->text(4), QStringLiteral("Pending"));
    EXPECT_TRUE(benchRow()->data(0, Qt::UserRole).toString().startsWith("Pending"));
    // A pending row is neither re-pointed nor saved as marked.
    main().UpdateAutoIpList();
    EXPECT_FALSE(sAutoIPs.contains("BENCH"));

    // The next check's retry is dropped too: still pending.
    sim_->clearLog();
    {
        HookTransfer transfer;
        transfer.after = [&](const QString& url, const TransferReply&) {
            if (url.contains("FXN=GetIPAddress")) {
                sim_->injectFault(SimProcess::Fault::Drop, 2);
            }
        };
        tick(5);
    }
    ASSERT_GE(ticklerRequests().size(), 1);
    EXPECT_EQ(main().pendingReAdds().records().size(), 1u);
    EXPECT_EQ(benchRow()->text(4), QStringLiteral("Pending"));
    sim_->clearLog();

    // A later check adds it back with its mark.
    tick(5);
    const QStringList sent = ticklerRequests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(
        sent[0].endsWith("&Cname=bench&Domain=demo-lab.example&DNSCommand=RECORDADD&"
                         "RecordType=A&IPAddress=198.51.100.7"));
    expectBenchBackAndMarked();
}

TEST_F(PendingReAddTest, PendingRecordSurvivesARestart) {
    startWithMarkedBench();
    dropTheAddAfterTheDelete();
    ASSERT_FALSE(userValue("demo", "PendingReAdds").isEmpty());

    // The program ends without saving anything (as after a crash) and starts again.
    delete main_.data();
    objUser() = clsUser();
    sAutoIPs.clear();
    ASSERT_TRUE(startMain());
    ASSERT_NE(benchRow(), nullptr);
    EXPECT_EQ(benchRow()->text(4), QStringLiteral("Pending"));

    sim_->setAddress("demo", "198.51.100.8");
    sim_->clearLog();
    tick(6);
    const QStringList sent = ticklerRequests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent[0].endsWith("DNSCommand=RECORDADD&RecordType=A&IPAddress=198.51.100.8"));
    EXPECT_TRUE(
        serviceRecords("demo", "demo").contains("demo-lab.example;;A;;bench;;198.51.100.8"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
    EXPECT_EQ(benchRow()->text(4), QStringLiteral("Yes"));
}

// The add went through although its reply was lost: the service's list already holds the
// record at the address the retry would send, so only its mark comes back.
// The delete is carried out but its reply is lost, and the add fails: the record may be gone from
// the service, so it is kept pending like one whose delete answered.
TEST_F(PendingReAddTest, ALostDeleteReplyBeforeAFailedAddKeepsTheRecordPending) {
    startWithMarkedBench();
    {
        HookTransfer transfer;
        transfer.after = [&](const QString& url, TransferReply& reply) {
            if (url.contains("DNSCommand=RECORDDELETE") && reply.ok) {
                reply = TransferReply{false, {}, QStringLiteral("connection lost")};
                sim_->injectFault(SimProcess::Fault::Drop, 2);
            }
        };
        tick(6);
    }
    EXPECT_FALSE(serviceRecords("demo", "demo").contains(";;bench;;"));
    ASSERT_EQ(main().pendingReAdds().records().size(), 1u);
    sim_->clearLog();
    tick(5);
    expectBenchBackAndMarked();
}

// A pending record the service refuses is retried without the window calling the service
// unreachable: it answered, and the check found it connected.
TEST_F(PendingReAddTest, ARefusedRetryLeavesTheConnectionStatusAlone) {
    storeUserText("demo", "PendingReAdds", "demo-lab.example;;TXT;;note;;text;;0~~");
    ASSERT_TRUE(startAs("demo"));
    sim_->clearLog();
    tick(12);
    EXPECT_EQ(ticklerRequests().size(), 2);
    EXPECT_EQ(mainControl<QLabel>("lblStatus")->text(), QStringLiteral("Connected"));
    EXPECT_EQ(main().pendingReAdds().records().size(), 1u);
}

TEST_F(PendingReAddTest, RecordAlreadyBackNeedsNoRequest) {
    startWithMarkedBench();
    dropTheAddAfterTheDelete();
    ASSERT_TRUE(sim_->get("/dnslogin3.asp?FXN=DNSTickler&Usr=demo&Pwd=demo&Cname=bench&Domain="
                          "demo-lab.example&DNSCommand=RECORDADD&RecordType=A&IPAddress="
                          "198.51.100.7")
                    .contains("SUCCESS"));
    sim_->clearLog();
    tick(5);
    EXPECT_EQ(ipRequests().size(), 1);
    EXPECT_TRUE(ticklerRequests().isEmpty());
    expectBenchBackAndMarked();
}

TEST_F(PendingReAddTest, DeletingAPendingRowStopsItsRetries) {
    startWithMarkedBench();
    dropTheAddAfterTheDelete();
    mainControl<QTreeWidget>("lvDomainUser")->setCurrentItem(benchRow());
    sim_->clearLog();
    // A check while the question is up re-adds nothing: the answer decides about the record.
    messages_.onShow = [&](const MsgBoxRequest&) {
        messages_.onShow = nullptr;
        tick(6);
        EXPECT_EQ(ipRequests().size(), 1);
    };
    messages_.queueAnswer(MsgAnswer::Yes);
    main().cmdDeleteGrid_Click();
    EXPECT_TRUE(ticklerRequests().isEmpty());
    EXPECT_FALSE(serviceRecords("demo", "demo").contains(";;bench;;"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
    EXPECT_EQ(userValue("demo", "PendingReAdds"), QString());
    EXPECT_EQ(benchRow(), nullptr);
    tick(5);
    EXPECT_TRUE(ticklerRequests().isEmpty());
}

// While the delete question is up, a check re-points nothing: the Yes then deletes the record
// where the question shows it, rather than missing one moved meanwhile.
TEST_F(PendingReAddTest, TheDeleteQuestionHoldsTheRePointOfItsRecord) {
    startWithMarkedBench();
    mainControl<QTreeWidget>("lvDomainUser")->setCurrentItem(benchRow());
    messages_.onShow = [&](const MsgBoxRequest&) {
        messages_.onShow = nullptr;
        tick(6);
        EXPECT_EQ(ipRequests().size(), 1);
        EXPECT_TRUE(ticklerRequests().isEmpty());
    };
    messages_.queueAnswer(MsgAnswer::Yes);
    main().cmdDeleteGrid_Click();
    EXPECT_FALSE(serviceRecords("demo", "demo").contains(";;bench;;"));
    EXPECT_EQ(mainControl<QLabel>("lblStatus")->text(), QStringLiteral("Connected"));
}

// The window hidden with the editor open on a marked record: the re-point deletes it and fails to
// add it back, so the editor now holds a pending record and Update/Add sends no delete for it.
TEST_F(PendingReAddTest, AnOpenedRecordLeftPendingByARePointIsEditedAsPending) {
    startWithMarkedBench();
    mainControl<QTreeWidget>("lvDomainUser")->setCurrentItem(benchRow());
    main().EditGrid();
    main().hide();
    dropTheAddAfterTheDelete();
    main().show();
    mainControl<QCheckBox>("chkDomainAutoIP")->setChecked(false);
    mainControl<QLineEdit>("txtServerIP")->setText(QStringLiteral("198.51.100.8"));
    sim_->clearLog();
    main().cmdServerIP_Click();
    ASSERT_EQ(ticklerRequests().size(), 1);
    EXPECT_TRUE(ticklerRequests()[0].contains("DNSCommand=RECORDADD"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
    sim_->clearLog();
    tick(5);
    EXPECT_TRUE(ticklerRequests().isEmpty());
    const QString records = serviceRecords("demo", "demo");
    EXPECT_EQ(records.count(";;bench;;"), 1) << records.toStdString();
}

// The editor open on one pending row holds that row's retry only: the others go on.
TEST_F(PendingReAddTest, TheEditorHoldsOnlyTheRetryOfTheRowItOpened) {
    storeUserText(
        "demo", "PendingReAdds",
        "demo-lab.example;;A;;held;;192.0.2.11~~demo-lab.example;;A;;other;;192.0.2.11~~");
    ASSERT_TRUE(startAs("demo"));
    QTreeWidget* grid = mainControl<QTreeWidget>("lvDomainUser");
    for (int i = 0; i < grid->topLevelItemCount(); ++i) {
        if (grid->topLevelItem(i)->text(2) == QLatin1String("held")) {
            grid->setCurrentItem(grid->topLevelItem(i));
        }
    }
    main().EditGrid();
    sim_->clearLog();
    tick(6);
    ASSERT_EQ(ticklerRequests().size(), 1);
    EXPECT_TRUE(ticklerRequests()[0].contains("Cname=other"));
    ASSERT_EQ(main().pendingReAdds().records().size(), 1u);
    EXPECT_EQ(main().pendingReAdds().records()[0].name, QStringLiteral("held"));
}

// A pending row is not on the service and shows "Pending" where its mark would be: editing it
// keeps the mark and sends the add alone.
TEST_F(PendingReAddTest, EditingAPendingRowKeepsItsMarkAndSendsNoDelete) {
    startWithMarkedBench();
    dropTheAddAfterTheDelete();
    mainControl<QTreeWidget>("lvDomainUser")->setCurrentItem(benchRow());
    main().EditGrid();
    EXPECT_TRUE(mainControl<QCheckBox>("chkDomainAutoIP")->isChecked());
    EXPECT_EQ(mainControl<QLineEdit>("txtServerIP")->text(), QStringLiteral("198.51.100.7"));
    // Checks while the editor is open leave the opened record to it.
    sim_->clearLog();
    tick(6);
    EXPECT_EQ(ipRequests().size(), 1);
    EXPECT_TRUE(ticklerRequests().isEmpty());
    mainControl<QLineEdit>("txtServerIP")->setText(QStringLiteral("198.51.100.8"));
    sim_->clearLog();
    main().cmdServerIP_Click();
    const QStringList sent = ticklerRequests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent[0].contains("DNSCommand=RECORDADD"));
    EXPECT_TRUE(
        serviceRecords("demo", "demo").contains("demo-lab.example;;A;;bench;;198.51.100.8"));
    EXPECT_FALSE(serviceRecords("demo", "demo").contains(";;bench;;198.51.100.7"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
    EXPECT_TRUE(AutoIPListContains(sAutoIPs, "DEMO-LAB.EXAMPLE;;A;;BENCH;;198.51.100.8~~"));
    ASSERT_NE(benchRow(), nullptr);
    EXPECT_EQ(benchRow()->text(4), QStringLiteral("Yes"));
}

// The service removed the record and then failed with an error status, and the add is lost: the
// error proves nothing, so the record stays pending and the next check adds it back.
TEST_F(PendingReAddTest, AServerErrorOnTheDeleteKeepsTheRecordPending) {
    startWithMarkedBench();
    {
        HookTransfer transfer;
        transfer.before = [&](const QString& url) {
            if (url.contains("DNSCommand=RECORDDELETE")) {
                ASSERT_TRUE(sim_->get(url.mid(url.indexOf("/dnslogin3.asp"))).contains("SUCCESS"));
                sim_->injectErrorStatus(1, 500, "Service storage failure.");
                sim_->injectFault(SimProcess::Fault::Drop, 2);
            }
        };
        tick(6);
    }
    EXPECT_FALSE(serviceRecords("demo", "demo").contains(";;bench;;"));
    ASSERT_EQ(main().pendingReAdds().records().size(), 1u);
    EXPECT_FALSE(userValue("demo", "PendingReAdds").isEmpty());
    sim_->clearLog();
    tick(5);
    expectBenchBackAndMarked();
}

// Another connection holding the store's write lock past the busy time-out: the store takes
// no write while it lives.
class HeldStoreWriteLock {
  public:
    explicit HeldStoreWriteLock(const QString& path) {
        EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db_), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~HeldStoreWriteLock() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    HeldStoreWriteLock(const HeldStoreWriteLock&) = delete;
    HeldStoreWriteLock& operator=(const HeldStoreWriteLock&) = delete;

  private:
    sqlite3* db_ = nullptr;
};

// The record cannot be written ahead: the check sends no delete and the user hears of it once;
// with the store writable again the next check re-points the record.
TEST_F(PendingReAddTest, AStoreThatCannotBeWrittenHoldsTheRePoint) {
    startWithMarkedBench();
    {
        const HeldStoreWriteLock held(dir_.filePath("registry.db"));
        tick(6);
        tick(5);
    }
    QCoreApplication::processEvents();  // a box the check left for after its tick
    EXPECT_TRUE(ticklerRequests().isEmpty()) << ticklerRequests().join('\n').toStdString();
    EXPECT_TRUE(serviceRecords("demo", "demo").contains("demo-lab.example;;A;;bench;;192.0.2.11"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
    const QStringList told = messages_.texts().filter(dir_.filePath("registry.db"));
    ASSERT_EQ(told.size(), 1) << messages_.texts().join('\n').toStdString();
    EXPECT_EQ(messages_.shown().back().title, QStringLiteral("Corvane"));

    tick(5);
    expectBenchBackAndMarked();
}

// The editor's Update/Add sends no delete either: the user hears that the change was not sent.
TEST_F(PendingReAddTest, TheEditorSendsNothingWhileTheStoreCannotBeWritten) {
    startWithMarkedBench();
    mainControl<QTreeWidget>("lvDomainUser")->setCurrentItem(benchRow());
    main().EditGrid();
    mainControl<QCheckBox>("chkDomainAutoIP")->setChecked(false);
    mainControl<QLineEdit>("txtServerIP")->setText(QStringLiteral("198.51.100.8"));
    {
        const HeldStoreWriteLock held(dir_.filePath("registry.db"));
        main().cmdServerIP_Click();
    }
    EXPECT_TRUE(ticklerRequests().isEmpty()) << ticklerRequests().join('\n').toStdString();
    EXPECT_TRUE(serviceRecords("demo", "demo").contains("demo-lab.example;;A;;bench;;192.0.2.11"));
    EXPECT_EQ(messages_.texts().filter("The change was not sent").size(), 1)
        << messages_.texts().join('\n').toStdString();
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
}

}  // namespace
}  // namespace quillon::test
