#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "resources/Artwork.h"

namespace quillon::artwork {

namespace {

// A blue globe with two meridians and the equator, the service's sign: names that find
// their way round the world.
void paintGlobe(QPainter& p, const QRectF& r) {
    QRadialGradient sea(r.center() - QPointF(r.width() * 0.18, r.height() * 0.18), r.width() * 0.7);
    sea.setColorAt(0.0, QColor(0x8e, 0xc5, 0xff));
    sea.setColorAt(1.0, QColor(0x1d, 0x4f, 0x91));
    p.setPen(QPen(QColor(0x12, 0x33, 0x5e), qMax(1.0, r.width() / 40.0)));
    p.setBrush(sea);
    p.drawEllipse(r);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 170), qMax(1.0, r.width() / 48.0)));
    p.drawEllipse(r.adjusted(r.width() * 0.3, 0, -r.width() * 0.3, 0));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    QPainterPath lat;
    const qreal dy = r.height() * 0.25;
    lat.moveTo(r.left() + r.width() * 0.07, r.center().y() - dy);
    lat.quadTo(r.center().x(), r.center().y() - dy * 1.35, r.right() - r.width() * 0.07,
               r.center().y() - dy);
    lat.moveTo(r.left() + r.width() * 0.07, r.center().y() + dy);
    lat.quadTo(r.center().x(), r.center().y() + dy * 0.65, r.right() - r.width() * 0.07,
               r.center().y() + dy);
    p.drawPath(lat);
}

// A quill laid across the globe, nib at the lower left.
void paintQuill(QPainter& p, qreal side) {
    QPainterPath vane;
    vane.moveTo(side * 0.20, side * 0.86);
    vane.cubicTo(side * 0.38, side * 0.52, side * 0.62, side * 0.22, side * 0.94, side * 0.06);
    vane.cubicTo(side * 0.80, side * 0.34, side * 0.56, side * 0.62, side * 0.20, side * 0.86);
    QLinearGradient feather(side * 0.2, side * 0.86, side * 0.94, side * 0.06);
    feather.setColorAt(0.0, QColor(0xf2, 0xf2, 0xf2));
    feather.setColorAt(1.0, QColor(0xff, 0xc8, 0x3d));
    p.setPen(QPen(QColor(0x6b, 0x4a, 0x10), qMax(1.0, side / 64.0)));
    p.setBrush(feather);
    p.drawPath(vane);
    p.setPen(QPen(QColor(0x3a, 0x2a, 0x08), qMax(1.0, side / 40.0), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(side * 0.10, side * 0.96), QPointF(side * 0.30, side * 0.74));
}

}  // namespace

QPixmap drawLogo(int side) {
    return QPixmap::fromImage(paintLogo(side));
}

QImage paintLogo(int side) {
    // The format a transparent pixmap takes, so that the two forms are alike to the pixel.
    QImage pm(side, side, QImage::Format_ARGB32_Premultiplied);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal m = side * 0.06;
    paintGlobe(p, QRectF(m, m, side - 2 * m, side - 2 * m));
    paintQuill(p, side);
    return pm;
}

QPixmap drawStatusIcon(int side, bool connected) {
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    paintGlobe(p, QRectF(0.5, 0.5, side * 0.86, side * 0.86));
    const qreal d = side * 0.46;
    const QRectF dot(side - d - 0.5, side - d - 0.5, d, d);
    p.setPen(QPen(Qt::white, qMax(1.0, side / 24.0)));
    p.setBrush(connected ? QColor(0x2e, 0xa0, 0x43) : QColor(0xc6, 0x28, 0x28));
    p.drawEllipse(dot);
    if (!connected) {
        // A white bar across the red dot: no way through.
        p.setPen(QPen(Qt::white, qMax(1.5, side / 12.0), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(dot.left() + d * 0.25, dot.center().y()),
                   QPointF(dot.right() - d * 0.25, dot.center().y()));
    }
    return pm;
}

}  // namespace quillon::artwork
