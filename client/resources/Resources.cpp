#include "resources/Resources.h"

#include <QPixmapCache>

#include "resources/Artwork.h"

namespace quillon {

namespace {

// Every drawing of one picture at one size comes out the same, and the windows ask for the
// same few many times over (the hand pointer for every link and picture button, the logo for
// every panel), so each is drawn once and kept in Qt's pixmap cache. Painting them afresh each
// time was a good part of the program's start. A picture the cache has let go is drawn again.
template <typename Draw>
QPixmap cached(const QString& key, Draw draw) {
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = draw();
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

QPixmap logo(int side) {
    return cached(QStringLiteral("quillon/logo/%1").arg(side),
                  [side] { return artwork::drawLogo(side); });
}

QIcon iconFrom(bool connected) {
    QIcon icon;
    for (int side : {16, 22, 32, 48, 64}) {
        icon.addPixmap(
            cached(QStringLiteral("quillon/status/%1/%2").arg(connected).arg(side),
                   [side, connected] { return artwork::drawStatusIcon(side, connected); }));
    }
    return icon;
}

}  // namespace

QPixmap LoadResPicture(const QString& name) {
    if (name.compare(QLatin1String("ButtonUp"), Qt::CaseInsensitive) == 0) {
        return buttonFace(false, QSize(artwork::kButtonWidth, artwork::kButtonHeight));
    }
    if (name.compare(QLatin1String("ButtonDwn"), Qt::CaseInsensitive) == 0) {
        return buttonFace(true, QSize(artwork::kButtonWidth, artwork::kButtonHeight));
    }
    if (name.compare(QLatin1String("Logo"), Qt::CaseInsensitive) == 0) {
        return logo(96);
    }
    return QPixmap();
}

QPixmap buttonFace(bool pressed, const QSize& size) {
    return cached(
        QStringLiteral("quillon/face/%1/%2x%3").arg(pressed).arg(size.width()).arg(size.height()),
        [pressed, size] { return artwork::drawButtonFace(pressed, size); });
}

QIcon programIcon() {
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128}) {
        icon.addPixmap(logo(side));
    }
    return icon;
}

QIcon trayIconConnected() {
    return iconFrom(true);
}

QIcon trayIconNotConnected() {
    return iconFrom(false);
}

QCursor handCursor() {
    // The tip of the finger is at (10, 1) on the 32-unit grid.
    return QCursor(cached(QStringLiteral("quillon/hand/32"), [] { return artwork::drawHand(32); }),
                   10, 1);
}

}  // namespace quillon
