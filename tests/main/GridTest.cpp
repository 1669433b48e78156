#include <QLabel>
#include <QTreeWidget>

#include "MainFixture.h"
#include "account/clsUser.h"
#include "main/GridRows.h"
#include "protocol/basDNS.h"

namespace quillon::test {
namespace {

// --- rows and the AutoIP test, without a window ------------------------------------------

TEST(GridRows, AutoIPTestMatchesWholeEntriesOnly) {
    const QString list = QStringLiteral("AB.EXAMPLE;;A;;@;;1.2.3.4~~x.example;;A;;www;;1.2.3.5~~");
    const GridRows grid =
        BuildGridRows(QStringLiteral("ab.example;;A;;@;;1.2.3.4~~b.example;;A;;@;;1.2.3.4~~"
                                     "X.Example;;A;; www ;;1.2.3.5"),
                      list, PendingReAdds(), QString());
    ASSERT_EQ(grid.rows.size(), 3u);
    EXPECT_EQ(grid.rows[0].autoIP, QStringLiteral("Yes"));
    EXPECT_EQ(grid.rows[1].autoIP, QStringLiteral("No"));   // the tail of the marked entry
    EXPECT_EQ(grid.rows[2].autoIP, QStringLiteral("Yes"));  // case and blanks do not matter

    // The set agrees with the request layer's own whole-entry test, tilde runs included.
    const QString odd = QStringLiteral("A;;A;;@;;1~~~B;;A;;@;;2~~C;;A;;@;;3~~");
    const AutoIPSet set(odd);
    for (const QString& entry : {QStringLiteral("A;;A;;@;;1~~"), QStringLiteral("A;;A;;@;;1~~~"),
                                 QStringLiteral("B;;A;;@;;2~~"), QStringLiteral("~B;;A;;@;;2~~"),
                                 QStringLiteral("C;;A;;@;;3~~"), QStringLiteral(";;A;;@;;3~~"),
                                 QStringLiteral("A;;@;;2~~")}) {
        EXPECT_EQ(set.contains(entry), AutoIPListContains(odd, entry)) << entry.toStdString();
    }
}

TEST(GridRows, KeysNamesPendingRowsSelectionAndABrokenEntry) {
    PendingReAdds pending;
    pending.add({QStringLiteral("z.example"), QStringLiteral("A"), QStringLiteral("@"),
                 QStringLiteral("1.1.1.1")});
    const GridRows grid =
        BuildGridRows(QStringLiteral("a.example;;A;;@;;1.2.3.4~~a.example;;A;;www;;1.2.3.4"),
                      QString(), pending, QStringLiteral("A.EXAMPLE;;a;;WWW;;1.2.3.4"));
    ASSERT_EQ(grid.rows.size(), 3u);
    EXPECT_EQ(grid.rows[0].key, QStringLiteral("Row0"));
    EXPECT_EQ(grid.rows[0].name, QString());  // "@" shows empty
    EXPECT_EQ(grid.rows[1].key, QStringLiteral("Row1"));
    EXPECT_EQ(grid.rows[2].key, QStringLiteral("Pending0"));
    EXPECT_EQ(grid.rows[2].autoIP, QStringLiteral("Pending"));
    EXPECT_EQ(grid.selected, 1);
    EXPECT_FALSE(grid.error);

    // The root record's remembered selection holds its shown (empty) name: never re-selected.
    EXPECT_EQ(BuildGridRows(QStringLiteral("a.example;;A;;@;;1.2.3.4"), QString(), {},
                            QStringLiteral("a.example;;A;;;;1.2.3.4"))
                  .selected,
              -1);
    EXPECT_TRUE(BuildGridRows(QString(), QString(), {}, QString()).rows.empty());

    const GridRows broken = BuildGridRows(
        QStringLiteral("a.example;;A;;x;;1.2.3.4~~a.example;;A~~b.example;;A;;y;;1.2.3.4"),
        QString(), pending, QString());
    EXPECT_EQ(broken.rows.size(), 1u);  // the rows before the broken entry stay
    ASSERT_TRUE(broken.error);
    EXPECT_EQ(broken.error->number(), 9);
}

// --- the grid of the main window ---------------------------------------------------------

class GridTest : public MainFixture {
  protected:
    QTreeWidget& grid() { return *mainControl<QTreeWidget>("lvDomainUser"); }

    QTreeWidgetItem* row(const QString& domain, const QString& type, const QString& name) {
        for (int i = 0; i < grid().topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = grid().topLevelItem(i);
            if (item->text(0) == domain && item->text(1) == type && item->text(2) == name) {
                return item;
            }
        }
        return nullptr;
    }

    void click(QTreeWidgetItem* item) {
        ASSERT_NE(item, nullptr);
        grid().setCurrentItem(item);
        main().lvDomainUser_Click();
    }

    QStringList column(int c) {
        QStringList cells;
        for (int i = 0; i < grid().topLevelItemCount(); ++i) {
            cells.append(grid().topLevelItem(i)->text(c));
        }
        return cells;
    }

    QString transactions() { return mainControl<QLabel>("lblTimesIPChanged")->text(); }
};

TEST_F(GridTest, RebuildShowsTheRecordsAndCountsOnlyRealChanges) {
    storeUserText(QStringLiteral("demo"), QStringLiteral("AutoIPs"),
                  QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    ASSERT_EQ(grid().topLevelItemCount(), 6);
    QTreeWidgetItem* www = row("demo-home.example", "A", "www");
    ASSERT_NE(www, nullptr);
    EXPECT_EQ(www->data(0, Qt::UserRole).toString(), QStringLiteral("Row1"));
    EXPECT_NE(row("demo-home.example", "MX 1", ""), nullptr);  // "@" shown empty
    EXPECT_EQ(row("demo-lab.example", "A", "bench")->text(4), QStringLiteral("Yes"));
    EXPECT_EQ(www->text(4), QStringLiteral("No"));
    // The first rebuild after the window's creation is no transaction.
    EXPECT_EQ(mainControl<QLabel>("Label20")->text(), QStringLiteral("*Last IP Check:"));
    EXPECT_EQ(transactions(), QStringLiteral("0"));
    click(www);

    // Unchanged lists, then lists differing in case only: the rows stay as they are.
    main().FillDomainUserGrid();
    objUser().sDomainUserRecords = objUser().sDomainUserRecords.toUpper();
    sAutoIPs = sAutoIPs.toLower();
    main().FillDomainUserGrid();
    EXPECT_EQ(mainControl<QLabel>("Label20")->text(), QStringLiteral("Last IP Check:"));
    EXPECT_EQ(row("demo-home.example", "A", "www"), www);
    EXPECT_TRUE(www->isSelected());
    EXPECT_EQ(transactions(), QStringLiteral("0"));

    // A change of the AutoIP list alone rebuilds and counts.
    sAutoIPs += QStringLiteral("DEMO-HOME.EXAMPLE;;A;;WWW;;192.0.2.10~~");
    main().FillDomainUserGrid();
    EXPECT_EQ(mainControl<QLabel>("Label20")->text(), QStringLiteral("*Last IP Check:"));
    EXPECT_EQ(transactions(), QStringLiteral("1"));
    www = row("DEMO-HOME.EXAMPLE", "A", "WWW");
    ASSERT_NE(www, nullptr);
    EXPECT_EQ(www->text(4), QStringLiteral("Yes"));
    EXPECT_TRUE(www->isSelected());  // the clicked record, selected again
}

TEST_F(GridTest, SelectionIsKeptWhileTheRecordStaysAndRootRecordsAreNotReselected) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    clsUser& user = objUser();
    click(row("demo-lab.example", "A", "bench"));
    EXPECT_EQ(main().selectedRecord(), QStringLiteral("demo-lab.example;;A;;bench;;192.0.2.11"));

    user.sDomainUserRecords += QStringLiteral("~~demo-lab.example;;A;;new;;192.0.2.12");
    main().FillDomainUserGrid();
    ASSERT_EQ(grid().selectedItems().size(), 1);
    EXPECT_EQ(grid().selectedItems().first()->text(2), QStringLiteral("bench"));

    user.sDomainUserRecords.replace(QStringLiteral("demo-lab.example;;A;;bench;;192.0.2.11~~"),
                                    QString());
    main().FillDomainUserGrid();
    EXPECT_TRUE(grid().selectedItems().isEmpty());

    click(row("demo-home.example", "A", ""));
    EXPECT_EQ(main().selectedRecord(), QStringLiteral("demo-home.example;;A;;;;192.0.2.10"));
    user.sDomainUserRecords += QStringLiteral("~~demo-lab.example;;A;;other;;192.0.2.13");
    main().FillDomainUserGrid();
    EXPECT_TRUE(grid().selectedItems().isEmpty());
}

TEST_F(GridTest, ColumnClicksSortCaseInsensitivelyAndRebuildsStaySorted) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    main().lvDomainUser_ColumnClick(2);
    EXPECT_EQ(main().sortKey(), 1);
    EXPECT_EQ(main().sortOrder(), 1);
    EXPECT_TRUE(main().isSorted());
    EXPECT_EQ(column(1), QStringList({"PORT RELAY", "MX 1", "CNAME", "A", "A", "A"}));
    main().lvDomainUser_ColumnClick(2);
    EXPECT_EQ(main().sortOrder(), 0);
    EXPECT_EQ(column(1), QStringList({"A", "A", "A", "CNAME", "MX 1", "PORT RELAY"}));

    // By domain, ascending: letter case does not decide the order.
    main().lvDomainUser_ColumnClick(1);
    main().lvDomainUser_ColumnClick(1);
    ASSERT_EQ(main().sortOrder(), 0);
    objUser().sDomainUserRecords = QStringLiteral(
        "gamma.example;;A;;@;;1.1.1.1~~Beta.example;;A;;@;;1.1.1.1~~alpha.example;;A;;@;;1.1.1.1");
    main().FillDomainUserGrid();
    EXPECT_EQ(column(0), QStringList({"alpha.example", "Beta.example", "gamma.example"}));
    EXPECT_FALSE(grid().isSortingEnabled());
}

TEST_F(GridTest, DeleteActionAsksAndRemovesTheRecordAndItsMark) {
    storeUserText(QStringLiteral("demo"), QStringLiteral("AutoIPs"),
                  QStringLiteral("DEMO-HOME.EXAMPLE;;A;;WWW;;192.0.2.10~~"
                                 "DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    sim_->clearLog();
    messages_.clear();

    main().cmdDeleteGrid_Click();  // nothing selected
    messages_.queueAnswer(MsgAnswer::No);
    click(row("demo-home.example", "A", "www"));
    main().cmdDeleteGrid_Click();
    ASSERT_EQ(messages_.shown().size(), 2u);
    EXPECT_EQ(messages_.shown()[0].text, QStringLiteral("Please select a row"));
    EXPECT_EQ(messages_.shown()[0].title, QStringLiteral("Corvane"));
    EXPECT_EQ(messages_.shown()[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(messages_.shown()[1].title, QStringLiteral("Corvane"));
    EXPECT_EQ(messages_.shown()[1].text,
              QStringLiteral("Are you sure you want to delete the selected record?\r\n\r\n"
                             "Domain: demo-home.example\r\nType: A\r\nName: www\r\n"
                             "Server Address: 192.0.2.10\r\nAutoIP: Yes\r\n"));
    EXPECT_TRUE(ticklerRequests().isEmpty());

    messages_.clear();
    messages_.queueAnswer(MsgAnswer::Yes);
    main().cmdDeleteGrid_Click();
    const QStringList sent = ticklerRequests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(
        sent[0].endsWith("&Cname=www&Domain=demo-home.example&DNSCommand=RECORDDELETE&"
                         "RecordType=A&IPAddress=192.0.2.10"));
    ASSERT_EQ(messages_.shown().size(), 2u);
    EXPECT_EQ(
        messages_.shown()[1].text,
        QStringLiteral("Transaction Complete:\nIP Removed for Name:www IPAddress:192.0.2.10"));
    EXPECT_FALSE(serviceRecords("demo", "demo").contains(QStringLiteral(";;www;;")));
    EXPECT_EQ(sAutoIPs, QStringLiteral("DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~"));
    EXPECT_EQ(row("demo-home.example", "A", "www"), nullptr);
    EXPECT_EQ(grid().topLevelItemCount(), 5);

    // With no rows left there is nothing to delete.
    objUser().sDomainUserRecords.clear();
    main().FillDomainUserGrid();
    messages_.clear();
    main().cmdDeleteGrid_Click();
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text,
              QStringLiteral("There are no rows to delete. Please click on 'Add' button add an "
                             "entry before attempting to delete."));
}

// The question's loop lets a check run; its rebuild selects the remembered record again. The
// record deleted is still the one the question named.
TEST_F(GridTest, DeleteRemovesTheRecordTheQuestionNamedThoughARebuildSelectedAnother) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    click(row("demo-home.example", "A", "www"));
    grid().setCurrentItem(row("demo-lab.example", "A", "bench"));  // by keyboard: no click
    sim_->clearLog();
    messages_.onShow = [this](const MsgBoxRequest& request) {
        if (request.buttons == MsgButtons::YesNo) {
            objUser().sDomainUserRecords += QStringLiteral("~~demo-lab.example;;A;;x;;1.1.1.1");
            main().FillDomainUserGrid();
            ASSERT_EQ(grid().selectedItems().value(0)->text(2), QStringLiteral("www"));
        }
    };
    main().cmdDeleteGrid_Click();
    EXPECT_TRUE(messages_.shown().at(0).text.contains("Name: bench"));
    const QStringList sent = ticklerRequests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent[0].contains("Cname=bench&")) << sent[0].toStdString();
    EXPECT_TRUE(serviceRecords("demo", "demo").contains(";;www;;"));
}

}  // namespace
}  // namespace quillon::test
