#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include "MainFixture.h"
#include "platform/Autostart.h"
#include "resources/PictureButton.h"

// The advanced frame's "Start with the desktop session" box, on the real main window.

namespace quillon::test {
namespace {

class AutostartBoxTest : public MainFixture {};

TEST_F(AutostartBoxTest, ClicksWriteAndRemoveTheEntryAndAFailureIsToldAndUndone) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    frmMain& m = main();
    QCheckBox* box = mainControl<QCheckBox>("chkAutostart");
    QFrame* advanced = mainControl<QFrame>("frameAdvanced");
    EXPECT_EQ(box->text(), "Start with the desktop session");
    EXPECT_FALSE(box->isChecked());

    // An entry made outside the program shows when the frame is opened.
    ASSERT_TRUE(SetAutostart(true, "/elsewhere/quillon").done);
    mainButton("cmdAdvancedDomain")->click();
    ASSERT_FALSE(advanced->isHidden());
    EXPECT_TRUE(box->isChecked());

    // In both account kinds' frames the box shows whole, inside the frame, clear of the rest.
    for (const char* mode : {"AdvancedDomain", "AdvancedFree"}) {
        SCOPED_TRACE(mode);
        m.ShowFrame(QLatin1String(mode));
        EXPECT_TRUE(box->isVisible());
        EXPECT_GE(box->width(), box->sizeHint().width());
        EXPECT_TRUE(QRect(QPoint(), advanced->size()).contains(box->geometry()));
        for (QWidget* other : advanced->findChildren<QWidget*>()) {
            if (other != box && other->isVisible() && other->parentWidget() == advanced) {
                EXPECT_FALSE(other->geometry().intersects(box->geometry()))
                    << other->objectName().toStdString();
            }
        }
    }
    QCheckBox* ssl = mainControl<QCheckBox>("chkSSL");
    EXPECT_GE(ssl->width(), ssl->sizeHint().width());

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(QFile::exists(AutostartEntryPath()));

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->isChecked());
    QFile entry(AutostartEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_EQ(entry.readAll(),
              AutostartEntryText(QCoreApplication::applicationFilePath()).toUtf8());
    EXPECT_TRUE(messages_.shown().empty());

    // A folder that cannot be written: the user is told, and the box shows the entry absent.
    ASSERT_TRUE(SetAutostart(false, QString()).done);
    QDir(AutostartFolder()).removeRecursively();
    QFile blocker(AutostartFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    mainButton("cmdAdvancedDomain")->click();
    ASSERT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_TRUE(messages_.shown()[0].text.startsWith(
        "Quillon could not be set to start with the desktop session."));
    EXPECT_TRUE(messages_.shown()[0].text.contains(AutostartFolder()));
    EXPECT_EQ(messages_.shown()[0].icon, MsgIcon::Exclamation);
}

}  // namespace
}  // namespace quillon::test
