#include <QPainter>
#include <QPainterPath>

#include "resources/Artwork.h"

namespace quillon::artwork {

// A white hand with the index finger pointing up, outlined in black, drawn on a 32-unit
// grid and scaled to the side asked for.
QPixmap drawHand(int side) {
    return QPixmap::fromImage(paintHand(side));
}

QImage paintHand(int side) {
    QImage pm(side, side, QImage::Format_ARGB32_Premultiplied);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(side / 32.0, side / 32.0);

    QPainterPath hand;
    // Index finger, from the tip (the hot spot, at 10,1) down to the palm.
    hand.moveTo(8, 3);
    hand.quadTo(10, -0.5, 12, 3);
    hand.lineTo(12, 13);
    // The three folded fingers as knuckle bumps across the top of the palm.
    hand.quadTo(14, 10.5, 16, 13);
    hand.quadTo(18, 11, 20, 14);
    hand.quadTo(22, 12, 24, 15);
    hand.lineTo(24, 23);
    hand.quadTo(23, 29, 17, 30);
    hand.lineTo(12, 30);
    hand.quadTo(8, 29, 6, 25);
    // The thumb, folded in on the left.
    hand.lineTo(3, 18);
    hand.quadTo(3, 15, 6, 16);
    hand.lineTo(8, 19);
    hand.closeSubpath();

    p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(Qt::black, 0.8));
    p.drawLine(QPointF(16, 14), QPointF(16, 18));
    p.drawLine(QPointF(20, 15), QPointF(20, 19));
    return pm;
}

}  // namespace quillon::artwork
