#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "Version.h"
#include "diagnostics/frmAbout.h"
#include "platform/Endpoints.h"
#include "resources/PictureButton.h"
#include "resources/Resources.h"
#include "support/Seams.h"
#include "support/Wait.h"

using namespace quillon;

namespace {

QImage faceOf(QLabel* picture) {
    return picture->pixmap().toImage();
}
QImage face(bool down, QLabel* picture) {
    return buttonFace(down, picture->size()).toImage();
}

}  // namespace

TEST(frmAbout, ShowsCaptionVersionAndNotice) {
    EXPECT_EQ(frmAbout::versionText(1, 2, 34), "Corvane Dynamic DNS Version 1.2 Rev 34");
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), "About Corvane DNS App");
    auto* title = about.findChild<QLabel*>("lblTitle");
    ASSERT_NE(title, nullptr);
    const QStringList lines = title->text().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QString("Corvane Dynamic DNS Version %1.%2 Rev %3")
                            .arg(QUILLON_VERSION_MAJOR)
                            .arg(QUILLON_VERSION_MINOR)
                            .arg(QUILLON_VERSION_REVISION));
    // The notice says what LICENSE and the package's copyright file say.
    EXPECT_EQ(lines[1], QString::fromUtf8("Copyright \u00a9 2026 The Quillon developers"));
    EXPECT_EQ(lines[2], "Released under the MIT licence");
    auto* logo = about.findChild<QLabel*>("Image1");
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->pixmap().isNull());
    auto* label2 = about.findChild<QLabel*>("Label2");
    ASSERT_NE(label2, nullptr);
    EXPECT_EQ(label2->text(), "Ok");
}

TEST(frmAbout, TermsLinkOpensTheTermsPage) {
    test::RecordingPageOpener pages;
    frmAbout about;
    about.show();
    auto* link = about.findChild<QLabel*>("Label1");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), "Click here to view the Corvane Terms of Service");
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(pages.opened(), QStringList({endpoints().webSite + "/tos.asp"}));
}

TEST(frmAbout, OkLabelPressesTheButtonDownAndUpAndClosesOnTheClick) {
    frmAbout::ShowAbout(nullptr, false);
    QPointer<frmAbout> about = frmAbout::loaded();
    ASSERT_NE(about, nullptr);
    auto* cmdOK = about->findChild<QLabel*>("cmdOK");
    auto* label2 = about->findChild<QLabel*>("Label2");
    ASSERT_NE(cmdOK, nullptr);
    ASSERT_NE(label2, nullptr);
    EXPECT_EQ(faceOf(cmdOK), face(false, cmdOK));
    EXPECT_EQ(faceOf(cmdOK), LoadResPicture("buttonup").toImage());  // 1200 x 375 twips

    QTest::mousePress(label2, Qt::LeftButton);
    EXPECT_EQ(faceOf(cmdOK), face(true, cmdOK));
    EXPECT_NE(face(true, cmdOK), face(false, cmdOK));
    EXPECT_TRUE(about->isVisible());
    QTest::mouseRelease(label2, Qt::LeftButton);
    EXPECT_TRUE(test::waitUntil([&] { return about.isNull(); }));  // unloaded
    EXPECT_EQ(frmAbout::loaded(), nullptr);
}

TEST(frmAbout, OneAtATimeAndBuiltAfreshEachTime) {
    frmAbout::ShowAbout(nullptr, false);
    QPointer<frmAbout> first = frmAbout::loaded();
    ASSERT_NE(first, nullptr);
    frmAbout::ShowAbout(nullptr, false);  // already loaded: the same one comes forward
    EXPECT_EQ(frmAbout::loaded(), first.data());
    QTest::mouseClick(first->findChild<QLabel*>("cmdOK"), Qt::LeftButton);
    EXPECT_TRUE(test::waitUntil([&] { return first.isNull(); }));

    // Modal: the click arrives from the event loop that the modal window runs.
    bool sawLoaded = false;
    QTimer::singleShot(0, [&] {
        frmAbout* again = frmAbout::loaded();
        sawLoaded = again != nullptr && again->isModal();
        if (again != nullptr) {
            QTest::mouseClick(again->findChild<QLabel*>("Label2"), Qt::LeftButton);
        }
    });
    frmAbout::ShowAbout(nullptr, true);
    EXPECT_TRUE(sawLoaded);
    EXPECT_EQ(frmAbout::loaded(), nullptr);
}

TEST(PictureButton, ClicksOnlyWhenReleasedOverTheControlThatWasPressed) {
    QWidget window;
    PictureButton button(&window, "cmdGo", "Label7", "Go");
    button.setGeometryTwips(150, 150, 1500, 450);
    window.show();
    int clicks = 0;
    QObject::connect(&button, &PictureButton::clicked, [&] { ++clicks; });
    EXPECT_EQ(window.findChild<QLabel*>("cmdGo"), button.picture());
    EXPECT_EQ(window.findChild<QLabel*>("Label7")->text(), "Go");
    EXPECT_EQ(button.picture()->size(), QSize(100, 30));

    QTest::mousePress(button.picture(), Qt::LeftButton);
    EXPECT_TRUE(button.isDown());
    QTest::mouseRelease(button.picture(), Qt::LeftButton, {}, QPoint(500, 500));  // moved away
    EXPECT_FALSE(button.isDown());
    EXPECT_EQ(faceOf(button.picture()), face(false, button.picture()));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(button.picture(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    button.setEnabled(false);
    QTest::mouseClick(button.label(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(Resources, NamesAreCaseInsensitiveAndUnknownNamesGiveNothing) {
    EXPECT_EQ(LoadResPicture("BUTTONDWN").size(), QSize(80, 25));
    EXPECT_NE(LoadResPicture("ButtonDwn").toImage(), LoadResPicture("ButtonUp").toImage());
    EXPECT_FALSE(LoadResPicture("logo").isNull());
    EXPECT_TRUE(LoadResPicture("Nothing").isNull());
    EXPECT_FALSE(programIcon().isNull());
    EXPECT_NE(trayIconConnected().pixmap(16).toImage(),
              trayIconNotConnected().pixmap(16).toImage());
    EXPECT_EQ(handCursor().hotSpot(), QPoint(10, 1));
}

TEST(frmAbout, OkTakesTheFocusTabReachesTheTermsLinkAndEnterOpensIt) {
    test::RecordingPageOpener pages;
    frmAbout about;
    about.show();
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    auto* ok = about.findChild<QLabel*>("cmdOK");
    auto* link = about.findChild<QLabel*>("Label1");
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), link);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(link);
    EXPECT_EQ(iface->role(), QAccessible::Link);
    EXPECT_EQ(iface->text(QAccessible::Name), link->text());
    QTest::keyClick(link, Qt::Key_Return);
    ASSERT_EQ(pages.opened().size(), 1);
    EXPECT_TRUE(pages.opened().first().endsWith(QLatin1String("/tos.asp")));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(about.findChild<QLabel*>("Image1"))
                  ->text(QAccessible::Name),
              QStringLiteral("Corvane"));
}
