#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QTemporaryFile>

#include "MainFixture.h"
#include "platform/QtThreadsEnd.h"
#include "resources/PictureButton.h"

// The main window on a small laptop at twice the scale: a screen of 1280 x 800 pixels, so
// 640 x 400 for the program, smaller than the window's default size.

namespace quillon::test {
namespace {

class SmallScreenTest : public MainFixture {
  protected:
    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    // The window's frame, title bar included, lies on the screen, and the grid's buttons in it.
    void expectGridOnScreen() {
        frmMain& m = main();
        EXPECT_TRUE(available().contains(m.frameGeometry()))
            << m.frameGeometry().x() << "," << m.frameGeometry().y() << " "
            << m.frameGeometry().width() << "x" << m.frameGeometry().height();
        QLabel* add = mainButton("cmdAddGrid")->picture();
        const QRect button(add->mapTo(&m, QPoint(0, 0)), add->size());
        EXPECT_TRUE(m.rect().contains(button)) << "the grid's buttons are cut off";
    }
};

TEST_F(SmallScreenTest, TheGridOpensWithinTheScreen) {
    ASSERT_EQ(available().size(), QSize(640, 400));
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    expectGridOnScreen();

    // The editor is held at its frame's size; it fits, title bar and all.
    main().ShowFrame(QStringLiteral("Domain"));
    EXPECT_TRUE(available().contains(main().frameGeometry()));
}

TEST_F(SmallScreenTest, GeometryStoredOnALargerScreenIsBroughtOntoThisOne) {
    const QString user = QStringLiteral("demo");
    storeUserDword(user, QStringLiteral("MainLeft"), 24000);
    storeUserDword(user, QStringLiteral("MainTop"), 15000);
    storeUserDword(user, QStringLiteral("MainWidth"), 15000);
    storeUserDword(user, QStringLiteral("MainHeight"), 12000);
    ASSERT_TRUE(startAs(user));
    expectGridOnScreen();
}

TEST_F(SmallScreenTest, PicturesAreDrawnAtTheScreensPixelRatio) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    // Each picture holds twice as many pixels across as the control it fills: none is a
    // drawing at one pixel per unit enlarged.
    for (QLabel* picture : {mainButton("cmdAddGrid")->picture(), mainControl<QLabel>("imgHelpGrid"),
                            mainControlIn<QLabel>("frmTop", "Image1")}) {
        SCOPED_TRACE(picture->objectName().toStdString());
        const QPixmap pixmap = picture->pixmap();
        EXPECT_EQ(pixmap.devicePixelRatio(), 2.0);
        EXPECT_GE(pixmap.width(), picture->width() * 2 - 1);
    }
}

}  // namespace
}  // namespace quillon::test

// The offscreen platform with one screen of 1280 x 800 pixels, at twice the scale.
int main(int argc, char** argv) {
    QTemporaryFile config;
    if (!config.open()) {
        return 2;
    }
    config.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280,
                     "height": 800, "logicalDpi": 96}]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    qputenv("QT_SCALE_FACTOR", "2");
    const quillon::QtThreadsEndBeforeExit qtThreadsEnd;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
