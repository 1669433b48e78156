#include <QLinearGradient>
#include <QPainter>

#include "resources/Artwork.h"

namespace quillon::artwork {

// A rounded face with a soft vertical gradient and a two-pixel bevel: light above and to
// the left when raised, the other way round when pressed, so the pair reads as a button
// going down and coming up again.
QPixmap drawButtonFace(bool pressed, const QSize& size) {
    const QSize s = size.isValid() && !size.isEmpty() ? size : QSize(kButtonWidth, kButtonHeight);
    QPixmap pm(s);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);

    const QRectF outer(0.5, 0.5, s.width() - 1.0, s.height() - 1.0);
    const qreal radius = qMin<qreal>(5.0, s.height() / 4.0);

    QLinearGradient fill(0, 0, 0, s.height());
    if (pressed) {
        fill.setColorAt(0.0, QColor(0x9f, 0xb4, 0xcc));
        fill.setColorAt(1.0, QColor(0xc9, 0xd6, 0xe6));
    } else {
        fill.setColorAt(0.0, QColor(0xf4, 0xf8, 0xfc));
        fill.setColorAt(0.5, QColor(0xdc, 0xe6, 0xf2));
        fill.setColorAt(1.0, QColor(0xb8, 0xc9, 0xdd));
    }
    p.setPen(QPen(QColor(0x3b, 0x55, 0x75), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(outer, radius, radius);

    // The bevel: two strokes inside the outline.
    const QColor light(255, 255, 255, pressed ? 90 : 220);
    const QColor dark(0x2a, 0x3f, 0x5a, pressed ? 200 : 110);
    const QRectF inner = outer.adjusted(1.5, 1.5, -1.5, -1.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pressed ? dark : light, 1.2));
    p.drawLine(inner.topLeft() + QPointF(radius / 2, 0), inner.topRight() - QPointF(radius / 2, 0));
    p.drawLine(inner.topLeft() + QPointF(0, radius / 2),
               inner.bottomLeft() - QPointF(0, radius / 2));
    p.setPen(QPen(pressed ? light : dark, 1.2));
    p.drawLine(inner.bottomLeft() + QPointF(radius / 2, 0),
               inner.bottomRight() - QPointF(radius / 2, 0));
    p.drawLine(inner.topRight() + QPointF(0, radius / 2),
               inner.bottomRight() - QPointF(0, radius / 2));
    return pm;
}

}  // namespace quillon::artwork
