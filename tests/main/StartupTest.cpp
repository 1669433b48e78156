#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTreeWidget>

#include "MainFixture.h"
#include "login/ProgramFlags.h"
#include "login/clsUser.h"
#include "platform/Twips.h"
#include "protocol/basDNS.h"

namespace quillon::test {
namespace {

class StartupTest : public MainFixture {};

TEST_F(StartupTest, SavedLoginStartsStraightIntoTheGrid) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(main().windowTitle(), QStringLiteral("Corvane Dynamic DNS version 1.2 Rev 34"));
    EXPECT_FALSE(mainControl<QFrame>("frameGrid")->isHidden());
    EXPECT_TRUE(mainControl<QFrame>("frameCorvaneDomain")->isHidden());
    EXPECT_EQ(mainControl<QLineEdit>("txtCName")->text(), QStringLiteral("demo"));
    // Level 5 adds "Port Relay" after the account's own types.
    auto* types = mainControl<QComboBox>("cboRecordType");
    ASSERT_EQ(types->count(), 5);
    EXPECT_EQ(types->itemText(4), QStringLiteral("Port Relay"));
    EXPECT_TRUE(main().tmrAuto_ && main().tmrAuto_->isActive());
    EXPECT_TRUE(main().trayOn()->intray());
}

}  // namespace
}  // namespace quillon::test
