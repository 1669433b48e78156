// The artwork is drawn once per picture and size (some of it ahead, on a thread of its own) and
// then served from a cache: what comes back must be what a fresh drawing gives, for the
// picture and size asked, every time.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmapCache>

#include "resources/Artwork.h"
#include "resources/Resources.h"

using namespace quillon;

namespace {

QImage image(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

TEST(Resources, CachedPicturesMatchAFreshDrawingOfTheirOwnKind) {
    startDrawingArtwork();
    startDrawingArtwork();  // a second call changes nothing
    // The first round takes what was drawn ahead or draws, the second comes from the cache.
    for (int round = 0; round < 2; ++round) {
        const QSize size(100, 30);
        EXPECT_EQ(image(buttonFace(false, size)), image(artwork::drawButtonFace(false, size)));
        EXPECT_EQ(image(buttonFace(true, size)), image(artwork::drawButtonFace(true, size)));
        EXPECT_EQ(image(buttonFace(false, QSize(80, 25))),
                  image(artwork::drawButtonFace(false, QSize(80, 25))));
        EXPECT_EQ(image(LoadResPicture(QStringLiteral("buttondwn"))),
                  image(artwork::drawButtonFace(true, QSize(80, 25))));
        EXPECT_EQ(image(LoadResPicture(QStringLiteral("Logo"))), image(artwork::drawLogo(96)));
        for (int side : {16, 32, 48, 64, 128}) {
            EXPECT_EQ(image(programIcon().pixmap(side, side)), image(artwork::drawLogo(side)));
        }
        EXPECT_EQ(image(trayIconConnected().pixmap(16, 16)),
                  image(artwork::drawStatusIcon(16, true)));
        EXPECT_EQ(image(trayIconNotConnected().pixmap(16, 16)),
                  image(artwork::drawStatusIcon(16, false)));
        const QCursor hand = handCursor();
        EXPECT_EQ(image(hand.pixmap()), image(artwork::drawHand(32)));
        EXPECT_EQ(hand.hotSpot(), QPoint(10, 1));
    }
    // A picture the cache let go of is drawn again.
    QPixmapCache::clear();
    EXPECT_EQ(image(LoadResPicture(QStringLiteral("Logo"))), image(artwork::drawLogo(96)));
    EXPECT_TRUE(LoadResPicture(QStringLiteral("NoSuchPicture")).isNull());
}
