#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <QUrlQuery>

#include "HookTransfer.h"
#include "MainFixture.h"
#include "account/clsUser.h"
#include "cycle/PendingReAdds.h"
#include "main/RecordValidation.h"
#include "protocol/basDNS.h"

namespace quillon::test {
namespace {

// --- the validation routine, without a window --------------------------------------------

struct ValidationCase {
    RecordInput input;
    QString message;  // empty: valid
    QString serverIPAfter;
    QString nameAfter;
};

TEST(RecordValidation, ChecksInOrderWithTheirMessagesAndRewrites) {
    const QString relay = QStringLiteral("Port Relay");
    const ValidationCase cases[] = {
        {{"", "A", "x", "1.2.3.4", ""}, "Domain must be filled in", "1.2.3.4", "x"},
        {{" ", "", "a.b", "", ""}, "Domain must be filled in", "", "a.b"},
        {{"d", " ", "a.b", "", ""}, "Record Type must be filled in", "", "a.b"},
        {{"d", "CNAME", "a.b", "", ""}, "Invalid Name.  No Dots allowed.", "", "a.b"},
        // The name is normalised even when a check before the relay checks failed.
        {{"d", "A", "Root", " ", ""}, "IP Address must be filled in", " ", "@"},
        {{"d", "A", "www", "host.example", ""}, "Invalid IP address", "host.example", "www"},
        {{"d", "A", "www", " 1.2.3.4", ""}, "Invalid IP address", " 1.2.3.4", "www"},
        {{"d", "CNAME", "rOoT", "host.example", ""}, "", "host.example", "@"},
        {{"d", "a", "www", "host.example", ""}, "", "host.example", "www"},  // only "A" is tested
        {{"d", relay, "root", "host/x", ""},
         "Invalid Relay Address.  Must Begin with HTTP://",
         "host/x",
         "root"},
        {{"d", relay, "", "http://x", ""}, "Invalid Relay Address.", "http://x", ""},
        {{"d", relay, "", "http:///x", ""}, "Invalid Relay Address.", "http:///x", ""},
        {{"d", relay, "", "http://host/x", "abc"}, "Port must be numeric.", "http://host/x", ""},
        {{"d", relay, "", "http://host/x", "8.5"}, "Port must be numeric.", "http://host/x", ""},
        {{"d", relay, "", "http://host/x", "10000"},
         "Invalid Port. Must be between 0 and 9999",
         "http://host/x",
         ""},
        {{"d", relay, "", "http://host/x", "99999999999999999999"},
         "Invalid Port. Must be between 0 and 9999",
         "http://host/x",
         ""},
        {{"d", relay, "", "http://host:81/", ""},
         "Invalid Relay Address. No colons allowed.",
         "http://host:81/",
         ""},
        {{"d", relay, "ROOT", "http:\\\\host\\x", "0009999"}, "", "http://host/x", "@"},
        {{"d", "PORT RELAY", "cam", "HTTP://host", ""}, "", "HTTP://host", "cam"},
    };
    for (const ValidationCase& c : cases) {
        RecordInput input = c.input;
        SCOPED_TRACE((c.input.recordType + " / " + c.input.serverIP).toStdString());
        EXPECT_EQ(ValidateRecordInput(input), c.message);
        EXPECT_EQ(input.serverIP, c.serverIPAfter);
        EXPECT_EQ(input.name, c.nameAfter);
    }
}

// --- the editor of the main window against corvane-sim -----------------------------------

class EditorTest : public MainFixture {
  protected:
    QTreeWidget& grid() { return *mainControl<QTreeWidget>("lvDomainUser"); }

    void select(const QString& domain, const QString& type, const QString& name) {
        for (int i = 0; i < grid().topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = grid().topLevelItem(i);
            if (item->text(0) == domain && item->text(1) == type && item->text(2) == name) {
                grid().setCurrentItem(item);
                main().lvDomainUser_Click();
                return;
            }
        }
        FAIL() << "no row " << name.toStdString();
    }

    // The update requests since the log was cleared, as "COMMAND TYPE NAME ADDRESS".
    QStringList sent() const {
        QStringList lines;
        for (const QString& line : ticklerRequests()) {
            const QUrlQuery q(line.mid(line.indexOf(QLatin1Char('?')) + 1));
            const auto value = [&q](const char* key) {
                return q.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
            };
            lines.append(value("DNSCommand") + ' ' + value("RecordType") + ' ' + value("Cname") +
                         ' ' + value("IPAddress"));
        }
        return lines;
    }

    void startDemo() {
        ASSERT_TRUE(startAs(QStringLiteral("demo")));
        sim_->clearLog();
        messages_.clear();
    }

    bool editorShowing() { return !mainControl<QFrame>("frameOtherDomain")->isHidden(); }
    QString boxText() { return serverIP()->text(); }

    // The editor's boxes.
    QComboBox* domainBox() { return mainControl<QComboBox>("cboDomain"); }
    QComboBox* typeBox() { return mainControl<QComboBox>("cboRecordType"); }
    QLineEdit* nameBox() { return mainControl<QLineEdit>("txtCName"); }
    QLineEdit* serverIP() { return mainControl<QLineEdit>("txtServerIP"); }
    QLineEdit* portBox() { return mainControl<QLineEdit>("txtPort"); }
    QCheckBox* autoIPBox() { return mainControl<QCheckBox>("chkDomainAutoIP"); }
    // The public address the top strip shows.
    QString shownAddress() { return mainControl<QLabel>("lblIPAddress")->text(); }
};

TEST_F(EditorTest, AddValidatesSendsTheNewRecordAndMarksIt) {
    startDemo();
    main().cmdAddGrid_Click();
    ASSERT_TRUE(editorShowing());
    EXPECT_EQ(domainBox()->count(), 2);
    EXPECT_EQ(domainBox()->currentText(), QString());
    EXPECT_EQ(typeBox()->itemText(typeBox()->count() - 1),
              QStringLiteral("Port Relay"));  // user level 5

    // A bad input shows its message and sends nothing; the editor stays open.
    domainBox()->setCurrentText(QStringLiteral("demo-lab.example"));
    typeBox()->setCurrentText(QStringLiteral("A"));
    nameBox()->setText(QStringLiteral("new"));
    serverIP()->setText(QStringLiteral("10.0.0.300"));
    QTest::keyClick(serverIP(), Qt::Key_Return);  // Enter runs Update/Add
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, QStringLiteral("Invalid IP address"));
    EXPECT_EQ(messages_.shown()[0].title, QStringLiteral("Corvane"));
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_TRUE(editorShowing());

    // Ticking AutoIP puts the public address into the box.
    autoIPBox()->click();
    EXPECT_EQ(boxText(), shownAddress());
    serverIP()->setText(QStringLiteral("10.0.0.5"));
    main().cmdServerIP_Click();
    EXPECT_EQ(sent(), QStringList({"RECORDADD A new 10.0.0.5"}));
    EXPECT_FALSE(editorShowing());
    EXPECT_TRUE(serviceRecords("demo", "demo").contains("demo-lab.example;;A;;new;;10.0.0.5"));
    EXPECT_TRUE(AutoIPListContains(sAutoIPs, "DEMO-LAB.EXAMPLE;;A;;NEW;;10.0.0.5~~"));
    bool shown = false;
    for (int i = 0; i < grid().topLevelItemCount(); ++i) {
        shown |= grid().topLevelItem(i)->text(2) == QLatin1String("new") &&
                 grid().topLevelItem(i)->text(4) == QLatin1String("Yes");
    }
    EXPECT_TRUE(shown);
}

TEST_F(EditorTest, EditSendsOnlyRealChangesAndCancelSendsNothing) {
    storeUserText(QStringLiteral("demo"), QStringLiteral("AutoIPs"),
                  QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));
    startDemo();

    main().cmdEditGrid_Click();
    EXPECT_EQ(messages_.shown().at(0).text, QStringLiteral("Please select a row"));
    const QString records = objUser().sDomainUserRecords;
    objUser().sDomainUserRecords.clear();
    main().FillDomainUserGrid();
    main().lvDomainUser_DblClick();
    EXPECT_EQ(messages_.shown().at(1).text,
              QStringLiteral(
                  "There are no rows to edit. Please click on 'Add' button add more entries."));
    EXPECT_FALSE(editorShowing());
    objUser().sDomainUserRecords = records;
    main().FillDomainUserGrid();

    // Opened and sent back unchanged: nothing goes to the service.
    select("demo-lab.example", "A", "bench");
    main().cmdEditGrid_Click();
    ASSERT_TRUE(editorShowing());
    EXPECT_EQ(domainBox()->currentText(), QStringLiteral("demo-lab.example"));
    EXPECT_EQ(boxText(), QStringLiteral("192.0.2.11"));
    EXPECT_TRUE(autoIPBox()->isChecked());
    main().cmdServerIP_Click();
    EXPECT_FALSE(editorShowing());
    EXPECT_TRUE(sent().isEmpty());

    // Cancel after typing sends nothing either.
    main().cmdEditGrid_Click();
    serverIP()->setText(QStringLiteral("10.9.9.9"));
    main().cmdCancel_Click();
    EXPECT_FALSE(editorShowing());
    EXPECT_TRUE(sent().isEmpty());

    // Only the AutoIP box changed: delete and re-add, and the mark goes with the box.
    main().cmdEditGrid_Click();
    autoIPBox()->setChecked(false);
    main().cmdServerIP_Click();
    EXPECT_EQ(sent(),
              QStringList({"RECORDDELETE A bench 192.0.2.11", "RECORDADD A bench 192.0.2.11"}));
    EXPECT_FALSE(AutoIPListContains(sAutoIPs, "DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));

    // The name root, in any case, goes as "@".
    sim_->clearLog();
    select("demo-lab.example", "A", "bench");
    main().cmdEditGrid_Click();
    nameBox()->setText(QStringLiteral("rOOt"));
    main().cmdServerIP_Click();
    EXPECT_EQ(sent(), QStringList({"RECORDDELETE A bench 192.0.2.11", "RECORDADD A @ 192.0.2.11"}));
    EXPECT_TRUE(serviceRecords("demo", "demo").contains("demo-lab.example;;A;;@;;192.0.2.11"));
}

TEST_F(EditorTest, PortRelayOpensWithoutItsPortAndMergesItWhenSent) {
    startDemo();
    select("demo-lab.example", "PORT RELAY", "cam");
    main().EditGrid();
    EXPECT_EQ(boxText(), QStringLiteral("http://192.0.2.11/cam"));
    EXPECT_EQ(portBox()->text(), QStringLiteral("8080"));
    EXPECT_FALSE(portBox()->isHidden());
    main().cmdServerIP_Click();
    EXPECT_TRUE(sent().isEmpty());

    // AutoIP on a relay keeps the path and drops a typed port from the box.
    main().EditGrid();
    serverIP()->setText(QStringLiteral("http://192.0.2.11:81/cam"));
    autoIPBox()->click();
    EXPECT_EQ(boxText(), QStringLiteral("http://") + shownAddress() + "/cam");
    EXPECT_EQ(portBox()->text(), QStringLiteral("8080"));

    // A new port: the delete names the record as the service holds it, the add the merged URL.
    autoIPBox()->setChecked(false);
    serverIP()->setText(QStringLiteral("http:\\\\192.0.2.11\\cam"));
    portBox()->setText(QStringLiteral("81"));
    main().cmdServerIP_Click();
    EXPECT_EQ(sent(), QStringList({"RECORDDELETE PORT RELAY cam HTTP://192.0.2.11:8080/cam",
                                   "RECORDADD PORT RELAY cam http://192.0.2.11:81/cam"}));
    EXPECT_TRUE(serviceRecords("demo", "demo")
                    .contains("demo-lab.example;;PORT RELAY;;cam;;http://192.0.2.11:81/cam"));

    // Choosing the type puts the scheme into the box and shows the port; another type hides it.
    main().cmdAddGrid_Click();
    EXPECT_TRUE(portBox()->isHidden());
    typeBox()->setCurrentText(QStringLiteral("Port Relay"));
    EXPECT_EQ(boxText(), QStringLiteral("http://"));
    EXPECT_FALSE(portBox()->isHidden());
    typeBox()->setCurrentText(QStringLiteral("CNAME"));
    EXPECT_TRUE(portBox()->isHidden());
}

// The window hidden in the tray with the editor open: the check re-points the opened relay, yet
// leaves the user's input in the box, and Update/Add then replaces the record where it now is.
TEST_F(EditorTest, ARePointWhileTheEditorIsHiddenLeavesItsInputAndItsRecordToIt) {
    storeUserText("demo", "AutoIPs",
                  "DEMO-LAB.EXAMPLE;;PORT RELAY;;CAM;;HTTP://192.0.2.11:8080/CAM~~");
    startDemo();
    select("demo-lab.example", "PORT RELAY", "cam");
    main().EditGrid();
    portBox()->setText(QStringLiteral("81"));
    main().hide();
    sim_->setAddress("demo", "198.51.100.7");
    tick(6);
    ASSERT_EQ(sent(), QStringList({"RECORDDELETE PORT RELAY cam HTTP://192.0.2.11:8080/cam",
                                   "RECORDADD PORT RELAY cam http://198.51.100.7:8080/cam"}));
    EXPECT_EQ(boxText(), QStringLiteral("http://192.0.2.11/cam"));

    main().show();
    sim_->clearLog();
    main().cmdServerIP_Click();
    EXPECT_EQ(sent(), QStringList({"RECORDDELETE PORT RELAY cam http://198.51.100.7:8080/cam",
                                   "RECORDADD PORT RELAY cam http://192.0.2.11:81/cam"}));
    const QString records = serviceRecords("demo", "demo");
    EXPECT_EQ(records.count(";;cam;;"), 1) << records.toStdString();
    EXPECT_TRUE(records.contains("demo-lab.example;;PORT RELAY;;cam;;http://192.0.2.11:81/cam"));
}

// Until the add of the edited record has answered, the opened record is stored as pending: a
// program killed meanwhile finds it at its next start and adds it back.
TEST_F(EditorTest, TheOpenedRecordIsPendingFromItsDeleteToTheAddsAnswer) {
    startDemo();
    select("demo-home.example", "A", "www");
    main().EditGrid();
    serverIP()->setText(QStringLiteral("198.51.100.50"));
    QString pendingDuringTheAdd;
    HookTransfer transfer;
    transfer.before = [&](const QString& url) {
        if (url.contains("DNSCommand=RECORDADD")) {
            pendingDuringTheAdd = userValue("demo", "PendingReAdds");
        }
    };
    main().cmdServerIP_Click();
    EXPECT_EQ(pendingDuringTheAdd, QStringLiteral("demo-home.example;;A;;www;;192.0.2.10;;0~~"));
    EXPECT_EQ(userValue("demo", "PendingReAdds"), QString());
    EXPECT_TRUE(
        serviceRecords("demo", "demo").contains("demo-home.example;;A;;www;;198.51.100.50"));
}

// The delete of the old record went through, the add of the new one did not: the old record
// comes back, or, when that fails too, waits as pending and is added back by the next check.
TEST_F(EditorTest, AFailedAddPutsTheOldRecordBack) {
    startDemo();
    HookTransfer transfer;
    int drops = 2;  // libcurl sends once more on a dropped kept connection
    transfer.after = [&](const QString& url, const TransferReply& reply) {
        if (url.contains("DNSCommand=RECORDDELETE") && reply.ok) {
            sim_->injectFault(SimProcess::Fault::Drop, drops);
        }
    };
    select("demo-home.example", "A", "www");
    main().EditGrid();
    serverIP()->setText(QStringLiteral("10.1.1.1"));
    main().cmdServerIP_Click();
    ASSERT_GE(sent().size(), 3);
    EXPECT_EQ(sent().first(), QStringLiteral("RECORDDELETE A www 192.0.2.10"));
    EXPECT_TRUE(sent().contains(QStringLiteral("RECORDADD A www 10.1.1.1")));
    EXPECT_EQ(sent().last(), QStringLiteral("RECORDADD A www 192.0.2.10"));
    EXPECT_TRUE(serviceRecords("demo", "demo").contains("demo-home.example;;A;;www;;192.0.2.10"));
    ASSERT_FALSE(messages_.shown().empty());
    EXPECT_TRUE(messages_.shown().back().text.startsWith(
        "The record could not be changed. It has been put back as it was:"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());

    // Now the put-back fails as well: the record is kept pending, unmarked, at its own address.
    drops = 4;
    sim_->clearLog();
    select("demo-home.example", "A", "www");
    main().EditGrid();
    serverIP()->setText(QStringLiteral("10.1.1.1"));
    main().cmdServerIP_Click();
    EXPECT_FALSE(serviceRecords("demo", "demo").contains(";;www;;"));
    ASSERT_EQ(main().pendingReAdds().records().size(), 1u);
    EXPECT_FALSE(main().pendingReAdds().records()[0].autoIP);
    EXPECT_EQ(userValue("demo", "PendingReAdds"),
              QStringLiteral("demo-home.example;;A;;www;;192.0.2.10;;0~~"));

    transfer.after = {};
    sim_->setAddress(QStringLiteral("demo"), QStringLiteral("198.51.100.7"));
    tick(6);
    EXPECT_TRUE(serviceRecords("demo", "demo").contains("demo-home.example;;A;;www;;192.0.2.10"));
    EXPECT_TRUE(main().pendingReAdds().isEmpty());
    EXPECT_FALSE(AutoIPListContains(sAutoIPs, "DEMO-HOME.EXAMPLE;;A;;WWW;;192.0.2.10~~"));
}

}  // namespace
}  // namespace quillon::test
