#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace quillon {

// The program's own artwork, drawn in code so that every picture is ours and needs no file.
// Pictures are looked up by the names the windows use, without regard to case:
//   "ButtonUp"  the raised face of a picture button (80 x 25 pixels, 1200 x 375 twips)
//   "ButtonDwn" the same face pressed in
//   "Logo"      the product logo of the About window (96 x 96 pixels)
// An unknown name gives a null pixmap.
QPixmap LoadResPicture(const QString& name);

// Starts drawing, on a thread of its own, the pictures every start needs before its first
// window (the program's icon, the logo and the hand pointer), so that the drawing overlaps the
// building of the windows; the first of them asked for waits for the drawing to end. Call it
// once the QApplication exists (painting needs the application's font). Optional: without it
// each picture is drawn when first asked for.
void startDrawingArtwork();

// The pictures below take their size in logical pixels and are drawn at the screen's device
// pixel ratio, so that they are as sharp as the text beside them.

// The logo, square, `side` logical pixels wide.
QPixmap logoPicture(int side);

// A button face drawn at the given size in pixels (a picture button fills its box with it).
QPixmap buttonFace(bool pressed, const QSize& size);

// The help images' question-mark picture at the given size (drawn by us: the style's own would
// be looked up in the desktop's icon theme, which costs milliseconds at start-up).
QPixmap helpPicture(const QSize& size);

// The program's icon (windows and the task bar).
QIcon programIcon();

// The tray's two icons: connected to the service, and not connected.
QIcon trayIconConnected();
QIcon trayIconNotConnected();

// The "Hand" mouse pointer shown over links and picture buttons; its hot spot is the
// tip of the pointing finger.
QCursor handCursor();

}  // namespace quillon
