// The connection settings at start-up when the registry component cannot be loaded: this
// program is built in a folder of its own, with no libhivekit.so beside it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QWidget>

#include "platform/ClientError.h"
#include "protocol/LoadAdvancedTabSettings.h"
#include "registry/ComponentLoader.h"
#include "support/Seams.h"

namespace quillon {
namespace {

TEST(MissingComponent, StartUpReportsAComponentThatCannotBeLoadedOnce) {
    ASSERT_THROW(ComponentLoader::library(), ClientError) << "the component was found";
    test::ScriptedMessageBoxes boxes;
    test::BeepCounter beeps;
    QWidget window;
    (new QComboBox(&window))->setObjectName(QStringLiteral("cboPorts"));
    (new QComboBox(&window))->setObjectName(QStringLiteral("cboRefreshRate"));
    (new QCheckBox(&window))->setObjectName(QStringLiteral("chkSSL"));

    // The login window's load: the endpoint overrides, then the settings, from one key.
    LoadEndpointOverrides();
    LoadAdvancedTabSettings(&window);

    ASSERT_EQ(boxes.texts().size(), 1) << boxes.texts().join(QStringLiteral(" || ")).toStdString();
    EXPECT_TRUE(boxes.texts()[0].startsWith(QStringLiteral("basDNS.LoadAdvancedTabSettings()")));
    EXPECT_TRUE(boxes.texts()[0].contains(QStringLiteral("could not be loaded")));
    EXPECT_EQ(beeps.count(), 1);
}

}  // namespace
}  // namespace quillon
