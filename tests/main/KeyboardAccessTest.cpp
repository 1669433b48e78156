#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "MainFixture.h"
#include "resources/PictureButton.h"
#include "support/Wait.h"

namespace quillon::test {
namespace {

class KeyboardAccessTest : public MainFixture {
  protected:
    void startActive() {
        ASSERT_TRUE(startAs(QStringLiteral("demo")));
        main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void press(QWidget* target, Qt::Key key) { QTest::keyClick(target, key); }
    QTreeWidget* grid() { return mainControl<QTreeWidget>("lvDomainUser"); }
    // The selected row's index, or -1; the test fails when the current row is another.
    int selectedIndex() {
        const QList<QTreeWidgetItem*> selected = grid()->selectedItems();
        const int index = selected.isEmpty() ? -1 : grid()->indexOfTopLevelItem(selected.first());
        EXPECT_EQ(grid()->currentItem(), selected.value(0)) << "current row is not the selected";
        return index;
    }
    // The controls Tab visits from the focus until it comes round again.
    static QList<QWidget*> tabRound() {
        QList<QWidget*> visited;
        QWidget* start = focused();
        for (int i = 0; i < 60 && focused() != nullptr; ++i) {
            press(focused(), Qt::Key_Tab);
            if (focused() == start) {
                break;
            }
            visited.append(focused());
        }
        return visited;
    }
    // Every control that shows lies wholly inside the control that holds it.
    static void expectNothingOutsideItsFrame(QWidget* frame) {
        for (QWidget* w : frame->findChildren<QWidget*>()) {
            if (w->isVisible() && !w->isWindow()) {
                EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                    << w->objectName().toStdString() << " lies outside "
                    << w->parentWidget()->objectName().toStdString();
            }
        }
    }
};

// The labels that assistive technology reads for a control: its own name and the captions
// that label it.
QStringList accessibleLabels(QWidget* control) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
    QStringList labels{iface->text(QAccessible::Name)};
    for (const auto& relation : iface->relations(QAccessible::Label)) {
        labels.append(relation.first->text(QAccessible::Name));
    }
    return labels;
}

TEST_F(KeyboardAccessTest, EveryButtonImageAndBoxTellsAssistiveTechnologyWhatItIs) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    for (const char* name :
         {"cmdAddGrid", "cmdDeleteGrid", "cmdEditGrid", "cmdAdvancedDomain", "cmdCorvaneSetIP",
          "cmdAdvancedFree", "cmdServerIP", "cmdCancel", "cmdOKAdvanced"}) {
        SCOPED_TRACE(name);
        PictureButton* b = mainButton(name);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(b->picture());
        EXPECT_EQ(iface->role(), QAccessible::Button);
        EXPECT_EQ(iface->text(QAccessible::Name), b->caption());
    }
    for (QLabel* help : {mainControl<QLabel>("imgHelpGrid"), mainControl<QLabel>("imgHelpFree"),
                         mainControlIn<QLabel>("frameOtherDomain", "imgHelpDomain"),
                         mainControlIn<QLabel>("frameAdvanced", "imgHelpDomain")}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(help);
        EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Help"));
        EXPECT_EQ(iface->text(QAccessible::Description),
                  QStringLiteral("Click here for help page."));
    }
    EXPECT_FALSE(accessibleLabels(mainControl<QTreeWidget>("lvDomainUser")).first().isEmpty());
    const struct {
        const char* box;
        const char* caption;
    } captioned[] = {
        {"cboDomain", "Domain:"},
        {"cboRecordType", "Record Type:"},
        {"txtCName", "Name:"},
        {"txtServerIP", "Pointing To:"},
        {"cboRefreshRate", "Refresh Rate (seconds):"},
    };
    for (const auto& c : captioned) {
        EXPECT_TRUE(
            accessibleLabels(mainControl<QWidget>(c.box)).contains(QLatin1String(c.caption)))
            << c.box;
    }
}

TEST_F(KeyboardAccessTest, ARecordIsAddedAndTheEditorLeftWithTheKeyboardAlone) {
    startActive();
    mainControl<QTreeWidget>("lvDomainUser")->setFocus();
    press(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), mainButton("cmdAddGrid")->picture());
    press(focused(), Qt::Key_Space);
    ASSERT_FALSE(mainControl<QFrame>("frameOtherDomain")->isHidden())
        << "Space on Add did not open the editor";
    EXPECT_EQ(focused(), mainControl<QComboBox>("cboDomain"));

    const QList<QWidget*> order = {
        mainControl<QComboBox>("cboRecordType"), mainControl<QLineEdit>("txtCName"),
        mainControl<QLineEdit>("txtServerIP"),   mainControl<QCheckBox>("chkDomainAutoIP"),
        mainButton("cmdServerIP")->picture(),    mainButton("cmdCancel")->picture()};
    for (QWidget* next : order) {
        press(focused(), Qt::Key_Tab);
        ASSERT_EQ(focused(), next) << next->objectName().toStdString();
    }
    press(focused(), Qt::Key_Return);
    ASSERT_FALSE(mainControl<QFrame>("frameGrid")->isHidden())
        << "Enter on Cancel did not go back to the grid";
    // The focus came back with the grid instead of staying on the hidden Cancel.
    EXPECT_EQ(focused(), mainControl<QTreeWidget>("lvDomainUser"));
}

TEST_F(KeyboardAccessTest, TheDomainAccountsAdvancedFrameHasNothingBelowItsEdge) {
    startActive();
    mainButton("cmdAdvancedDomain")->picture()->setFocus();
    press(focused(), Qt::Key_Space);
    auto* frame = mainControl<QFrame>("frameAdvanced");
    ASSERT_FALSE(frame->isHidden());
    expectNothingOutsideItsFrame(frame);
    // The MX and alias boxes below the edge are neither reported nor reached.
    auto* mx = mainControl<QCheckBox>("chkMX");
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(mx)->state().invisible);
    mainControl<QCheckBox>("chkSSL")->setFocus();
    for (QWidget* reached : tabRound()) {
        EXPECT_TRUE(reached->isVisible()) << reached->objectName().toStdString();
    }
    // Escape closes the frame as Done does.
    mainControl<QCheckBox>("chkSSL")->setFocus();
    press(focused(), Qt::Key_Escape);
    EXPECT_TRUE(frame->isHidden());
    EXPECT_FALSE(mainControl<QFrame>("frameGrid")->isHidden());
    expectNothingOutsideItsFrame(mainControl<QFrame>("frameGrid"));
}

TEST_F(KeyboardAccessTest, TabIntoTheGridSelectsItsCurrentRowWhichArrowsMoveAndEnterOpens) {
    startActive();
    grid()->setCurrentItem(nullptr);
    grid()->clearSelection();
    mainButton("cmdAddGrid")->picture()->setFocus();
    QTest::keyClick(focused(), Qt::Key_Backtab);
    ASSERT_EQ(focused(), grid());
    EXPECT_EQ(selectedIndex(), 0);
    press(grid(), Qt::Key_Down);
    EXPECT_EQ(selectedIndex(), 1);
    const QString address = grid()->topLevelItem(1)->text(3);
    press(grid(), Qt::Key_Return);
    ASSERT_FALSE(mainControl<QFrame>("frameOtherDomain")->isHidden()) << "Enter did not open";
    EXPECT_EQ(mainControl<QLineEdit>("txtServerIP")->text(), address);
    // Escape leaves the editor as Cancel does: nothing sent, the grid back on the same row.
    sim_->clearLog();
    mainControl<QLineEdit>("txtServerIP")->setText(QStringLiteral("10.9.9.9"));
    press(focused(), Qt::Key_Escape);
    EXPECT_TRUE(mainControl<QFrame>("frameOtherDomain")->isHidden());
    EXPECT_TRUE(ticklerRequests().isEmpty());
    EXPECT_EQ(focused(), grid());
    EXPECT_EQ(selectedIndex(), 1);
}

TEST_F(KeyboardAccessTest, AfterAnUpdateTheGridHasTheKeyboardOnTheChangedRow) {
    startActive();
    grid()->setFocus();
    press(grid(), Qt::Key_Down);
    press(grid(), Qt::Key_Return);
    ASSERT_FALSE(mainControl<QFrame>("frameOtherDomain")->isHidden());
    const QString domain = mainControl<QComboBox>("cboDomain")->currentText();
    auto* address = mainControl<QLineEdit>("txtServerIP");
    address->setText(QStringLiteral("198.51.100.77"));
    press(address, Qt::Key_Return);  // Update/Add, then OK on the message
    ASSERT_TRUE(mainControl<QFrame>("frameOtherDomain")->isHidden());
    ASSERT_EQ(focused(), grid());
    const int row = selectedIndex();
    ASSERT_GE(row, 0);
    EXPECT_EQ(grid()->topLevelItem(row)->text(0), domain);
    EXPECT_EQ(grid()->topLevelItem(row)->text(3), QStringLiteral("198.51.100.77"));
}

TEST_F(KeyboardAccessTest, AfterADeleteTheNeighbourRowIsSelectedWithTheKeyboard) {
    startActive();
    const int rows = grid()->topLevelItemCount();
    ASSERT_GE(rows, 3);
    grid()->setFocus();
    press(grid(), Qt::Key_Down);
    ASSERT_EQ(selectedIndex(), 1);
    const QString below = grid()->topLevelItem(2)->text(3);
    mainButton("cmdDeleteGrid")->picture()->setFocus();
    messages_.queueAnswer(MsgAnswer::Yes);
    press(focused(), Qt::Key_Return);
    ASSERT_EQ(grid()->topLevelItemCount(), rows - 1) << "the row was not deleted";
    EXPECT_EQ(focused(), grid());
    EXPECT_EQ(selectedIndex(), 1);
    EXPECT_EQ(grid()->topLevelItem(1)->text(3), below);
}

TEST_F(KeyboardAccessTest, HelpPicturesAreLinksTheKeyboardRunsAndTheBannerIsNamed) {
    startActive();
    mainButton("cmdAdvancedDomain")->picture()->setFocus();
    press(focused(), Qt::Key_Tab);
    auto* help = mainControl<QLabel>("imgHelpGrid");
    ASSERT_EQ(focused(), help);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(help)->role(), QAccessible::Link);
    press(focused(), Qt::Key_Return);
    ASSERT_EQ(pages_.opened().size(), 1);
    EXPECT_TRUE(pages_.opened().first().endsWith(QLatin1String("/help")));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(mainControl<QLabel>("Image1"))
                  ->text(QAccessible::Name),
              QStringLiteral("Corvane Dynamic DNS"));
}

}  // namespace
}  // namespace quillon::test
