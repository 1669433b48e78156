#include <QAccessible>
#include <QApplication>
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
    frmMain& m = main();
    for (PictureButton* b :
         {m.cmdAddGrid_, m.cmdDeleteGrid_, m.cmdEditGrid_, m.cmdAdvancedDomain_, m.cmdCorvaneSetIP_,
          m.cmdAdvancedFree_, m.cmdServerIP_, m.cmdCancel_, m.cmdOKAdvanced_}) {
        SCOPED_TRACE(b->picture()->objectName().toStdString());
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(b->picture());
        EXPECT_EQ(iface->role(), QAccessible::Button);
        EXPECT_EQ(iface->text(QAccessible::Name), b->caption());
    }
    for (QLabel* help :
         {m.imgHelpGrid_, m.imgHelpFree_, m.imgHelpDomainEditor_, m.imgHelpDomainAdvanced_}) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(help)->text(QAccessible::Name),
                  QStringLiteral("Click here for help page."));
    }
    EXPECT_FALSE(accessibleLabels(m.lvDomainUser_).first().isEmpty());
    EXPECT_TRUE(accessibleLabels(m.cboDomain_).contains(QStringLiteral("Domain:")));
    EXPECT_TRUE(accessibleLabels(m.cboRecordType_).contains(QStringLiteral("Record Type:")));
    EXPECT_TRUE(accessibleLabels(m.txtCName_).contains(QStringLiteral("Name:")));
    EXPECT_TRUE(accessibleLabels(m.txtServerIP_).contains(QStringLiteral("Pointing To:")));
    EXPECT_TRUE(
        accessibleLabels(m.cboRefreshRate_).contains(QStringLiteral("Refresh Rate (seconds):")));
}

TEST_F(KeyboardAccessTest, ARecordIsAddedAndTheEditorLeftWithTheKeyboardAlone) {
    startActive();
    frmMain& m = main();
    m.lvDomainUser_->setFocus();
    press(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), m.cmdAddGrid_->picture());
    press(focused(), Qt::Key_Space);
    ASSERT_FALSE(m.frameOtherDomain_->isHidden()) << "Space on Add did not open the editor";
    EXPECT_EQ(focused(), m.cboDomain_);

    const QList<QWidget*> order = {m.cboRecordType_,
                                   m.txtCName_,
                                   m.txtServerIP_,
                                   m.chkDomainAutoIP_,
                                   m.cmdServerIP_->picture(),
                                   m.cmdCancel_->picture()};
    for (QWidget* next : order) {
        press(focused(), Qt::Key_Tab);
        ASSERT_EQ(focused(), next) << next->objectName().toStdString();
    }
    press(focused(), Qt::Key_Return);
    ASSERT_FALSE(m.frameGrid_->isHidden()) << "Enter on Cancel did not go back to the grid";
    // The focus came back with the grid instead of staying on the hidden Cancel.
    EXPECT_EQ(focused(), m.lvDomainUser_);
}

}  // namespace
}  // namespace quillon::test
