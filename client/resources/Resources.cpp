#include "resources/Resources.h"

#include <QGuiApplication>
#include <QPixmapCache>
#include <array>
#include <cmath>
#include <future>
#include <utility>
#include <vector>

#include "resources/Artwork.h"

namespace quillon {

namespace {

constexpr int kHandSide = 32;
constexpr int kLogoSide = 96;
constexpr int kIconSides[] = {16, 32, 48, 64, 128};

QString logoKey(int side) {
    return QStringLiteral("quillon/logo/%1").arg(side);
}
QString handKey() {
    return QStringLiteral("quillon/hand/%1").arg(kHandSide);
}

// Pictures drawn ahead by startDrawingArtwork, with their cache keys, in two stages: what the
// first window shows (the hand pointer, the logo), then the window icon's sizes.
using Drawn = std::vector<std::pair<QString, QImage>>;
std::array<std::future<Drawn>, 2>& drawnAhead() {
    static std::array<std::future<Drawn>, 2> stages;
    return stages;
}

// Moves what was drawn ahead into the cache, stage by stage until `key` is among it, waiting for
// a stage that is not done.
void takeDrawnAhead(const QString& key) {
    if (key != handKey() && !key.startsWith(QLatin1String("quillon/logo/"))) {
        return;  // never drawn ahead: no reason to wait
    }
    for (std::future<Drawn>& stage : drawnAhead()) {
        if (stage.valid()) {
            for (const auto& [drawnKey, image] : stage.get()) {
                QPixmapCache::insert(drawnKey, QPixmap::fromImage(image));
            }
        }
        QPixmap found;
        if (QPixmapCache::find(key, &found)) {
            return;
        }
    }
}

// Every drawing of one picture at one size comes out the same, and the windows ask for the
// same few many times over (the hand pointer for every link and picture button, the logo for
// every panel), so each is drawn once and kept in Qt's pixmap cache. Painting them afresh each
// time was a good part of the program's start. A picture the cache has let go is drawn again.
template <typename Draw>
QPixmap cached(const QString& key, Draw draw) {
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) {
        return pixmap;
    }
    takeDrawnAhead(key);
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = draw();
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

QPixmap logo(int side) {
    return cached(logoKey(side), [side] { return artwork::drawLogo(side); });
}

// The screen's device pixel ratio: pictures drawn at it stay sharp on high-density screens.
qreal pixelRatio() {
    return QGuiApplication::instance() != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
}

QSize devicePixels(const QSize& size, qreal ratio) {
    return QSize(static_cast<int>(std::ceil(size.width() * ratio)),
                 static_cast<int>(std::ceil(size.height() * ratio)));
}

// A picture of `size` logical pixels drawn with `draw` at the screen's pixel ratio.
template <typename Draw>
QPixmap atPixelRatio(const QString& key, const QSize& size, Draw draw) {
    const qreal ratio = pixelRatio();
    QPixmap pixmap = cached(key + QStringLiteral("@%1").arg(ratio),
                            [&] { return draw(devicePixels(size, ratio)); });
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
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

void startDrawingArtwork() {
    auto& [first, rest] = drawnAhead();
    if (first.valid()) {
        return;
    }
    static std::promise<Drawn> firstDrawn;
    first = firstDrawn.get_future();
    rest = std::async(std::launch::async, [] {
        Drawn shown;
        shown.emplace_back(handKey(), artwork::paintHand(kHandSide));
        shown.emplace_back(logoKey(kLogoSide), artwork::paintLogo(kLogoSide));
        firstDrawn.set_value(std::move(shown));
        Drawn icons;
        for (int side : kIconSides) {
            icons.emplace_back(logoKey(side), artwork::paintLogo(side));
        }
        return icons;
    });
}

QPixmap LoadResPicture(const QString& name) {
    if (name.compare(QLatin1String("ButtonUp"), Qt::CaseInsensitive) == 0) {
        return buttonFace(false, QSize(artwork::kButtonWidth, artwork::kButtonHeight));
    }
    if (name.compare(QLatin1String("ButtonDwn"), Qt::CaseInsensitive) == 0) {
        return buttonFace(true, QSize(artwork::kButtonWidth, artwork::kButtonHeight));
    }
    if (name.compare(QLatin1String("Logo"), Qt::CaseInsensitive) == 0) {
        return logo(kLogoSide);
    }
    return QPixmap();
}

QPixmap buttonFace(bool pressed, const QSize& size) {
    return atPixelRatio(
        QStringLiteral("quillon/face/%1/%2x%3").arg(pressed).arg(size.width()).arg(size.height()),
        size, [pressed](const QSize& pixels) { return artwork::drawButtonFace(pressed, pixels); });
}

QPixmap helpPicture(const QSize& size) {
    return atPixelRatio(QStringLiteral("quillon/help/%1x%2").arg(size.width()).arg(size.height()),
                        size, [](const QSize& pixels) { return artwork::drawHelpMark(pixels); });
}

QPixmap logoPicture(int side) {
    const qreal ratio = pixelRatio();
    if (ratio == 1.0) {
        return logo(side);
    }
    QPixmap pixmap = logo(static_cast<int>(std::ceil(side * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (int side : kIconSides) {
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
    return QCursor(cached(handKey(), [] { return artwork::drawHand(kHandSide); }), 10, 1);
}

}  // namespace quillon
