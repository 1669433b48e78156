#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>

// Drawing routines behind Resources.h; each returns a freshly painted pixmap. The paint...
// forms give the same picture as an image, which a thread other than the GUI thread may
// draw (once the QApplication exists).
namespace quillon::artwork {

// The standard size of a button face: 1200 x 375 twips at 96 dpi.
inline constexpr int kButtonWidth = 80;
inline constexpr int kButtonHeight = 25;

QPixmap drawButtonFace(bool pressed, const QSize& size);
QPixmap drawLogo(int side);
QImage paintLogo(int side);
// The globe of the logo with a status dot: green when connected, red when not.
QPixmap drawStatusIcon(int side, bool connected);
QPixmap drawHand(int side);
QPixmap drawHelpMark(const QSize& size);
QImage paintHand(int side);

}  // namespace quillon::artwork
