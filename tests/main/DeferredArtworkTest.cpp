// Pictures of the main window that are not needed before it appears are drawn late: the
// banner when the window first shows, a tray icon when a tray first asks for it. What matters
// is that they are there, the same, when they are seen.

#include <QLabel>

#include "MainFixture.h"
#include "desktop/Twips.h"
#include "resources/Resources.h"

namespace quillon::test {
namespace {

using DeferredArtworkTest = MainFixture;

TEST_F(DeferredArtworkTest, TheBannerIsPaintedAtItsBuiltSizeByTheTimeTheWindowShows) {
    ASSERT_TRUE(startAs(QStringLiteral("demo"), QStringLiteral("demo")));
    ASSERT_TRUE(main().isVisible());
    auto* banner = mainControl<QLabel>("Image1");
    ASSERT_NE(banner, nullptr);
    const QPixmap picture = banner->pixmap();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(twipsToPixels(2985), twipsToPixels(945)));
    // Not blank: the logo and the service's name are on it.
    const QImage image = picture.toImage();
    int painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            painted += qAlpha(image.pixel(x, y)) != 0;
        }
    }
    EXPECT_GT(painted, image.width() * image.height() / 20);
}

TEST(DeferredTrayIcon, DrawnOnceOnFirstUseAndTheSameAsDrawnAtOnce) {
    int drawn = 0;
    cSysTray tray(
        QStringLiteral("cSysTrayOn"),
        [&drawn] {
            ++drawn;
            return trayIconConnected();
        },
        QStringLiteral("tip"), nullptr);
    EXPECT_EQ(drawn, 0);
    const QIcon first = tray.trayicon();
    const QIcon second = tray.trayicon();
    EXPECT_EQ(drawn, 1);
    EXPECT_EQ(first.pixmap(16, 16).toImage(), trayIconConnected().pixmap(16, 16).toImage());
    EXPECT_EQ(second.pixmap(32, 32).toImage(), trayIconConnected().pixmap(32, 32).toImage());
    EXPECT_EQ(tray.traytip(), QStringLiteral("tip"));
}

}  // namespace
}  // namespace quillon::test
