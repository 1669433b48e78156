#include "resources/Resources.h"

#include "resources/Artwork.h"

namespace quillon {

QPixmap LoadResPicture(const QString& name) {
    if (name.compare(QLatin1String("ButtonUp"), Qt::CaseInsensitive) == 0) {
        return artwork::drawButtonFace(false, QSize(artwork::kButtonWidth, artwork::kButtonHeight));
    }
    if (name.compare(QLatin1String("ButtonDwn"), Qt::CaseInsensitive) == 0) {
        return artwork::drawButtonFace(true, QSize(artwork::kButtonWidth, artwork::kButtonHeight));
    }
    if (name.compare(QLatin1String("Logo"), Qt::CaseInsensitive) == 0) {
        return artwork::drawLogo(96);
    }
    return QPixmap();
}

QPixmap buttonFace(bool pressed, const QSize& size) {
    return artwork::drawButtonFace(pressed, size);
}

namespace {
QIcon iconFrom(bool connected) {
    QIcon icon;
    for (int side : {16, 22, 32, 48, 64}) {
        icon.addPixmap(artwork::drawStatusIcon(side, connected));
    }
    return icon;
}
}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128}) {
        icon.addPixmap(artwork::drawLogo(side));
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
    return QCursor(artwork::drawHand(32), 10, 1);
}

}  // namespace quillon
