#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include "MainFixture.h"
#include "desktop/Twips.h"
#include "desktop/WindowFrame.h"
#include "main/CSizer.h"
#include "resources/PictureButton.h"
#include "resources/Resources.h"
#include "support/GeometryPrinters.h"
#include "support/Wait.h"

namespace quillon::test {
namespace {

QRect layoutTwipsOf(const QWidget* w) {
    return QRect(pixelsToTwips(w->x()), pixelsToTwips(w->y()), pixelsToTwips(w->width()),
                 pixelsToTwips(w->height()));
}

// A length in twips as the 15-twip pixel grid holds it.
int onGrid(int twips) {
    return pixelsToTwips(twipsToPixels(twips));
}

class LayoutTest : public MainFixture {
  protected:
    void startGrid() {
        ASSERT_TRUE(startAs(QStringLiteral("demo")));
        ASSERT_FALSE(mainControl<QFrame>("frameGrid")->isHidden());
        settle();
    }
    // Lets the platform deliver what it queued (geometry and state changes).
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }
    void resizeWindow(int width, int height) {
        main().setTwipsGeometry(main().twipsLeft(), main().twipsTop(), width, height);
        settle();
    }
    QSize windowSize() { return QSize(main().twipsWidth(), main().twipsHeight()); }
    QList<QFrame*> shownFrames() {
        QList<QFrame*> shown;
        for (QFrame* f :
             {mainControl<QFrame>("frameGrid"), mainControl<QFrame>("frameCorvaneDomain"),
              mainControl<QFrame>("frameOtherDomain"), mainControl<QFrame>("frameAdvanced")}) {
            if (!f->isHidden()) {
                shown.append(f);
            }
        }
        return shown;
    }
    QString user_ = QStringLiteral("demo");
};

TEST_F(LayoutTest, EachModeShowsOneFrameAndSizesTheWindowToIt) {
    startGrid();
    frmMain& m = main();
    const int topY = 1500 + 200;
    struct Case {
        const char* mode;
        QFrame* frame;
        int frameHeight;
    };
    const Case cases[] = {
        {"Domain", mainControl<QFrame>("frameOtherDomain"), 2055},
        {"Corvane", mainControl<QFrame>("frameCorvaneDomain"), 1335},
        {"AdvancedFree", mainControl<QFrame>("frameAdvanced"), 2850},
        {"AdvancedDomain", mainControl<QFrame>("frameAdvanced"), 1360},
    };
    // The window's outer size holds the frame with 850 twips below and 360 beside it.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        m.ShowFrame(QLatin1String(c.mode));
        settle();
        EXPECT_EQ(shownFrames(), QList<QFrame*>{c.frame});
        EXPECT_EQ(m.sizer(), nullptr);
        const QRect frame = layoutTwipsOf(c.frame);
        EXPECT_EQ(frame.top(), onGrid(topY));
        EXPECT_EQ(frame.height(), onGrid(c.frameHeight));
        EXPECT_EQ(windowSize(),
                  QSize(onGrid(8535 + 360), onGrid(frame.height() + frame.top() + 850)));
        EXPECT_EQ(layoutTwipsOf(mainControl<QFrame>("frmTop")).width(), 8535);
        EXPECT_EQ(layoutTwipsOf(mainControl<QFrame>("frmIPStatus")).left(), 8535 - 4095);
        // The maximize box is no way out of a held size.
        m.setWindowStateNumber(2);
        settle();
        EXPECT_EQ(m.windowStateNumber(), 0);
        EXPECT_EQ(windowSize().height(), onGrid(frame.height() + frame.top() + 850));
    }
    // Done sits 450 above the free frame's bottom, level with the refresh rate in the domain
    // account's short frame, whose alias boxes (Top 1440 and below) are then out of view.
    m.ShowFrame(QStringLiteral("AdvancedFree"));
    const PictureButton* done = mainButton("cmdOKAdvanced");
    EXPECT_EQ(layoutTwipsOf(done->picture()).top(), 2850 - 450);
    m.ShowFrame(QStringLiteral("AdvancedDomain"));
    EXPECT_EQ(layoutTwipsOf(done->picture()).top(),
              layoutTwipsOf(mainControl<QComboBox>("cboRefreshRate")).top());
    EXPECT_EQ(layoutTwipsOf(done->label()), layoutTwipsOf(done->picture()));
    EXPECT_GE(layoutTwipsOf(mainControl<QCheckBox>("chkMX")).top(),
              layoutTwipsOf(mainControl<QFrame>("frameAdvanced")).height());

    m.ShowFrame(QStringLiteral("NoSuchMode"));
    EXPECT_TRUE(shownFrames().isEmpty());
    EXPECT_EQ(windowSize(), QSize(8895, 7065));

    m.ShowFrame(QStringLiteral("Grid"));
    settle();
    EXPECT_EQ(shownFrames(), QList<QFrame*>{mainControl<QFrame>("frameGrid")});
    ASSERT_NE(m.sizer(), nullptr);
    EXPECT_EQ(m.sizer()->count(), 19);
    EXPECT_EQ(windowSize(), QSize(8895, 7065));
    EXPECT_EQ(layoutTwipsOf(mainControl<QFrame>("frameGrid")).top(), onGrid(topY));
}

TEST_F(LayoutTest, TheWindowManagersFrameLiesInsideTheOuterSizeInEveryMode) {
    startGrid();
    frmMain& m = main();
    // The offscreen platform frames a shown window as a window manager would, with a thin
    // border; the window was sized before it was shown, when that frame was not known yet.
    const QMargins frame = WindowFrameMargins(&m);
    ASSERT_FALSE(frame.isNull());
    const auto outerPixels = [&] { return m.frameGeometry().size(); };
    EXPECT_EQ(outerPixels(), QSize(twipsToPixels(8895), twipsToPixels(7065)));
    EXPECT_EQ(m.size(), outerPixels().shrunkBy(frame));

    m.ShowFrame(QStringLiteral("Domain"));
    settle();
    const QRect editor = layoutTwipsOf(mainControl<QFrame>("frameOtherDomain"));
    EXPECT_EQ(outerPixels(), QSize(twipsToPixels(8535 + 360),
                                   twipsToPixels(editor.top() + editor.height() + 850)));
    m.ShowFrame(QStringLiteral("Grid"));
    settle();
    EXPECT_EQ(outerPixels(), QSize(twipsToPixels(8895), twipsToPixels(7065)));
    // The grid's controls sit where they were designed: the frame took nothing from them.
    EXPECT_EQ(layoutTwipsOf(mainControl<QTreeWidget>("lvDomainUser")).width(), 8295);
    EXPECT_EQ(layoutTwipsOf(mainButton("cmdAddGrid")->picture()).topLeft(), QPoint(240, 3780));
}

TEST_F(LayoutTest, GridGrowsByTheWindowsGrowthAndNeverBelowItsMinimum) {
    startGrid();
    QList<QWidget*> right = {
        mainControl<QLabel>("Label7"),     mainControl<QLabel>("lblIPAddress"),
        mainControl<QLabel>("lblStatusH"), mainControl<QLabel>("lblStatus"),
        mainControl<QLabel>("Label11"),    mainControl<QLabel>("lblUpTime"),
        mainControl<QLabel>("Label20"),    mainControl<QLabel>("lblLastIPCheck"),
        mainControl<QLabel>("Label22"),    mainControl<QLabel>("lblTimesIPChanged")};
    QList<QRect> designed;
    for (QWidget* w : right) {
        designed.append(layoutTwipsOf(w));
    }
    const PictureButton* buttons[] = {mainButton("cmdAddGrid"), mainButton("cmdDeleteGrid"),
                                      mainButton("cmdEditGrid"), mainButton("cmdAdvancedDomain")};
    const int buttonLefts[] = {240, 1920, 3600, 6000};
    QTreeWidget* grid = mainControl<QTreeWidget>("lvDomainUser");

    resizeWindow(8895 + 1005, 7065 + 495);
    EXPECT_EQ(windowSize(), QSize(8895 + 1005, 7065 + 495));
    EXPECT_EQ(layoutTwipsOf(mainControl<QFrame>("frameGrid")).size(),
              QSize(8535 + 1005, 4335 + 495 - 15));
    EXPECT_EQ(layoutTwipsOf(grid), QRect(120, 240, 8295 + 1005, 3375 + 495 - 15));
    EXPECT_EQ(layoutTwipsOf(mainControl<QFrame>("frmTop")).width(), 8535 + 1005);
    EXPECT_EQ(layoutTwipsOf(mainControl<QFrame>("frmIPStatus")).width(), 4095 + 1005);
    for (int i = 0; i < right.size(); ++i) {
        EXPECT_EQ(layoutTwipsOf(right[i]), designed[i].translated(1005, 0)) << i;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(layoutTwipsOf(buttons[i]->picture()),
                  QRect(buttonLefts[i] + 1005, 3780 + 495, 1335, 375));
        // The caption lies on its picture wherever the sizer put it.
        EXPECT_EQ(buttons[i]->label()->geometry(), buttons[i]->picture()->geometry());
    }
    EXPECT_EQ(layoutTwipsOf(mainControl<QLabel>("imgHelpGrid")).topLeft(),
              QPoint(7560 + 1005, 3780 + 495));

    resizeWindow(6000, 5010);
    EXPECT_EQ(windowSize(), QSize(8895, 7065));
    EXPECT_EQ(layoutTwipsOf(grid), QRect(120, 240, 8295, 3375 - 15));
    EXPECT_EQ(layoutTwipsOf(mainButton("cmdAdvancedDomain")->label()),
              QRect(6000, 3780, 1335, 375));
}

TEST_F(LayoutTest, TheEditorOpenedFromAnEnlargedWindowGivesItsSizeBack) {
    // Enlarged in an earlier run: the window opens at that size with the grid stretched to it.
    storeUserDword(user_, QStringLiteral("MainWidth"), 12000);
    storeUserDword(user_, QStringLiteral("MainHeight"), 9000);
    startGrid();
    frmMain& m = main();
    QTreeWidget* grid = mainControl<QTreeWidget>("lvDomainUser");
    ASSERT_EQ(windowSize(), QSize(12000, 9000));
    EXPECT_EQ(layoutTwipsOf(grid).width(), 8295 + (12000 - 8895));
    const QRect list = layoutTwipsOf(grid);
    ASSERT_EQ(list.height(), 3375 + (9000 - 7065) - 15);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        m.ShowFrame(QStringLiteral("Domain"));
        settle();
        EXPECT_EQ(windowSize().width(), 8535 + 360);
        EXPECT_EQ(userValue(user_, QStringLiteral("MainWidth")), QStringLiteral("12000"));
        EXPECT_EQ(userValue(user_, QStringLiteral("MainHeight")), QStringLiteral("9000"));
        EXPECT_EQ(storedType(QStringLiteral("SOFTWARE\\Corvane\\demo"), QStringLiteral("MainLeft")),
                  QStringLiteral("REG_DWORD"));
        mainButton("cmdCancel")->click();
        settle();
        EXPECT_EQ(windowSize(), QSize(12000, 9000));
        // A visit to the editor leaves the grid exactly as it was.
        EXPECT_EQ(layoutTwipsOf(grid), list);
    }
}

TEST_F(LayoutTest, MinimizeKeepsTheWindowReachableAndOnlyTheGridMaximizes) {
    startGrid();
    frmMain& m = main();
    ASSERT_FALSE(cSysTray::available()) << "the offscreen platform has no tray";

    m.setWindowStateNumber(1);
    settle();
    EXPECT_EQ(m.windowStateNumber(), 1);
    EXPECT_FALSE(m.isHidden()) << "with no tray, hiding would lose the window";
    EXPECT_NE(userValue(user_, QStringLiteral("WindowState")), QStringLiteral("1"));
    m.setWindowStateNumber(0);
    settle();

    m.setWindowStateNumber(2);
    settle();
    EXPECT_EQ(m.windowStateNumber(), 2);
    EXPECT_EQ(userValue(user_, QStringLiteral("WindowState")), QStringLiteral("2"));
    EXPECT_EQ(storedType(QStringLiteral("SOFTWARE\\Corvane\\demo"), QStringLiteral("WindowState")),
              QStringLiteral("REG_DWORD"));

    // The editor opens normal; the grid's maximized state is kept for the return.
    m.ShowFrame(QStringLiteral("Domain"));
    settle();
    EXPECT_EQ(m.windowStateNumber(), 0);
    EXPECT_EQ(userValue(user_, QStringLiteral("WindowState")), QStringLiteral("2"));
    m.ShowFrame(QStringLiteral("Grid"));
    settle();
    EXPECT_EQ(m.windowStateNumber(), 2);

    m.setWindowStateNumber(0);
    settle();
    EXPECT_EQ(userValue(user_, QStringLiteral("WindowState")), QStringLiteral("0"));
}

TEST_F(LayoutTest, EveryButtonShowsThePressedFaceWhileHeld) {
    startGrid();
    const PictureButton* all[] = {mainButton("cmdAddGrid"),      mainButton("cmdDeleteGrid"),
                                  mainButton("cmdEditGrid"),     mainButton("cmdAdvancedDomain"),
                                  mainButton("cmdCorvaneSetIP"), mainButton("cmdAdvancedFree"),
                                  mainButton("cmdServerIP"),     mainButton("cmdCancel"),
                                  mainButton("cmdOKAdvanced")};
    for (const PictureButton* b : all) {
        for (QLabel* target : {b->picture(), b->label()}) {
            SCOPED_TRACE(target->objectName().toStdString());
            const QSize size = b->picture()->size();
            QTest::mousePress(target, Qt::LeftButton);
            EXPECT_TRUE(b->isDown());
            EXPECT_EQ(b->picture()->pixmap().toImage(), buttonFace(true, size).toImage());
            // Released away from the button: the face comes up and nothing runs.
            QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(-10, -10));
            EXPECT_FALSE(b->isDown());
            EXPECT_EQ(b->picture()->pixmap().toImage(), buttonFace(false, size).toImage());
        }
    }
}

}  // namespace
}  // namespace quillon::test
