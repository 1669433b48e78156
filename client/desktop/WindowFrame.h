#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace quillon {

// A window's size in the design's sense, its "outer" size, is the size of the window with the
// title bar and borders. Qt sizes the inside of a window; the window manager draws its frame
// around that (on X11) or inside the size the program asks for (on Windows). The conversion
// between the two lives here alone, for every window and every mode: the inside is the outer
// size less the frame that the window manager reports for the window. Until the window
// manager has framed the window (and always without a window manager) the frame is empty and
// the two sizes are one.

// The frame around a top-level window, in pixels: what frameGeometry() adds to geometry().
QMargins WindowFrameMargins(const QWidget* window);

// The window's outer size in twips.
QSize OuterSizeTwips(const QWidget* window);

// Gives the window the outer size width x height twips. When the window manager frames the
// window later (it is sized before it is first shown), the inside is made smaller by the frame
// then, so that the outer size stays the one asked for; unless the user resized the window in
// between, or it is maximized or minimized.
void ResizeToOuterTwips(QWidget* window, int width, int height);

// A window's outer rectangle (pixels) moved onto the available area of a screen: where it runs
// past the right or bottom edge it moves left or up, and its left edge and title bar never lie
// off the left or top edge (a window wider or higher than the area keeps its left and top edge
// on it and runs off the right or bottom). With `limitSize` it is first made no larger than the
// area. A rectangle that lies inside the area is returned unchanged.
QRect FitOnScreen(const QRect& outer, const QRect& available, bool limitSize);

// The available area of the screen that holds most of the rectangle (the primary screen when
// none does), in pixels.
QRect AvailableAreaFor(const QRect& outer);

}  // namespace quillon
