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
        EXPECT_EQ(QAccessible::queryAccessibleInterface(help)->text(QAccessible::Name),
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

}  // namespace
}  // namespace quillon::test
