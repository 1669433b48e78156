// The login window of a program whose registry component cannot be loaded. This program is
// built into a folder of its own, without libhivekit.so beside it, so that the component's
// loader finds nothing.
#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include "diagnostics/LogFolder.h"
#include "login/frmLogin.h"
#include "platform/ClientError.h"
#include "platform/Endpoints.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "support/Seams.h"

namespace quillon {
namespace {

// The endpoint overrides and the connection settings both read the key SOFTWARE\Corvane\Init
// when the window loads; a component that cannot be loaded is one failure and one report.
TEST(ComponentMissing, TheLoginWindowsLoadReportsItOnce) {
    ASSERT_THROW(Registry(), ClientError) << "the component was found; this test needs it absent";
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    test::ScriptedMessageBoxes messages;
    test::BeepCounter beeps;

    auto* window = new frmLogin;
    ASSERT_EQ(messages.shown().size(), 1u) << messages.texts().join('|').toStdString();
    EXPECT_EQ(messages.shown()[0].title, "Error");
    EXPECT_TRUE(messages.shown()[0].text.startsWith("basDNS.LoadAdvancedTabSettings()"))
        << messages.shown()[0].text.toStdString();
    EXPECT_EQ(beeps.count(), 1);
    // The constant endpoints stay in force; the address is their default form.
    EXPECT_EQ(sServiceURL, "http://update.corvane.example/dnslogin3.asp");
    QFile log(dir.filePath("Logs/Pindrel_" + QDate::currentDate().toString("MMdd") + ".log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count("basDNS."), 1);

    delete window;
    setProgramFolder(QString());
}

}  // namespace
}  // namespace quillon
