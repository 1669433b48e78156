#include <QPainter>
#include <QPainterPath>

#include "resources/Artwork.h"

namespace quillon::artwork {

// A round blue badge with a white question mark: the help images' picture.
QPixmap drawHelpMark(const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(size.width(), size.height());
    const QRectF badge((size.width() - side) / 2 + 1, (size.height() - side) / 2 + 1, side - 2,
                       side - 2);
    QRadialGradient fill(badge.center() - QPointF(side / 6, side / 6), side * 0.7);
    fill.setColorAt(0, QColor(0x5a, 0x9c, 0xe8));
    fill.setColorAt(1, QColor(0x1c, 0x4f, 0x9c));
    painter.setPen(QPen(QColor(0x10, 0x2a, 0x4a), qMax<qreal>(1, side / 24)));
    painter.setBrush(fill);
    painter.drawEllipse(badge);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qMax(6, static_cast<int>(side * 0.68)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(badge, Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}

}  // namespace quillon::artwork
